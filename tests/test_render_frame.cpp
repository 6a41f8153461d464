// The frame bracket and the device-loss path, against a recording device.
#include <gtest/gtest.h>

#include "display_required.h"
#include "d3d8_fakes.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "shell/application.h"
#include "shell/window.h"
#include "win32/sdl_bridge.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class RenderFrame : public ::testing::Test {
protected:
    std::unique_ptr<FakeDevice> ownedDevice = std::make_unique<FakeDevice>();
    FakeDevice* device = ownedDevice.get();
    // The application's shutdown at exit must not reach the device once it is gone.
    ~RenderFrame() override { GraphicsState.device = nullptr; }

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        GraphicsState.screenWidth = 640;
        GraphicsState.screenHeight = 480;
        InitTransforms();
        GraphicsState.presentParams.BackBufferWidth = 640;
        GraphicsState.presentParams.BackBufferFormat = D3DFMT_X8R8G8B8;
    }
};

TEST_F(RenderFrame, OpensTheSceneClearsAndRefreshesTheDerivedMatrices) {
    D3DXVECTOR3 eye(3, 4, -5), at(0, 1, 2), up(0, 1, 0);
    D3DXMatrixLookAtLH(&GraphicsState.viewMatrix, &eye, &at, &up);
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    EXPECT_EQ(device->beginScenes, 1);
    ASSERT_EQ(device->clears.size(), 1u);
    EXPECT_EQ(device->clears[0].flags, (DWORD)(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER));
    EXPECT_EQ(device->clears[0].colour, 0xFF000000u);
    EXPECT_EQ(device->clears[0].z, 1.0f);
    EXPECT_EQ(std::memcmp(&device->transforms[D3DTS_VIEW], &GraphicsState.viewMatrix, sizeof(D3DMATRIX)), 0);

    // The look-at point lands on the screen's centre, and back again.
    D3DXVECTOR3 pixel, world;
    D3DXVec3TransformCoord(&pixel, &at, &GraphicsState.vpsMatrix);
    EXPECT_NEAR(pixel.x, 320.0f, 1e-3);
    EXPECT_NEAR(pixel.y, 240.0f, 1e-3);
    D3DXVec3TransformCoord(&world, &pixel, &GraphicsState.invVpsMatrix);
    EXPECT_NEAR(world.x, at.x, 1e-3);
    EXPECT_NEAR(world.y, at.y, 1e-3);
    EXPECT_NEAR(world.z, at.z, 1e-3);
    D3DXVECTOR3 origin(0, 0, 0);
    D3DXVec3TransformCoord(&world, &origin, &GraphicsState.invViewMatrix);
    EXPECT_NEAR(world.x, eye.x, 1e-4);
    EXPECT_NEAR(world.z, eye.z, 1e-4);

    EXPECT_EQ(EndFrame(), D3D_OK);
    EXPECT_EQ(device->endScenes, 1);
    EXPECT_EQ(device->presents, 1);
    EXPECT_EQ(device->resets, 0);
}

TEST_F(RenderFrame, ClearColourZeroKeepsTheColourBuffer) {
    ASSERT_EQ(BeginFrame(0), 1);
    ASSERT_EQ(device->clears.size(), 1u);
    EXPECT_EQ(device->clears[0].flags, (DWORD)D3DCLEAR_ZBUFFER);
}

TEST_F(RenderFrame, ALostDeviceSkipsTheFrameAndEachEndTriesOneReset) {
    device->cooperative = D3DERR_DEVICELOST;
    device->presentResult = D3DERR_DEVICELOST;
    device->resetResult = D3DERR_DEVICELOST;
    testing::internal::CaptureStderr();
    EXPECT_EQ(BeginFrame(0xFF000000), 0);
    EXPECT_EQ(EndFrame(), D3DERR_DEVICELOST);  // Reset's result
    EXPECT_EQ(BeginFrame(0xFF000000), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              U8(u8"3Dデバイスがロストしています.\n3Dデバイスがロストしています.\n"));
    EXPECT_EQ(device->beginScenes, 0);
    EXPECT_TRUE(device->clears.empty());
    EXPECT_EQ(device->resets, 1);
    EXPECT_EQ(device->resetParams.BackBufferFormat, D3DFMT_X8R8G8B8);  // the kept parameters

    // The device comes back: Present still fails once, and the Reset succeeds.
    device->cooperative = D3D_OK;
    device->resetResult = D3D_OK;
    EXPECT_EQ(EndFrame(), D3D_OK);
    device->presentResult = D3D_OK;
    EXPECT_EQ(BeginFrame(0xFF000000), 1);
}

TEST_F(RenderFrame, ABeginSceneFailureIsSilent) {
    device->beginSceneResult = D3DERR_INVALIDCALL;
    testing::internal::CaptureStderr();
    EXPECT_EQ(BeginFrame(0xFF000000), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(device->clears.empty());
}

TEST_F(RenderFrame, ADeviceNeedingResetClosesTheProgram) {
    NOL_SKIP_WITHOUT_DISPLAY();
    ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
    device->cooperative = D3DERR_DEVICENOTRESET;
    testing::internal::CaptureStderr();
    EXPECT_EQ(BeginFrame(0xFF000000), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), U8(u8"3Dデバイスのリセットが必要です.\n"));
    EXPECT_EQ(device->resets, 0);       // no reset is tried
    EXPECT_EQ(PumpMessages(), 0);       // WM_CLOSE posted the quit message
}

TEST(RenderFrameWithoutDevice, DoesNothing) {
    GraphicsState = GraphicsStateRecord{};
    EXPECT_EQ(BeginFrame(0xFF000000), 0);
    EXPECT_EQ(EndFrame(), D3DERR_INVALIDCALL);
}

}  // namespace
