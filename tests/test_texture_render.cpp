// Loaded textures on the real device: drawn with point filtering, every texel
// lands on its own pixel with its own colour.
#include <gtest/gtest.h>

#include "d3dx8/d3dx8tex.h"
#include "image_files.h"
#include "render/frame.h"
#include "render/texture.h"
#include "render_fixture.h"
#include "support/test_support.h"

namespace {

constexpr int kSize = 8;
constexpr D3DCOLOR kBackground = 0xFF204060;
constexpr D3DCOLOR kKey = 0xFFFF00FF;

class TextureRender : public FrameworkDevice {
protected:
    TempDir dir;
    std::vector<uint32_t> texels;

    // An 8 x 8 picture, every texel its own colour, texel (3, 2) the colour key.
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x)
                texels.push_back(x == 3 && y == 2 ? kKey : D3DCOLOR_XRGB(30 * x + 10, 200 - 25 * y, 17 * (x ^ y)));
    }

    // The texture over the pixels from (left, top), texel centres on pixel
    // centres (corners half a pixel out), with point filtering.
    void DrawAligned(IDirect3DTexture8* texture, int left, int top) {
        struct V {
            float x, y, z, rhw;
            D3DCOLOR c;
            float u, v;
        };
        const float l = left - 0.5f, t = top - 0.5f, r = l + kSize, b = t + kSize;
        const V quad[4] = {{l, b, 0, 1, 0xFFFFFFFF, 0, 1}, {l, t, 0, 1, 0xFFFFFFFF, 0, 0},
                           {r, t, 0, 1, 0xFFFFFFFF, 1, 0}, {r, b, 0, 1, 0xFFFFFFFF, 1, 1}};
        IDirect3DDevice8* device = GraphicsState.device;
        device->SetTexture(0, texture);
        device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(V)), D3D_OK);
        device->SetTexture(0, nullptr);
    }

    // Each texel at its pixel from (left, top); the keyed one shows the background.
    void ExpectTexelExact(const std::vector<uint32_t>& pixels, int left, int top, bool keyed) {
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const uint32_t texel = texels[size_t(y * kSize + x)];
                const uint32_t expected = keyed && texel == kKey ? kBackground : texel;
                EXPECT_EQ(At(pixels, left + x, top + y) | 0xFF000000u, expected) << x << "," << y;
            }
        for (auto [x, y] : {std::pair{left - 1, top}, {left + kSize, top}, {left, top - 1}, {left, top + kSize}})
            EXPECT_EQ(At(pixels, x, y), kBackground) << "outside at " << x << "," << y;
    }
};

TEST_F(TextureRender, LoadedTexelsLandExactlyOnTheirPixels) {
    images::Bmp b24(kSize, kSize, 24), p8(kSize, kSize, 8);
    b24.pixels = texels;
    for (size_t i = 0; i < texels.size(); ++i) {
        p8.palette.push_back(texels[i] & 0xFFFFFF);
        p8.pixels.push_back(uint32_t(i));
    }
    ASSERT_TRUE(images::WriteBmp(dir.File("a.bmp"), b24));
    ASSERT_TRUE(images::WriteBmp(dir.File("p.bmp"), p8));

    Texture trueColour, palettised;
    testing::internal::CaptureStderr();
    ASSERT_EQ(trueColour.Load(dir.File("a.bmp").c_str(), kKey, 1), 1);
    ASSERT_EQ(palettised.Load(dir.File("p.bmp").c_str(), 0, 1), 1);
    testing::internal::GetCapturedStderr();

    ASSERT_EQ(BeginFrame(kBackground), 1);
    SetLighting(FALSE);
    DrawAligned(trueColour.GetTexture(), 100, 60);
    DrawAligned(palettised.GetTexture(), 300, 200);
    std::vector<uint32_t> pixels = ReadBack("texture_texel_exact");
    EndFrame();
    ExpectTexelExact(pixels, 100, 60, true);
    ExpectTexelExact(pixels, 300, 200, false);
}

// DrawAt's corners sit on pixel centres, so every pixel centre falls on a texel
// edge: point sampling must still give each pixel its own texel.
TEST_F(TextureRender, DrawAtCoversItsRectangleWithThePicture) {
    images::Bmp b24(kSize, kSize, 24);
    b24.pixels = texels;
    ASSERT_TRUE(images::WriteBmp(dir.File("a.bmp"), b24));
    Texture t;
    testing::internal::CaptureStderr();
    ASSERT_EQ(t.Load(dir.File("a.bmp").c_str(), 0, 1), 1);
    testing::internal::GetCapturedStderr();

    ASSERT_EQ(BeginFrame(kBackground), 1);
    SetLighting(FALSE);
    t.DrawAt(100, 60);
    std::vector<uint32_t> pixels = ReadBack("texture_draw_at");
    EndFrame();
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const uint32_t got = At(pixels, 100 + x, 60 + y);
            EXPECT_EQ(got, texels[size_t(y * kSize + x)]) << x << "," << y << ": " << std::hex << got;
        }
    for (auto [x, y] : {std::pair{99, 60}, {108, 60}, {100, 59}, {100, 68}, {107, 67}})
        EXPECT_EQ(At(pixels, x, y) == kBackground, x == 99 || x == 108 || y == 59 || y == 68) << x << "," << y;
}

TEST_F(TextureRender, ATextureInTheDefaultPoolIsFilledAndDraws) {
    images::Bmp b(kSize, kSize, 24);
    b.pixels = texels;
    ASSERT_TRUE(images::WriteBmp(dir.File("a.bmp"), b));
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(GraphicsState.device, dir.File("a.bmp").c_str(), 0, 0, 1, 0,
                                           D3DFMT_UNKNOWN, D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0,
                                           nullptr, nullptr, &texture),
              D3D_OK);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);

    ASSERT_EQ(BeginFrame(kBackground), 1);
    SetLighting(FALSE);
    DrawAligned(texture, 20, 30);
    std::vector<uint32_t> pixels = ReadBack("texture_default_pool");
    EndFrame();
    GraphicsState.device->SetTexture(0, nullptr);
    texture->Release();
    ExpectTexelExact(pixels, 20, 30, false);
}

}  // namespace
