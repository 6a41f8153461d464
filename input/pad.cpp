#include "input/pad.h"

#include <cstring>
#include <iterator>

#include "input/key_state.h"
#include "shell/log.h"
#include "xinput/xinput.h"

PadStateRecord PadState;

namespace {

// In PadEntry's order, up to the triggers.
constexpr WORD kButtonBits[] = {
    XINPUT_GAMEPAD_DPAD_UP,     XINPUT_GAMEPAD_DPAD_DOWN,      XINPUT_GAMEPAD_DPAD_LEFT,
    XINPUT_GAMEPAD_DPAD_RIGHT,  XINPUT_GAMEPAD_START,          XINPUT_GAMEPAD_BACK,
    XINPUT_GAMEPAD_LEFT_THUMB,  XINPUT_GAMEPAD_RIGHT_THUMB,    XINPUT_GAMEPAD_LEFT_SHOULDER,
    XINPUT_GAMEPAD_RIGHT_SHOULDER, XINPUT_GAMEPAD_A,           XINPUT_GAMEPAD_B,
    XINPUT_GAMEPAD_X,           XINPUT_GAMEPAD_Y,
};
static_assert(std::size(kButtonBits) == PAD_LEFT_TRIGGER);

constexpr BYTE kDown = 0x80;

// One pad's part of the entries, added to what the other pads set.
void AddPad(const XINPUT_GAMEPAD& pad, BYTE* entries) {
    for (int e = 0; e < PAD_LEFT_TRIGGER; ++e)
        if (pad.wButtons & kButtonBits[e]) entries[e] = kDown;
    if (pad.bLeftTrigger > XINPUT_GAMEPAD_TRIGGER_THRESHOLD) entries[PAD_LEFT_TRIGGER] = kDown;
    if (pad.bRightTrigger > XINPUT_GAMEPAD_TRIGGER_THRESHOLD) entries[PAD_RIGHT_TRIGGER] = kDown;
    // Each axis on its own, so that a stick pushed mostly sideways still steers.
    constexpr int deadZone = XINPUT_GAMEPAD_LEFT_THUMB_DEADZONE;
    if (pad.sThumbLY > deadZone) entries[PAD_STICK_UP] = kDown;
    if (pad.sThumbLY < -deadZone) entries[PAD_STICK_DOWN] = kDown;
    if (pad.sThumbLX < -deadZone) entries[PAD_STICK_LEFT] = kDown;
    if (pad.sThumbLX > deadZone) entries[PAD_STICK_RIGHT] = kDown;
}

void LogPlugging(int before, int now) {
    for (int user = 0; user < XUSER_MAX_COUNT; ++user) {
        const int bit = 1 << user;
        if ((before ^ now) & bit) LogMessage(now & bit ? "pad[%d] connected\n" : "pad[%d] disconnected\n", user);
    }
}

}  // namespace

void UpdatePad() {
    std::memcpy(PadState.prevEntries, PadState.entries, sizeof PadState.entries);
    std::memset(PadState.entries, 0, sizeof PadState.entries);
    int connected = 0;
    for (DWORD user = 0; user < XUSER_MAX_COUNT; ++user) {
        XINPUT_STATE state{};
        if (XInputGetState(user, &state) != ERROR_SUCCESS) continue;
        connected |= 1 << user;
        AddPad(state.Gamepad, PadState.entries);
    }
    LogPlugging(PadState.connected, connected);
    PadState.connected = connected;
}

void ResetPad() {
    std::memset(PadState.entries, 0, sizeof PadState.entries);
    std::memset(PadState.prevEntries, 0, sizeof PadState.prevEntries);
}

int GetPad(int entry) {
    if (entry < 0 || entry >= PAD_ENTRIES) return KEY_UP;
    return KeyStateCode(PadState.entries[entry], PadState.prevEntries[entry]);
}
