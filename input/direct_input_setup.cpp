// Starting and releasing DirectInput and its devices.
#include "input/device_setup.h"
#include "input/input.h"
#include "shell/log.h"

int InitDirectInput() {
    LogSeparator();
    LogMessage("InitDirectInput\n");
    HRESULT hr = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                    reinterpret_cast<LPVOID*>(&InputState.directInput), nullptr);
    if (FAILED(hr)) {
        InputState.directInput = nullptr;
        ShowInputError("DirectInputが初期化できませんでした.");
        return 0;
    }
    if (!InitKeyboard()) return 0;
    if (!InitMouse()) return 0;
    if (!InitJoysticks()) return 0;
    return 1;
}

int FreeInput() {
    LogSeparator();
    LogMessage("FreeInput\n");
    FreeJoysticks();
    FreeMouse();
    FreeKeyboard();
    if (InputState.directInput) {
        InputState.directInput->Release();
        InputState.directInput = nullptr;
    }
    return 1;
}
