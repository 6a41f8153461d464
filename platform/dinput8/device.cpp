#include "dinput8/device.h"

#include <cstdio>
#include <cstring>

namespace nol::dinput8 {

DirectInputDevice::DirectInputDevice(const DeviceParent& parent, const DIDATAFORMAT& format)
    : parent_(parent), format_(format) {
    // A device keeps its DirectInput object, whose event state it reads.
    parent_.object->AddRef();
}

DirectInputDevice::~DirectInputDevice() { parent_.object->Release(); }

void DirectInputDevice::AddObject(const GUID& type, DWORD offset, DWORD dwType, const char* name) {
    DeviceObject object{&type, offset, dwType, {}};
    std::snprintf(object.name, sizeof object.name, "%s", name);
    objects_.push_back(object);
}

HRESULT DirectInputDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, LPVOID context,
                                       DWORD flags) {
    if (!callback) return DIERR_INVALIDPARAM;
    const DWORD kinds = DIDFT_GETTYPE(flags);  // 0: every kind
    for (const DeviceObject& object : objects_) {
        if (kinds != 0 && (DIDFT_GETTYPE(object.dwType) & kinds) == 0) continue;
        DIDEVICEOBJECTINSTANCEA instance{};
        instance.dwSize = sizeof instance;
        instance.guidType = *object.type;
        instance.dwOfs = object.offset;
        instance.dwType = object.dwType;
        if (object.dwType & DIDFT_AXIS) instance.dwFlags = DIDOI_ASPECTPOSITION;
        std::snprintf(instance.tszName, sizeof instance.tszName, "%s", object.name);
        if (callback(&instance, context) == DIENUM_STOP) break;
    }
    return DI_OK;
}

const DeviceObject* DirectInputDevice::FindObject(const DIPROPHEADER& header) const {
    for (const DeviceObject& object : objects_) {
        if (header.dwHow == DIPH_BYID && (object.dwType & 0x00FFFFFF) == (header.dwObj & 0x00FFFFFF))
            return &object;
        if (header.dwHow == DIPH_BYOFFSET && object.offset == header.dwObj) return &object;
    }
    return nullptr;
}

HRESULT DirectInputDevice::SetProperty(REFGUID property, LPCDIPROPHEADER header) {
    if (!header) return DIERR_INVALIDPARAM;
    if (property != DIPROP_RANGE) return DIERR_UNSUPPORTED;
    if (header->dwHeaderSize != sizeof(DIPROPHEADER) || header->dwSize != sizeof(DIPROPRANGE))
        return DIERR_INVALIDPARAM;
    const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
    if (range->lMin >= range->lMax) return DIERR_INVALIDPARAM;

    if (header->dwHow == DIPH_DEVICE) {
        // The whole device: every absolute axis.
        if (header->dwObj != 0) return DIERR_INVALIDPARAM;
        bool any = false;
        for (const DeviceObject& object : objects_) {
            if (DIDFT_GETTYPE(object.dwType) != DIDFT_ABSAXIS) continue;
            SetAxisRange(DIDFT_GETINSTANCE(object.dwType), range->lMin, range->lMax);
            any = true;
        }
        return any ? DI_OK : DIERR_UNSUPPORTED;
    }
    if (header->dwHow != DIPH_BYID && header->dwHow != DIPH_BYOFFSET) return DIERR_INVALIDPARAM;
    const DeviceObject* object = FindObject(*header);
    if (!object) return DIERR_OBJECTNOTFOUND;
    if (DIDFT_GETTYPE(object->dwType) != DIDFT_ABSAXIS) return DIERR_UNSUPPORTED;
    SetAxisRange(DIDFT_GETINSTANCE(object->dwType), range->lMin, range->lMax);
    return DI_OK;
}

void DirectInputDevice::SetAxisRange(int, LONG, LONG) {}

HRESULT DirectInputDevice::Acquire() {
    if (!formatSet_) return DIERR_INVALIDPARAM;
    if (!IsAttached()) return DIERR_UNPLUGGED;
    if (acquired_ && !lost_) return DI_NOEFFECT;
    acquired_ = true;
    lost_ = false;
    OnAcquire();
    return DI_OK;
}

HRESULT DirectInputDevice::Unacquire() {
    if (!acquired_) return DI_NOEFFECT;
    acquired_ = false;
    lost_ = false;
    return DI_OK;
}

HRESULT DirectInputDevice::CheckReadable() {
    if (!acquired_) return DIERR_NOTACQUIRED;
    if (!lost_ && !IsAttached()) lost_ = true;
    if (lost_) return DIERR_INPUTLOST;
    return DI_OK;
}

HRESULT DirectInputDevice::GetDeviceState(DWORD size, LPVOID data) {
    if (!data) return DIERR_INVALIDPARAM;
    HRESULT hr = CheckReadable();
    if (hr != DI_OK) return hr;
    if (size != format_.dwDataSize) return DIERR_INVALIDPARAM;
    ReadState(data);
    return DI_OK;
}

HRESULT DirectInputDevice::Poll() {
    HRESULT hr = CheckReadable();
    if (hr != DI_OK) return hr;
    return PollDevice();
}

HRESULT DirectInputDevice::SetDataFormat(LPCDIDATAFORMAT format) {
    if (!format) return DIERR_INVALIDPARAM;
    if (acquired_) return DIERR_ACQUIRED;
    if (format != &format_) return DIERR_INVALIDPARAM;
    formatSet_ = true;
    return DI_OK;
}

HRESULT DirectInputDevice::SetCooperativeLevel(HWND window, DWORD flags) {
    const DWORD exclusive = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD foreground = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    // Exactly one of each pair.
    if (exclusive == 0 || exclusive == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE)) return DIERR_INVALIDPARAM;
    if (foreground == 0 || foreground == (DISCL_FOREGROUND | DISCL_BACKGROUND)) return DIERR_INVALIDPARAM;
    if (!IsWindow(window)) return DIERR_INVALIDPARAM;
    if (acquired_) return DIERR_ACQUIRED;
    // Every device is shared and read whether or not its window has the focus.
    if (exclusive != DISCL_NONEXCLUSIVE || foreground != DISCL_BACKGROUND) return DIERR_UNSUPPORTED;
    return DI_OK;
}

}  // namespace nol::dinput8
