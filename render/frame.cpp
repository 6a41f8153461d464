// The frame bracket and the device-loss path.
#include "render/frame.h"

#include "render/device_reset.h"
#include "render/graphics_state.h"
#include "shell/log.h"
#include "shell/window.h"

int BeginFrame(D3DCOLOR colour) {
    GraphicsStateRecord& g = GraphicsState;
    IDirect3DDevice8* device = g.device;
    if (!device) return 0;
    HRESULT hr = device->TestCooperativeLevel();
    if (hr == D3DERR_DEVICELOST) {
        LogMessage("3Dデバイスがロストしています.\n");
        return 0;
    }
    if (hr == D3DERR_DEVICENOTRESET) {
        LogMessage("3Dデバイスのリセットが必要です.\n");
        CloseMainWindow();
        return 0;
    }
    if (FAILED(device->BeginScene())) return 0;
    DWORD flags = colour ? (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER) : D3DCLEAR_ZBUFFER;
    device->Clear(0, nullptr, flags, colour, 1.0f, 0);
    device->SetTransform(D3DTS_VIEW, &g.viewMatrix);
    D3DXMatrixInverse(&g.invViewMatrix, nullptr, &g.viewMatrix);
    g.vpsMatrix = g.viewMatrix * g.projMatrix * g.screenMatrix;
    D3DXMatrixInverse(&g.invVpsMatrix, nullptr, &g.vpsMatrix);
    return 1;
}

HRESULT EndFrame() {
    IDirect3DDevice8* device = GraphicsState.device;
    if (!device) return D3DERR_INVALIDCALL;
    device->EndScene();
    HRESULT hr = device->Present(nullptr, nullptr, nullptr, nullptr);
    return FAILED(hr) ? ResetDevice() : hr;
}
