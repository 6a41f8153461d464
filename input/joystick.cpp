// Up to eight joysticks: set-up, the per-frame poll into the joystick records, and
// the accessors. The game does not poll them unless switched on.
#include <cstdint>
#include <cstring>

#include "input/device_setup.h"
#include "input/input.h"
#include "input/key_state.h"
#include "shell/log.h"
#include "shell/window.h"

namespace {

// The axes are set to this range; beyond half of it a direction counts as pressed,
// which also serves as the dead zone.
constexpr LONG AXIS_RANGE = 1000;
constexpr LONG AXIS_THRESHOLD = 500;

int JoystickSlots() { return InputState.joystickCount < MAX_JOYSTICKS ? InputState.joystickCount : MAX_JOYSTICKS; }

BOOL CALLBACK EnumJoystick(LPCDIDEVICEINSTANCEA instance, LPVOID) {
    const int slot = InputState.joystickCount;
    if (slot >= MAX_JOYSTICKS) return DIENUM_STOP;
    IDirectInputDevice8A*& device = InputState.joysticks[slot];
    HRESULT hr = InputState.directInput->CreateDevice(instance->guidInstance, &device, nullptr);
    if (hr != DI_OK) {
        // A device made with a warning is not kept either.
        if (SUCCEEDED(hr) && device) device->Release();
        device = nullptr;
        LogMessage("ジョイスティック[%d]が初期化できません.\n", slot);
    }
    return ++InputState.joystickCount >= MAX_JOYSTICKS ? DIENUM_STOP : DIENUM_CONTINUE;
}

BOOL CALLBACK SetAxisRange(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context) {
    const int slot = static_cast<int>(reinterpret_cast<intptr_t>(context));
    DIPROPRANGE range{};
    range.diph.dwSize = sizeof range;
    range.diph.dwHeaderSize = sizeof range.diph;
    range.diph.dwObj = object->dwType;
    range.diph.dwHow = DIPH_BYID;
    range.lMin = -AXIS_RANGE;
    range.lMax = AXIS_RANGE;
    InputState.joysticks[slot]->SetProperty(DIPROP_RANGE, &range.diph);
    return DIENUM_CONTINUE;
}

void SetUpJoystick(int slot) {
    IDirectInputDevice8A* device = InputState.joysticks[slot];
    if (device->SetDataFormat(&c_dfDIJoystick2) != DI_OK) {
        LogMessage("ジョイスティック[%d]のフォーマットが指定できません.\n", slot);
        return;
    }
    if (device->SetCooperativeLevel(mainWindow, INPUT_COOPERATIVE_LEVEL) != DI_OK) {
        LogMessage("ジョイスティック[%d]の協調レベルが設定できません.\n", slot);
        return;
    }
    if (device->EnumObjects(SetAxisRange, reinterpret_cast<LPVOID>(static_cast<intptr_t>(slot)), DIDFT_AXIS) != DI_OK) {
        LogMessage("ジョイスティック[%d]の軸の列挙ができません.\n", slot);
        return;
    }
    device->Acquire();
}

// Directions from the axes (an axis at exactly the threshold sets nothing), then
// buttons 0 to 7.
void FillRecord(BYTE* record, const DIJOYSTATE2& state) {
    std::memset(record, 0, JOY_BUTTON0);
    if (state.lY < -AXIS_THRESHOLD)
        record[JOY_UP] = 0x80;
    else if (state.lY > AXIS_THRESHOLD)
        record[JOY_DOWN] = 0x80;
    if (state.lX < -AXIS_THRESHOLD)
        record[JOY_LEFT] = 0x80;
    else if (state.lX > AXIS_THRESHOLD)
        record[JOY_RIGHT] = 0x80;
    if (state.lZ < -AXIS_THRESHOLD)
        record[JOY_Z_MINUS] = 0x80;
    else if (state.lZ > AXIS_THRESHOLD)
        record[JOY_Z_PLUS] = 0x80;
    std::memcpy(record + JOY_BUTTON0, state.rgbButtons, JOY_ENTRIES - JOY_BUTTON0);
}

}  // namespace

int InitJoysticks() {
    InputState.joystickCount = 0;
    if (InputState.directInput)
        InputState.directInput->EnumDevices(DI8DEVCLASS_GAMECTRL, EnumJoystick, nullptr, DIEDFL_ATTACHEDONLY);
    if (InputState.joystickCount == 0) return 1;
    LogMessage("ジョイスティック数 = %d\n", InputState.joystickCount);
    for (int slot = 0; slot < JoystickSlots(); ++slot)
        if (InputState.joysticks[slot]) SetUpJoystick(slot);
    return 1;
}

int FreeJoysticks() {
    for (IDirectInputDevice8A*& device : InputState.joysticks) ReleaseDevice(device);
    return 1;
}

void UpdateJoysticks() {
    if (!InputState.joystickEnabled) return;
    std::memcpy(InputState.prevJoystick, InputState.joystick, sizeof InputState.joystick);
    for (int slot = 0; slot < JoystickSlots(); ++slot) {
        IDirectInputDevice8A* device = InputState.joysticks[slot];
        if (!device) continue;
        if (device->Poll() == DIERR_INPUTLOST) {
            LogMessage("ジョイスティック[%d]のアクセス権を失いました.\n", slot);
            device->Acquire();
            continue;
        }
        DIJOYSTATE2 state{};
        if (device->GetDeviceState(sizeof state, &state) != DI_OK) {
            LogMessage("ジョイスティック[%d]の状態が取得できません.\n", slot);
            continue;
        }
        FillRecord(InputState.joystick[slot], state);
    }
}

// Switching off clears the current records only, so a button that was down reads
// KEY_RELEASED until polling is on again.
void EnableJoystick(int flag) {
    InputState.joystickEnabled = flag;
    if (!flag) std::memset(InputState.joystick, 0, sizeof InputState.joystick);
}

int GetJoystick(int joystick, int entry) {
    if (joystick < 0 || joystick >= MAX_JOYSTICKS || entry < 0 || entry >= JOY_ENTRIES) return KEY_UP;
    return KeyStateCode(InputState.joystick[joystick][entry], InputState.prevJoystick[joystick][entry]);
}
