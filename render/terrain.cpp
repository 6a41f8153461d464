// Building the terrain's triangle list from a height map, drawing it, and
// querying the ground height.
#include "render/terrain.h"

#include <cmath>
#include <cstdint>
#include <new>

#include "d3dx8/d3dx8tex.h"
#include "render/graphics_state.h"
#include "shell/log.h"

namespace {

// The six vertices of cell (i, j) at grid points (column, row) offsets, in order.
constexpr int kCellCorners[6][2] = {{0, 0}, {0, 1}, {1, 1}, {0, 0}, {1, 1}, {1, 0}};

void SetFaceNormal(TerrainVertex* v) {
    D3DXVECTOR3 a = v[1].position - v[0].position;
    D3DXVECTOR3 b = v[2].position - v[1].position;
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, D3DXVec3Cross(&n, &a, &b));
    v[0].normal = v[1].normal = v[2].normal = n;
}

// The six vertices sharing grid point (i + 1, j + 1) of the cell with base index
// b. Beyond the last column or row, vertices of the current cell or row stand in
// for the missing ones.
void Sharers(size_t b, size_t w, bool lastColumn, bool lastRow, size_t out[6]) {
    out[0] = b + 2;
    out[1] = b + 4;
    if (lastColumn && lastRow) {
        out[2] = b + 1, out[3] = b + 5, out[4] = b, out[5] = b + 3;
    } else if (lastColumn) {
        out[2] = b + 1, out[3] = b + 6 * w + 5, out[4] = b + 6 * w, out[5] = b + 6 * w + 3;
    } else if (lastRow) {
        out[2] = b + 7, out[3] = b + 5, out[4] = b + 6, out[5] = b + 9;
    } else {
        out[2] = b + 7, out[3] = b + 6 * w + 5, out[4] = b + 6 * w + 6, out[5] = b + 6 * w + 9;
    }
}

// The grid points of a locked height map: the green byte of each pixel. Points
// past the last column or row repeat the last one.
struct HeightMap {
    const uint8_t* bits;
    size_t pitch, width, height;

    float At(size_t i, size_t j, float scale, float base) const {
        if (i >= width) i = width - 1;
        if (j >= height) j = height - 1;
        const uint8_t green = bits[j * pitch + i * 4 + 1];
        return static_cast<float>(green) * scale / 256.0f + base;
    }
};

// Two flat-shaded triangles per grid cell, the grid centred on origin's x and z.
void BuildCells(const HeightMap& map, const D3DXVECTOR3& origin, float d, float s, D3DCOLOR colour,
                TerrainVertex* v) {
    const size_t w = map.width, h = map.height;
    const float left = origin.x - static_cast<float>(w) * d * 0.5f;
    const float front = origin.z - static_cast<float>(h) * d * 0.5f;
    for (size_t j = 0; j < h; ++j) {
        for (size_t i = 0; i < w; ++i) {
            TerrainVertex* cell = &v[6 * (j * w + i)];
            for (int k = 0; k < 6; ++k) {
                const size_t column = i + kCellCorners[k][0], row = j + kCellCorners[k][1];
                cell[k].position = D3DXVECTOR3(left + static_cast<float>(column) * d,
                                               map.At(column, row, s, origin.y),
                                               front + static_cast<float>(row) * d);
                cell[k].colour = colour;
                cell[k].u = static_cast<float>(column) / static_cast<float>(w);
                cell[k].v = static_cast<float>(row) / static_cast<float>(h);
            }
            SetFaceNormal(cell);
            SetFaceNormal(cell + 3);
        }
    }
}

// Smooth shading: each grid point's sharers take the mean of their normals,
// cell by cell in the order the cells were built.
void SmoothNormals(size_t w, size_t h, TerrainVertex* v) {
    for (size_t j = 0; j < h; ++j) {
        for (size_t i = 0; i < w; ++i) {
            size_t sharer[6];
            Sharers(6 * (j * w + i), w, i == w - 1, j == h - 1, sharer);
            D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
            for (size_t index : sharer) sum += v[index].normal;
            sum *= 1.0f / 6.0f;
            for (size_t index : sharer) v[index].normal = sum;
        }
    }
}

// The height map as an A8R8G8B8 image in system memory; logged when it cannot
// be loaded.
IDirect3DTexture8* LoadHeightMap(const char* file) {
    IDirect3DTexture8* image = nullptr;
    HRESULT hr = D3DXCreateTextureFromFileExA(GraphicsState.device, file, 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                              D3DPOOL_SYSTEMMEM, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr,
                                              nullptr, &image);
    if (SUCCEEDED(hr) && image) return image;
    LogMessage("LOAD_TEXTURE_SYS:%s\n", file ? file : "");
    return nullptr;
}

// Whether a w x h map of this format makes a terrain the device can draw; the
// reason is logged when not.
bool UsableSize(const D3DSURFACE_DESC& desc, const char* file) {
    const uint64_t n = uint64_t(desc.Width) * desc.Height * 6;
    // Six vertices per cell are counted against the primitive limit.
    if (n > GraphicsState.maxPrimitiveCount) {
        LogMessage("Over max primitive count.\n");
        return false;
    }
    if (desc.Width == 0 || desc.Height == 0 || n * sizeof(TerrainVertex) > UINT32_MAX ||
        (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8)) {
        LogMessage("Unusable height map: %s\n", file);
        return false;
    }
    return true;
}

}  // namespace

int Terrain::Build(const char* file, const D3DXVECTOR3& origin, float d, float s, D3DCOLOR colour) {
    heights.reset();

    IDirect3DTexture8* image = LoadHeightMap(file);
    if (!image) return 0;
    D3DSURFACE_DESC desc{};
    image->GetLevelDesc(0, &desc);
    if (!UsableSize(desc, file)) {
        image->Release();
        return 0;
    }
    const size_t w = desc.Width, h = desc.Height, n = w * h * 6;
    std::unique_ptr<TerrainVertex[]> v(new (std::nothrow) TerrainVertex[n]);
    std::unique_ptr<float[]> grid(new (std::nothrow) float[w * h]);
    D3DLOCKED_RECT lr{};
    if (!v || !grid || FAILED(image->LockRect(0, &lr, nullptr, D3DLOCK_READONLY)) || !lr.pBits) {
        LogMessage("Height map could not be read: %s\n", file);
        image->Release();
        return 0;
    }
    const HeightMap map{static_cast<const uint8_t*>(lr.pBits), static_cast<size_t>(lr.Pitch), w, h};
    BuildCells(map, origin, d, s, colour, v.get());
    image->UnlockRect(0);
    image->Release();
    SmoothNormals(w, h, v.get());

    vertices.Create(v.get(), kTerrainFvf, static_cast<UINT>(n * sizeof(TerrainVertex)));
    built = 1;
    for (size_t j = 0; j < h; ++j)
        for (size_t i = 0; i < w; ++i) grid[j * w + i] = v[6 * (j * w + i)].position.y;
    heights = std::move(grid);
    cellSize = d;
    columns = static_cast<int>(w);
    rows = static_cast<int>(h);
    return 1;
}

void Terrain::Draw() {
    if (built == 1) vertices.DrawTriangles();
}

float Terrain::GetHeight(float x, float z) const {
    if (!heights) return 0.0f;
    float fx = x / cellSize + static_cast<float>(columns / 2);
    float fz = z / cellSize + static_cast<float>(rows / 2);
    // Written so that a NaN (a zero cell size) clamps to 0 as well.
    if (!(fx > 0.0f)) fx = 0.0f;
    if (fx > static_cast<float>(columns - 1)) fx = static_cast<float>(columns - 1);
    if (!(fz > 0.0f)) fz = 0.0f;
    if (fz > static_cast<float>(rows - 1)) fz = static_cast<float>(rows - 1);
    const int i = static_cast<int>(std::floor(fx)), j = static_cast<int>(std::floor(fz));
    const float tx = fx - static_cast<float>(i), tz = fz - static_cast<float>(j);
    // Past the far edge the neighbour wraps round to the first column or row, where
    // its weight is 0. A modulo rather than a mask keeps other sizes correct, and
    // names the same point as the mask on power-of-two grids.
    const int i1 = (i + 1) % columns, j1 = (j + 1) % rows;
    auto at = [this](int a, int b) { return heights[static_cast<size_t>(b) * columns + a]; };
    return (at(i, j) + (at(i1, j) - at(i, j)) * tx) * (1.0f - tz) + tz * (at(i, j1) + tx * (at(i1, j1) - at(i, j1)));
}
