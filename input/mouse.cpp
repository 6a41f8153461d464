// The mouse: set-up, the per-frame read of cursor, buttons and wheel, and the
// mouse accessors.
#include <cstring>

#include "input/device_setup.h"
#include "input/input.h"
#include "input/key_state.h"
#include "render/graphics_state.h"
#include "shell/log.h"
#include "shell/window.h"

int InitMouse() {
    IDirectInputDevice8A*& mouse = InputState.mouse;
    if (!InputState.directInput || FAILED(InputState.directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr))) {
        mouse = nullptr;
        ShowInputError("マウスデバイスが作成できません.");
        return 0;
    }
    if (FAILED(mouse->SetDataFormat(&c_dfDIMouse))) {
        ShowInputError("マウスフォーマットが設定できません.");
        return 0;
    }
    if (FAILED(mouse->SetCooperativeLevel(mainWindow, INPUT_COOPERATIVE_LEVEL))) {
        ShowInputError("マウスの協調レベルが設定できません.");
        return 0;
    }
    mouse->Acquire();
    if (!GraphicsState.windowed) ShowCursor(FALSE);
    SetMousePos(clientWidth / 2, clientHeight / 2);
    return 1;
}

int FreeMouse() {
    ReleaseDevice(InputState.mouse);
    return 1;
}

namespace {

// In a window the cursor is read in client coordinates, held to the client area
// (both edges included); in full screen the screen position is the answer.
void ReadCursor() {
    POINT& pos = InputState.mousePos;
    GetCursorPos(&pos);
    if (!GraphicsState.windowed) return;
    ScreenToClient(mainWindow, &pos);
    if (pos.x > clientWidth) pos.x = clientWidth;
    if (pos.x <= 0) pos.x = 0;
    if (pos.y > clientHeight) pos.y = clientHeight;
    if (pos.y <= 0) pos.y = 0;
}

}  // namespace

// Buttons and wheel keep their values through a failed read, so a button held
// across lost access reads KEY_HELD.
void UpdateMouse() {
    ReadCursor();
    std::memcpy(InputState.prevMouseButtons, InputState.mouseButtons, sizeof InputState.mouseButtons);
    IDirectInputDevice8A* mouse = InputState.mouse;
    if (!mouse) return;
    DIMOUSESTATE state{};
    HRESULT hr = mouse->GetDeviceState(sizeof state, &state);
    if (hr == DIERR_INPUTLOST) {
        LogMessage("マウスのアクセス権を失いました.\n");
        mouse->Acquire();
        return;
    }
    if (FAILED(hr)) return;
    std::memcpy(InputState.mouseButtons, state.rgbButtons, sizeof InputState.mouseButtons);
    InputState.mouseWheel = state.lZ;
}

int GetMouseButton(int button) {
    if (button < 0 || button >= MOUSE_BUTTONS) return KEY_UP;
    return KeyStateCode(InputState.mouseButtons[button], InputState.prevMouseButtons[button]);
}

POINT GetMousePos() { return InputState.mousePos; }
int GetMouseX() { return InputState.mousePos.x; }
int GetMouseY() { return InputState.mousePos.y; }
int GetMouseWheel() { return InputState.mouseWheel; }

void SetMousePos(int x, int y) {
    POINT pos{x, y};
    if (GraphicsState.windowed) ClientToScreen(mainWindow, &pos);
    SetCursorPos(pos.x, pos.y);
}
