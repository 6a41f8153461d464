// The shapes as the device receives them: layouts, primitives, vertex positions,
// colours and texture coordinates (worked out here from the shapes' geometry),
// winding, and that each call leaves nothing behind but the stream and shader.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "d3d8_memory_fakes.h"
#include "render/graphics_state.h"
#include "scene/shapes.h"

namespace {

// A recorded vertex in any of the shapes' layouts.
struct Vertex {
    float x = 0, y = 0, z = 0, rhw = 0;
    D3DCOLOR colour = 0;
    float u[2] = {}, v[2] = {};
};

// Bytes per vertex, from the format bits alone.
UINT StrideOf(DWORD fvf) {
    const UINT position = (fvf & D3DFVF_XYZRHW) ? 16 : 12;
    return position + 4 + 8 * ((fvf >> 8) & 0xF);
}

std::vector<Vertex> Decode(const MemoryVertexBuffer& b) {
    const DWORD fvf = b.desc.FVF;
    const bool rhw = (fvf & D3DFVF_XYZRHW) != 0;
    const UINT stride = StrideOf(fvf), sets = (fvf >> 8) & 0xF;
    std::vector<Vertex> out(b.bytes.size() / stride);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint8_t* p = b.bytes.data() + i * stride;
        float f[4];
        std::memcpy(f, p, sizeof f);
        Vertex& v = out[i];
        v.x = f[0], v.y = f[1], v.z = f[2];
        if (rhw) v.rhw = f[3];
        p += rhw ? 16 : 12;
        std::memcpy(&v.colour, p, 4);
        p += 4;
        for (UINT s = 0; s < sets; ++s, p += 8) {
            std::memcpy(&v.u[s], p, 4);
            std::memcpy(&v.v[s], p + 4, 4);
        }
    }
    return out;
}

// How many vertices count primitives of a type read.
UINT VerticesFor(D3DPRIMITIVETYPE type, UINT count) {
    switch (type) {
        case D3DPT_LINELIST: return 2 * count;
        case D3DPT_LINESTRIP: return count + 1;
        case D3DPT_TRIANGLEFAN: return count + 2;
        default: return 0;
    }
}

class Shapes : public ::testing::Test {
protected:
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    MemoryDevice* device = ownedDevice.get();

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
    }

    // The vertices of draw i (the last one when i is -1).
    std::vector<Vertex> Drawn(int i = -1) {
        EXPECT_FALSE(device->draws.empty());
        if (device->draws.empty()) return {};
        const DrawCall& d = i < 0 ? device->draws.back() : device->draws.at(size_t(i));
        return Decode(*static_cast<MemoryVertexBuffer*>(d.stream));
    }
};

// ---- every shape: layout, primitive, buffer, state ----------------------------

enum class Facing { None, Screen, WorldXY, WorldXZ };

struct ShapeCase {
    const char* name;
    std::function<void()> draw;
    DWORD fvf;
    D3DPRIMITIVETYPE type;
    UINT primitives;
    Facing facing;  // how a viewer sees a filled shape's front
};

std::vector<ShapeCase> AllShapes() {
    const D3DCOLOR c = 0x80402010u, d = 0x11223344u;
    return {
        {"DrawLine2D", [=] { DrawLine2D(1, 2, 30, 40, c, d); }, 0x044, D3DPT_LINELIST, 1, Facing::None},
        {"DrawTriangle2D", [=] { DrawTriangle2D(50, 60, 21, c); }, 0x044, D3DPT_LINESTRIP, 3, Facing::None},
        {"FillTriangle2D", [=] { FillTriangle2D(50, 60, 21, c); }, 0x044, D3DPT_TRIANGLEFAN, 1, Facing::Screen},
        {"DrawRect2D", [=] { DrawRect2D(5, 6, 70, 80, c); }, 0x044, D3DPT_LINESTRIP, 4, Facing::None},
        {"FillRect2D", [=] { FillRect2D(5, 6, 70, 80, c); }, 0x044, D3DPT_TRIANGLEFAN, 2, Facing::Screen},
        {"DrawTexturedRect2D", [=] { DrawTexturedRect2D(5, 6, 70, 80, c); }, 0x144, D3DPT_TRIANGLEFAN, 2,
         Facing::Screen},
        {"DrawLine3D", [=] { DrawLine3D(1, 2, 3, 4, 5, 6, c, d); }, 0x042, D3DPT_LINELIST, 1, Facing::None},
        {"DrawRect3D", [=] { DrawRect3D(1, 2, 3, 4, 6, c); }, 0x042, D3DPT_LINESTRIP, 4, Facing::None},
        {"FillRect3D", [=] { FillRect3D(1, 2, 3, 4, 6, c); }, 0x042, D3DPT_TRIANGLEFAN, 2, Facing::WorldXY},
        {"DrawTexturedRect3D", [=] { DrawTexturedRect3D(1, 2, 3, 4, 6, c); }, 0x142, D3DPT_TRIANGLEFAN, 2,
         Facing::WorldXY},
        {"DrawTexturedRectXZ", [=] { DrawTexturedRectXZ(1, 2, 3, 4, 6, c); }, 0x142, D3DPT_TRIANGLEFAN, 2,
         Facing::WorldXZ},
        {"DrawDualTexturedRect3D", [=] { DrawDualTexturedRect3D(1, 2, 3, 4, 6, c); }, 0x242, D3DPT_TRIANGLEFAN, 2,
         Facing::WorldXY},
        {"FillHexagon3D", [=] { FillHexagon3D(1, 2, 3, 4, c, d); }, 0x042, D3DPT_TRIANGLEFAN, 6, Facing::WorldXY},
        {"DrawCircle3D", [=] { DrawCircle3D(1, 2, 3, 4, c); }, 0x042, D3DPT_LINESTRIP, 36, Facing::None},
        {"FillCircle3D", [=] { FillCircle3D(1, 2, 3, 4, c, d); }, 0x042, D3DPT_TRIANGLEFAN, 36, Facing::WorldXY},
    };
}

// Twice the signed area of a triangle, positive when a, b, c turn clockwise as the
// facing's viewer sees them.
float ClockwiseArea(Facing facing, const Vertex& a, const Vertex& b, const Vertex& c) {
    auto cross = [](float ax, float ay, float bx, float by, float cx, float cy) {
        return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    };
    switch (facing) {
        case Facing::Screen: return cross(a.x, a.y, b.x, b.y, c.x, c.y);  // y down
        case Facing::WorldXY: return -cross(a.x, a.y, b.x, b.y, c.x, c.y);  // y up, looking along +z
        case Facing::WorldXZ: return -cross(a.x, a.z, b.x, b.z, c.x, c.z);  // from above: x right, z up
        default: return 0;
    }
}

TEST_F(Shapes, EachDrawsOneManagedBufferOfItsLayoutAndLetsItGo) {
    for (const ShapeCase& s : AllShapes()) {
        SCOPED_TRACE(s.name);
        const size_t drawsBefore = device->draws.size();
        const size_t buffersBefore = device->vertexBuffers.size();
        s.draw();
        ASSERT_EQ(device->draws.size(), drawsBefore + 1);
        ASSERT_EQ(device->vertexBuffers.size(), buffersBefore + 1);
        const DrawCall& d = device->draws.back();
        const MemoryVertexBuffer* b = device->vertexBuffers.back();
        EXPECT_EQ(d.stream, b);
        EXPECT_EQ(d.type, s.type);
        EXPECT_EQ(d.primitives, s.primitives);
        EXPECT_EQ(d.startVertex, 0u);
        EXPECT_EQ(d.shader, s.fvf);
        EXPECT_EQ(d.stride, StrideOf(s.fvf));
        EXPECT_EQ(b->desc.FVF, s.fvf);
        EXPECT_EQ(b->desc.Pool, D3DPOOL_MANAGED);
        EXPECT_EQ(b->desc.Usage, 0u);
        // Exactly the vertices the primitives read, and nothing else.
        EXPECT_EQ(b->desc.Size, VerticesFor(s.type, s.primitives) * StrideOf(s.fvf));
        EXPECT_FALSE(b->locked);
        EXPECT_EQ(b->refs, 1) << "only the recording device's own reference may remain";
    }
    // Nothing but the stream and the vertex shader was touched.
    EXPECT_TRUE(device->stateCalls.empty());
    EXPECT_TRUE(device->transforms.empty());
    EXPECT_EQ(device->texture0, nullptr);
}

TEST_F(Shapes, FilledShapesRunClockwiseForTheirViewer) {
    for (const ShapeCase& s : AllShapes()) {
        if (s.facing == Facing::None) continue;
        SCOPED_TRACE(s.name);
        s.draw();
        const std::vector<Vertex> v = Drawn();
        ASSERT_GE(v.size(), 3u);
        for (size_t i = 1; i + 1 < v.size(); ++i)
            EXPECT_GT(ClockwiseArea(s.facing, v[0], v[i], v[i + 1]), 0.0f) << "fan triangle " << i;
    }
}

TEST_F(Shapes, NoBufferNoDraw) {
    device->createVertexBufferResult = E_OUTOFMEMORY;
    for (const ShapeCase& s : AllShapes()) s.draw();
    D3DXVECTOR3 corners[8] = {};
    DrawBox3D(corners, 0xFFFFFFFFu);
    EXPECT_TRUE(device->draws.empty());
}

// ---- lines and colours ----------------------------------------------------------

TEST_F(Shapes, ASecondColourOfZeroIsTheFirst) {
    const D3DCOLOR a = 0xFF102030u, b = 0x80FFEEDDu;
    DrawLine2D(1, 2, 3, 4, a, b);
    std::vector<Vertex> v = Drawn();
    EXPECT_EQ(v[0].colour, a);
    EXPECT_EQ(v[1].colour, b);
    EXPECT_FLOAT_EQ(v[1].x, 3);
    EXPECT_FLOAT_EQ(v[1].y, 4);
    EXPECT_FLOAT_EQ(v[0].rhw, 1);
    DrawLine2D(1, 2, 3, 4, a, 0);
    EXPECT_EQ(Drawn()[1].colour, a);
    DrawLine3D(1, 2, 3, 4, 5, 6, a, 0);
    v = Drawn();
    EXPECT_EQ(v[1].colour, a);
    EXPECT_FLOAT_EQ(v[1].z, 6);

    // The rim likewise; a centre of 0 stays 0.
    FillCircle3D(0, 0, 0, 1, a, 0);
    v = Drawn();
    for (const Vertex& p : v) EXPECT_EQ(p.colour, a);
    FillHexagon3D(0, 0, 0, 1, 0, b);
    v = Drawn();
    EXPECT_EQ(v[0].colour, 0u);
    for (size_t i = 1; i < v.size(); ++i) EXPECT_EQ(v[i].colour, b);
}

// ---- triangles --------------------------------------------------------------------

TEST_F(Shapes, TrianglesHalveTheRadiusInIntegersBelowTheCentre) {
    // r = 5: the apex 5 above the centre, the base only 2 below it.
    const int cx = 100, cy = 50, r = 5;
    const float h = static_cast<float>(r * std::sqrt(3.0) / 2);
    DrawTriangle2D(cx, cy, r, 0xFFFFFFFFu);
    std::vector<Vertex> v = Drawn();
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[0].x, cx);
    EXPECT_FLOAT_EQ(v[0].y, cy - 5);
    EXPECT_NEAR(v[1].x, cx - h, 1e-4);
    EXPECT_FLOAT_EQ(v[1].y, cy + 2);
    EXPECT_NEAR(v[2].x, cx + h, 1e-4);
    EXPECT_FLOAT_EQ(v[2].y, cy + 2);
    EXPECT_EQ(std::memcmp(&v[3], &v[0], sizeof(Vertex)), 0) << "the outline closes at the apex";

    FillTriangle2D(cx, cy, r, 0xFFFFFFFFu);
    v = Drawn();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_NEAR(v[0].x, cx - h, 1e-4);
    EXPECT_FLOAT_EQ(v[0].y, cy + 2);
    EXPECT_FLOAT_EQ(v[1].x, cx);
    EXPECT_FLOAT_EQ(v[1].y, cy - 5);
    EXPECT_NEAR(v[2].x, cx + h, 1e-4);
}

// ---- rectangles -------------------------------------------------------------------

// The corners of each rectangle in drawing order, named by their edges: "LB" is
// left and bottom. In screen shapes the bottom is y2 (below y1 on the screen).
struct RectCase {
    const char* name;
    std::function<void(float l, float r, float b, float t)> draw;  // from the edges
    bool screen;   // pixels, y down; else world, y up
    bool xz;       // the horizontal quad: "top" is far (larger z)
    const char* order;
};

TEST_F(Shapes, RectanglesVisitTheirCornersInOrder) {
    const D3DCOLOR c = 0xFF00FF00u;
    auto centre = [](auto f) {
        return [f](float l, float r, float b, float t) { f((l + r) / 2, (b + t) / 2, r - l, t - b); };
    };
    const RectCase cases[] = {
        {"DrawRect2D", [&](float l, float r, float b, float t) { DrawRect2D(int(l), int(t), int(r), int(b), c); },
         true, false, "LT LB RB RT LT"},
        {"FillRect2D", [&](float l, float r, float b, float t) { FillRect2D(int(l), int(t), int(r), int(b), c); },
         true, false, "LB LT RT RB"},
        {"DrawTexturedRect2D",
         [&](float l, float r, float b, float t) { DrawTexturedRect2D(int(l), int(t), int(r), int(b), c); }, true,
         false, "LB LT RT RB"},
        {"DrawRect3D", centre([&](float x, float y, float w, float h) { DrawRect3D(x, y, 7, w, h, c); }), false, false,
         "LB LT RT RB LB"},
        {"FillRect3D", centre([&](float x, float y, float w, float h) { FillRect3D(x, y, 7, w, h, c); }), false, false,
         "LB LT RT RB"},
        {"DrawTexturedRect3D",
         centre([&](float x, float y, float w, float h) { DrawTexturedRect3D(x, y, 7, w, h, c); }), false, false,
         "LB LT RT RB"},
        {"DrawDualTexturedRect3D",
         centre([&](float x, float y, float w, float h) { DrawDualTexturedRect3D(x, y, 7, w, h, c); }), false, false,
         "LB LT RT RB"},
        {"DrawTexturedRectXZ",
         centre([&](float x, float z, float w, float d) { DrawTexturedRectXZ(x, 7, z, w, d, c); }), false, true,
         "LB LT RT RB"},
    };
    // Edges: left 10, right 50, bottom and top 30 and 90 (screen: y1 = 30 on top).
    const float l = 10, r = 50;
    for (const RectCase& rc : cases) {
        SCOPED_TRACE(rc.name);
        const float bottom = rc.screen ? 90 : 30, top = rc.screen ? 30 : 90;
        rc.draw(l, r, bottom, top);
        const std::vector<Vertex> v = Drawn();
        std::string seen;
        for (const Vertex& p : v) {
            const float across = rc.xz ? p.z : p.y;
            const float depth = rc.xz ? p.y : p.z;
            EXPECT_FLOAT_EQ(depth, rc.screen ? 0.0f : 7.0f);
            EXPECT_EQ(p.colour, c);
            if (!seen.empty()) seen += ' ';
            seen += p.x == l ? 'L' : p.x == r ? 'R' : '?';
            seen += across == bottom ? 'B' : across == top ? 'T' : '?';
        }
        EXPECT_EQ(seen, rc.order);
    }
}

TEST_F(Shapes, TexturedRectanglesTakeTheTextureWindowAtTheirEdges) {
    GraphicsState.rectTexWindow = {0.25f, 0.75f, 0.125f, 0.875f};
    const RectTexWindow& w = GraphicsState.rectTexWindow;
    const D3DCOLOR c = 0x7F0000FFu;
    struct Case {
        const char* name;
        std::function<void()> draw;
        float left, top;  // the left edge's x and the top edge's y (or far z)
        bool xz;
    };
    const Case cases[] = {
        {"DrawTexturedRect2D", [&] { DrawTexturedRect2D(10, 30, 50, 90, c); }, 10, 30, false},
        {"DrawTexturedRect3D", [&] { DrawTexturedRect3D(30, 60, 1, 40, 60, c); }, 10, 90, false},
        {"DrawDualTexturedRect3D", [&] { DrawDualTexturedRect3D(30, 60, 1, 40, 60, c); }, 10, 90, false},
        {"DrawTexturedRectXZ", [&] { DrawTexturedRectXZ(30, 1, 60, 40, 60, c); }, 10, 90, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        k.draw();
        const bool dual = device->draws.back().shader == 0x242;
        for (const Vertex& p : Drawn()) {
            const bool left = p.x == k.left, top = (k.xz ? p.z : p.y) == k.top;
            EXPECT_EQ(p.u[0], left ? w.uLeft : w.uRight);
            EXPECT_EQ(p.v[0], top ? w.vTop : w.vBottom);
            if (dual) {
                // The second set covers the whole texture, whatever the window.
                EXPECT_EQ(p.u[1], left ? 0.0f : 1.0f);
                EXPECT_EQ(p.v[1], top ? 0.0f : 1.0f);
            }
        }
    }
}

// ---- circles ------------------------------------------------------------------------

struct DiscCase {
    const char* name;
    std::function<void(float cx, float cy, float z, float r)> draw;
    int steps;      // rim vertices before the closing one
    bool centre;    // a centre vertex comes first
    bool clockwise; // angles decrease from 2 pi; else increase from 0
};

TEST_F(Shapes, DiscsAndCirclesStepRoundTheirRimAndCloseExactly) {
    const D3DCOLOR centreColour = 0xFF111111u, rimColour = 0x80222222u;
    const DiscCase cases[] = {
        {"FillHexagon3D", [&](float x, float y, float z, float r) { FillHexagon3D(x, y, z, r, centreColour, rimColour); },
         6, true, true},
        {"FillCircle3D", [&](float x, float y, float z, float r) { FillCircle3D(x, y, z, r, centreColour, rimColour); },
         36, true, true},
        {"DrawCircle3D", [&](float x, float y, float z, float r) { DrawCircle3D(x, y, z, r, rimColour); }, 36, false,
         false},
    };
    const float cx = -3, cy = 5, z = 2, r = 7;
    const double turn = 2 * std::numbers::pi;
    for (const DiscCase& d : cases) {
        SCOPED_TRACE(d.name);
        d.draw(cx, cy, z, r);
        const std::vector<Vertex> v = Drawn();
        const size_t first = d.centre ? 1 : 0;
        ASSERT_EQ(v.size(), first + d.steps + 1);
        if (d.centre) {
            EXPECT_EQ(v[0].x, cx);
            EXPECT_EQ(v[0].y, cy);
            EXPECT_EQ(v[0].z, z);
            EXPECT_EQ(v[0].colour, centreColour);
        }
        for (int k = 0; k < d.steps; ++k) {
            const double a = (d.clockwise ? d.steps - k : k) * turn / d.steps;
            const Vertex& p = v[first + k];
            EXPECT_NEAR(p.x, cx + r * std::cos(a), 1e-4) << k;
            EXPECT_NEAR(p.y, cy + r * std::sin(a), 1e-4) << k;
            EXPECT_EQ(p.z, z);
            EXPECT_EQ(p.colour, rimColour);
        }
        EXPECT_EQ(std::memcmp(&v.back(), &v[first], sizeof(Vertex)), 0) << "the last rim vertex is the first";
    }
}

// ---- the box --------------------------------------------------------------------------

TEST_F(Shapes, TheBoxDrawsEachOfItsTwelveEdgesOnce) {
    // Corner k takes min x when bit 2 is set, min y for bit 1, min z for bit 0.
    const D3DXVECTOR3 lo(-1, -2, -3), hi(4, 5, 6);
    D3DXVECTOR3 corners[8];
    for (int k = 0; k < 8; ++k)
        corners[k] = D3DXVECTOR3((k & 4) ? lo.x : hi.x, (k & 2) ? lo.y : hi.y, (k & 1) ? lo.z : hi.z);
    const D3DCOLOR c = 0xFFABCDEFu;
    DrawBox3D(corners, c);

    auto cornerOf = [&](const Vertex& p) {
        for (int k = 0; k < 8; ++k)
            if (p.x == corners[k].x && p.y == corners[k].y && p.z == corners[k].z) return k;
        return -1;
    };
    std::multiset<std::pair<int, int>> edges;
    ASSERT_EQ(device->draws.size(), 4u);
    for (size_t i = 0; i < device->draws.size(); ++i) {
        const DrawCall& d = device->draws[i];
        EXPECT_EQ(d.shader, 0x042u);
        EXPECT_EQ(d.type, i == 0 ? D3DPT_LINESTRIP : D3DPT_LINELIST);
        const std::vector<Vertex> v = Drawn(int(i));
        ASSERT_EQ(v.size(), VerticesFor(d.type, d.primitives));
        const size_t stepBy = d.type == D3DPT_LINESTRIP ? 1 : 2;
        for (size_t j = 0; j + 1 < v.size(); j += stepBy) {
            const int a = cornerOf(v[j]), b = cornerOf(v[j + 1]);
            ASSERT_GE(a, 0);
            ASSERT_GE(b, 0);
            EXPECT_EQ(v[j].colour, c);
            EXPECT_EQ(v[j + 1].colour, c);
            edges.insert({std::min(a, b), std::max(a, b)});
        }
        if (i == 0) {
            EXPECT_EQ(cornerOf(v[0]), 2) << "the strip starts at corner 2";
        }
    }
    ASSERT_EQ(edges.size(), 12u);
    for (const auto& [a, b] : edges) {
        EXPECT_EQ(edges.count({a, b}), 1u) << a << "-" << b;
        const int differ = a ^ b;
        EXPECT_TRUE(differ == 1 || differ == 2 || differ == 4) << a << "-" << b << " is no edge";
    }
    EXPECT_EQ(edges.count({2, 6}), 1u);
}

}  // namespace
