#include "input/device_setup.h"

void ShowInputError(const char* text) {
    MessageBoxA(GetActiveWindow(), text, "エラー", MB_SYSTEMMODAL);
}

void ReleaseDevice(IDirectInputDevice8A*& device) {
    if (!device) return;
    device->Unacquire();
    device->Release();
    device = nullptr;
}
