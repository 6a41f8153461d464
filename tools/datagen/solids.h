// Solid shapes for the generated models, built on Model's triangles: faces are
// turned to look away from the shape's inside, so callers give corners in any
// order.
#pragma once

#include "datagen/model.h"

namespace datagen {

// Materials by kind: plain, with a highlight, and glowing (lit or not).
inline Material Matte(float r, float g, float b) {
    Material m;
    m.diffuse = {r, g, b, 1.0f};
    return m;
}
inline Material Shiny(float r, float g, float b, float highlight, float power) {
    Material m = Matte(r, g, b);
    m.specular = {highlight, highlight, highlight, 1.0f};
    m.power = power;
    return m;
}
inline Material Glowing(float r, float g, float b, float glow) {
    Material m = Matte(r, g, b);
    m.emissive = {r * glow, g * glow, b * glow, 1.0f};
    return m;
}

// A triangle or quad whose front faces along outward (corners in any winding;
// the quad's corners go round its edge).
void AddFacingTriangle(Model& model, int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                       const D3DXVECTOR3& c, const D3DXVECTOR3& outward);
void AddFacingQuad(Model& model, int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                   const D3DXVECTOR3& c, const D3DXVECTOR3& d, const D3DXVECTOR3& outward);

// A convex solid with eight corners: corner k lies on the +x side when bit 0 of k
// is set, the +y side for bit 1, the +z side for bit 2 (a box with moved corners).
struct Hexahedron {
    D3DXVECTOR3 corner[8];
    D3DXVECTOR3 Centre() const;
    // The four corners of one side, going round it: axis 0, 1, 2 for x, y, z and
    // positive for the + side.
    void Side(int axis, bool positive, D3DXVECTOR3 out[4]) const;
};

// A box-like solid from its bottom (y0) and top (y1) rectangles, each given by
// its x half-width and z extent.
Hexahedron Frustum(float y0, float halfWidth0, float zBack0, float zFront0, float y1, float halfWidth1,
                   float zBack1, float zFront1);
void AddHexahedron(Model& model, int material, const Hexahedron& h);
// A box turned any way: centre plus or minus each of three half-edge vectors.
Hexahedron Block(const D3DXVECTOR3& centre, const D3DXVECTOR3& halfU, const D3DXVECTOR3& halfV,
                 const D3DXVECTOR3& halfW);

// A panel lying on one side of a hexahedron, inset from that side's edges by the
// given fractions (u along the first edge, v along the second) and lifted off it
// by lift: windows, lights, stripes.
void AddSidePanel(Model& model, int material, const Hexahedron& h, int axis, bool positive, float insetU0,
                  float insetU1, float insetV0, float insetV1, float lift);

// A closed cylinder from p0 to p1 with smoothly shaded sides; the end caps take
// capMaterial.
void AddCylinder(Model& model, int sideMaterial, int capMaterial, const D3DXVECTOR3& p0, const D3DXVECTOR3& p1,
                 float radius, int segments);

// An upright frustum with `sides` flat faces round the y axis, from radius r0
// (to its corners) at y0 to r1 at y1, one face centred on -z; both ends closed
// with capMaterial. PrismCorner gives corner i at height y, going round from
// the right-hand corner of that front face (seen from the front).
void AddPrism(Model& model, int sideMaterial, int capMaterial, float y0, float r0, float y1, float r1, int sides);
D3DXVECTOR3 PrismCorner(int i, int sides, float radius, float y);

// A flat disc facing along normal.
void AddDisc(Model& model, int material, const D3DXVECTOR3& centre, const D3DXVECTOR3& normal, float radius,
             int segments);

}  // namespace datagen
