// The world shapes: float coordinates in the plane z = const (y = const for the
// horizontal quad) of the current world transform.
#include <cmath>

#include "render/graphics_state.h"
#include "scene/shape_draw.h"
#include "scene/shapes.h"

using namespace shapes;

namespace {

// The corners of a rectangle by centre and size.
struct Extent {
    float l, r, b, t;
};
Extent Around(float cx, float cy, float width, float height) {
    return {cx - width / 2, cx + width / 2, cy - height / 2, cy + height / 2};
}

// A point at angle a on the circle of radius r about (cx, cy).
WorldVertex OnCircle(float cx, float cy, float z, float r, float a, D3DCOLOR colour) {
    return {cx + r * std::cos(a), cy + r * std::sin(a), z, colour};
}

// A fan of `steps` triangles: the centre, then the rim from angle 2 pi down to the
// last step before 0, closed by its first vertex again. Decreasing angles make it
// clockwise seen along +z.
template <std::size_t N>
void FillDisc(WorldVertex (&v)[N], float cx, float cy, float z, float r, D3DCOLOR centre, D3DCOLOR rim) {
    constexpr int steps = static_cast<int>(N) - 2;
    v[0] = {cx, cy, z, centre};
    for (int k = 0; k < steps; ++k) v[k + 1] = OnCircle(cx, cy, z, r, (steps - k) * D3DX_PI / (steps / 2), rim);
    v[N - 1] = v[1];
    DrawShape(v, kWorldFvf, ShapePrimitive::TriangleFan, steps);
}

}  // namespace

void DrawLine3D(float x1, float y1, float z1, float x2, float y2, float z2, D3DCOLOR colour1, D3DCOLOR colour2) {
    const WorldVertex v[2] = {{x1, y1, z1, colour1}, {x2, y2, z2, SecondColour(colour1, colour2)}};
    DrawShape(v, kWorldFvf, ShapePrimitive::Lines, 1);
}

void DrawRect3D(float cx, float cy, float z, float width, float height, D3DCOLOR colour) {
    const Extent e = Around(cx, cy, width, height);
    const WorldVertex v[5] = {
        {e.l, e.b, z, colour}, {e.l, e.t, z, colour}, {e.r, e.t, z, colour},
        {e.r, e.b, z, colour}, {e.l, e.b, z, colour},
    };
    DrawShape(v, kWorldFvf, ShapePrimitive::LineStrip, 4);
}

void FillRect3D(float cx, float cy, float z, float width, float height, D3DCOLOR colour) {
    const Extent e = Around(cx, cy, width, height);
    const WorldVertex v[4] = {
        {e.l, e.b, z, colour}, {e.l, e.t, z, colour}, {e.r, e.t, z, colour}, {e.r, e.b, z, colour}};
    DrawShape(v, kWorldFvf, ShapePrimitive::TriangleFan, 2);
}

void DrawTexturedRect3D(float cx, float cy, float z, float width, float height, D3DCOLOR colour) {
    const RectTexWindow& t = GraphicsState.rectTexWindow;
    const Extent e = Around(cx, cy, width, height);
    const WorldTexturedVertex v[4] = {
        {e.l, e.b, z, colour, t.uLeft, t.vBottom},
        {e.l, e.t, z, colour, t.uLeft, t.vTop},
        {e.r, e.t, z, colour, t.uRight, t.vTop},
        {e.r, e.b, z, colour, t.uRight, t.vBottom},
    };
    DrawShape(v, kWorldTexturedFvf, ShapePrimitive::TriangleFan, 2);
}

void DrawTexturedRectXZ(float cx, float y, float cz, float width, float depth, D3DCOLOR colour) {
    const RectTexWindow& t = GraphicsState.rectTexWindow;
    const Extent e = Around(cx, cz, width, depth);  // b and t are near and far in z
    const WorldTexturedVertex v[4] = {
        {e.l, y, e.b, colour, t.uLeft, t.vBottom},
        {e.l, y, e.t, colour, t.uLeft, t.vTop},
        {e.r, y, e.t, colour, t.uRight, t.vTop},
        {e.r, y, e.b, colour, t.uRight, t.vBottom},
    };
    DrawShape(v, kWorldTexturedFvf, ShapePrimitive::TriangleFan, 2);
}

void DrawDualTexturedRect3D(float cx, float cy, float z, float width, float height, D3DCOLOR colour) {
    const RectTexWindow& t = GraphicsState.rectTexWindow;
    const Extent e = Around(cx, cy, width, height);
    const WorldDualTexturedVertex v[4] = {
        {e.l, e.b, z, colour, t.uLeft, t.vBottom, 0, 1},
        {e.l, e.t, z, colour, t.uLeft, t.vTop, 0, 0},
        {e.r, e.t, z, colour, t.uRight, t.vTop, 1, 0},
        {e.r, e.b, z, colour, t.uRight, t.vBottom, 1, 1},
    };
    DrawShape(v, kWorldDualTexturedFvf, ShapePrimitive::TriangleFan, 2);
}

void FillHexagon3D(float cx, float cy, float z, float r, D3DCOLOR centreColour, D3DCOLOR rimColour) {
    WorldVertex v[8];
    FillDisc(v, cx, cy, z, r, centreColour, SecondColour(centreColour, rimColour));
}

void FillCircle3D(float cx, float cy, float z, float r, D3DCOLOR centreColour, D3DCOLOR rimColour) {
    WorldVertex v[38];
    FillDisc(v, cx, cy, z, r, centreColour, SecondColour(centreColour, rimColour));
}

void DrawCircle3D(float cx, float cy, float z, float r, D3DCOLOR colour) {
    WorldVertex v[37];
    for (int k = 0; k < 36; ++k) v[k] = OnCircle(cx, cy, z, r, k * D3DX_PI / 18, colour);
    v[36] = v[0];
    DrawShape(v, kWorldFvf, ShapePrimitive::LineStrip, 36);
}

void DrawBox3D(const D3DXVECTOR3 corners[8], D3DCOLOR colour) {
    // The face at max x, the edge 2-6 and the face at min x in one strip; the other
    // three edges between the faces as lines.
    static constexpr int kStrip[10] = {2, 0, 1, 3, 2, 6, 4, 5, 7, 6};
    WorldVertex v[10];
    for (int i = 0; i < 10; ++i) {
        const D3DXVECTOR3& c = corners[kStrip[i]];
        v[i] = {c.x, c.y, c.z, colour};
    }
    DrawShape(v, kWorldFvf, ShapePrimitive::LineStrip, 9);
    static constexpr int kSides[3][2] = {{0, 4}, {1, 5}, {3, 7}};
    for (const auto& s : kSides) {
        const D3DXVECTOR3& a = corners[s[0]];
        const D3DXVECTOR3& b = corners[s[1]];
        DrawLine3D(a.x, a.y, a.z, b.x, b.y, b.z, colour, colour);
    }
}
