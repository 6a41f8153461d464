// A terrain on the real device, lit by the framework's light: a hill from a
// written height map, seen from above and in front.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "image_files.h"
#include "render/frame.h"
#include "render/terrain.h"
#include "render_fixture.h"
#include "support/test_support.h"

namespace {

constexpr D3DCOLOR kSky = 0xFF102040;

class TerrainRender : public FrameworkDevice {
protected:
    TempDir dir;

    // Where a world point lands on the screen.
    POINT Project(float x, float y, float z) const {
        D3DXVECTOR3 world(x, y, z), screen;
        D3DXVec3TransformCoord(&screen, &world, &GraphicsState.vpsMatrix);
        return POINT{LONG(std::lround(screen.x)), LONG(std::lround(screen.y))};
    }
    static bool OnScreen(POINT p) { return p.x >= 0 && p.x < 640 && p.y >= 0 && p.y + 2 < 480; }
    static int Green(uint32_t c) { return int(c >> 8 & 0xFF); }
};

TEST_F(TerrainRender, AHillIsDrawnAndLitFromItsSunnySide) {
    // 32 x 32 points 4 apart: a round hill in the middle, flat ground around it.
    const int n = 32;
    images::Bmp map(n, n, 8);
    for (int k = 0; k < 256; ++k) map.palette.push_back(uint32_t(k) << 8);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const float dx = float(i - n / 2), dz = float(j - n / 2);
            map.pixels.push_back(uint32_t(std::lround(255.0 * std::exp(-(dx * dx + dz * dz) / 18.0))));
        }
    ASSERT_TRUE(images::WriteBmp(dir.File("hill.bmp"), map));
    Terrain terrain;
    ASSERT_EQ(terrain.Build(dir.File("hill.bmp").c_str(), D3DXVECTOR3(0, -5, 0), 4.0f, 32.0f, 0xFFFFFFFF), 1);
    EXPECT_NEAR(terrain.GetHeight(0, 0), 255 * 32 / 256.0f - 5, 1e-4);

    D3DXVECTOR3 eye(0, 80, -130), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&GraphicsState.viewMatrix, &eye, &at, &up);
    ASSERT_EQ(BeginFrame(kSky), 1);
    SetWorldMatrix(GraphicsState.worldMatrix);
    SetDefaultMaterial();
    GraphicsState.device->SetTexture(0, nullptr);
    terrain.Draw();
    std::vector<uint32_t> pixels = ReadBack("terrain_hill");
    EndFrame();

    // Above the far corner: sky.
    const POINT farCorner = Project(-60, -5, 64);
    ASSERT_TRUE(OnScreen(farCorner) && farCorner.y > 10);
    EXPECT_EQ(At(pixels, farCorner.x, farCorner.y - 10), kSky);

    // Flat ground: material ambient 0.5 x ambient 0x80, plus light 0.5 x N.L with
    // N = up and the light along (1, -1, 1).
    const double flat = 0.5 * (128 / 255.0) + 0.5 * (1 / std::sqrt(3.0));
    for (POINT p : {Project(-48, -5, -40), Project(48, -5, -40), Project(-40, -5, 40)}) {
        ASSERT_TRUE(OnScreen(p)) << p.x << "," << p.y;
        const uint32_t c = At(pixels, p.x, p.y);
        EXPECT_NEAR(Green(c), flat * 255, 3) << p.x << "," << p.y;
        EXPECT_EQ(c & 0xFF, c >> 8 & 0xFF);  // white light on white ground: grey
    }

    // On the hill each vertex is lit by its own (smoothed, not renormalised)
    // normal: the flank facing the light (-x) bright, the other side dark.
    auto expected = [&](int i, int j) {
        void* data = nullptr;
        EXPECT_TRUE(terrain.vertices.Lock(&data));
        const D3DXVECTOR3 normal = static_cast<const TerrainVertex*>(data)[6 * (j * n + i)].normal;
        terrain.vertices.Unlock();
        const double nl = (-normal.x + normal.y - normal.z) / std::sqrt(3.0);
        return 255 * (0.5 * (128 / 255.0) + 0.5 * std::max(0.0, nl));
    };
    // Points on the front of the hill (not on its outline as seen from here).
    const POINT sunny = Project(-12, terrain.GetHeight(-12, -8), -8);  // grid point (13, 14)
    const POINT shady = Project(12, terrain.GetHeight(12, -4), -4);    // grid point (19, 15)
    ASSERT_TRUE(OnScreen(sunny) && OnScreen(shady));
    const int lit = Green(At(pixels, sunny.x, sunny.y)), dark = Green(At(pixels, shady.x, shady.y));
    EXPECT_NEAR(lit, expected(13, 14), 4);
    EXPECT_NEAR(dark, expected(19, 15), 4);
    EXPECT_GT(lit, dark + 20);
    // The hill stands up against the ground behind it: its top hides the far flat.
    const POINT top = Project(0, terrain.GetHeight(0, 0), 0);
    ASSERT_TRUE(OnScreen(top));
    EXPECT_LT(top.y, Project(0, -5, 0).y - 20);
    EXPECT_NE(At(pixels, top.x, top.y + 2), kSky);
}

}  // namespace
