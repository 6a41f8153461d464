// One screen of the demo: what it shows and the one-line caption under it. The
// demo switches between screens with the number keys and PageUp/PageDown.
#pragma once

struct DemoScreen {
    const char* caption;
    void (*enter)();    // when the screen is switched to; may be null
    void (*frame)();    // once a frame, between BeginFrame and the caption
    void (*leave)();    // when another screen is switched to; may be null
    void (*prepare)();  // once a frame before BeginFrame (render targets); may be null
    bool takesTyping = false;  // digits go to the screen, not to switching screens
};

// The screens, in the order of their keys.
extern const DemoScreen kShapesScreen;
extern const DemoScreen kAnimationScreen;
extern const DemoScreen kParticlesScreen;
extern const DemoScreen kWaveGridScreen;
extern const DemoScreen kLensFlareScreen;
extern const DemoScreen kSpritesScreen;
extern const DemoScreen kSoundScreen;
extern const DemoScreen kOverlaysScreen;
extern const DemoScreen kFileDialogScreen;
extern const DemoScreen kTextEntryScreen;
extern const DemoScreen kMediaScreen;
