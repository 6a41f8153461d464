// Present of the Direct3D stand-in: the back buffer as the window shows it,
// stretched in a window and letterboxed in full screen.
#include "support/test_support.h"
#include "tests/d3d8_fixture.h"
#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"

using namespace d3dtest;

namespace {

class D3DPresent : public D3DTest {
protected:
    // A green back buffer with a red top-left and a blue bottom-right corner.
    void Paint() {
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
        const D3DRECT topLeft{0, 0, 20, 20}, bottomRight{620, 460, 640, 480};
        ASSERT_EQ(device->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->Clear(1, &bottomRight, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    }

    std::vector<uint32_t> Presented(UINT* w, UINT* h) {
        std::vector<uint32_t> px;
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        EXPECT_TRUE(NolD3D8LastPresented(device, &px, w, h));
        SavePng(px, *w, *h);
        return px;
    }

    // Lets the window system catch up with size changes.
    void Pump() {
        for (int i = 0; i < 20; ++i) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            SDL_Delay(10);
        }
    }
};

TEST_F(D3DPresent, WindowedStretchesTheBackBufferOverTheClientArea) {
    ShowWindow(window, SW_SHOW);
    CreateDevice();
    ASSERT_TRUE(NolD3D8CapturePresents(device, true));
    Paint();
    UINT w = 0, h = 0;
    auto px = Presented(&w, &h);
    ASSERT_EQ(w, 640u);
    ASSERT_EQ(h, 480u);
    // Same size: pixel for pixel, row 0 on top.
    EXPECT_EQ(px[0], 0xFFFF0000u);
    EXPECT_EQ(px[19 * 640 + 19], 0xFFFF0000u);
    EXPECT_EQ(px[20 * 640 + 20], 0xFF00FF00u);
    EXPECT_EQ(px[479 * 640 + 639], 0xFF0000FFu);

    SDL_SetWindowSize(NolSdlWindow(window), 320, 240);
    Pump();
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(NolSdlWindow(window), &dw, &dh);
    ASSERT_EQ(dw, 320);
    px = Presented(&w, &h);
    ASSERT_EQ(w, 320u);
    ASSERT_EQ(h, 240u);
    EXPECT_EQ(px[4 * 320 + 4], 0xFFFF0000u);
    EXPECT_EQ(px[120 * 320 + 160], 0xFF00FF00u);
    EXPECT_EQ(px[236 * 320 + 316], 0xFF0000FFu);
}

TEST_F(D3DPresent, FullScreenLetterboxesFourToThree) {
    if (desktop.Width * 3 == desktop.Height * 4) GTEST_SKIP() << "a 4:3 desktop has no bars";
    D3DPRESENT_PARAMETERS p = WindowedParams();
    p.Windowed = FALSE;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device), D3D_OK);
    ASSERT_TRUE(NolD3D8CapturePresents(device, true));
    Pump();
    Paint();
    UINT w = 0, h = 0;
    auto px = Presented(&w, &h);
    ASSERT_EQ(w, desktop.Width);
    ASSERT_EQ(h, desktop.Height);
    // The picture keeps 4:3 and is centred; what is left over is black.
    UINT pw = w, ph = w * 3 / 4;
    if (ph > h) {
        ph = h;
        pw = h * 4 / 3;
    }
    const UINT x0 = (w - pw) / 2, y0 = (h - ph) / 2;
    auto at = [&](UINT x, UINT y) { return px[size_t(y) * w + x]; };
    EXPECT_EQ(at(x0 + 2, y0 + 2), 0xFFFF0000u);
    EXPECT_EQ(at(x0 + pw / 2, y0 + ph / 2), 0xFF00FF00u);
    EXPECT_EQ(at(x0 + pw - 3, y0 + ph - 3), 0xFF0000FFu);
    if (y0 > 0) {
        EXPECT_EQ(at(w / 2, y0 - 1) & 0xFFFFFF, 0u);
        EXPECT_EQ(at(w / 2, y0 + ph) & 0xFFFFFF, 0u);
    }
    if (x0 > 0) {
        EXPECT_EQ(at(x0 - 1, h / 2) & 0xFFFFFF, 0u);
        EXPECT_EQ(at(x0 + pw, h / 2) & 0xFFFFFF, 0u);
    }
}

// The pointer belongs to the whole display, which other tests running beside this
// one move too: a display of its own, 16:9, so that the picture has bars beside it.
class D3DPresentOwnDisplay : public D3DPresent {
protected:
    void SetUp() override {
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        ASSERT_FALSE(SDL_WasInit(SDL_INIT_VIDEO)) << "run this test in a process of its own";
        setenv("DISPLAY", display.name.c_str(), 1);
        D3DPresent::SetUp();
    }
    void TearDown() override {
        D3DPresent::TearDown();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);  // before its display goes
    }
    PrivateDisplay display{"1600x900x24"};
};

// Full screen keeps the desktop's mode, but the program's screen is its picture:
// the cursor is read and placed in the picture's pixels, wherever the letterbox
// puts them on a desktop larger than the picture and of another shape.
TEST_F(D3DPresentOwnDisplay, InFullScreenTheCursorMovesOverThePicture) {
    ASSERT_EQ(desktop.Width, 1600u);
    ASSERT_EQ(desktop.Height, 900u);
    D3DPRESENT_PARAMETERS p = WindowedParams();
    p.Windowed = FALSE;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device), D3D_OK);
    Pump();
    const RECT box = nol::win32::Letterbox(640, 480, (LONG)desktop.Width, (LONG)desktop.Height);
    const int pw = box.right - box.left, ph = box.bottom - box.top;
    ASSERT_GT(pw, 640);  // scaled up: a picture pixel is more than a desktop pixel

    POINT at{};
    ASSERT_TRUE(SetCursorPos(320, 240));
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    EXPECT_NEAR(x, box.left + pw / 2, 2);
    EXPECT_NEAR(y, box.top + ph / 2, 2);
    ASSERT_TRUE(GetCursorPos(&at));
    EXPECT_EQ(at.x, 320);
    EXPECT_EQ(at.y, 240);

    struct Case {
        int x, y;     // on the desktop
        LONG px, py;  // in the picture
    };
    const Case cases[] = {
        {box.left, box.top, 0, 0},
        {box.right - 1, box.bottom - 1, 639, 479},
        {box.left + pw / 4, box.top + ph * 3 / 4, 160, 360},
        {0, 0, 0, 0},  // in a bar: held to the picture's edge
        {(int)desktop.Width - 1, (int)desktop.Height - 1, 639, 479},
    };
    for (const Case& c : cases) {
        SDL_WarpMouseGlobal(c.x, c.y);
        SDL_Delay(20);
        ASSERT_TRUE(GetCursorPos(&at));
        EXPECT_NEAR(at.x, c.px, 1) << c.x << "," << c.y;
        EXPECT_NEAR(at.y, c.py, 1) << c.x << "," << c.y;
    }

    // Back to a window: the desktop's coordinates again.
    device->Release();
    device = nullptr;
    SDL_WarpMouseGlobal(3, 5);
    SDL_Delay(20);
    ASSERT_TRUE(GetCursorPos(&at));
    EXPECT_EQ(at.x, 3);
    EXPECT_EQ(at.y, 5);
}

TEST_F(D3DPresent, CopySwapEffectPresentsRectangles) {
    ShowWindow(window, SW_SHOW);
    D3DPRESENT_PARAMETERS p = WindowedParams();
    p.SwapEffect = D3DSWAPEFFECT_COPY;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device), D3D_OK);
    ASSERT_TRUE(NolD3D8CapturePresents(device, true));
    Paint();
    // The red corner, scaled up into the middle of the window.
    const RECT src{0, 0, 20, 20}, dst{100, 100, 300, 300};
    ASSERT_EQ(device->Present(&src, &dst, nullptr, nullptr), D3D_OK);
    std::vector<uint32_t> px;
    UINT w = 0, h = 0;
    ASSERT_TRUE(NolD3D8LastPresented(device, &px, &w, &h));
    EXPECT_EQ(px[200 * w + 200], 0xFFFF0000u);
    EXPECT_EQ(px[50 * w + 50] & 0xFFFFFF, 0u);
    const RECT outside{0, 0, 700, 20};
    EXPECT_EQ(device->Present(&outside, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
}

}  // namespace
