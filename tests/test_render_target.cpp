// Render targets and screen-pixel read-back on the framework's own device: a
// target drawn into shows its picture as a texture, End gives the back buffer
// back, every target format reads back through the conversion table, and
// targets come through a device reset.
#include <gtest/gtest.h>

#include "render/frame.h"
#include "render/render_target.h"
#include "render/screen_pixel.h"
#include "render/sprite.h"
#include "render_fixture.h"

namespace {

constexpr D3DCOLOR kBackground = 0xFF101820;

// ---- the conversion table, on bytes of each format ---------------------------------

TEST(ScreenPixelColour, ConvertsEachFormatOfTheTableToOpaqueRgb) {
    const BYTE argb[4] = {0xCC, 0x44, 0x88, 0x10};  // 0x108844CC in memory order
    EXPECT_EQ(ScreenPixelColour(D3DFMT_A8R8G8B8, argb), 0xFF8844CCu);
    EXPECT_EQ(ScreenPixelColour(D3DFMT_X8R8G8B8, argb), 0xFF8844CCu);
    EXPECT_EQ(ScreenPixelColour(D3DFMT_R8G8B8, argb), 0xFF8844CCu);
    // All ones in every field: the fields are multiplied out, not widened.
    const BYTE ones[2] = {0xFF, 0xFF};
    EXPECT_EQ(ScreenPixelColour(D3DFMT_R5G6B5, ones), 0xFFF8FCF8u);
    EXPECT_EQ(ScreenPixelColour(D3DFMT_X1R5G5B5, ones), 0xFFF8F8F8u);
    EXPECT_EQ(ScreenPixelColour(D3DFMT_A1R5G5B5, ones), 0xFFF8F8F8u);
    EXPECT_EQ(ScreenPixelColour(D3DFMT_A4R4G4B4, ones), 0xFFF0F0F0u);
    // Each field in its place: R5G6B5 0b00001'000010'00011.
    const BYTE fields565[2] = {0x43, 0x08};
    EXPECT_EQ(ScreenPixelColour(D3DFMT_R5G6B5, fields565), 0xFF080818u);
    const BYTE fields555[2] = {0x43, 0x04};  // 0b0'00001'00010'00011
    EXPECT_EQ(ScreenPixelColour(D3DFMT_X1R5G5B5, fields555), 0xFF081018u);
    const BYTE fields4444[2] = {0x23, 0xF1};  // A 15, R 1, G 2, B 3
    EXPECT_EQ(ScreenPixelColour(D3DFMT_A4R4G4B4, fields4444), 0xFF102030u);
    EXPECT_EQ(ScreenPixelColour(D3DFMT_A8, argb), 0u);
    EXPECT_EQ(ScreenPixelColour(D3DFMT_D16, argb), 0u);
}

// ---- on the device ------------------------------------------------------------------

class RenderTargets : public FrameworkDevice {
protected:
    // The top-left w x h texels of a texture, drawn 1:1 at (x, y) on the back buffer.
    void DrawTexture(IDirect3DTexture8* texture, int x, int y) {
        const D3DXVECTOR2 at{float(x), float(y)};
        GraphicsState.sprite->Draw(texture, nullptr, nullptr, nullptr, 0.0f, &at, 0xFFFFFFFF);
    }
    // A filled rectangle, drawn with the sprite and a small white texture.
    void Fill(int x, int y, float w, float h, D3DCOLOR colour) {
        if (!white) {
            GraphicsState.device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &white);
            D3DLOCKED_RECT locked{};
            white->LockRect(0, &locked, nullptr, 0);
            *static_cast<uint32_t*>(locked.pBits) = 0xFFFFFFFF;
            white->UnlockRect(0);
        }
        const D3DXVECTOR2 at{float(x), float(y)}, size{w, h};
        GraphicsState.sprite->Draw(white, nullptr, &size, nullptr, 0.0f, &at, colour);
    }
    void TearDown() override {
        if (white) white->Release();
        FrameworkDevice::TearDown();
    }
    IDirect3DTexture8* white = nullptr;
};

TEST_F(RenderTargets, WhatIsDrawnIntoATargetShowsWhenItIsUsedAsATexture) {
    RenderTarget target;
    ASSERT_EQ(target.Create(64, 32), 1);
    EXPECT_EQ(target.created, 1);
    D3DSURFACE_DESC desc{};
    target.texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, GraphicsState.backBufferFormat);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.Usage, DWORD(D3DUSAGE_RENDERTARGET));

    ASSERT_EQ(target.Begin(0xFF0000FF), 1);
    Fill(8, 4, 16, 8, 0xFFFFFF00);
    EXPECT_EQ(ReadScreenPixel(10, 5), 0xFFFFFF00u);  // reads the target, not the screen
    EXPECT_EQ(ReadScreenPixel(40, 5), 0xFF0000FFu);
    target.End();
    EXPECT_EQ(target.surface, nullptr);
    EXPECT_EQ(target.savedTarget, nullptr);

    ASSERT_EQ(BeginFrame(kBackground), 1);
    Fill(0, 0, 20, 20, 0xFF00FF00);  // after End, drawing reaches the back buffer again
    DrawTexture(target.texture, 100, 200);
    std::vector<uint32_t> pixels = ReadBack("render_target_as_texture");
    EndFrame();
    EXPECT_EQ(At(pixels, 5, 5), 0xFF00FF00u);
    EXPECT_EQ(At(pixels, 100, 200), 0xFF0000FFu);
    EXPECT_EQ(At(pixels, 108, 204), 0xFFFFFF00u);
    EXPECT_EQ(At(pixels, 123, 211), 0xFFFFFF00u);
    EXPECT_EQ(At(pixels, 124, 211), 0xFF0000FFu);
    EXPECT_EQ(At(pixels, 163, 231), 0xFF0000FFu);
    EXPECT_EQ(At(pixels, 164, 231), kBackground);
    EXPECT_EQ(At(pixels, 100, 232), kBackground);
}

TEST_F(RenderTargets, BeginOnATargetNeverCreatedFails) {
    RenderTarget target;
    EXPECT_EQ(target.Begin(0xFF000000), 0);
    target.End();  // harmless
    ASSERT_EQ(target.Create(16, 16), 1);
    target.Release();
    EXPECT_EQ(target.created, 0);
    EXPECT_EQ(target.texture, nullptr);
    EXPECT_EQ(target.Begin(0xFF000000), 0);
    EXPECT_EQ(target.Create(0, 16), 0);
    EXPECT_EQ(target.texture, nullptr);
}

TEST_F(RenderTargets, ReadScreenPixelReadsTheBackBufferAndNothingOffIt) {
    ASSERT_EQ(BeginFrame(0xFF123456), 1);
    Fill(639, 479, 1, 1, 0xFFABCDEF);
    EXPECT_EQ(ReadScreenPixel(0, 0), 0xFF123456u);
    EXPECT_EQ(ReadScreenPixel(639, 479), 0xFFABCDEFu);  // the block shrinks at the corner
    EXPECT_EQ(ReadScreenPixel(640, 0), 0u);
    EXPECT_EQ(ReadScreenPixel(-1, 0), 0u);
    EXPECT_EQ(ReadScreenPixel(0, 480), 0u);
    EXPECT_EQ(ReadScreenPixel(0, -1), 0u);
    EndFrame();
}

// Targets of each format the table names, cleared to 0x108844CC, read back
// through the narrower formats' fields.
TEST_F(RenderTargets, ReadScreenPixelConvertsEveryFormatOfItsTable) {
    const struct {
        D3DFORMAT format;
        D3DCOLOR expected;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 0xFF8844CC}, {D3DFMT_X8R8G8B8, 0xFF8844CC}, {D3DFMT_R8G8B8, 0xFF8844CC},
        {D3DFMT_R5G6B5, 0xFF8844C8},   {D3DFMT_X1R5G5B5, 0xFF8840C8}, {D3DFMT_A1R5G5B5, 0xFF8840C8},
        {D3DFMT_A4R4G4B4, 0xFF8040C0},
    };
    const D3DFORMAT screenFormat = GraphicsState.backBufferFormat;
    for (const auto& c : cases) {
        GraphicsState.backBufferFormat = c.format;
        RenderTarget target;
        ASSERT_EQ(target.Create(8, 8), 1) << c.format;
        ASSERT_EQ(target.Begin(0x108844CC), 1) << c.format;
        EXPECT_EQ(ReadScreenPixel(2, 3), c.expected) << "format " << c.format;
        target.End();
    }
    GraphicsState.backBufferFormat = screenFormat;
}

// A device cannot be reset while a default-pool target is held: the frame
// bracket lets the targets go when presenting fails and makes them again once
// the reset has worked.
TEST_F(RenderTargets, TargetsAreMadeAgainAfterADeviceReset) {
    RenderTarget target;
    ASSERT_EQ(target.Create(32, 16), 1);
    IDirect3DDevice8* device = GraphicsState.device;

    ASSERT_TRUE(NolD3D8SetDeviceCondition(device, NOL_D3D_LOST));
    testing::internal::CaptureStderr();
    EXPECT_EQ(BeginFrame(kBackground), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(EndFrame(), D3DERR_DEVICELOST);
    EXPECT_EQ(target.created, 0);
    EXPECT_EQ(target.Begin(0xFF00FF00), 0);

    ASSERT_TRUE(NolD3D8SetDeviceCondition(device, NOL_D3D_NOTRESET));
    EXPECT_EQ(EndFrame(), D3D_OK);  // Present fails, the reset succeeds
    ASSERT_EQ(target.created, 1);
    D3DSURFACE_DESC desc{};
    target.texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 16u);

    ASSERT_EQ(target.Begin(0xFF00FF00), 1);
    target.End();
    ASSERT_EQ(BeginFrame(kBackground), 1);
    DrawTexture(target.texture, 10, 10);
    std::vector<uint32_t> pixels = ReadBack("render_target_after_reset");
    EndFrame();
    EXPECT_EQ(At(pixels, 10, 10), 0xFF00FF00u);
    EXPECT_EQ(At(pixels, 41, 25), 0xFF00FF00u);
    EXPECT_EQ(At(pixels, 42, 25), kBackground);
}

// Without that, the held target makes the reset fail, and the next frame would
// close the program.
TEST_F(RenderTargets, AHeldDefaultPoolTextureStillBlocksTheReset) {
    IDirect3DTexture8* held = nullptr;
    ASSERT_EQ(GraphicsState.device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, GraphicsState.backBufferFormat,
                                                  D3DPOOL_DEFAULT, &held),
              D3D_OK);
    ASSERT_TRUE(NolD3D8SetDeviceCondition(GraphicsState.device, NOL_D3D_NOTRESET));
    EXPECT_EQ(EndFrame(), D3DERR_INVALIDCALL);
    held->Release();
}

}  // namespace
