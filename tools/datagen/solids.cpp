#include "datagen/solids.h"

#include <cmath>

namespace datagen {
namespace {

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    D3DXVECTOR3 c;
    D3DXVec3Cross(&c, &a, &b);
    return c;
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return D3DXVec3Dot(&a, &b); }

D3DXVECTOR3 Unit(const D3DXVECTOR3& v) {
    const float length = D3DXVec3Length(&v);
    return length > 0.0f ? v / length : D3DXVECTOR3(0, 1, 0);
}

// Two unit vectors at right angles to axis and to each other.
void Basis(const D3DXVECTOR3& axis, D3DXVECTOR3* u, D3DXVECTOR3* v) {
    const D3DXVECTOR3 helper = std::fabs(axis.y) < 0.9f ? D3DXVECTOR3(0, 1, 0) : D3DXVECTOR3(1, 0, 0);
    *u = Unit(Cross(helper, axis));
    *v = Unit(Cross(axis, *u));
}

constexpr float kTwoPi = 6.28318530718f;

}  // namespace

void AddFacingTriangle(Model& model, int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                       const D3DXVECTOR3& c, const D3DXVECTOR3& outward) {
    // Model's front is where (b - a) x (c - a) points.
    if (Dot(Cross(b - a, c - a), outward) >= 0.0f)
        model.AddTriangle(material, a, b, c);
    else
        model.AddTriangle(material, a, c, b);
}

void AddFacingQuad(Model& model, int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                   const D3DXVECTOR3& c, const D3DXVECTOR3& d, const D3DXVECTOR3& outward) {
    AddFacingTriangle(model, material, a, b, c, outward);
    AddFacingTriangle(model, material, a, c, d, outward);
}

D3DXVECTOR3 Hexahedron::Centre() const {
    D3DXVECTOR3 sum(0, 0, 0);
    for (const D3DXVECTOR3& p : corner) sum += p;
    return sum / 8.0f;
}

void Hexahedron::Side(int axis, bool positive, D3DXVECTOR3 out[4]) const {
    const int bit = 1 << axis;
    const int a = 1 << ((axis + 1) % 3), b = 1 << ((axis + 2) % 3);
    const int base = positive ? bit : 0;
    out[0] = corner[base];
    out[1] = corner[base | a];
    out[2] = corner[base | a | b];
    out[3] = corner[base | b];
}

Hexahedron Frustum(float y0, float halfWidth0, float zBack0, float zFront0, float y1, float halfWidth1,
                   float zBack1, float zFront1) {
    Hexahedron h;
    for (int k = 0; k < 8; ++k) {
        const bool top = k & 2, front = k & 4;
        const float half = top ? halfWidth1 : halfWidth0;
        h.corner[k] = D3DXVECTOR3((k & 1) ? half : -half, top ? y1 : y0,
                                  top ? (front ? zFront1 : zBack1) : (front ? zFront0 : zBack0));
    }
    return h;
}

Hexahedron Block(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfU, const D3DXVECTOR3& halfV,
                 const D3DXVECTOR3& halfW) {
    Hexahedron h;
    for (int k = 0; k < 8; ++k)
        h.corner[k] = centre + ((k & 1) ? halfU : -halfU) + ((k & 2) ? halfV : -halfV) + ((k & 4) ? halfW : -halfW);
    return h;
}

void AddHexahedron(Model& model, int material, const Hexahedron& h) {
    const D3DXVECTOR3 centre = h.Centre();
    for (int axis = 0; axis < 3; ++axis) {
        for (bool positive : {false, true}) {
            D3DXVECTOR3 s[4];
            h.Side(axis, positive, s);
            const D3DXVECTOR3 middle = (s[0] + s[1] + s[2] + s[3]) / 4.0f;
            AddFacingQuad(model, material, s[0], s[1], s[2], s[3], middle - centre);
        }
    }
}

void AddSidePanel(Model& model, int material, const Hexahedron& h, int axis, bool positive, float insetU0,
                  float insetU1, float insetV0, float insetV1, float lift) {
    D3DXVECTOR3 s[4];
    h.Side(axis, positive, s);
    const D3DXVECTOR3 middle = (s[0] + s[1] + s[2] + s[3]) / 4.0f;
    D3DXVECTOR3 normal = Unit(Cross(s[1] - s[0], s[3] - s[0]));
    if (Dot(normal, middle - h.Centre()) < 0.0f) normal = -normal;
    // Bilinear point on the side: u runs s0 -> s1, v runs s0 -> s3.
    auto at = [&](float u, float v) {
        const D3DXVECTOR3 low = s[0] + u * (s[1] - s[0]);
        const D3DXVECTOR3 high = s[3] + u * (s[2] - s[3]);
        return low + v * (high - low) + lift * normal;
    };
    const float u0 = insetU0, u1 = 1.0f - insetU1, v0 = insetV0, v1 = 1.0f - insetV1;
    AddFacingQuad(model, material, at(u0, v0), at(u1, v0), at(u1, v1), at(u0, v1), normal);
}

void AddCylinder(Model& model, int sideMaterial, int capMaterial, const D3DXVECTOR3& p0, const D3DXVECTOR3& p1,
                 float radius, int segments) {
    const D3DXVECTOR3 axis = Unit(p1 - p0);
    D3DXVECTOR3 u, v;
    Basis(axis, &u, &v);
    for (int i = 0; i < segments; ++i) {
        const float a0 = kTwoPi * i / segments, a1 = kTwoPi * (i + 1) / segments;
        const D3DXVECTOR3 n0 = std::cos(a0) * u + std::sin(a0) * v;
        const D3DXVECTOR3 n1 = std::cos(a1) * u + std::sin(a1) * v;
        const D3DXVECTOR3 q[4] = {p0 + radius * n0, p0 + radius * n1, p1 + radius * n1, p1 + radius * n0};
        const D3DXVECTOR2 t(0, 0);
        // Smooth sides: each corner carries its own radial normal.
        const D3DXVECTOR3 outward = n0 + n1;
        const bool flip = Dot(Cross(q[1] - q[0], q[2] - q[0]), outward) < 0.0f;
        if (!flip) {
            model.AddTriangle(sideMaterial, {q[0], q[1], q[2]}, {n0, n1, n1}, {t, t, t});
            model.AddTriangle(sideMaterial, {q[0], q[2], q[3]}, {n0, n1, n0}, {t, t, t});
        } else {
            model.AddTriangle(sideMaterial, {q[0], q[2], q[1]}, {n0, n1, n1}, {t, t, t});
            model.AddTriangle(sideMaterial, {q[0], q[3], q[2]}, {n0, n0, n1}, {t, t, t});
        }
        AddFacingTriangle(model, capMaterial, p0, q[0], q[1], -axis);
        AddFacingTriangle(model, capMaterial, p1, q[3], q[2], axis);
    }
}

D3DXVECTOR3 PrismCorner(int i, int sides, float radius, float y) {
    const float a = kTwoPi * (0.5f + float(i)) / float(sides);
    return D3DXVECTOR3(radius * std::sin(a), y, -radius * std::cos(a));
}

void AddPrism(Model& model, int sideMaterial, int capMaterial, float y0, float r0, float y1, float r1, int sides) {
    const D3DXVECTOR3 bottom(0, y0, 0), top(0, y1, 0);
    for (int i = 0; i < sides; ++i) {
        const D3DXVECTOR3 a0 = PrismCorner(i, sides, r0, y0), b0 = PrismCorner(i + 1, sides, r0, y0);
        const D3DXVECTOR3 a1 = PrismCorner(i, sides, r1, y1), b1 = PrismCorner(i + 1, sides, r1, y1);
        const D3DXVECTOR3 middle = (a0 + b0 + a1 + b1) / 4.0f;
        AddFacingQuad(model, sideMaterial, a0, b0, b1, a1, D3DXVECTOR3(middle.x, 0, middle.z));
        AddFacingTriangle(model, capMaterial, bottom, a0, b0, {0, -1, 0});
        AddFacingTriangle(model, capMaterial, top, a1, b1, {0, 1, 0});
    }
}

void AddDisc(Model& model, int material, const D3DXVECTOR3& centre, const D3DXVECTOR3& normal, float radius,
             int segments) {
    const D3DXVECTOR3 n = Unit(normal);
    D3DXVECTOR3 u, v;
    Basis(n, &u, &v);
    for (int i = 0; i < segments; ++i) {
        const float a0 = kTwoPi * i / segments, a1 = kTwoPi * (i + 1) / segments;
        AddFacingTriangle(model, material, centre, centre + radius * (std::cos(a0) * u + std::sin(a0) * v),
                          centre + radius * (std::cos(a1) * u + std::sin(a1) * v), n);
    }
}

}  // namespace datagen
