#include "dinput8/input_events.h"

#include <cstring>

#include "dinput8/scancodes.h"
#include "dinput8/x11_keys.h"

namespace nol::dinput8 {

namespace {

constexpr double kWheelDelta = 120.0;

// SDL's button number as an index into DIMOUSESTATE's buttons, or -1.
int ButtonIndex(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        case SDL_BUTTON_X1: return 3;
        default: return -1;
    }
}

}  // namespace

void InputEventState::SetKey(int dik, bool down) {
    if (down && !keys[dik]) ++presses[dik];
    keys[dik] = down ? 0x80 : 0x00;
}

void InputEventState::Observe(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (int dik = DikFromSdlScancode(event.key.keysym.scancode)) SetKey(dik, event.type == SDL_KEYDOWN);
            break;
        case SDL_SYSWMEVENT: {
            // The X server's own key events: the only word of the keys an input
            // method takes. The others come as SDL_KEYDOWN/UP as well, to the same
            // effect.
            int dik = 0;
            bool down = false;
            if (X11KeyOfEvent(event, &dik, &down) && dik) SetKey(dik, down);
            break;
        }
        case SDL_WINDOWEVENT:
            // No key events come to a window without the focus, so a key let go
            // meanwhile would stay down; SDL lets its own keys go the same way.
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) std::memset(keys, 0, sizeof keys);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int index = ButtonIndex(event.button.button);
            if (index >= 0) mouseButtons[index] = event.type == SDL_MOUSEBUTTONDOWN ? 0x80 : 0x00;
            break;
        }
        case SDL_MOUSEMOTION:
            motionX += event.motion.xrel;
            motionY += event.motion.yrel;
            break;
        case SDL_MOUSEWHEEL: {
            // Smooth-scrolling devices move by fractions of a notch, which only
            // preciseY carries; events made by hand often fill just y.
            double notches = event.wheel.preciseY != 0.0f ? event.wheel.preciseY : event.wheel.y;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
            wheel += notches * kWheelDelta;
            break;
        }
        default: break;
    }
}

}  // namespace nol::dinput8
