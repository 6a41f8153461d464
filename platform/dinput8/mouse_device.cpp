// The system mouse: relative motion, the wheel and four buttons (DIMOUSESTATE).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstring>
#include <new>

#include "dinput8/devices.h"

namespace nol::dinput8 {

namespace {

LONG ClampToLong(int64_t value) {
    return (LONG)std::clamp<int64_t>(value, INT32_MIN, INT32_MAX);
}

class MouseDevice final : public DirectInputDevice {
public:
    explicit MouseDevice(const DeviceParent& parent) : DirectInputDevice(parent, c_dfDIMouse) {
        AddObject(GUID_XAxis, offsetof(DIMOUSESTATE, lX), DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(0), "X Axis");
        AddObject(GUID_YAxis, offsetof(DIMOUSESTATE, lY), DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(1), "Y Axis");
        AddObject(GUID_ZAxis, offsetof(DIMOUSESTATE, lZ), DIDFT_RELAXIS | DIDFT_MAKEINSTANCE(2), "Wheel");
        const char* names[4] = {"Button 0", "Button 1", "Button 2", "Button 3"};
        for (int b = 0; b < 4; ++b)
            AddObject(GUID_Button, offsetof(DIMOUSESTATE, rgbButtons) + b,
                      DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(b), names[b]);
    }

private:
    // Movement before the device was acquired is not reported.
    void OnAcquire() override {
        seenX_ = Events().motionX;
        seenY_ = Events().motionY;
        seenWheel_ = std::llround(Events().wheel);
    }

    void ReadState(void* data) override {
        const InputEventState& events = Events();
        const int64_t wheel = std::llround(events.wheel);
        DIMOUSESTATE state{};
        state.lX = ClampToLong(events.motionX - seenX_);
        state.lY = ClampToLong(events.motionY - seenY_);
        state.lZ = ClampToLong(wheel - seenWheel_);
        std::memcpy(state.rgbButtons, events.mouseButtons, sizeof state.rgbButtons);
        seenX_ = events.motionX;
        seenY_ = events.motionY;
        seenWheel_ = wheel;
        std::memcpy(data, &state, sizeof state);
    }

    int64_t seenX_ = 0;
    int64_t seenY_ = 0;
    int64_t seenWheel_ = 0;
};

}  // namespace

DirectInputDevice* CreateMouseDevice(const DeviceParent& parent) { return new (std::nothrow) MouseDevice(parent); }

}  // namespace nol::dinput8
