// The screen shapes: integer pixel coordinates, pre-transformed vertices.
#include "render/graphics_state.h"
#include "scene/shape_draw.h"
#include "scene/shapes.h"

using namespace shapes;

namespace {

float F(int v) { return static_cast<float>(v); }

ScreenVertex At(float x, float y, D3DCOLOR colour) { return {x, y, 0.0f, 1.0f, colour}; }

// Half the base of the equilateral triangle of radius r, in double as written.
double HalfBase(int r) { return r * 1.7320508 / 2; }

}  // namespace

void DrawLine2D(int x1, int y1, int x2, int y2, D3DCOLOR colour1, D3DCOLOR colour2) {
    const ScreenVertex v[2] = {At(F(x1), F(y1), colour1), At(F(x2), F(y2), SecondColour(colour1, colour2))};
    DrawShape(v, kScreenFvf, ShapePrimitive::Lines, 1);
}

void DrawTriangle2D(int cx, int cy, int r, D3DCOLOR colour) {
    const double h = HalfBase(r);
    const float base = F(cy + r / 2);
    const ScreenVertex v[4] = {
        At(F(cx), F(cy - r), colour),
        At(static_cast<float>(cx - h), base, colour),
        At(static_cast<float>(cx + h), base, colour),
        At(F(cx), F(cy - r), colour),
    };
    DrawShape(v, kScreenFvf, ShapePrimitive::LineStrip, 3);
}

void FillTriangle2D(int cx, int cy, int r, D3DCOLOR colour) {
    const double h = HalfBase(r);
    const float base = F(cy + r / 2);
    // Bottom left, apex, bottom right: clockwise on the screen.
    const ScreenVertex v[3] = {
        At(static_cast<float>(cx - h), base, colour),
        At(F(cx), F(cy - r), colour),
        At(static_cast<float>(cx + h), base, colour),
    };
    DrawShape(v, kScreenFvf, ShapePrimitive::TriangleFan, 1);
}

void DrawRect2D(int x1, int y1, int x2, int y2, D3DCOLOR colour) {
    const ScreenVertex v[5] = {
        At(F(x1), F(y1), colour), At(F(x1), F(y2), colour), At(F(x2), F(y2), colour),
        At(F(x2), F(y1), colour), At(F(x1), F(y1), colour),
    };
    DrawShape(v, kScreenFvf, ShapePrimitive::LineStrip, 4);
}

void FillRect2D(int x1, int y1, int x2, int y2, D3DCOLOR colour) {
    const ScreenVertex v[4] = {
        At(F(x1), F(y2), colour),
        At(F(x1), F(y1), colour),
        At(F(x2), F(y1), colour),
        At(F(x2), F(y2), colour),
    };
    DrawShape(v, kScreenFvf, ShapePrimitive::TriangleFan, 2);
}

void DrawTexturedRect2D(int x1, int y1, int x2, int y2, D3DCOLOR colour) {
    const RectTexWindow& t = GraphicsState.rectTexWindow;
    const float l = F(x1), top = F(y1), r = F(x2), b = F(y2);
    const ScreenTexturedVertex v[4] = {
        {l, b, 0, 1, colour, t.uLeft, t.vBottom},
        {l, top, 0, 1, colour, t.uLeft, t.vTop},
        {r, top, 0, 1, colour, t.uRight, t.vTop},
        {r, b, 0, 1, colour, t.uRight, t.vBottom},
    };
    DrawShape(v, kScreenTexturedFvf, ShapePrimitive::TriangleFan, 2);
}
