// The pads behind XInput's four user slots: SDL game controllers, opened as they
// are plugged in and closed as they are pulled out. Used inside platform/xinput.
#pragma once

#include <SDL.h>

#include "xinput/xinput.h"

namespace nol::xinput {

struct Gamepad {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    // XInput's dwPacketNumber, and the state it numbers.
    DWORD packet = 0;
    XINPUT_GAMEPAD last{};
};

// Starts SDL's game controllers once and opens the pads already attached; pads
// plugged in later join through the message pump's events. False when SDL's
// game controllers cannot start.
bool StartGamepads();

// The pad in a user slot, or null when the slot is empty.
Gamepad* GamepadOfUser(int user);

}  // namespace nol::xinput
