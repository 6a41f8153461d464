// Set-up and frames on the real device, read back from its back buffer.
#include <gtest/gtest.h>

#include <vector>

#include "d3d8/d3d8_test_hooks.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "render_fixture.h"
#include "shell/window.h"
#include "support/test_support.h"

namespace {

uint32_t Pixel(int x, int y) {
    std::vector<uint32_t> pixels;
    UINT w = 0, h = 0;
    if (!NolD3D8ReadSurface(GraphicsState.device, nullptr, &pixels, &w, &h)) return 0xDEADBEEF;
    return pixels[(size_t)y * w + x];
}

class RenderDevice : public FrameworkDevice {};

TEST_F(RenderDevice, SetsUpAWindowedHardwareDeviceOnThisMachine) {
    EXPECT_NE(log.find(reinterpret_cast<const char*>(u8"ウインドウ化 = ON\n")), std::string::npos) << log;
    EXPECT_NE(log.find(reinterpret_cast<const char*>(u8"デバイスタイプ = TnLHAL\n")), std::string::npos) << log;
    EXPECT_TRUE(IsWindowVisible(mainWindow));
    EXPECT_EQ(GraphicsState.windowed, 1);
    EXPECT_GT(GraphicsState.maxPrimitiveCount, 0u);
    EXPECT_GE(GraphicsState.maxTextureWidth, 2048u);
}

TEST_F(RenderDevice, FramesClearOnlyWhenGivenAColour) {
    ASSERT_EQ(BeginFrame(0xFF336699), 1);
    EXPECT_EQ(EndFrame(), D3D_OK);
    EXPECT_EQ(Pixel(0, 0), 0xFF336699u);
    EXPECT_EQ(Pixel(639, 479), 0xFF336699u);
    ASSERT_EQ(BeginFrame(0), 1);  // depth only: the picture stays
    EXPECT_EQ(Pixel(320, 240), 0xFF336699u);
    EndFrame();
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    EXPECT_EQ(Pixel(320, 240), 0xFF000000u);
    EndFrame();
    if (const char* dir = std::getenv("NOL_TEST_PNG_DIR")) {
        std::vector<uint32_t> pixels;
        UINT w, h;
        NolD3D8ReadSurface(GraphicsState.device, nullptr, &pixels, &w, &h);
        NolD3D8WritePng((std::string(dir) + "/render_black_frame.png").c_str(), pixels.data(), w, h);
    }
}

TEST_F(RenderDevice, SurvivesLossAndClosesWhenAResetIsNeededAtFrameStart) {
    IDirect3DDevice8* device = GraphicsState.device;
    ASSERT_TRUE(NolD3D8SetDeviceCondition(device, NOL_D3D_LOST));
    testing::internal::CaptureStderr();
    EXPECT_EQ(BeginFrame(0xFF000000), 0);
    EXPECT_EQ(EndFrame(), D3DERR_DEVICELOST);  // Present failed, so did the Reset
    EXPECT_EQ(BeginFrame(0xFF000000), 0);
    EXPECT_EQ(EndFrame(), D3DERR_DEVICELOST);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              reinterpret_cast<const char*>(u8"3Dデバイスがロストしています.\n3Dデバイスがロストしています.\n"));

    // Back again: the reset in EndFrame succeeds and the next frame draws.
    ASSERT_TRUE(NolD3D8SetDeviceCondition(device, NOL_D3D_NOTRESET));
    EXPECT_EQ(EndFrame(), D3D_OK);
    ASSERT_EQ(BeginFrame(0xFF00FF00), 1);
    EXPECT_EQ(EndFrame(), D3D_OK);
    EXPECT_EQ(Pixel(10, 10), 0xFF00FF00u);

    // Needing a reset when a frame starts closes the program instead.
    ASSERT_TRUE(NolD3D8SetDeviceCondition(device, NOL_D3D_NOTRESET));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(BeginFrame(0xFF000000), 0);
    EXPECT_EQ(PumpMessages(), 0);
}

}  // namespace
