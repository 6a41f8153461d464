// The shapes drawn by the real device and read back: exact coverage, front faces
// with the default culling, a circle that closes, and shapes in quick succession
// (whose vertex buffers the device recycles) drawing only their own vertices,
// before and after a reset.
#include <functional>

#include "render/device_reset.h"
#include "render/frame.h"
#include "scene/shapes.h"
#include "tests/render_fixture.h"

namespace {

constexpr D3DCOLOR kBlack = 0xFF000000u;

class ShapesRender : public FrameworkDevice {
protected:
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        SetLighting(FALSE);  // vertex colours as they are
        SetZEnable(FALSE);
    }

    // One frame of draws on black, read back before it is presented. World shapes
    // are in pixels about the screen's centre, y up: (0, 0) is pixel (320, 240).
    std::vector<uint32_t> Frame(const char* name, const std::function<void()>& draws) {
        IDirect3DDevice8* d = GraphicsState.device;
        EXPECT_EQ(BeginFrame(kBlack), 1);
        D3DXMATRIX identity, ortho;
        D3DXMatrixIdentity(&identity);
        D3DXMatrixOrthoLH(&ortho, 640, 480, 0, 100);
        d->SetTransform(D3DTS_VIEW, &identity);
        d->SetTransform(D3DTS_PROJECTION, &ortho);
        SetWorldMatrix(identity);
        draws();
        EXPECT_EQ(d->EndScene(), D3D_OK);
        return ReadBack(name);
    }

    // Whether any pixel within one of (x, y) is not black.
    bool LitNear(const std::vector<uint32_t>& px, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (At(px, x + dx, y + dy) != kBlack) return true;
        return false;
    }

    // A world transform that moves world shapes by (x, y) pixels.
    static void MoveWorld(float x, float y) {
        D3DXMATRIX m;
        D3DXMatrixTranslation(&m, x, y, 0);
        SetWorldMatrix(m);
    }

    NolD3D8BufferCounts Counts() {
        NolD3D8BufferCounts c{};
        EXPECT_TRUE(NolD3D8GetBufferCounts(GraphicsState.device, &c));
        return c;
    }
};

TEST_F(ShapesRender, AFilledRectangleCoversExactlyItsPixels) {
    const D3DCOLOR c = 0xFF20C040u;
    auto px = Frame("shapes-fill-rect", [&] { FillRect2D(10, 20, 50, 60, c); });
    int wrong = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const bool inside = x >= 10 && x < 50 && y >= 20 && y < 60;
            if (At(px, x, y) != (inside ? c : kBlack) && wrong++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") " << std::hex << At(px, x, y);
        }
    EXPECT_EQ(wrong, 0);
}

// Culling of counter-clockwise triangles stays on (the device's set-up): every
// filled shape must still show.
TEST_F(ShapesRender, EveryFilledShapeFacesItsViewerWithCullingOn) {
    struct Placed {
        const char* name;
        int x, y;  // a pixel inside it
        D3DCOLOR colour;
        std::function<void()> draw;
    };
    // World shapes centred on pixel (px, py) are drawn at (px - 320, 240 - py).
    const Placed shapes[] = {
        {"FillTriangle2D", 50, 50, 0xFFFF0000u, [] { FillTriangle2D(50, 50, 30, 0xFFFF0000u); }},
        {"FillRect2D", 150, 50, 0xFF00FF00u, [] { FillRect2D(130, 30, 170, 70, 0xFF00FF00u); }},
        {"DrawTexturedRect2D", 250, 50, 0xFF0000FFu, [] { DrawTexturedRect2D(230, 30, 270, 70, 0xFF0000FFu); }},
        {"FillRect3D", 50, 150, 0xFFFFFF00u, [] { FillRect3D(-270, 90, 1, 40, 40, 0xFFFFFF00u); }},
        {"DrawTexturedRect3D", 150, 150, 0xFFFF00FFu, [] { DrawTexturedRect3D(-170, 90, 1, 40, 40, 0xFFFF00FFu); }},
        {"DrawDualTexturedRect3D", 250, 150, 0xFF00FFFFu,
         [] { DrawDualTexturedRect3D(-70, 90, 1, 40, 40, 0xFF00FFFFu); }},
        {"FillHexagon3D", 350, 150, 0xFF808000u, [] { FillHexagon3D(30, 90, 1, 20, 0xFF808000u, 0xFF808000u); }},
        {"FillCircle3D", 450, 150, 0xFF008080u, [] { FillCircle3D(130, 90, 1, 20, 0xFF008080u, 0xFF008080u); }},
        // Seen from above: the world turns y into -z and z into y, then moves it.
        {"DrawTexturedRectXZ", 50, 250, 0xFF800080u,
         [] {
             D3DXMATRIX turn, move;
             D3DXMatrixRotationX(&turn, -D3DX_PI / 2);
             D3DXMatrixTranslation(&move, -270, -10, 50);
             SetWorldMatrix(turn * move);
             DrawTexturedRectXZ(0, 0, 0, 40, 40, 0xFF800080u);
         }},
    };
    auto px = Frame("shapes-culling", [&] {
        for (const Placed& s : shapes) s.draw();
    });
    for (const Placed& s : shapes) EXPECT_EQ(At(px, s.x, s.y), s.colour) << s.name;
}

TEST_F(ShapesRender, ACircleOutlineCloses) {
    const D3DCOLOR c = 0xFFFFFFFFu;
    auto px = Frame("shapes-circle", [&] { DrawCircle3D(0, 0, 1, 100, c); });
    // The last segment, from 350 to 360 degrees, and one in the middle, from 90
    // to 100 degrees, by their midpoints; nothing at the centre.
    EXPECT_TRUE(LitNear(px, 320 + 99, 240 + 9)) << "the closing segment is missing";
    EXPECT_TRUE(LitNear(px, 320 - 9, 240 - 99));
    EXPECT_EQ(At(px, 320, 240), kBlack);
    EXPECT_EQ(At(px, 320 + 90, 240 + 9), kBlack);
}

TEST_F(ShapesRender, ShapesInQuickSuccessionDrawOnlyTheirOwnVerticesAcrossAReset) {
    const D3DCOLOR red = 0xFFFF0000u, green = 0xFF00FF00u, blue = 0xFF0000FFu;
    // Rectangle (4 vertices), disc (38), rectangle: buffers of two sizes in turn.
    auto frame = [&](const char* name, int shift) {
        return Frame(name, [&] {
            FillRect2D(20 + shift, 20, 60 + shift, 60, red);
            MoveWorld(-200 + shift, 200);
            FillCircle3D(0, 0, 1, 20, green, green);
            FillRect2D(220 + shift, 20, 260 + shift, 60, blue);
            MoveWorld(10 + shift, 200);
            FillHexagon3D(0, 0, 1, 20, blue, blue);
        });
    };
    auto check = [&](const std::vector<uint32_t>& px, int shift) {
        EXPECT_EQ(At(px, 40 + shift, 40), red);
        EXPECT_EQ(At(px, 120 + shift, 40), green);
        EXPECT_EQ(At(px, 240 + shift, 40), blue);
        EXPECT_EQ(At(px, 330 + shift, 40), blue);
        EXPECT_EQ(At(px, 120 + shift, 90), kBlack);  // nothing stray below them
    };
    const NolD3D8BufferCounts start = Counts();
    check(frame("shapes-recycled-1", 0), 0);
    check(frame("shapes-recycled-2", 200), 200);
    const NolD3D8BufferCounts warm = Counts();
    EXPECT_GT(warm.reused, start.reused) << "the later shapes did not reuse GL buffers";
    EXPECT_LE(warm.made - start.made, 3u);

    ASSERT_EQ(ResetDevice(), D3D_OK);
    EXPECT_EQ(Counts().kept, 0u);
    check(frame("shapes-recycled-3", 50), 50);
    check(frame("shapes-recycled-4", 150), 150);
}

}  // namespace
