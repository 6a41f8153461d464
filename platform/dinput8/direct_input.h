// The DirectInput object: makes devices and lists them, and keeps the keyboard and
// mouse state from the SDL events the message pump takes while it lives.
#pragma once

#include "com/com_object.h"
#include "dinput8/dinput.h"
#include "dinput8/input_events.h"

namespace nol::dinput8 {

class DirectInput8 final : public nol::com::Object<IDirectInput8A, IID_IDirectInput8A> {
public:
    DirectInput8();

    HRESULT CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) override;
    HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                        DWORD flags) override;

    const InputEventState& Events() const { return events_; }

private:
    ~DirectInput8() override;
    static void OnSdlEvent(const SDL_Event& event, void* context);

    InputEventState events_;
};

}  // namespace nol::dinput8
