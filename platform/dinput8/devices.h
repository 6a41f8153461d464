// The kinds of device DirectInput8::CreateDevice makes.
#pragma once

#include "dinput8/device.h"

namespace nol::dinput8 {

// Null when memory runs out.
DirectInputDevice* CreateKeyboardDevice(const DeviceParent& parent);
DirectInputDevice* CreateMouseDevice(const DeviceParent& parent);
// The game controller named by a guidInstance from EnumDevices:
// DIERR_DEVICENOTREG when no attached controller has that GUID.
HRESULT CreateJoystickDevice(const DeviceParent& parent, const GUID& instance, DirectInputDevice** out);

}  // namespace nol::dinput8
