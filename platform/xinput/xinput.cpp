// XInputGetState over SDL's game controllers. SDL's layout is XInput's own: the
// same buttons, sticks and triggers; only the ranges and the sticks' y direction
// differ.
#include <cstring>

#include "xinput/gamepads.h"
#include "xinput/scripted_pad.h"

namespace {

using nol::xinput::Gamepad;

struct ButtonBit {
    SDL_GameControllerButton button;
    WORD bit;
};

const ButtonBit kButtons[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, XINPUT_GAMEPAD_DPAD_UP},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, XINPUT_GAMEPAD_DPAD_DOWN},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, XINPUT_GAMEPAD_DPAD_LEFT},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, XINPUT_GAMEPAD_DPAD_RIGHT},
    {SDL_CONTROLLER_BUTTON_START, XINPUT_GAMEPAD_START},
    {SDL_CONTROLLER_BUTTON_BACK, XINPUT_GAMEPAD_BACK},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, XINPUT_GAMEPAD_LEFT_THUMB},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, XINPUT_GAMEPAD_RIGHT_THUMB},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, XINPUT_GAMEPAD_LEFT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, XINPUT_GAMEPAD_RIGHT_SHOULDER},
    {SDL_CONTROLLER_BUTTON_A, XINPUT_GAMEPAD_A},
    {SDL_CONTROLLER_BUTTON_B, XINPUT_GAMEPAD_B},
    {SDL_CONTROLLER_BUTTON_X, XINPUT_GAMEPAD_X},
    {SDL_CONTROLLER_BUTTON_Y, XINPUT_GAMEPAD_Y},
};

// SDL's triggers run 0..32767, XInput's 0..255.
BYTE Trigger(SDL_GameController* pad, SDL_GameControllerAxis axis) {
    const int value = SDL_GameControllerGetAxis(pad, axis);
    return value <= 0 ? 0 : (BYTE)((value * 255 + 16383) / 32767);
}

// SDL's stick y grows downwards, XInput's upwards; -32768 has no positive twin.
SHORT Upwards(Sint16 value) { return value == -32768 ? 32767 : (SHORT)-value; }

XINPUT_GAMEPAD Read(SDL_GameController* pad) {
    XINPUT_GAMEPAD state{};
    for (const ButtonBit& b : kButtons)
        if (SDL_GameControllerGetButton(pad, b.button)) state.wButtons |= b.bit;
    state.bLeftTrigger = Trigger(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    state.bRightTrigger = Trigger(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    state.sThumbLX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    state.sThumbLY = Upwards(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
    state.sThumbRX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX);
    state.sThumbRY = Upwards(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY));
    return state;
}

}  // namespace

DWORD WINAPI XInputGetState(DWORD dwUserIndex, XINPUT_STATE* pState) {
    if (!pState || dwUserIndex >= XUSER_MAX_COUNT) return ERROR_BAD_ARGUMENTS;
    *pState = XINPUT_STATE{};
    if (!nol::xinput::StartGamepads()) return ERROR_DEVICE_NOT_CONNECTED;
    nol::xinput::RunPadScript();
    Gamepad* pad = nol::xinput::GamepadOfUser((int)dwUserIndex);
    // A pad pulled out reads as gone at once, before the pump has shown its event.
    if (!pad || !SDL_GameControllerGetAttached(pad->controller)) return ERROR_DEVICE_NOT_CONNECTED;
    // The pad as it is now, not as of the last pump of events.
    SDL_GameControllerUpdate();
    const XINPUT_GAMEPAD now = Read(pad->controller);
    if (std::memcmp(&now, &pad->last, sizeof now) != 0) {
        pad->last = now;
        ++pad->packet;
    }
    pState->dwPacketNumber = pad->packet;
    pState->Gamepad = now;
    return ERROR_SUCCESS;
}
