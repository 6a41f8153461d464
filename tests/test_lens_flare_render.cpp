// The lens flare drawn by the real device and read back: the light's square and
// the flash over the fixed picture when the camera looks straight at the light,
// the square without a flash when the flag is off, nothing at all when the light
// is behind the camera; the blending and empty texture left behind.
#include "render/frame.h"
#include "scene/camera.h"
#include "scene/lens_flare.h"
#include "tests/render_fixture.h"

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000u;
constexpr float kSize = 2.0f;

class LensFlareRender : public FrameworkDevice {
protected:
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        SetLighting(FALSE);
        SetZEnable(FALSE);
        SetCameraLookAt(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
    }

    // One frame on black with the flare of a light at p, read back before it is
    // presented. Stage 0 has no texture: the square is its colour alone.
    std::vector<uint32_t> Flare(const char* name, const D3DXVECTOR3& p, int flash) {
        EXPECT_EQ(BeginFrame(kBlack), 1);
        GraphicsState.device->SetTexture(0, nullptr);
        DrawLensFlare(p, kSize, flash);
        EXPECT_EQ(GraphicsState.device->EndScene(), D3D_OK);
        return ReadBack(name);
    }

    static int Red(uint32_t c) { return int(c >> 16 & 0xFF); }
    static int Green(uint32_t c) { return int(c >> 8 & 0xFF); }
    static int Blue(uint32_t c) { return int(c & 0xFF); }
};

TEST_F(LensFlareRender, StraightAtTheLightTheSquareShinesAndTheFlashWhitensTheWholePicture) {
    const auto px = Flare("flare-straight", D3DXVECTOR3(0, 0, 10), 1);
    ASSERT_FALSE(px.empty());
    // The flash: white at alpha 100 over black, in every corner.
    for (auto [x, y] : {std::pair{1, 1}, std::pair{638, 1}, std::pair{1, 478}, std::pair{638, 478}}) {
        const uint32_t c = At(px, x, y);
        EXPECT_NEAR(Red(c), 100, 4) << std::hex << c << " at " << std::dec << x << "," << y;
        EXPECT_EQ(Red(c), Green(c));
        EXPECT_EQ(Red(c), Blue(c));
    }
    // The square, added warm (more red than blue) in the middle, under the flash.
    const uint32_t centre = At(px, 320, 240);
    EXPECT_GT(Red(centre), 200) << std::hex << centre;
    EXPECT_GT(Red(centre), Blue(centre));

    // Ordinary blending and no texture are left behind.
    DWORD src = 0, dest = 0;
    GraphicsState.device->GetRenderState(D3DRS_SRCBLEND, &src);
    GraphicsState.device->GetRenderState(D3DRS_DESTBLEND, &dest);
    EXPECT_EQ(src, DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(dest, DWORD(D3DBLEND_INVSRCALPHA));
    IDirect3DBaseTexture8* texture = reinterpret_cast<IDirect3DBaseTexture8*>(1);
    GraphicsState.device->GetTexture(0, &texture);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(LensFlareRender, WithoutTheFlagTheCornersStayBlackAndBehindTheCameraNothingShows) {
    const auto noFlash = Flare("flare-no-flash", D3DXVECTOR3(0, 0, 10), 0);
    ASSERT_FALSE(noFlash.empty());
    EXPECT_EQ(At(noFlash, 1, 1), kBlack);
    EXPECT_EQ(At(noFlash, 638, 478), kBlack);
    EXPECT_GT(Red(At(noFlash, 320, 240)), 150);

    const auto behind = Flare("flare-behind", D3DXVECTOR3(0, 0, -30), 1);
    ASSERT_FALSE(behind.empty());
    int lit = 0;
    for (uint32_t c : behind) lit += c != kBlack;
    EXPECT_EQ(lit, 0);
}

}  // namespace
