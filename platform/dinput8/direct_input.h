// The DirectInput object: makes devices and lists them, and keeps the keyboard and
// mouse state from the SDL events the message pump takes while it lives.
#pragma once

#include "dinput8/dinput.h"
#include "dinput8/input_events.h"

class DirectInput8 final : public IDirectInput8A {
public:
    DirectInput8();

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT CreateDevice(REFGUID instance, LPDIRECTINPUTDEVICE8A* device, LPUNKNOWN outer) override;
    HRESULT EnumDevices(DWORD devType, LPDIENUMDEVICESCALLBACKA callback, LPVOID context,
                        DWORD flags) override;

    const InputEventState& Events() const { return events_; }

private:
    ~DirectInput8() override;
    static void OnSdlEvent(const SDL_Event& event, void* context);

    ULONG refs_ = 1;
    InputEventState events_;
};
