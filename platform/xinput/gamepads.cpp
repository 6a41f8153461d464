#include "xinput/gamepads.h"

#include "base/platform_log.h"
#include "win32/sdl_bridge.h"

namespace nol::xinput {

namespace {

Gamepad slots[XUSER_MAX_COUNT];
bool started = false;

bool IsOpen(SDL_JoystickID id) {
    for (const Gamepad& pad : slots)
        if (pad.controller && pad.id == id) return true;
    return false;
}

Gamepad* FreeSlot() {
    for (Gamepad& pad : slots)
        if (!pad.controller) return &pad;
    return nullptr;
}

// Brings the slots in line with what SDL has attached: pads pulled out leave
// their slot, new pads take the lowest free one (as XInput fills its users). An
// event's device index may be stale by the time the pump shows it, so each
// event leads to the whole comparison rather than to its own device alone.
void Reconcile() {
    for (Gamepad& pad : slots)
        if (pad.controller && !SDL_GameControllerGetAttached(pad.controller)) {
            SDL_GameControllerClose(pad.controller);
            pad = Gamepad{};
        }
    for (int index = 0; index < SDL_NumJoysticks(); ++index) {
        if (!SDL_IsGameController(index)) continue;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (id < 0 || IsOpen(id)) continue;
        Gamepad* pad = FreeSlot();
        if (!pad) return;
        SDL_GameController* controller = SDL_GameControllerOpen(index);
        if (!controller) {
            NolLog("XInput: pad %d cannot be opened: %s\n", (int)id, SDL_GetError());
            continue;
        }
        // The packet number goes on from the slot's last pad, so that a new pad
        // never repeats a number a reader has seen.
        const DWORD packet = pad->packet;
        *pad = Gamepad{controller, id, packet + 1, XINPUT_GAMEPAD{}};
    }
}

void ObservePlugging(const SDL_Event& event, void*) {
    if (event.type == SDL_CONTROLLERDEVICEADDED || event.type == SDL_CONTROLLERDEVICEREMOVED) Reconcile();
}

}  // namespace

bool StartGamepads() {
    if (started && SDL_WasInit(SDL_INIT_GAMECONTROLLER)) return true;
    if (started) {
        // SDL was shut down under the pads, and closed them with it.
        for (Gamepad& pad : slots) pad = Gamepad{};
        NolRemoveSdlEventObserver(ObservePlugging, nullptr);
        started = false;
    }
    // Pads keep reporting while another program's window has the focus, as the
    // original's do.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (!NolInitSdlSubsystem(SDL_INIT_GAMECONTROLLER)) return false;
    started = true;
    NolAddSdlEventObserver(ObservePlugging, nullptr);
    Reconcile();
    return true;
}

Gamepad* GamepadOfUser(int user) {
    if (user < 0 || user >= XUSER_MAX_COUNT || !slots[user].controller) return nullptr;
    return &slots[user];
}

}  // namespace nol::xinput
