// XInput: up to four game pads in one fixed layout (two sticks, two triggers, a
// d-pad and ten buttons), with the original function, structures, constants and
// values. Backed by SDL2's game-controller layer, whose mapping database lays any
// known pad out this way; pads come and go as SDL reports them plugged in and
// pulled out.
#pragma once

#include "win32/windows.h"

// Also declared by the DirectSound header; the two are the same type.
typedef int16_t SHORT;

#define XUSER_MAX_COUNT 4

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#define ERROR_BAD_ARGUMENTS 160L
#define ERROR_DEVICE_NOT_CONNECTED 1167L

// wButtons
#define XINPUT_GAMEPAD_DPAD_UP 0x0001
#define XINPUT_GAMEPAD_DPAD_DOWN 0x0002
#define XINPUT_GAMEPAD_DPAD_LEFT 0x0004
#define XINPUT_GAMEPAD_DPAD_RIGHT 0x0008
#define XINPUT_GAMEPAD_START 0x0010
#define XINPUT_GAMEPAD_BACK 0x0020
#define XINPUT_GAMEPAD_LEFT_THUMB 0x0040
#define XINPUT_GAMEPAD_RIGHT_THUMB 0x0080
#define XINPUT_GAMEPAD_LEFT_SHOULDER 0x0100
#define XINPUT_GAMEPAD_RIGHT_SHOULDER 0x0200
#define XINPUT_GAMEPAD_A 0x1000
#define XINPUT_GAMEPAD_B 0x2000
#define XINPUT_GAMEPAD_X 0x4000
#define XINPUT_GAMEPAD_Y 0x8000

// Thresholds callers apply themselves: the state carries raw values.
#define XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE 7849
#define XINPUT_GAMEPAD_RIGHT_THUMB_DEADZONE 8689
#define XINPUT_GAMEPAD_TRIGGER_THRESHOLD 30

struct XINPUT_GAMEPAD {
    WORD wButtons;
    BYTE bLeftTrigger;   // 0 (released) to 255
    BYTE bRightTrigger;
    SHORT sThumbLX;      // -32768 to 32767, +x right
    SHORT sThumbLY;      // +y up
    SHORT sThumbRX;
    SHORT sThumbRY;
};
typedef XINPUT_GAMEPAD* PXINPUT_GAMEPAD;

struct XINPUT_STATE {
    // Changes whenever the pad's state changes, and only then.
    DWORD dwPacketNumber;
    XINPUT_GAMEPAD Gamepad;
};
typedef XINPUT_STATE* PXINPUT_STATE;

// The state of the pad of user 0 to XUSER_MAX_COUNT - 1: ERROR_SUCCESS, or
// ERROR_DEVICE_NOT_CONNECTED when no pad is there (the state is then zero), or
// ERROR_BAD_ARGUMENTS for another index or a null state.
DWORD WINAPI XInputGetState(DWORD dwUserIndex, XINPUT_STATE* pState);
