// What every DirectInput device shares: reference counting, the data format, the
// cooperative level, acquisition and loss, the object list and the range property.
// Each kind of device supplies its state and, where it has them, its axis ranges.
#pragma once

#include <vector>

#include "com/com_object.h"
#include "dinput8/dinput.h"
#include "dinput8/input_events.h"

namespace nol::dinput8 {

// What a device keeps of the DirectInput object that made it: a reference, so that
// the object outlives the device, and the input state the object keeps.
struct DeviceParent {
    IUnknown* object;
    const InputEventState* events;
};

// One control of a device, as EnumObjects reports it.
struct DeviceObject {
    const GUID* type;
    DWORD offset;  // in the device's data format
    DWORD dwType;  // DIDFT_* kind with the instance number
    char name[32];
};

class DirectInputDevice : public nol::com::Object<IDirectInputDevice8A, IID_IDirectInputDevice8A> {
public:
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context, DWORD flags) override;
    HRESULT SetProperty(REFGUID property, LPCDIPROPHEADER header) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceState(DWORD size, LPVOID data) override;
    HRESULT SetDataFormat(LPCDIDATAFORMAT format) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT Poll() override;

    // Access taken away, as by another program: reads fail with DIERR_INPUTLOST
    // until the device is acquired again.
    void LoseAccess() { lost_ = true; }

protected:
    // format is the one data format this kind of device accepts.
    DirectInputDevice(const DeviceParent& parent, const DIDATAFORMAT& format);
    ~DirectInputDevice() override;

    // False once the device has gone away (an unplugged controller).
    virtual bool IsAttached() const { return true; }
    // Called when the device becomes acquired.
    virtual void OnAcquire() {}
    // Fills the format's dwDataSize bytes with the device's state.
    virtual void ReadState(void* data) = 0;
    // Brings the device's state up to date; devices that need no polling answer
    // DI_NOEFFECT.
    virtual HRESULT PollDevice() { return DI_NOEFFECT; }
    // The range of the absolute axis with the given instance number.
    virtual void SetAxisRange(int axis, LONG min, LONG max);

    const InputEventState& Events() const { return *parent_.events; }
    void AddObject(const GUID& type, DWORD offset, DWORD dwType, const char* name);

private:
    HRESULT CheckReadable();
    const DeviceObject* FindObject(const DIPROPHEADER& header) const;

    DeviceParent parent_;
    const DIDATAFORMAT& format_;
    std::vector<DeviceObject> objects_;
    bool formatSet_ = false;
    bool acquired_ = false;
    bool lost_ = false;
};

}  // namespace nol::dinput8
