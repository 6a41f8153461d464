// Render targets, and their passage through a device reset.
#include "render/render_target.h"

#include "render/frame.h"
#include "render/graphics_state.h"

namespace {

template <typename T>
void ReleaseAndClear(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

RenderTarget::~RenderTarget() { Release(); }

int RenderTarget::Create(UINT w, UINT h) {
    Release();
    IDirect3DDevice8* device = GraphicsState.device;
    if (!device) return 0;
    const D3DPRESENT_PARAMETERS& p = GraphicsState.presentParams;
    if (FAILED(device->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, GraphicsState.backBufferFormat, D3DPOOL_DEFAULT,
                                     &texture))) {
        texture = nullptr;
        return 0;
    }
    if (FAILED(device->CreateDepthStencilSurface(w, h, p.AutoDepthStencilFormat, p.MultiSampleType, &depth))) {
        depth = nullptr;
        ReleaseAndClear(texture);  // a half-made target would block a device reset
        return 0;
    }
    width = w;
    height = h;
    created = 1;
    return 1;
}

void RenderTarget::Release() {
    created = 0;
    awaitingReset = false;
    ReleaseAndClear(texture);
    ReleaseAndClear(depth);
}

int RenderTarget::Begin(D3DCOLOR colour) {
    if (!created) return 0;
    IDirect3DDevice8* device = GraphicsState.device;
    // What an unfinished Begin left behind.
    ReleaseAndClear(surface);
    ReleaseAndClear(savedTarget);
    ReleaseAndClear(savedDepth);
    if (FAILED(device->GetRenderTarget(&savedTarget))) savedTarget = nullptr;
    if (FAILED(device->GetDepthStencilSurface(&savedDepth))) savedDepth = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &surface)) || FAILED(device->SetRenderTarget(surface, depth))) {
        ReleaseAndClear(surface);
        ReleaseAndClear(savedTarget);
        ReleaseAndClear(savedDepth);
        return 0;
    }
    return BeginFrame(colour) == 1 ? 1 : 0;
}

void RenderTarget::End() {
    if (!created) return;
    IDirect3DDevice8* device = GraphicsState.device;
    device->EndScene();
    if (savedTarget) device->SetRenderTarget(savedTarget, savedDepth);
    ReleaseAndClear(surface);
    ReleaseAndClear(savedTarget);
    ReleaseAndClear(savedDepth);
}

void RenderTarget::ReleaseForReset() {
    if (!created) return;
    // A target still open gives the device its own surfaces back first.
    if (savedTarget) End();
    Release();
    awaitingReset = true;
}

void RenderTarget::RestoreAfterReset() {
    if (awaitingReset) Create(width, height);
}
