// What the keyboard, mouse and joystick set-up share.
#pragma once

#include "dinput8/dinput.h"

// Every device is shared with other programs and read in the background.
constexpr DWORD INPUT_COOPERATIVE_LEVEL = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;

// The error box of a failed set-up step, owned by the active window.
void ShowInputError(const char* text);

// Unacquires and releases a device, if there is one, and clears the pointer.
void ReleaseDevice(IDirectInputDevice8A*& device);
