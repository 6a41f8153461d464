#include "dinput8/sdl_joysticks.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/codepage.h"
#include "win32/sdl_bridge.h"

namespace nol::dinput8 {

namespace {

// The fixed part of a controller's guidInstance; Data1 is the SDL instance id.
constexpr WORD kInstanceData2 = 0x4E4F;  // "NO"
constexpr WORD kInstanceData3 = 0x4C20;  // "L "
constexpr BYTE kInstanceData4[8] = {'S', 'D', 'L', 'J', 'O', 'Y', 0, 0};

// DirectInput's product GUID of a HID device: vendor and product id in Data1.
GUID ProductGuid(int index) {
    GUID guid{};
    guid.Data1 = (DWORD)SDL_JoystickGetDeviceProduct(index) << 16 | SDL_JoystickGetDeviceVendor(index);
    const BYTE tail[8] = {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'};
    std::memcpy(guid.Data4, tail, sizeof tail);
    return guid;
}

DWORD DeviceType(int index) {
    switch (SDL_JoystickGetDeviceType(index)) {
        case SDL_JOYSTICK_TYPE_GAMECONTROLLER:
            return DI8DEVTYPE_GAMEPAD | DI8DEVTYPEGAMEPAD_STANDARD << 8;
        case SDL_JOYSTICK_TYPE_WHEEL: return DI8DEVTYPE_DRIVING | DI8DEVTYPEDRIVING_LIMITED << 8;
        case SDL_JOYSTICK_TYPE_FLIGHT_STICK:
        case SDL_JOYSTICK_TYPE_THROTTLE: return DI8DEVTYPE_FLIGHT | DI8DEVTYPEFLIGHT_STICK << 8;
        default: return DI8DEVTYPE_JOYSTICK | DI8DEVTYPEJOYSTICK_STANDARD << 8;
    }
}

// SDL's names are UTF-8; the program's narrow strings are CP932.
void CopyName(char (&to)[MAX_PATH], const char* utf8) {
    std::string name = nol::base::Utf8ToCp932(utf8 ? utf8 : "Joystick");
    std::snprintf(to, sizeof to, "%s", name.c_str());
}

}  // namespace

bool StartSdlJoysticks() {
    // Background devices: SDL would otherwise drop controller input while none of
    // the program's windows has the keyboard focus.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    return NolInitSdlSubsystem(SDL_INIT_JOYSTICK);
}

GUID JoystickInstanceGuid(SDL_JoystickID id) {
    GUID guid{};
    guid.Data1 = (DWORD)id;
    guid.Data2 = kInstanceData2;
    guid.Data3 = kInstanceData3;
    std::memcpy(guid.Data4, kInstanceData4, sizeof kInstanceData4);
    return guid;
}

int JoystickIndexFromGuid(const GUID& instance) {
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return -1;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (JoystickInstanceGuid(SDL_JoystickGetDeviceInstanceID(i)) == instance) return i;
    return -1;
}

void DescribeJoystick(int index, DIDEVICEINSTANCEA* description) {
    *description = DIDEVICEINSTANCEA{};
    description->dwSize = sizeof *description;
    description->guidInstance = JoystickInstanceGuid(SDL_JoystickGetDeviceInstanceID(index));
    description->guidProduct = ProductGuid(index);
    description->dwDevType = DeviceType(index);
    CopyName(description->tszInstanceName, SDL_JoystickNameForIndex(index));
    CopyName(description->tszProductName, SDL_JoystickNameForIndex(index));
    // HID generic desktop page; joystick or game pad usage.
    description->wUsagePage = 0x01;
    description->wUsage = GET_DIDEVICE_TYPE(description->dwDevType) == DI8DEVTYPE_GAMEPAD ? 0x05 : 0x04;
}

}  // namespace nol::dinput8
