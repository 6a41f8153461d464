// The keyboard: set-up, the per-frame read and the key accessors.
#include <cstring>

#include "input/device_setup.h"
#include "input/input.h"
#include "input/key_state.h"
#include "shell/log.h"
#include "shell/window.h"

int InitKeyboard() {
    IDirectInputDevice8A*& keyboard = InputState.keyboard;
    if (!InputState.directInput || FAILED(InputState.directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr))) {
        keyboard = nullptr;
        ShowInputError("キーボードデバイスが作成できません.");
        return 0;
    }
    if (FAILED(keyboard->SetDataFormat(&c_dfDIKeyboard))) {
        ShowInputError("キーボードフォーマットが設定できません.");
        return 0;
    }
    if (FAILED(keyboard->SetCooperativeLevel(mainWindow, INPUT_COOPERATIVE_LEVEL))) {
        ShowInputError("キーボードの協調レベルが設定できません.");
        return 0;
    }
    keyboard->Acquire();
    SetCloseKey(DIK_ESCAPE);
    return 1;
}

int FreeKeyboard() {
    ReleaseDevice(InputState.keyboard);
    return 1;
}

// A failed read leaves every key up for this frame, so a key held across it reads
// KEY_RELEASED; lost access is taken back for the next frame.
void UpdateKeyboard() {
    std::memcpy(InputState.prevKeys, InputState.keys, sizeof InputState.keys);
    IDirectInputDevice8A* keyboard = InputState.keyboard;
    HRESULT hr = keyboard ? keyboard->GetDeviceState(sizeof InputState.keys, InputState.keys) : DIERR_NOTACQUIRED;
    if (FAILED(hr)) {
        std::memset(InputState.keys, 0, sizeof InputState.keys);
        if (hr == DIERR_INPUTLOST) {
            LogMessage("キーボードのアクセス権を失いました.\n");
            keyboard->Acquire();
        }
    }
}

int GetKey(int key) {
    if (key < 0 || key >= KEYBOARD_KEYS) return KEY_UP;
    return KeyStateCode(InputState.keys[key], InputState.prevKeys[key]);
}

int GetPushedKey() {
    for (int key = 0; key < KEYBOARD_KEYS; ++key)
        if (GetKey(key) == KEY_PUSHED) return key;
    return -1;
}

void ClearKeyboard() { std::memset(InputState.keys, 0, sizeof InputState.keys); }

void SetCloseKey(BYTE key) { InputState.closeKey = key; }
