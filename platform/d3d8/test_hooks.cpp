#include "d3d8/d3d8_test_hooks.h"

#include "d3d8/device.h"
#include "d3d8/resources.h"

namespace {

nol::d3d8::Device* AsDevice(IDirect3DDevice8* device) {
    return device ? dynamic_cast<nol::d3d8::Device*>(device) : nullptr;
}

}  // namespace

bool NolD3D8SetDeviceCondition(IDirect3DDevice8* device, NolD3DDeviceCondition condition) {
    nol::d3d8::Device* d = AsDevice(device);
    if (!d) return false;
    switch (condition) {
        case NOL_D3D_LOST: d->SetCondition(nol::d3d8::Condition::Lost); break;
        case NOL_D3D_NOTRESET: d->SetCondition(nol::d3d8::Condition::NotReset); break;
        default: d->SetCondition(nol::d3d8::Condition::Operational); break;
    }
    return true;
}

bool NolD3D8ReadSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface,
                        std::vector<uint32_t>* pixels, UINT* width, UINT* height) {
    nol::d3d8::Device* d = AsDevice(device);
    if (!d || !pixels || !width || !height) return false;
    nol::d3d8::Surface* s = nullptr;
    if (surface) {
        s = dynamic_cast<nol::d3d8::Surface*>(surface);
        if (!s) return false;
    }
    return d->ReadSurface(s, pixels, width, height);
}

size_t NolD3D8ProgramCount(IDirect3DDevice8* device) {
    nol::d3d8::Device* d = AsDevice(device);
    return d ? d->ProgramCount() : 0;
}

bool NolD3D8CapturePresents(IDirect3DDevice8* device, bool on) {
    nol::d3d8::Device* d = AsDevice(device);
    if (!d) return false;
    d->CapturePresents(on);
    return true;
}

bool NolD3D8LastPresented(IDirect3DDevice8* device, std::vector<uint32_t>* pixels, UINT* width,
                          UINT* height) {
    nol::d3d8::Device* d = AsDevice(device);
    return d && pixels && width && height && d->LastPresented(pixels, width, height);
}

bool NolD3D8GetBufferCounts(IDirect3DDevice8* device, NolD3D8BufferCounts* counts) {
    nol::d3d8::Device* d = AsDevice(device);
    if (!d || !counts) return false;
    const auto c = d->GlBufferCounts();
    *counts = {c.made, c.reused, c.kept, c.keptBytes};
    return true;
}

size_t NolD3D8TextureBytesHeld(IDirect3DTexture8* texture) {
    auto* t = texture ? dynamic_cast<nol::d3d8::Texture*>(texture) : nullptr;
    return t ? t->BytesHeld() : 0;
}

size_t NolD3D8VertexBufferBytesHeld(IDirect3DVertexBuffer8* buffer) {
    auto* b = buffer ? dynamic_cast<nol::d3d8::VertexBuffer*>(buffer) : nullptr;
    return b ? b->BytesHeld() : 0;
}
