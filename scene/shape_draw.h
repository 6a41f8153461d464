// What every shape shares: the five vertex layouts, and the one way a shape is
// drawn (a fresh vertex buffer from a local array, one draw, released).
#pragma once

#include <cstddef>

#include "d3d8/d3d8.h"
#include "render/vertex_buffer.h"

// Kept to the shapes' own files, away from the other effects' vertex types.
namespace shapes {

struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE
    float x, y, z, rhw;
    D3DCOLOR colour;
};
struct ScreenTexturedVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
struct WorldVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
    float x, y, z;
    D3DCOLOR colour;
};
struct WorldTexturedVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
struct WorldDualTexturedVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2
    float x, y, z;
    D3DCOLOR colour;
    float u1, v1, u2, v2;
};

constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr DWORD kScreenTexturedFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kWorldFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;
constexpr DWORD kWorldTexturedFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kWorldDualTexturedFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;

enum class ShapePrimitive { Lines, LineStrip, TriangleFan };

// Copies the vertices into a new buffer, draws primitives of the given kind (the
// count matters for strips and fans only) and lets the buffer go. A buffer that
// could not be made draws nothing.
template <typename Vertex, std::size_t N>
void DrawShape(const Vertex (&vertices)[N], DWORD fvf, ShapePrimitive primitive, UINT count) {
    VertexBuffer buffer;
    buffer.Create(vertices, fvf, sizeof vertices);
    switch (primitive) {
        case ShapePrimitive::Lines: buffer.DrawLines(); break;
        case ShapePrimitive::LineStrip: buffer.DrawLineStrip(count); break;
        case ShapePrimitive::TriangleFan: buffer.DrawTriangleFan(count); break;
    }
    buffer.Release();
}

// A second colour of 0 stands for the first.
inline D3DCOLOR SecondColour(D3DCOLOR first, D3DCOLOR second) { return second ? second : first; }

}  // namespace shapes
