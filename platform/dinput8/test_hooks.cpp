#include "dinput8/dinput_test_hooks.h"

#include "dinput8/device.h"

void NolDirectInputLoseDevice(IDirectInputDevice8A* device) {
    if (auto* own = dynamic_cast<nol::dinput8::DirectInputDevice*>(device)) own->LoseAccess();
}
