// Ground queries on grids of any size: correct interpolation on grids whose sides
// are not powers of two, and bit-for-bit the masked-neighbour result on those that are.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/terrain.h"

namespace {

// A terrain holding the given heights, without a device: ground queries read only these.
void Fill(Terrain* t, int columns, int rows, float cellSize, float (*height)(int i, int j)) {
    t->columns = columns;
    t->rows = rows;
    t->cellSize = cellSize;
    t->heights.reset(new float[size_t(columns) * rows]);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) t->heights[size_t(j) * columns + i] = height(i, j);
}

float Ramp(int i, int) { return 10.0f * float(i); }
float Rough(int i, int j) { return float((i * 37 + j * 11 + 5) % 256) * 0.03125f - 5.0f; }

// The query as first written: neighbours i + 1 and j + 1 masked with (size - 1),
// which wraps round only on power-of-two sizes.
float MaskedQuery(const Terrain& t, float x, float z) {
    float fx = x / t.cellSize + float(t.columns / 2);
    float fz = z / t.cellSize + float(t.rows / 2);
    fx = fx < 0.0f ? 0.0f : fx > float(t.columns - 1) ? float(t.columns - 1) : fx;
    fz = fz < 0.0f ? 0.0f : fz > float(t.rows - 1) ? float(t.rows - 1) : fz;
    const int i = int(std::floor(fx)), j = int(std::floor(fz));
    const float tx = fx - float(i), tz = fz - float(j);
    const int i1 = (i + 1) & (t.columns - 1), j1 = (j + 1) & (t.rows - 1);
    auto h = [&](int a, int b) { return t.heights[size_t(b) * t.columns + a]; };
    return (h(i, j) + (h(i1, j) - h(i, j)) * tx) * (1.0f - tz) + tz * (h(i, j1) + tx * (h(i1, j1) - h(i, j1)));
}

// Plain bilinear interpolation inside the grid, in double, for grids of any size.
double Bilinear(const Terrain& t, double fx, double fz) {
    const int i = int(std::floor(fx)), j = int(std::floor(fz));
    const int i1 = std::min(i + 1, t.columns - 1), j1 = std::min(j + 1, t.rows - 1);
    const double tx = fx - i, tz = fz - j;
    auto h = [&](int a, int b) { return double(t.heights[size_t(b) * t.columns + a]); };
    return (h(i, j) * (1 - tx) + h(i1, j) * tx) * (1 - tz) + (h(i, j1) * (1 - tx) + h(i1, j1) * tx) * tz;
}

TEST(TerrainGridSizes, AFiveByFiveRampInterpolatesBetweenItsColumns) {
    Terrain t;
    Fill(&t, 5, 5, 1.0f, Ramp);
    // Column 1.5 (x = 1.5 - 5 / 2): halfway between heights 10 and 20.
    EXPECT_EQ(t.GetHeight(-0.5f, 0.0f), 15.0f);
    EXPECT_EQ(t.GetHeight(0.25f, -1.0f), 22.5f);
    EXPECT_EQ(t.GetHeight(1.75f, 1.5f), 37.5f);
    // The far column and beyond: the edge height, whatever the wrapped neighbour holds.
    EXPECT_EQ(t.GetHeight(2.0f, 0.3f), 40.0f);
    EXPECT_EQ(t.GetHeight(1e6f, 1e6f), 40.0f);
    EXPECT_EQ(t.GetHeight(-1e6f, 0.0f), 0.0f);
}

TEST(TerrainGridSizes, OtherSizesMatchBilinearInterpolationEverywhere) {
    struct Size {
        int columns, rows;
    };
    for (const Size s : {Size{5, 5}, Size{7, 3}, Size{3, 6}, Size{1, 5}, Size{6, 1}, Size{12, 10}}) {
        SCOPED_TRACE(std::to_string(s.columns) + " x " + std::to_string(s.rows));
        Terrain t;
        Fill(&t, s.columns, s.rows, 4.0f, Rough);
        int checked = 0;
        for (float fz = -0.5f; fz <= float(s.rows) + 0.5f; fz += 0.125f)
            for (float fx = -0.5f; fx <= float(s.columns) + 0.5f; fx += 0.3125f) {
                const float x = (fx - float(s.columns / 2)) * 4.0f, z = (fz - float(s.rows / 2)) * 4.0f;
                const double cx = std::clamp(double(fx), 0.0, double(s.columns - 1));
                const double cz = std::clamp(double(fz), 0.0, double(s.rows - 1));
                ASSERT_NEAR(t.GetHeight(x, z), Bilinear(t, cx, cz), 1e-4) << "at column " << fx << ", row " << fz;
                ++checked;
            }
        EXPECT_GT(checked, 100);
    }
}

TEST(TerrainGridSizes, PowerOfTwoGridsGiveExactlyTheMaskedResult) {
    struct Size {
        int columns, rows;
        float cell;
    };
    for (const Size s : {Size{4, 4, 10.0f}, Size{8, 2, 20.0f}, Size{1, 16, 3.0f}, Size{32, 64, 0.7f}}) {
        SCOPED_TRACE(std::to_string(s.columns) + " x " + std::to_string(s.rows));
        Terrain t;
        Fill(&t, s.columns, s.rows, s.cell, Rough);
        const float spanX = float(s.columns) * s.cell, spanZ = float(s.rows) * s.cell;
        uint32_t seed = 12345;
        auto next = [&] { return float((seed = seed * 1103515245u + 12345u) >> 8) / float(1 << 24); };
        for (int k = 0; k < 5000; ++k) {
            // Mostly inside, some beyond every edge, some on exact grid points.
            float x = (next() * 1.4f - 0.7f) * spanX, z = (next() * 1.4f - 0.7f) * spanZ;
            if (k % 10 == 0) x = std::round(x / s.cell) * s.cell, z = std::round(z / s.cell) * s.cell;
            const float got = t.GetHeight(x, z), want = MaskedQuery(t, x, z);
            ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << x << ", " << z << ": " << got << " vs " << want;
        }
    }
}

}  // namespace
