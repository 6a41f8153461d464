#include "dinput8/direct_input.h"

#include <cstdio>
#include <new>
#include <vector>

#include "dinput8/devices.h"
#include "dinput8/dinput_test_hooks.h"
#include "dinput8/sdl_joysticks.h"
#include "win32/sdl_bridge.h"

namespace nol::dinput8 {

namespace {

NolDirectInputCreateHook createHook = nullptr;

DIDEVICEINSTANCEA SystemDevice(const GUID& guid, DWORD devType, const char* name) {
    DIDEVICEINSTANCEA description{};
    description.dwSize = sizeof description;
    description.guidInstance = guid;
    description.guidProduct = guid;
    description.dwDevType = devType;
    std::snprintf(description.tszInstanceName, sizeof description.tszInstanceName, "%s", name);
    std::snprintf(description.tszProductName, sizeof description.tszProductName, "%s", name);
    return description;
}

// Which devices a class or type asked of EnumDevices takes.
struct Selection {
    bool keyboard = false;
    bool mouse = false;
    bool joysticks = false;
    BYTE joystickType = 0;  // a single DI8DEVTYPE_* of controllers, 0 for all
};

bool Select(DWORD devType, Selection* selection) {
    switch (devType) {
        case DI8DEVCLASS_ALL: *selection = {true, true, true, 0}; return true;
        case DI8DEVCLASS_DEVICE: *selection = {}; return true;
        case DI8DEVCLASS_POINTER:
        case DI8DEVTYPE_MOUSE: *selection = {false, true, false, 0}; return true;
        case DI8DEVCLASS_KEYBOARD:
        case DI8DEVTYPE_KEYBOARD: *selection = {true, false, false, 0}; return true;
        case DI8DEVCLASS_GAMECTRL: *selection = {false, false, true, 0}; return true;
        default: break;
    }
    if (devType == DI8DEVTYPE_DEVICE) {
        *selection = {};
        return true;
    }
    if (devType >= DI8DEVTYPE_JOYSTICK && devType <= DI8DEVTYPE_1STPERSON) {
        *selection = {false, false, true, (BYTE)devType};
        return true;
    }
    return false;
}

}  // namespace

DirectInput8::DirectInput8() { NolAddSdlEventObserver(&DirectInput8::OnSdlEvent, this); }

DirectInput8::~DirectInput8() { NolRemoveSdlEventObserver(&DirectInput8::OnSdlEvent, this); }

void DirectInput8::OnSdlEvent(const SDL_Event& event, void* context) {
    static_cast<DirectInput8*>(context)->events_.Observe(event);
}

HRESULT DirectInput8::CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) {
    if (!device) return DIERR_INVALIDPARAM;
    *device = nullptr;
    if (outer) return DIERR_NOAGGREGATION;
    DirectInputDevice* made = nullptr;
    const DeviceParent parent{static_cast<IDirectInput8A*>(this), &events_};
    if (instance == GUID_SysKeyboard) {
        made = CreateKeyboardDevice(parent);
    } else if (instance == GUID_SysMouse) {
        made = CreateMouseDevice(parent);
    } else {
        HRESULT hr = CreateJoystickDevice(parent, instance, &made);
        if (FAILED(hr)) return hr;
    }
    if (!made) return DIERR_OUTOFMEMORY;
    *device = made;
    return DI_OK;
}

HRESULT DirectInput8::EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                                  DWORD flags) {
    Selection selection;
    if (!callback || !Select(devType, &selection)) return DIERR_INVALIDPARAM;
    if (flags & ~DWORD(DIEDFL_ATTACHEDONLY)) return DIERR_INVALIDPARAM;

    // Described before the first call back, so that devices the callback opens or
    // controllers that come and go meanwhile leave the list as it was.
    std::vector<DIDEVICEINSTANCEA> found;
    if (selection.keyboard)
        found.push_back(SystemDevice(GUID_SysKeyboard,
                                     DI8DEVTYPE_KEYBOARD | DI8DEVTYPEKEYBOARD_PCENH << 8, "Keyboard"));
    if (selection.mouse)
        found.push_back(SystemDevice(GUID_SysMouse,
                                     DI8DEVTYPE_MOUSE | DI8DEVTYPEMOUSE_TRADITIONAL << 8, "Mouse"));
    if (selection.joysticks && StartSdlJoysticks()) {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            DIDEVICEINSTANCEA description;
            DescribeJoystick(i, &description);
            if (selection.joystickType && GET_DIDEVICE_TYPE(description.dwDevType) != selection.joystickType)
                continue;
            found.push_back(description);
        }
    }
    for (const DIDEVICEINSTANCEA& description : found)
        if (callback(&description, context) == DIENUM_STOP) break;
    return DI_OK;
}

}  // namespace nol::dinput8

void NolSetDirectInputCreateHook(NolDirectInputCreateHook hook) { nol::dinput8::createHook = hook; }

HRESULT WINAPI DirectInput8Create(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out,
                                  LPUNKNOWN outer) {
    if (nol::dinput8::createHook) return nol::dinput8::createHook(instance, version, iid, out, outer);
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    if (outer) return DIERR_NOAGGREGATION;
    if (version < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
    if (version > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
    if (iid != IID_IDirectInput8A && iid != IID_IUnknown) return DIERR_NOINTERFACE;
    auto* object = new (std::nothrow) nol::dinput8::DirectInput8;
    if (!object) return DIERR_OUTOFMEMORY;
    *out = static_cast<IDirectInput8A*>(object);
    return DI_OK;
}
