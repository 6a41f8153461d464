// The height-field terrain on a memory device, from bitmaps the tests write:
// heights, the vertex layout, normals, ground queries and refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "d3d8_memory_fakes.h"
#include "image_files.h"
#include "render/graphics_state.h"
#include "render/terrain.h"
#include "support/test_support.h"

namespace {

using Levels = std::function<int(int i, int j)>;

class TerrainTest : public ::testing::Test {
protected:
    // First, so that it outlives what the test makes with it.
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    MemoryDevice* device = ownedDevice.get();
    TempDir dir;
    Terrain terrain;

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        GraphicsState.maxPrimitiveCount = 0xFFFFF;
    }

    // An 8-bit palettised height map: palette entry k is (255 - k, k, 7), so
    // only the green channel carries the level.
    std::string Palettised(const std::string& name, int w, int h, const Levels& green) {
        images::Bmp b(w, h, 8);
        for (int k = 0; k < 256; ++k) b.palette.push_back(uint32_t(255 - k) << 16 | uint32_t(k) << 8 | 7);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) b.pixels.push_back(uint32_t(green(i, j)));
        EXPECT_TRUE(images::WriteBmp(dir.File(name), b));
        return dir.File(name);
    }

    std::string TrueColour(const std::string& name, int w, int h, const Levels& green) {
        images::Bmp b(w, h, 24);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) b.pixels.push_back(D3DCOLOR_XRGB(i * 40, green(i, j), 255 - j * 30));
        EXPECT_TRUE(images::WriteBmp(dir.File(name), b));
        return dir.File(name);
    }

    const TerrainVertex& Vertex(size_t i) const { return device->LastVertexBuffer()->Vertex<TerrainVertex>(i); }
};

int Mixed(int i, int j) { return (i * 37 + j * 11 + 5) % 256; }

TEST_F(TerrainTest, HeightsAreTheGreenChannelOfPalettisedAndTrueColourBitmaps) {
    for (bool palettised : {true, false}) {
        SCOPED_TRACE(palettised ? "8-bit" : "24-bit");
        const int w = palettised ? 4 : 5, h = 3;  // 5 wide: 24-bit rows carry padding
        const std::string file = palettised ? Palettised("p.bmp", w, h, Mixed) : TrueColour("t.bmp", w, h, Mixed);
        ASSERT_EQ(terrain.Build(file.c_str(), D3DXVECTOR3(10, -5, 20), 20.0f, 8.0f, 0xFF336699), 1);
        EXPECT_EQ(terrain.built, 1);
        EXPECT_EQ(terrain.columns, w);
        EXPECT_EQ(terrain.rows, h);
        EXPECT_EQ(terrain.cellSize, 20.0f);
        ASSERT_NE(terrain.heights, nullptr);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                EXPECT_EQ(terrain.heights[size_t(j * w + i)], Mixed(i, j) / 32.0f - 5.0f) << i << "," << j;

        // The image went through system memory, read-only, and is gone again.
        const MemoryTexture* image = device->LastTexture();
        EXPECT_EQ(image->levels.size(), 1u);
        EXPECT_EQ(image->levels[0].desc.Pool, D3DPOOL_SYSTEMMEM);
        EXPECT_EQ(image->levels[0].desc.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(image->lockFlags.back(), DWORD(D3DLOCK_READONLY));  // after the loader filled it
        EXPECT_EQ(image->refs, 1);
    }
}

TEST_F(TerrainTest, SixVerticesPerCellWithTheEdgePointsRepeated) {
    const int w = 3, h = 2;
    const float d = 20.0f;
    ASSERT_EQ(terrain.Build(Palettised("a.bmp", w, h, Mixed).c_str(), D3DXVECTOR3(10, -5, 20), d, 8.0f, 0xFF336699), 1);
    const MemoryVertexBuffer* vb = device->LastVertexBuffer();
    EXPECT_EQ(vb->desc.FVF, 0x152u);
    EXPECT_EQ(vb->desc.Size, UINT(w * h * 6 * 36));
    EXPECT_EQ(terrain.vertices.count, UINT(w * h * 6));

    const float left = 10 - w * d * 0.5f, front = 20 - h * d * 0.5f;
    auto height = [](int i, int j) { return Mixed(i, j) / 32.0f - 5.0f; };
    // Vertex k of cell (i, j) is at grid point (column, row); its height is that
    // of point (hi, hj) under the edge rule.
    auto check = [&](int i, int j, int k, int column, int row, int hi, int hj) {
        SCOPED_TRACE(testing::Message() << "cell " << i << "," << j << " vertex " << k);
        const TerrainVertex& v = Vertex(size_t(6 * (j * w + i) + k));
        EXPECT_EQ(v.position.x, left + column * d);
        EXPECT_EQ(v.position.z, front + row * d);
        EXPECT_EQ(v.position.y, height(hi, hj));
        EXPECT_EQ(v.u, float(column) / w);
        EXPECT_EQ(v.v, float(row) / h);
        EXPECT_EQ(v.colour, 0xFF336699u);
    };
    // An inner cell: (i, j), (i, j+1), (i+1, j+1), (i, j), (i+1, j+1), (i+1, j).
    check(0, 0, 0, 0, 0, 0, 0);
    check(0, 0, 1, 0, 1, 0, 1);
    check(0, 0, 2, 1, 1, 1, 1);
    check(0, 0, 3, 0, 0, 0, 0);
    check(0, 0, 4, 1, 1, 1, 1);
    check(0, 0, 5, 1, 0, 1, 0);
    // The last column repeats column 2 at column 3.
    check(2, 0, 2, 3, 1, 2, 1);
    check(2, 0, 5, 3, 0, 2, 0);
    // The last row repeats row 1 at row 2.
    check(1, 1, 1, 1, 2, 1, 1);
    check(1, 1, 2, 2, 2, 2, 1);
    // The last cell: all four corners at its own height.
    check(2, 1, 1, 2, 2, 2, 1);
    check(2, 1, 2, 3, 2, 2, 1);
    check(2, 1, 5, 3, 1, 2, 1);
}

D3DXVECTOR3 FaceNormal(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    D3DXVECTOR3 e1 = b - a, e2 = c - b, n;
    D3DXVec3Cross(&n, &e1, &e2);
    D3DXVec3Normalize(&n, &n);
    return n;
}

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-5);
    EXPECT_NEAR(a.y, b.y, 1e-5);
    EXPECT_NEAR(a.z, b.z, 1e-5);
}

TEST_F(TerrainTest, NormalsAreFaceNormalsAveragedOverEachGridPoint) {
    // Flat ground: straight up everywhere, edges included.
    ASSERT_EQ(terrain.Build(Palettised("flat.bmp", 3, 3, [](int, int) { return 100; }).c_str(),
                            D3DXVECTOR3(0, 0, 0), 1.0f, 32.0f, 0xFFFFFFFF), 1);
    for (size_t k = 0; k < 3 * 3 * 6; ++k) ExpectNear(Vertex(k).normal, D3DXVECTOR3(0, 1, 0));

    // A slope rising one unit per cell along x leans every inner normal towards -x.
    ASSERT_EQ(terrain.Build(Palettised("slope.bmp", 8, 8, [](int i, int) { return 8 * i; }).c_str(),
                            D3DXVECTOR3(0, 0, 0), 1.0f, 32.0f, 0xFFFFFFFF), 1);
    const float r = std::sqrt(0.5f);
    for (int k = 0; k < 6; ++k) ExpectNear(Vertex(size_t(6 * (3 * 8 + 2) + k)).normal, D3DXVECTOR3(-r, r, 0));

    // A single raised point (4, 4) on a 9 x 9 map: its six vertices hold the mean
    // of the six faces around it, not normalised again.
    const int w = 9;
    ASSERT_EQ(terrain.Build(Palettised("peak.bmp", w, w, [](int i, int j) { return i == 4 && j == 4 ? 64 : 0; }).c_str(),
                            D3DXVECTOR3(0, 0, 0), 1.0f, 32.0f, 0xFFFFFFFF), 1);
    auto p = [](int i, int j) { return D3DXVECTOR3(float(i) - 4.5f, i == 4 && j == 4 ? 8.0f : 0.0f, float(j) - 4.5f); };
    D3DXVECTOR3 mean = FaceNormal(p(3, 3), p(3, 4), p(4, 4)) + FaceNormal(p(3, 3), p(4, 4), p(4, 3)) +
                       FaceNormal(p(4, 3), p(4, 4), p(5, 4)) + FaceNormal(p(3, 4), p(4, 5), p(4, 4)) +
                       FaceNormal(p(4, 4), p(4, 5), p(5, 5)) + FaceNormal(p(4, 4), p(5, 5), p(5, 4));
    mean *= 1.0f / 6.0f;
    auto base = [&](int i, int j) { return size_t(6 * (j * w + i)); };
    const size_t atPeak[6] = {base(3, 3) + 2, base(3, 3) + 4, base(4, 3) + 1, base(3, 4) + 5, base(4, 4) + 0,
                              base(4, 4) + 3};
    for (size_t k : atPeak) ExpectNear(Vertex(k).normal, mean);
    EXPECT_LT(D3DXVec3Length(&mean), 0.99f);
    // The points beside the peak lean away from it.
    EXPECT_GT(Vertex(base(4, 3) + 2).normal.x, 0.1f);   // point (5, 4)
    EXPECT_LT(Vertex(base(2, 3) + 2).normal.x, -0.1f);  // point (3, 4)
    EXPECT_GT(Vertex(base(3, 4) + 2).normal.z, 0.1f);   // point (4, 5)

    // Along the far edges the stand-in sharers share one value too: the last
    // column, the last row and the last cell.
    ASSERT_EQ(terrain.Build(Palettised("mixed.bmp", 5, 5, Mixed).c_str(), D3DXVECTOR3(0, 0, 0), 10.0f, 64.0f,
                            0xFFFFFFFF), 1);
    const size_t W = 5;
    auto same = [&](std::initializer_list<size_t> indices) {
        for (size_t k : indices) ExpectNear(Vertex(k).normal, Vertex(*indices.begin()).normal);
    };
    const size_t lastColumn = 6 * (1 * W + 4), lastRow = 6 * (4 * W + 1), lastCell = 6 * (4 * W + 4);
    same({lastColumn + 2, lastColumn + 4, lastColumn + 1, lastColumn + 6 * W + 5, lastColumn + 6 * W,
          lastColumn + 6 * W + 3});
    same({lastRow + 2, lastRow + 4, lastRow + 7, lastRow + 5, lastRow + 6, lastRow + 9});
    same({lastCell + 2, lastCell + 4, lastCell + 1, lastCell + 5, lastCell, lastCell + 3});
}

TEST_F(TerrainTest, GetHeightInterpolatesClampsAndWraps) {
    Terrain unbuilt;
    EXPECT_EQ(unbuilt.GetHeight(0, 0), 0.0f);

    // 4 x 4 points 10 apart, centred on x = z = 0: point (i, j) at ((i - 2) * 10, (j - 2) * 10).
    ASSERT_EQ(terrain.Build(TrueColour("h.bmp", 4, 4, Mixed).c_str(), D3DXVECTOR3(100, 0, -50), 10.0f, 256.0f,
                            0xFFFFFFFF), 1);
    auto h = [](int i, int j) { return float(Mixed(i, j)); };
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) EXPECT_EQ(terrain.GetHeight((i - 2) * 10.0f, (j - 2) * 10.0f), h(i, j));

    // Between points: bilinear in the cell.
    const float tx = 0.25f, tz = 0.5f;
    const float expected = (h(1, 1) * (1 - tx) + h(2, 1) * tx) * (1 - tz) + (h(1, 2) * (1 - tx) + h(2, 2) * tx) * tz;
    EXPECT_NEAR(terrain.GetHeight(-10 + 10 * tx, -10 + 10 * tz), expected, 1e-3);

    // Far outside: the nearest edge point.
    EXPECT_EQ(terrain.GetHeight(-1e6f, -1e6f), h(0, 0));
    EXPECT_EQ(terrain.GetHeight(1e6f, 1e6f), h(3, 3));
    EXPECT_EQ(terrain.GetHeight(1e6f, -1e6f), h(3, 0));
    EXPECT_EQ(terrain.GetHeight(-25.0f, 5.0f), h(0, 2) * 0.5f + h(0, 3) * 0.5f);
    // On the far column the neighbour wraps to column 0 with weight 0.
    EXPECT_NEAR(terrain.GetHeight(10.0f, -5.0f), (h(3, 1) + h(3, 2)) * 0.5f, 1e-3);
    EXPECT_EQ(terrain.GetHeight(10.0f, 10.0f), h(3, 3));

    // A zero cell size gives no NaN.
    ASSERT_EQ(terrain.Build(TrueColour("h.bmp", 4, 4, Mixed).c_str(), D3DXVECTOR3(0, 0, 0), 0.0f, 256.0f,
                            0xFFFFFFFF), 1);
    EXPECT_TRUE(std::isfinite(terrain.GetHeight(1.0f, -1.0f)));
    EXPECT_TRUE(std::isfinite(terrain.GetHeight(0.0f, 0.0f)));
}

TEST_F(TerrainTest, DrawDrawsTheTriangleListOnlyWhenBuilt) {
    terrain.Draw();
    EXPECT_TRUE(device->draws.empty());
    ASSERT_EQ(terrain.Build(Palettised("a.bmp", 4, 2, Mixed).c_str(), D3DXVECTOR3(0, 0, 0), 1, 1, 0xFFFFFFFF), 1);
    terrain.Draw();
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].type, D3DPT_TRIANGLELIST);
    EXPECT_EQ(device->draws[0].primitives, 16u);
    EXPECT_EQ(device->draws[0].stride, 36u);
    EXPECT_EQ(device->draws[0].shader, 0x152u);
    EXPECT_EQ(device->draws[0].stream, terrain.vertices.buffer);
}

TEST_F(TerrainTest, TooManyPrimitivesAndMissingFilesAreRefused) {
    const std::string big = Palettised("big.bmp", 128, 128, Mixed);
    GraphicsState.maxPrimitiveCount = 98303;  // 128 x 128 x 6 = 98304 vertices
    testing::internal::CaptureStderr();
    EXPECT_EQ(terrain.Build(big.c_str(), D3DXVECTOR3(0, 0, 0), 1, 1, 0xFFFFFFFF), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Over max primitive count.\n");
    EXPECT_EQ(terrain.built, 0);
    EXPECT_TRUE(device->vertexBuffers.empty());
    EXPECT_EQ(device->LastTexture()->refs, 1);  // the image was released
    GraphicsState.maxPrimitiveCount = 98304;
    EXPECT_EQ(terrain.Build(big.c_str(), D3DXVECTOR3(0, 0, 0), 1, 1, 0xFFFFFFFF), 1);

    // A failed rebuild: the heights are gone, the old triangles still draw.
    const std::string missing = dir.File("hf_missing.bmp");
    testing::internal::CaptureStderr();
    EXPECT_EQ(terrain.Build(missing.c_str(), D3DXVECTOR3(0, 0, 0), 1, 1, 0xFFFFFFFF), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LOAD_TEXTURE_SYS:" + missing + "\n");
    EXPECT_EQ(terrain.built, 1);
    EXPECT_EQ(terrain.heights, nullptr);
    EXPECT_EQ(terrain.GetHeight(0, 0), 0.0f);
    terrain.Draw();
    ASSERT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(device->draws[0].primitives, 128u * 128u * 2u);

    // Never built: nothing to draw, height 0 everywhere.
    Terrain fresh;
    testing::internal::CaptureStderr();
    EXPECT_EQ(fresh.Build(missing.c_str(), D3DXVECTOR3(0, 0, 0), 1, 1, 0xFFFFFFFF), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "LOAD_TEXTURE_SYS:" + missing + "\n");
    fresh.Draw();
    EXPECT_EQ(device->draws.size(), 1u);
    EXPECT_EQ(fresh.GetHeight(12, 34), 0.0f);
}

}  // namespace
