#include "datagen/model.h"

#include <cmath>

namespace datagen {
namespace {

D3DXVECTOR3 FaceNormal(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
    D3DXVECTOR3 n;
    D3DXVECTOR3 ab = b - a, ac = c - a;
    D3DXVec3Cross(&n, &ab, &ac);
    float length = D3DXVec3Length(&n);
    return length > 0.0f ? n / length : D3DXVECTOR3(0, 1, 0);
}

}  // namespace

int Model::AddMaterial(const Material& m) {
    nol::d3dx8::xfile::XMaterialUse use;
    use.material.diffuse = m.diffuse;
    use.material.emissive = m.emissive;
    use.material.specular = m.specular;
    use.material.power = m.power;
    use.material.texture = m.texture;
    mesh_.materials.push_back(use);
    return int(mesh_.materials.size()) - 1;
}

void Model::AddTriangle(int material, const D3DXVECTOR3 (&p)[3], const D3DXVECTOR3 (&n)[3],
                        const D3DXVECTOR2 (&t)[3]) {
    const uint32_t base = uint32_t(mesh_.positions.size());
    for (int i = 0; i < 3; ++i) {
        mesh_.positions.push_back(p[i]);
        mesh_.normals.push_back(n[i]);
        mesh_.texCoords.push_back(t[i]);
    }
    mesh_.faces.push_back({base, base + 1, base + 2});
    mesh_.normalFaces.push_back({base, base + 1, base + 2});
    mesh_.faceMaterials.push_back(uint32_t(material));
}

void Model::AddTriangle(int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c,
                        const D3DXVECTOR2& ta, const D3DXVECTOR2& tb, const D3DXVECTOR2& tc) {
    const D3DXVECTOR3 n = FaceNormal(a, b, c);
    AddTriangle(material, {a, b, c}, {n, n, n}, {ta, tb, tc});
}

void Model::AddQuad(int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c,
                    const D3DXVECTOR3& d, const D3DXVECTOR2& ta, const D3DXVECTOR2& tb,
                    const D3DXVECTOR2& tc, const D3DXVECTOR2& td) {
    AddTriangle(material, a, b, c, ta, tb, tc);
    AddTriangle(material, a, c, d, ta, tc, td);
}

void Model::AddBox(int material, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi) {
    const D3DXVECTOR3 p[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                              {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                              {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    AddQuad(material, p[0], p[3], p[2], p[1]);  // front (-z)
    AddQuad(material, p[5], p[6], p[7], p[4]);  // back (+z)
    AddQuad(material, p[4], p[7], p[3], p[0]);  // left (-x)
    AddQuad(material, p[1], p[2], p[6], p[5]);  // right (+x)
    AddQuad(material, p[3], p[7], p[6], p[2]);  // top (+y)
    AddQuad(material, p[4], p[0], p[1], p[5]);  // bottom (-y)
}

nol::d3dx8::xfile::XSceneDesc Model::Scene(const std::string& name) const {
    nol::d3dx8::xfile::XSceneDesc scene;
    nol::d3dx8::xfile::XFrameDesc frame;
    frame.name = name;
    frame.meshes.push_back(mesh_);
    frame.meshes.back().name = name + "_mesh";
    scene.frames.push_back(std::move(frame));
    return scene;
}

bool Model::Write(const std::string& path, const std::string& name) const {
    return nol::d3dx8::xfile::WriteXFileToPath(path.c_str(), Scene(name));
}

}  // namespace datagen
