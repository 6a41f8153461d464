// A game controller (DIJOYSTATE2): axes 0 to 5 are X, Y, Z and the three rotations,
// axes 6 and 7 the sliders, hats the points of view, and up to 128 buttons. Each
// axis is scaled from SDL's -32768..32767 onto its range.
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <new>

#include "dinput8/devices.h"
#include "dinput8/sdl_joysticks.h"

namespace nol::dinput8 {

namespace {

constexpr int kMaxAxes = 8;
constexpr int kMaxPovs = 4;
constexpr int kMaxButtons = 128;

struct AxisSlot {
    const GUID* type;
    DWORD offset;
    const char* name;
};

const AxisSlot kAxes[kMaxAxes] = {
    {&GUID_XAxis, offsetof(DIJOYSTATE2, lX), "X Axis"},
    {&GUID_YAxis, offsetof(DIJOYSTATE2, lY), "Y Axis"},
    {&GUID_ZAxis, offsetof(DIJOYSTATE2, lZ), "Z Axis"},
    {&GUID_RxAxis, offsetof(DIJOYSTATE2, lRx), "X Rotation"},
    {&GUID_RyAxis, offsetof(DIJOYSTATE2, lRy), "Y Rotation"},
    {&GUID_RzAxis, offsetof(DIJOYSTATE2, lRz), "Z Rotation"},
    {&GUID_Slider, offsetof(DIJOYSTATE2, rglSlider), "Slider"},
    {&GUID_Slider, offsetof(DIJOYSTATE2, rglSlider) + sizeof(LONG), "Slider"},
};

struct AxisRange {
    LONG min = 0;
    LONG max = 65535;
};

// Linear, rounded to nearest: -32768 gives min, 32767 gives max.
LONG ScaleAxis(Sint16 raw, const AxisRange& range) {
    const int64_t span = (int64_t)range.max - range.min;
    const int64_t offset = (int64_t)raw + 32768;
    return (LONG)(range.min + (offset * span + 32767) / 65535);
}

// Hundredths of a degree clockwise from north; centred is 0xFFFFFFFF.
DWORD PovFromHat(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP: return 0;
        case SDL_HAT_RIGHTUP: return 4500;
        case SDL_HAT_RIGHT: return 9000;
        case SDL_HAT_RIGHTDOWN: return 13500;
        case SDL_HAT_DOWN: return 18000;
        case SDL_HAT_LEFTDOWN: return 22500;
        case SDL_HAT_LEFT: return 27000;
        case SDL_HAT_LEFTUP: return 31500;
        default: return 0xFFFFFFFFu;
    }
}

int Limit(int count, int max) { return count < 0 ? 0 : count > max ? max : count; }

class JoystickDevice final : public DirectInputDevice {
public:
    JoystickDevice(const DeviceParent& parent, SDL_Joystick* joystick)
        : DirectInputDevice(parent, c_dfDIJoystick2),
          joystick_(joystick),
          axes_(Limit(SDL_JoystickNumAxes(joystick), kMaxAxes)),
          povs_(Limit(SDL_JoystickNumHats(joystick), kMaxPovs)),
          buttons_(Limit(SDL_JoystickNumButtons(joystick), kMaxButtons)) {
        for (int a = 0; a < axes_; ++a)
            AddObject(*kAxes[a].type, kAxes[a].offset, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(a), kAxes[a].name);
        for (int b = 0; b < buttons_; ++b) {
            char name[32];
            std::snprintf(name, sizeof name, "Button %d", b);
            AddObject(GUID_Button, offsetof(DIJOYSTATE2, rgbButtons) + b,
                      DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(b), name);
        }
        for (int p = 0; p < povs_; ++p)
            AddObject(GUID_POV, offsetof(DIJOYSTATE2, rgdwPOV) + p * sizeof(DWORD),
                      DIDFT_POV | DIDFT_MAKEINSTANCE(p), "Hat Switch");
    }

    ~JoystickDevice() override { SDL_JoystickClose(joystick_); }

private:
    bool IsAttached() const override { return SDL_JoystickGetAttached(joystick_); }

    HRESULT PollDevice() override {
        SDL_JoystickUpdate();
        return DI_OK;
    }

    void SetAxisRange(int axis, LONG min, LONG max) override {
        if (axis >= 0 && axis < axes_) ranges_[axis] = AxisRange{min, max};
    }

    void ReadState(void* data) override {
        DIJOYSTATE2 state{};
        LONG* axisFields[kMaxAxes] = {&state.lX,  &state.lY,  &state.lZ,           &state.lRx,
                                      &state.lRy, &state.lRz, &state.rglSlider[0], &state.rglSlider[1]};
        for (int a = 0; a < axes_; ++a) *axisFields[a] = ScaleAxis(SDL_JoystickGetAxis(joystick_, a), ranges_[a]);
        for (int p = 0; p < kMaxPovs; ++p)
            state.rgdwPOV[p] = p < povs_ ? PovFromHat(SDL_JoystickGetHat(joystick_, p)) : 0xFFFFFFFFu;
        for (int b = 0; b < buttons_; ++b) state.rgbButtons[b] = SDL_JoystickGetButton(joystick_, b) ? 0x80 : 0;
        std::memcpy(data, &state, sizeof state);
    }

    SDL_Joystick* joystick_;
    int axes_;
    int povs_;
    int buttons_;
    AxisRange ranges_[kMaxAxes];
};

}  // namespace

HRESULT CreateJoystickDevice(const DeviceParent& parent, const GUID& instance, DirectInputDevice** out) {
    *out = nullptr;
    if (!StartSdlJoysticks()) return DIERR_DEVICENOTREG;
    int index = JoystickIndexFromGuid(instance);
    if (index < 0) return DIERR_DEVICENOTREG;
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick) return DIERR_GENERIC;
    *out = new (std::nothrow) JoystickDevice(parent, joystick);
    if (!*out) {
        SDL_JoystickClose(joystick);
        return DIERR_OUTOFMEMORY;
    }
    return DI_OK;
}

}  // namespace nol::dinput8
