// The demo's hooks: the screen list, switching with 1-9 and PageUp/PageDown, and
// the caption line drawn over every screen.
#include "demo/demo.h"

#include <iterator>

#include "demo/screen.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "render/text.h"
#include "scene/light.h"
#include "shell/log.h"
#include "shell/window.h"

namespace {

const DemoScreen* const kScreens[] = {
    &kShapesScreen,    &kAnimationScreen, &kParticlesScreen, &kWaveGridScreen,
    &kLensFlareScreen, &kSpritesScreen,   &kSoundScreen,     &kOverlaysScreen,
    &kFileDialogScreen, &kTextEntryScreen, &kMediaScreen,
};
constexpr int kScreenCount = static_cast<int>(std::size(kScreens));
constexpr int kCaptionY = 458;

int current = -1;

// The screen a key asks for this frame, or -1.
int RequestedScreen() {
    const int digits[] = {DIK_1, DIK_2, DIK_3, DIK_4, DIK_5, DIK_6, DIK_7, DIK_8, DIK_9, DIK_0};
    const bool typing = current >= 0 && kScreens[current]->takesTyping;
    for (int i = 0; i < static_cast<int>(std::size(digits)) && !typing; ++i)
        if (GetKey(digits[i]) == KEY_PUSHED && i < kScreenCount) return i;
    if (GetKey(DIK_NEXT) == KEY_PUSHED) return (current + 1) % kScreenCount;
    if (GetKey(DIK_PRIOR) == KEY_PUSHED) return (current + kScreenCount - 1) % kScreenCount;
    return -1;
}

}  // namespace

int DemoScreenCount() { return kScreenCount; }
int CurrentDemoScreen() { return current; }

void ShowDemoScreen(int index) {
    if (index < 0 || index >= kScreenCount || index == current) return;
    if (current >= 0 && kScreens[current]->leave) kScreens[current]->leave();
    current = index;
    LogMessage("screen %d: %s\n", index + 1, kScreens[index]->caption);
    if (kScreens[index]->enter) kScreens[index]->enter();
}

void DemoStart() {
    SetWindowTitle("noldemo");
    SetDirectionalLight(D3DXVECTOR3(1, -1, 1), D3DCOLORVALUE{0.9f, 0.9f, 0.9f, 1.0f});
    if (GraphicsState.device) GraphicsState.device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    ShowDemoScreen(0);
}

void DemoFrame() {
    const int next = RequestedScreen();
    if (next >= 0) ShowDemoScreen(next);
    if (current >= 0 && kScreens[current]->prepare) kScreens[current]->prepare();
    BeginFrame(0xFF000000);
    if (current >= 0) kScreens[current]->frame();
    // The caption is drawn over whatever the screen left behind.
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    BeginText();
    DrawTextFormat(8, kCaptionY, "%d/%d %s", current + 1, kScreenCount, current >= 0 ? kScreens[current]->caption : "");
    EndText();
    EndFrame();
}

void DemoEnd() {
    if (current >= 0 && kScreens[current]->leave) kScreens[current]->leave();
    current = -1;
}

void FreeDemo() {}
