// SDL's game controllers as DirectInput sees them: started on first use, listed in
// SDL's device order, each named by a guidInstance that holds its SDL instance id.
#pragma once

#include <SDL.h>

#include "dinput8/dinput.h"

namespace nol::dinput8 {

// Starts SDL's joystick subsystem; false when it cannot start (then there are no
// controllers).
bool StartSdlJoysticks();

GUID JoystickInstanceGuid(SDL_JoystickID id);
// The SDL device index of an attached controller with that guidInstance, or -1.
int JoystickIndexFromGuid(const GUID& instance);
// The DirectInput description of the controller at an SDL device index.
void DescribeJoystick(int index, DIDEVICEINSTANCEA* description);

}  // namespace nol::dinput8
