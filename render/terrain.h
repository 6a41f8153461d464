// Height-field ground built from the green channel of a bitmap: a triangle list
// to draw, and the grid of heights for ground queries.
#pragma once

#include <memory>

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8math.h"
#include "render/vertex_buffer.h"

class Terrain {
public:
    // The image's pixels are grid points cellSize apart, centred on origin's x
    // and z; each point's height is green * heightScale / 256 + origin.y.
    int Build(const char* file, const D3DXVECTOR3& origin, float cellSize, float heightScale, D3DCOLOR colour);
    void Draw();
    // The ground height under (x, z), interpolated between grid points; the grid
    // is taken as centred on x = 0, z = 0.
    float GetHeight(float x, float z) const;

    VertexBuffer vertices;  // format 0x152, six vertices per cell
    float cellSize = 0.0f;
    int columns = 0;
    int rows = 0;
    std::unique_ptr<float[]> heights;  // columns x rows, row-major; null when not built
    int built = 0;
};

// The layout of one terrain vertex (D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE |
// D3DFVF_TEX1).
struct TerrainVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kTerrainFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(sizeof(TerrainVertex) == 36, "one terrain vertex is 36 bytes");
