#include "scene/shapes.h"

#include "render/graphics_state.h"
#include "render/vertex_buffer.h"

namespace {

struct ScreenTexturedVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};

constexpr DWORD kScreenTexturedFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

}  // namespace

void DrawTexturedRect2D(int x1, int y1, int x2, int y2, D3DCOLOR colour) {
    const RectTexWindow& t = GraphicsState.rectTexWindow;
    const float l = static_cast<float>(x1), top = static_cast<float>(y1);
    const float r = static_cast<float>(x2), b = static_cast<float>(y2);
    // Clockwise on the screen, so that culling keeps it.
    const ScreenTexturedVertex v[4] = {
        {l, b, 0, 1, colour, t.uLeft, t.vBottom},
        {l, top, 0, 1, colour, t.uLeft, t.vTop},
        {r, top, 0, 1, colour, t.uRight, t.vTop},
        {r, b, 0, 1, colour, t.uRight, t.vBottom},
    };
    VertexBuffer buffer;
    buffer.Create(v, kScreenTexturedFvf, sizeof v);
    buffer.DrawTriangleFan(2);
    buffer.Release();
}
