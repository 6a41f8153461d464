// A bare Direct3D device on a hidden 640 x 480 window, for the benchmarks that
// measure the platform layer without the framework's set-up.
#pragma once

#include "d3d8/d3d8.h"
#include "win32/sdl_bridge.h"
#include "win32/windows.h"

struct BenchDevice {
    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DFORMAT format = D3DFMT_UNKNOWN;  // the desktop's, used for the back buffer

    // False when no display or no device is available.
    bool Open(const char* className) {
        if (!NolInitSdlVideo()) return false;
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = className;
        RegisterClassExA(&wc);
        window = CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (!window || !d3d) return false;
        D3DDISPLAYMODE mode{};
        d3d->GetAdapterDisplayMode(0, &mode);
        format = mode.Format;
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 640;
        p.BackBufferHeight = 480;
        p.BackBufferFormat = format;
        p.BackBufferCount = 1;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.hDeviceWindow = window;
        p.Windowed = TRUE;
        return SUCCEEDED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                           &device));
    }

    // Called by the owner after it has released what it made on the device.
    void Close() {
        if (device) device->Release();
        if (d3d) d3d->Release();
        if (window) DestroyWindow(window);
        device = nullptr;
        d3d = nullptr;
        window = nullptr;
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }
};
