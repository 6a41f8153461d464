// The wave grid on a recording device (its field, vertices and draws) and once on
// the real device, read back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "d3d8_memory_fakes.h"
#include "render/frame.h"
#include "render/graphics_state.h"
#include "render_fixture.h"
#include "scene/wave_grid.h"

namespace {

using Field = CWaveGrid::Pair[CWaveGrid::kPoints][CWaveGrid::kPoints];
constexpr int N = CWaveGrid::kCells;

bool SameField(const Field& a, const Field& b) { return std::memcmp(a, b, sizeof(Field)) == 0; }

class WaveGrid : public ::testing::Test {
protected:
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    MemoryDevice* device = ownedDevice.get();
    std::unique_ptr<CWaveGrid> grid;  // 68 KB of arrays: not on the stack

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        grid = std::make_unique<CWaveGrid>();
    }
    void TearDown() override {
        grid.reset();
        GraphicsState.device = nullptr;
    }

    const CWaveGrid::Vertex& Drawn(int cell, int corner) const {
        return device->LastVertexBuffer()->Vertex<CWaveGrid::Vertex>(size_t(cell) * 6 + corner);
    }
};

// The noise is re-derived from rand: four values per point, row by row, in the
// order displacement du, dv, velocity du, dv.
TEST_F(WaveGrid, ANewGridHasItsDefaultsAndSeededNoise) {
    std::srand(31);
    const auto made = std::make_unique<CWaveGrid>();
    const CWaveGrid& fresh = *made;
    std::srand(31);
    auto noise = [] { return -0.005f + (std::rand() & 0x7FFF) * (2 * 0.005f) / 32767; };
    for (int r = 0; r <= N; ++r)
        for (int c = 0; c <= N; ++c) {
            SCOPED_TRACE(testing::Message() << r << "," << c);
            EXPECT_EQ(fresh.displacement[r][c].du, noise());
            EXPECT_EQ(fresh.displacement[r][c].dv, noise());
            EXPECT_EQ(fresh.velocity[r][c].du, noise());
            EXPECT_EQ(fresh.velocity[r][c].dv, noise());
            ASSERT_LE(std::fabs(fresh.displacement[r][c].du), 0.005f);
        }
    EXPECT_EQ(fresh.originX, -5.0f);
    EXPECT_EQ(fresh.originY, -5.0f);
    EXPECT_EQ(fresh.cellWidth, 0.5f);
    EXPECT_EQ(fresh.cellDepth, 0.5f);
    EXPECT_EQ(fresh.speed, 0.05f);
    EXPECT_EQ(fresh.damping, 1.0f);
    EXPECT_EQ(fresh.colour, 0xFFFFFFFFu);
}

TEST_F(WaveGrid, AFlatGridStaysFlatExactlyAndLiesAtZ0) {
    grid->Init(3, -2, 7.5f, 8, 4, 0);
    grid->SetColor(0x80402010);
    for (int i = 0; i < 200; ++i) grid->Draw();
    ASSERT_EQ(device->draws.size(), 200u);
    const DrawCall& d = device->draws.back();
    EXPECT_EQ(d.type, D3DPT_TRIANGLELIST);
    EXPECT_EQ(d.primitives, 800u);
    EXPECT_EQ(d.stride, 24u);
    EXPECT_EQ(d.shader, 0x142u);
    EXPECT_EQ(device->LastVertexBuffer()->desc.Size, 57600u);
    EXPECT_EQ(device->LastVertexBuffer()->desc.FVF, 0x142u);

    // Corner k of a cell sits on grid point (row + dr, column + dc).
    const int dr[6] = {0, 1, 0, 1, 0, 1}, dc[6] = {0, 0, 1, 1, 1, 0};
    for (int r = 0; r < N; ++r)
        for (int c = 0; c < N; ++c)
            for (int k = 0; k < 6; ++k) {
                const CWaveGrid::Vertex& v = Drawn(r * N + c, k);
                const int pr = r + dr[k], pc = c + dc[k];
                ASSERT_EQ(v.u, float(pc) / 20) << r << "," << c << " corner " << k;
                ASSERT_EQ(v.v, 1 - float(pr) / 20) << r << "," << c << " corner " << k;
                ASSERT_NEAR(v.x, -1 + pc * 0.4f, 1e-5f);
                ASSERT_NEAR(v.y, -4 + pr * 0.2f, 1e-5f);
                ASSERT_EQ(v.z, 0.0f);
                ASSERT_EQ(v.colour, 0x80402010u);
            }
    // The previous buffer is let go on each Draw; the last one is held until the
    // grid goes.
    EXPECT_EQ(device->vertexBuffers.front()->refs, 1u);
    EXPECT_EQ(device->LastVertexBuffer()->refs, 2u);
    grid.reset();
    EXPECT_EQ(device->vertexBuffers.back()->refs, 1u);
}

TEST_F(WaveGrid, ADisturbanceSpreadsOnePointPerStepAndTheBorderNeverMoves) {
    grid->Init(0, 0, 0, 10, 10, 0);
    grid->Disturb(5.2f, 5.4f, 1.0f);  // point (10, 10); cells are 0.5 wide
    EXPECT_EQ(grid->displacement[10][10].du, 1.0f);
    EXPECT_EQ(grid->displacement[10][10].dv, 1.0f);

    grid->Draw();
    // Centre: velocity -0.4, displacement 1 - 0.4 x 0.05. Neighbours: 0.1 x 0.05.
    EXPECT_FLOAT_EQ(grid->displacement[10][10].du, 0.98f);
    EXPECT_FLOAT_EQ(grid->velocity[10][10].dv, -0.4f);
    for (auto [r, c] : {std::pair{9, 10}, {11, 10}, {10, 9}, {10, 11}}) {
        EXPECT_FLOAT_EQ(grid->displacement[r][c].du, 0.005f) << r << "," << c;
        EXPECT_FLOAT_EQ(grid->displacement[r][c].dv, 0.005f) << r << "," << c;
    }
    EXPECT_EQ(grid->displacement[9][9].du, 0.0f);
    EXPECT_EQ(grid->displacement[10][8].du, 0.0f);
    // The drawn coordinates follow the field: vertex 0 of cell (10, 10).
    EXPECT_FLOAT_EQ(Drawn(10 * N + 10, 0).u, 0.5f + 0.98f);
    EXPECT_FLOAT_EQ(Drawn(10 * N + 10, 0).v, 1 - (0.5f + 0.98f));

    grid->Draw();
    EXPECT_NE(grid->displacement[9][9].du, 0.0f);
    EXPECT_NE(grid->displacement[10][8].du, 0.0f);
    EXPECT_EQ(grid->displacement[10][7].du, 0.0f);

    // Next to the border, for long enough to reach it many times over.
    grid->Init(0, 0, 0, 10, 10, 0.01f);
    Field border;
    std::memcpy(border, grid->displacement, sizeof border);
    grid->Disturb(0.6f, 0.6f, 2.0f);  // point (1, 1)
    for (int i = 0; i < 300; ++i) grid->Draw();
    for (int k = 0; k <= N; ++k)
        for (auto [r, c] : {std::pair{0, k}, {N, k}, {k, 0}, {k, N}}) {
            ASSERT_EQ(grid->displacement[r][c].du, border[r][c].du) << r << "," << c;
            ASSERT_EQ(grid->displacement[r][c].dv, border[r][c].dv) << r << "," << c;
        }
    EXPECT_NE(grid->displacement[10][10].du, border[10][10].du);
}

TEST_F(WaveGrid, SpeedZeroFreezesTheDisplacementWhileTheVelocityMoves) {
    grid->SetSpeed(0.2f);
    EXPECT_EQ(grid->speed, 0.2f);
    grid->SetSpeed(-1);
    EXPECT_EQ(grid->speed, 0.0f);
    grid->SetSpeed(0.2f);
    grid->SetSpeed(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(grid->speed, 0.0f);

    grid->Disturb(5, 5, 1);
    Field before, velocity;
    std::memcpy(before, grid->displacement, sizeof before);
    std::memcpy(velocity, grid->velocity, sizeof velocity);
    for (int i = 0; i < 5; ++i) grid->Draw();
    EXPECT_TRUE(SameField(grid->displacement, before));
    EXPECT_FALSE(SameField(grid->velocity, velocity));
    // With the displacement frozen, L stays the same and the velocity adds it each step.
    const float laplacian =
        0.1f * (before[11][10].du + before[10][11].du + before[10][9].du + before[9][10].du) - 0.4f * before[10][10].du;
    EXPECT_NEAR(grid->velocity[10][10].du, velocity[10][10].du + 5 * laplacian, 1e-5f);
}

TEST_F(WaveGrid, DampingScalesTheVelocityAfterEachStep) {
    grid->Init(0, 0, 0, 10, 10, 0);
    grid->SetDamping(0.5f);
    grid->Disturb(5, 5, 1);
    grid->Draw();
    // Velocity -0.4 moves the displacement first, then is halved.
    EXPECT_FLOAT_EQ(grid->displacement[10][10].du, 0.98f);
    EXPECT_FLOAT_EQ(grid->velocity[10][10].du, -0.2f);
}

TEST_F(WaveGrid, DisturbancesOffTheGridAreIgnored) {
    grid->Init(0, 0, 0, 10, 10, 0.01f);
    Field before;
    std::memcpy(before, grid->displacement, sizeof before);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    // Index -1 and 21 on either axis, and coordinates that are not numbers.
    for (auto [x, y] : {std::pair{-0.5f, 5.0f}, {5.0f, -0.51f}, {10.5f, 5.0f}, {5.0f, 11.0f}, {nan, 5.0f},
                        {5.0f, nan}, {inf, 5.0f}, {-inf, 5.0f}, {5.0f, 1e30f}})
        grid->Disturb(x, y, 1);
    EXPECT_TRUE(SameField(grid->displacement, before));

    // Indices truncate toward zero: just below the origin is still point 0, just
    // before 21 cells is point 20.
    grid->Disturb(-0.4f, 10.4f, 1);
    EXPECT_EQ(grid->displacement[20][0].du, before[20][0].du + 1);

    // A grid of no size has no points to disturb.
    grid->Init(0, 0, 0, 0, 0, 0);
    std::memcpy(before, grid->displacement, sizeof before);
    for (auto [x, y] : {std::pair{0.0f, 0.0f}, {1.0f, 1.0f}, {-1.0f, 0.0f}}) grid->Disturb(x, y, 1);
    EXPECT_TRUE(SameField(grid->displacement, before));
    grid->Draw();  // degenerate, but drawn without harm
    EXPECT_EQ(device->draws.size(), 1u);
}

class WaveGridRender : public FrameworkDevice {};

TEST_F(WaveGridRender, AnUndisturbedGridShowsItsTextureOnceUpright) {
    // A 2 x 2 texture: red on top (v = 0), blue below.
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(GraphicsState.device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(texture->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            reinterpret_cast<uint32_t*>(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch)[x] = y == 0 ? 0xFFFF0000 : 0xFF0000FF;
    texture->UnlockRect(0);

    // The grid 8 x 6 around (1, 0.5) in the plane z = 0, seen straight on from -z.
    const D3DXVECTOR3 eye(0, 0, -12), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&GraphicsState.viewMatrix, &eye, &at, &up);
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    SetLighting(FALSE);
    SetWorldMatrix(GraphicsState.worldMatrix);
    GraphicsState.device->SetTexture(0, texture);
    auto grid = std::make_unique<CWaveGrid>();
    grid->Init(1, 0.5f, 0, 8, 6, 0);
    grid->Draw();
    const std::vector<uint32_t> pixels = ReadBack("wave_grid_texture");
    EndFrame();
    GraphicsState.device->SetTexture(0, nullptr);
    texture->Release();

    auto screen = [](float x, float y) {
        D3DXVECTOR3 w(x, y, 0), s;
        D3DXVec3TransformCoord(&s, &w, &GraphicsState.vpsMatrix);
        return POINT{LONG(std::lround(s.x)), LONG(std::lround(s.y))};
    };
    // Upper half red, lower half blue, inside the rectangle -3..5 by -2.5..3.5.
    for (POINT p : {screen(-2.8f, 3.3f), screen(4.8f, 3.3f), screen(1, 0.7f)})
        EXPECT_EQ(At(pixels, p.x, p.y), 0xFFFF0000u) << p.x << "," << p.y;
    for (POINT p : {screen(-2.8f, -2.3f), screen(4.8f, -2.3f), screen(1, 0.3f)})
        EXPECT_EQ(At(pixels, p.x, p.y), 0xFF0000FFu) << p.x << "," << p.y;
    for (POINT p : {screen(-3.3f, 0.5f), screen(5.3f, 0.5f), screen(1, 3.8f), screen(1, -2.8f)})
        EXPECT_EQ(At(pixels, p.x, p.y) & 0xFFFFFF, 0u) << p.x << "," << p.y;
}

}  // namespace
