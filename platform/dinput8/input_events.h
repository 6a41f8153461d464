// The keyboard and mouse as the SDL events taken by the message pump describe them.
// Keeping the state from events (rather than asking SDL for its own key array)
// means that events injected by a test and events from the display server take the
// same path.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "win32/windows.h"

namespace nol::dinput8 {

struct InputEventState {
    // Indexed by DirectInput scan code; bit 7 set = down.
    BYTE keys[256] = {};
    // Times each key went down. A key pressed and let go again between two reads
    // of the keyboard still reads as down once (see the keyboard device), so a tap
    // shorter than a frame is not lost.
    uint32_t presses[256] = {};
    // Left, right, middle and the first extra button; 0x80 = down.
    BYTE mouseButtons[4] = {};
    // Running sums since the state was made; devices report the difference since
    // their previous read.
    int64_t motionX = 0;
    int64_t motionY = 0;
    // Wheel movement in DirectInput units (120 per notch), positive away from the user.
    double wheel = 0;

    void Observe(const SDL_Event& event);

private:
    void SetKey(int dik, bool down);
};

}  // namespace nol::dinput8
