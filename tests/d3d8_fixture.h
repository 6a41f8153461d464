// A real Direct3D 8 device on a hidden 640 x 480 window, for the tests of the
// Direct3D stand-in. Tests skip only when no display can be opened.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "d3d8/d3d8.h"
#include "tests/readback_fixture.h"
#include "win32/windows.h"

namespace d3dtest {

// Vertex layouts used by the tests.
struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR color;
};
struct ScreenTexVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1
    float x, y, z, rhw;
    D3DCOLOR color;
    float u, v;
};
struct ColorVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
    float x, y, z;
    D3DCOLOR color;
};
struct NormalVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL
    float x, y, z;
    float nx, ny, nz;
};
struct NormalColorVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR color;
};

constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr DWORD kScreenTexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr DWORD kNormalFvf = D3DFVF_XYZ | D3DFVF_NORMAL;
constexpr DWORD kNormalColorFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE;

inline D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

// A float render-state value (fog distances, densities, point sizes).
inline DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

inline int Channel(uint32_t c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

// Largest difference of the red, green and blue channels.
inline int RgbDistance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int s : {0, 8, 16}) d = std::max(d, std::abs(Channel(a, s) - Channel(b, s)));
    return d;
}

inline LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class D3DTest : public ReadbackTest {
protected:
    void SetUp() override {
        ReadbackTest::SetUp();
        if (!Ready()) return;
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = TestWindowProc;
        wc.lpszClassName = "NOL_D3D_TEST";
        RegisterClassExA(&wc);  // already registered when several tests share a process
        window = CreateWindowExA(0, "NOL_D3D_TEST", "d3d8 test", WS_POPUP, 0, 0, 640, 480, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        d3d = Direct3DCreate8(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr) << "a display without OpenGL 3.3";
        ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop), D3D_OK);
    }

    void TearDown() override {
        if (device) device->Release();
        if (d3d) d3d->Release();
        if (window) DestroyWindow(window);
    }

    D3DPRESENT_PARAMETERS WindowedParams(D3DFORMAT depth = D3DFMT_D24S8) const {
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = 640;
        p.BackBufferHeight = 480;
        p.BackBufferFormat = desktop.Format;
        p.BackBufferCount = 1;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        p.hDeviceWindow = window;
        p.Windowed = TRUE;
        p.EnableAutoDepthStencil = depth != D3DFMT_UNKNOWN;
        p.AutoDepthStencilFormat = depth;
        return p;
    }

    // A windowed device; the test stops if there is none.
    void CreateDevice(D3DFORMAT depth = D3DFMT_D24S8) {
        params = WindowedParams(depth);
        ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device),
                  D3D_OK);
        ASSERT_NE(device, nullptr);
    }

    // Everything drawn by the tests is unlit, untextured and uncut unless a test says
    // otherwise.
    void PlainStates() {
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    std::vector<uint32_t> ReadBack(IDirect3DSurface8* surface = nullptr) {
        return ReadSurface(device, surface);
    }

    void DrawScreen(D3DPRIMITIVETYPE type, UINT count, const ScreenVertex* v) {
        ASSERT_EQ(device->SetVertexShader(kScreenFvf), D3D_OK);
        ASSERT_EQ(device->DrawPrimitiveUP(type, count, v, sizeof(ScreenVertex)), D3D_OK);
    }

    // A screen rectangle from (x1, y1) to (x2, y2) in one colour.
    void FillRect(float x1, float y1, float x2, float y2, D3DCOLOR c, float z = 0.0f) {
        const ScreenVertex quad[4] = {{x1, y1, z, 1, c}, {x2, y1, z, 1, c},
                                      {x1, y2, z, 1, c}, {x2, y2, z, 1, c}};
        DrawScreen(D3DPT_TRIANGLESTRIP, 2, quad);
    }

    HWND window = nullptr;
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DDISPLAYMODE desktop{};
    D3DPRESENT_PARAMETERS params{};
};

// The same with a windowed device made before each test.
class D3DDeviceTest : public D3DTest {
protected:
    void SetUp() override {
        D3DTest::SetUp();
        if (Ready()) CreateDevice();
    }
};

}  // namespace d3dtest
