// A small builder for the generated models: triangles and quads with flat or
// given normals, texture coordinates and materials, turned into a .x mesh.
//
// Faces are given clockwise as seen from their front, Direct3D's convention: the
// front is what the default culling keeps and what a downward ray test hits.
#pragma once

#include <string>
#include <vector>

#include "d3dx8/xfile/x_writer.h"

namespace datagen {

struct Material {
    D3DCOLORVALUE diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    D3DCOLORVALUE emissive{0.0f, 0.0f, 0.0f, 1.0f};
    D3DCOLORVALUE specular{0.0f, 0.0f, 0.0f, 1.0f};
    float power = 0.0f;
    std::string texture;  // file name beside the model, or empty
};

class Model {
public:
    // Returns the index to draw faces with.
    int AddMaterial(const Material& material);

    // One triangle, clockwise seen from the front. Its normal is the face normal
    // unless normals are given; texture coordinates default to (0, 0).
    void AddTriangle(int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c,
                     const D3DXVECTOR2& ta = {0, 0}, const D3DXVECTOR2& tb = {0, 0},
                     const D3DXVECTOR2& tc = {0, 0});
    void AddTriangle(int material, const D3DXVECTOR3 (&p)[3], const D3DXVECTOR3 (&n)[3],
                     const D3DXVECTOR2 (&t)[3]);
    // A quad a-b-c-d, clockwise seen from the front, as two triangles.
    void AddQuad(int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c,
                 const D3DXVECTOR3& d, const D3DXVECTOR2& ta = {0, 0}, const D3DXVECTOR2& tb = {1, 0},
                 const D3DXVECTOR2& tc = {1, 1}, const D3DXVECTOR2& td = {0, 1});
    // An axis-aligned box between two corners, every face outwards.
    void AddBox(int material, const D3DXVECTOR3& low, const D3DXVECTOR3& high);

    size_t TriangleCount() const { return mesh_.faces.size(); }
    const std::vector<D3DXVECTOR3>& Positions() const { return mesh_.positions; }

    // The .x description: one frame holding one mesh.
    nol::d3dx8::xfile::XSceneDesc Scene(const std::string& name) const;
    // Writes the model as a text .x file; false when it cannot be written.
    bool Write(const std::string& path, const std::string& name) const;

private:
    nol::d3dx8::xfile::XMeshDesc mesh_;
};

}  // namespace datagen
