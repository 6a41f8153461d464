// A texture with its own depth buffer that frames can be drawn into instead of
// the back buffer, and then drawn with like any other texture. Targets live in the
// device's default pool: a device reset lets go of every target and makes it again
// afterwards, its contents lost until it is drawn afresh.
#pragma once

#include "d3d8/d3d8.h"
#include "render/device_reset.h"

class RenderTarget : public DeviceResetHook {
public:
    RenderTarget() = default;
    ~RenderTarget() override;
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // A width x height target in the back buffer's format; 0 when the device
    // cannot make it.
    int Create(UINT width, UINT height);
    void Release();
    // Makes this the device's target and opens a frame on it, cleared to colour
    // (0: depth only). 0 when the target cannot be set or the device is lost.
    int Begin(D3DCOLOR colour);
    // Closes the frame and gives the device its previous target back.
    void End();

    IDirect3DTexture8* texture = nullptr;
    IDirect3DSurface8* surface = nullptr;
    IDirect3DSurface8* depth = nullptr;
    IDirect3DSurface8* savedTarget = nullptr;
    IDirect3DSurface8* savedDepth = nullptr;
    int created = 0;

    // What the device is to be given again after a reset.
    UINT width = 0;
    UINT height = 0;
    bool awaitingReset = false;

private:
    void ReleaseForReset() override;
    void RestoreAfterReset() override;
};
