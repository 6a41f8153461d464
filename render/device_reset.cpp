#include "render/device_reset.h"

#include "render/graphics_state.h"

namespace {

DeviceResetHook* hooks = nullptr;

}  // namespace

DeviceResetHook::DeviceResetHook() {
    next_ = hooks;
    hooks = this;
}

DeviceResetHook::~DeviceResetHook() {
    for (DeviceResetHook** link = &hooks; *link; link = &(*link)->next_)
        if (*link == this) {
            *link = next_;
            break;
        }
}

HRESULT ResetDevice() {
    IDirect3DDevice8* device = GraphicsState.device;
    if (!device) return D3DERR_INVALIDCALL;
    for (DeviceResetHook* h = hooks; h; h = h->next_) h->ReleaseForReset();
    HRESULT hr = device->Reset(&GraphicsState.presentParams);
    if (SUCCEEDED(hr))
        for (DeviceResetHook* h = hooks; h; h = h->next_) h->RestoreAfterReset();
    return hr;
}
