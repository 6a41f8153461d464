#include "d3dx8/xfile/x_mesh_builder.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace nol::d3dx8::xfile {

namespace {

constexpr uint32_t kNone = UINT32_MAX;

struct VectorHash {
    size_t operator()(const D3DXVECTOR3& v) const {
        uint32_t b[3];
        std::memcpy(b, &v.x, 12);
        return (size_t(b[0]) * 0x9E3779B1u) ^ (size_t(b[1]) * 0x85EBCA77u) ^ (size_t(b[2]) * 0xC2B2AE3Du);
    }
};
struct VectorEq {
    bool operator()(const D3DXVECTOR3& a, const D3DXVECTOR3& b) const { return std::memcmp(&a.x, &b.x, 12) == 0; }
};

// Normal indices mapped onto the first index holding the same vector, so that
// corners whose normals are equal share a vertex.
std::vector<uint32_t> CanonicalNormals(const std::vector<D3DXVECTOR3>& normals) {
    std::vector<uint32_t> canon(normals.size());
    std::unordered_map<D3DXVECTOR3, uint32_t, VectorHash, VectorEq> first;
    first.reserve(normals.size());
    for (uint32_t i = 0; i < normals.size(); ++i) canon[i] = first.emplace(normals[i], i).first->second;
    return canon;
}

// The transform of normals under world: its inverse transpose, or world itself
// when it has no inverse.
D3DXMATRIX NormalMatrix(const D3DXMATRIX& world) {
    D3DXMATRIX inverse, normalMatrix;
    if (D3DXMatrixInverse(&inverse, nullptr, &world)) D3DXMatrixTranspose(&normalMatrix, &inverse);
    else normalMatrix = world;
    return normalMatrix;
}

}  // namespace

bool XMeshBuilder::Append(const XData& meshObj, const D3DXMATRIX* world, std::string& error) {
    XMeshObject m;
    if (!ReadMeshObject(meshObj, m, error)) return false;
    Part part{mesh_.positions.size(), 0, mesh_.attributes.size(), 0, m.hasNormals, !m.colours.empty(),
              !m.uvs.empty()};
    VertexSources sources;
    AppendTriangles(m, static_cast<uint32_t>(part.firstVertex), sources);
    AppendVertices(m, sources, world);
    mesh_.materials.insert(mesh_.materials.end(), m.materials.begin(), m.materials.end());
    part.vertexCount = sources.fileVertex.size();
    part.triangleCount = mesh_.attributes.size() - part.firstTriangle;
    parts_.push_back(part);
    return true;
}

void XMeshBuilder::AppendTriangles(const XMeshObject& m, uint32_t base, VertexSources& sources) {
    const uint32_t vertexCount = static_cast<uint32_t>(m.positions.size());
    const uint32_t materialBase = static_cast<uint32_t>(mesh_.materials.size());
    sources.fileVertex.resize(vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i) sources.fileVertex[i] = i;
    sources.normal.assign(vertexCount, kNone);
    std::unordered_map<uint64_t, uint32_t> copies;
    const std::vector<uint32_t> canon = CanonicalNormals(m.normals);

    std::vector<uint32_t> corner;
    for (size_t f = 0; f < m.faces.Count(); ++f) {
        corner.clear();
        for (uint32_t k = m.faces.start[f]; k < m.faces.start[f + 1]; ++k) {
            const uint32_t v = m.faces.corners[k];
            uint32_t local = v;
            if (m.hasNormals) {
                const uint32_t n = canon[m.normalFaces.corners[k]];
                if (sources.normal[v] == kNone) {
                    sources.normal[v] = n;
                } else if (sources.normal[v] != n) {
                    auto [it, added] = copies.emplace((uint64_t(v) << 32) | n, uint32_t(sources.fileVertex.size()));
                    if (added) {
                        sources.fileVertex.push_back(v);
                        sources.normal.push_back(n);
                    }
                    local = it->second;
                }
            }
            corner.push_back(base + local);
        }
        // Polygons become fans around their first corner.
        for (size_t k = 2; k < corner.size(); ++k) {
            mesh_.indices.insert(mesh_.indices.end(), {corner[0], corner[k - 1], corner[k]});
            mesh_.attributes.push_back(materialBase + m.faceMaterial[f]);
        }
    }
}

void XMeshBuilder::AppendVertices(const XMeshObject& m, const VertexSources& sources, const D3DXMATRIX* world) {
    const bool transform = world && !D3DXMatrixIsIdentity(world);
    const D3DXMATRIX normalMatrix = transform ? NormalMatrix(*world) : D3DXMATRIX{};
    for (size_t i = 0; i < sources.fileVertex.size(); ++i) {
        const uint32_t v = sources.fileVertex[i];
        D3DXVECTOR3 p = m.positions[v];
        if (transform) D3DXVec3TransformCoord(&p, &m.positions[v], world);
        mesh_.positions.push_back(p);
        D3DXVECTOR3 n(0.0f, 0.0f, 0.0f);
        if (sources.normal[i] != kNone) {
            n = m.normals[sources.normal[i]];
            if (transform) {
                D3DXVec3TransformNormal(&n, &n, &normalMatrix);
                D3DXVec3Normalize(&n, &n);
            }
        }
        mesh_.normals.push_back(n);
        mesh_.colours.push_back(m.colours.empty() ? 0xFFFFFFFFu : m.colours[v]);
        mesh_.texCoords.push_back(m.uvs.empty() ? D3DXVECTOR2(0.0f, 0.0f) : m.uvs[v]);
    }
}

void XMeshBuilder::ComputeNormals(const Part& part) {
    // Area-weighted average of the faces around each vertex.
    for (size_t t = part.firstTriangle; t < part.firstTriangle + part.triangleCount; ++t) {
        const uint32_t* idx = &mesh_.indices[t * 3];
        D3DXVECTOR3 e1 = mesh_.positions[idx[1]] - mesh_.positions[idx[0]];
        D3DXVECTOR3 e2 = mesh_.positions[idx[2]] - mesh_.positions[idx[0]];
        D3DXVECTOR3 n;
        D3DXVec3Cross(&n, &e1, &e2);
        for (int k = 0; k < 3; ++k) mesh_.normals[idx[k]] += n;
    }
    for (size_t v = part.firstVertex; v < part.firstVertex + part.vertexCount; ++v)
        D3DXVec3Normalize(&mesh_.normals[v], &mesh_.normals[v]);
}

XMeshData XMeshBuilder::Finish() {
    auto any = [&](bool Part::*flag) {
        return std::any_of(parts_.begin(), parts_.end(), [&](const Part& p) { return p.*flag; });
    };
    mesh_.hasNormals = any(&Part::normals);
    mesh_.hasColours = any(&Part::colours);
    mesh_.hasTexCoords = any(&Part::texCoords);
    if (!mesh_.hasNormals) mesh_.normals.clear();
    else
        for (const Part& p : parts_)
            if (!p.normals) ComputeNormals(p);
    if (!mesh_.hasColours) mesh_.colours.clear();
    if (!mesh_.hasTexCoords) mesh_.texCoords.clear();
    parts_.clear();
    return std::move(mesh_);
}

}  // namespace nol::d3dx8::xfile
