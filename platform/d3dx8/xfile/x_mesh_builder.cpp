#include "d3dx8/xfile/x_mesh_builder.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "d3dx8/rmxfguid.h"

namespace xfile {

namespace {

constexpr uint32_t kNone = UINT32_MAX;

// Bounds-checked reading of packed object data in member order.
class Cursor {
public:
    explicit Cursor(const XData& d) : p_(d.data.data()), left_(d.data.size()) {}
    bool Dword(uint32_t& v) { return Take(&v, 4); }
    bool Floats(float* v, size_t n) { return Take(v, 4 * n); }
    bool String(const char*& s) { return Take(&s, sizeof s); }
    // Whether count items of each bytes can still follow.
    bool Fits(uint64_t count, size_t each) const { return count <= left_ / each; }

private:
    bool Take(void* out, size_t n) {
        if (n > left_) return false;
        std::memcpy(out, p_, n);
        p_ += n;
        left_ -= n;
        return true;
    }
    const uint8_t* p_;
    size_t left_;
};

// Polygons as a flat corner list with the start of each face.
struct Faces {
    std::vector<uint32_t> corners;
    std::vector<uint32_t> start;  // faces + 1 entries
    size_t Count() const { return start.empty() ? 0 : start.size() - 1; }
    uint32_t Size(size_t f) const { return start[f + 1] - start[f]; }
};

bool ReadFaces(Cursor& c, uint32_t limit, Faces& faces, const char* what, std::string& error) {
    uint32_t count;
    if (!c.Dword(count) || !c.Fits(count, 4)) {
        error = std::string(what) + " face list is damaged";
        return false;
    }
    faces.start.assign(1, 0);
    faces.start.reserve(size_t(count) + 1);
    faces.corners.reserve(size_t(count) * 3);
    for (uint32_t f = 0; f < count; ++f) {
        uint32_t n;
        if (!c.Dword(n) || !c.Fits(n, 4)) {
            error = std::string(what) + " face " + std::to_string(f) + " is damaged";
            return false;
        }
        for (uint32_t k = 0; k < n; ++k) {
            uint32_t i = 0;
            c.Dword(i);
            if (i >= limit) {
                error = std::string(what) + " face " + std::to_string(f) + " uses index " + std::to_string(i) +
                        ", but there are only " + std::to_string(limit);
                return false;
            }
            faces.corners.push_back(i);
        }
        faces.start.push_back(static_cast<uint32_t>(faces.corners.size()));
    }
    return true;
}

bool ReadVectors(Cursor& c, std::vector<D3DXVECTOR3>& out, const char* what, std::string& error) {
    uint32_t count;
    if (!c.Dword(count) || !c.Fits(count, 12)) {
        error = std::string(what) + " are damaged";
        return false;
    }
    out.resize(count);
    for (D3DXVECTOR3& v : out) c.Floats(&v.x, 3);
    return true;
}

// The D3DCOLOR of a colour value, each channel clamped to 0..1.
D3DCOLOR PackColour(const float rgba[4]) {
    auto channel = [](float v) { return static_cast<DWORD>(std::clamp(v, 0.0f, 1.0f) * 255.0f); };
    return D3DCOLOR_ARGB(channel(rgba[3]), channel(rgba[0]), channel(rgba[1]), channel(rgba[2]));
}

bool ReadMaterial(const XData& obj, XMaterial& m, std::string& error) {
    Cursor c(obj);
    float v[11];
    if (!c.Floats(v, 11)) {
        error = "material " + obj.name + " is damaged";
        return false;
    }
    m.Diffuse = {v[0], v[1], v[2], v[3]};
    m.Power = v[4];
    m.Specular = {v[5], v[6], v[7], 1.0f};
    m.Emissive = {v[8], v[9], v[10], 1.0f};
    for (const XChild& child : obj.children) {
        if (!child.object || !IsStandardObject(*child.object, TID_D3DRMTextureFilename)) continue;
        Cursor t(*child.object);
        const char* name = nullptr;
        if (t.String(name) && name) m.textureFilename = name;
        break;
    }
    return true;
}

// Materials of a MeshMaterialList and the material of every face.
bool ReadMaterialList(const XData& list, size_t faceCount, std::vector<XMaterial>& materials,
                      std::vector<uint32_t>& faceMaterial, std::string& error) {
    Cursor c(list);
    uint32_t count, indexCount;
    if (!c.Dword(count) || !c.Dword(indexCount) || !c.Fits(indexCount, 4)) {
        error = "MeshMaterialList is damaged";
        return false;
    }
    std::vector<uint32_t> indices(indexCount);
    for (uint32_t& i : indices) c.Dword(i);

    for (const XChild& child : list.children) {
        if (materials.size() == count) break;
        const XData* m = child.object.get();
        if (!m) {
            m = child.reference.target;
            if (!m || !IsStandardObject(*m, TID_D3DRMMaterial)) {
                error = "material reference {" + child.reference.name + "} names no Material of the file";
                return false;
            }
        } else if (!IsStandardObject(*m, TID_D3DRMMaterial)) {
            continue;
        }
        XMaterial material;
        if (!ReadMaterial(*m, material, error)) return false;
        materials.push_back(std::move(material));
    }
    if (materials.size() < count) {
        error = "MeshMaterialList declares " + std::to_string(count) + " materials but holds " +
                std::to_string(materials.size());
        return false;
    }
    if (count == 0) {
        materials.emplace_back();  // the default: white
        indices.clear();
    }
    // Faces beyond the list keep the last material given.
    faceMaterial.assign(faceCount, indices.empty() ? 0 : indices.back());
    for (size_t f = 0; f < std::min<size_t>(faceCount, indices.size()); ++f) faceMaterial[f] = indices[f];
    for (size_t f = 0; f < faceCount; ++f)
        if (faceMaterial[f] >= materials.size()) {
            error = "face " + std::to_string(f) + " uses material " + std::to_string(faceMaterial[f]) +
                    ", but the mesh has " + std::to_string(materials.size());
            return false;
        }
    return true;
}

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

}  // namespace

bool IsStandardObject(const XData& obj, const GUID& type) {
    if (obj.Type() != type) return false;
    auto standard = StandardTemplates().FindByGuid(type);
    return standard && SameLayout(*obj.tmpl, *standard);
}

bool ReadFrameTransform(const XData& obj, D3DXMATRIX& out) {
    Cursor c(obj);
    return c.Floats(&out._11, 16);
}

bool XMeshBuilder::Append(const XData& meshObj, const D3DXMATRIX* world, std::string& error) {
    const std::string what = "mesh" + (meshObj.name.empty() ? std::string() : " " + meshObj.name);
    if (!IsStandardObject(meshObj, TID_D3DRMMesh)) {
        error = what + " does not have the standard Mesh layout";
        return false;
    }
    Cursor c(meshObj);
    std::vector<D3DXVECTOR3> positions;
    Faces faces;
    if (!ReadVectors(c, positions, (what + " vertices").c_str(), error) ||
        !ReadFaces(c, static_cast<uint32_t>(positions.size()), faces, what.c_str(), error))
        return false;
    const uint32_t vertexCount = static_cast<uint32_t>(positions.size());
    const size_t faceCount = faces.Count();

    // Optional parts: the first of each kind counts.
    const XData *normalsObj = nullptr, *uvObj = nullptr, *coloursObj = nullptr, *listObj = nullptr;
    for (const XChild& child : meshObj.children) {
        const XData* o = child.object.get();
        if (!o) continue;
        if (!normalsObj && IsStandardObject(*o, TID_D3DRMMeshNormals)) normalsObj = o;
        else if (!uvObj && IsStandardObject(*o, TID_D3DRMMeshTextureCoords)) uvObj = o;
        else if (!coloursObj && IsStandardObject(*o, TID_D3DRMMeshVertexColors)) coloursObj = o;
        else if (!listObj && IsStandardObject(*o, TID_D3DRMMeshMaterialList)) listObj = o;
    }

    std::vector<D3DXVECTOR3> normals;
    Faces normalFaces;
    if (normalsObj) {
        Cursor n(*normalsObj);
        if (!ReadVectors(n, normals, (what + " normals").c_str(), error) ||
            !ReadFaces(n, static_cast<uint32_t>(normals.size()), normalFaces, (what + " normal").c_str(), error))
            return false;
        if (normalFaces.Count() != faceCount) {
            error = what + " has " + std::to_string(faceCount) + " faces but " +
                    std::to_string(normalFaces.Count()) + " normal faces";
            return false;
        }
        for (size_t f = 0; f < faceCount; ++f)
            if (normalFaces.Size(f) != faces.Size(f)) {
                error = what + " face " + std::to_string(f) + " has " + std::to_string(faces.Size(f)) +
                        " corners but " + std::to_string(normalFaces.Size(f)) + " normals";
                return false;
            }
    }

    std::vector<D3DXVECTOR2> uvs;
    if (uvObj) {
        Cursor u(*uvObj);
        uint32_t count;
        if (!u.Dword(count) || !u.Fits(count, 8) || count < vertexCount) {
            error = what + " has fewer texture coordinates than vertices";
            return false;
        }
        uvs.resize(vertexCount);
        for (D3DXVECTOR2& t : uvs) u.Floats(&t.x, 2);
    }

    std::vector<D3DCOLOR> colours;
    if (coloursObj) {
        Cursor k(*coloursObj);
        uint32_t count;
        if (!k.Dword(count) || !k.Fits(count, 20)) {
            error = what + " vertex colours are damaged";
            return false;
        }
        colours.assign(vertexCount, 0xFFFFFFFFu);  // unlisted vertices stay white
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t index = 0;
            float rgba[4] = {};
            k.Dword(index);
            k.Floats(rgba, 4);
            if (index >= vertexCount) {
                error = what + " gives a colour to vertex " + std::to_string(index) + " of " +
                        std::to_string(vertexCount);
                return false;
            }
            colours[index] = PackColour(rgba);
        }
    }

    std::vector<XMaterial> materials;
    std::vector<uint32_t> faceMaterial;
    if (listObj) {
        if (!ReadMaterialList(*listObj, faceCount, materials, faceMaterial, error)) {
            error = what + ": " + error;
            return false;
        }
    } else {
        materials.emplace_back();  // no list: one white material for every face
        faceMaterial.assign(faceCount, 0);
    }

    // Vertices: every vertex of the file keeps its place; a vertex met with a
    // second, different normal is copied.
    Part part{mesh_.positions.size(), 0, mesh_.attributes.size(), 0, normalsObj != nullptr,
              coloursObj != nullptr, uvObj != nullptr};
    const uint32_t base = static_cast<uint32_t>(part.firstVertex);
    const uint32_t materialBase = static_cast<uint32_t>(mesh_.materials.size());
    std::vector<uint32_t> source(positions.size());  // file vertex of each new vertex
    for (uint32_t i = 0; i < vertexCount; ++i) source[i] = i;
    std::vector<uint32_t> vertexNormal(vertexCount, kNone);
    std::unordered_map<uint64_t, uint32_t> copies;
    const std::vector<uint32_t> canon = CanonicalNormals(normals);

    std::vector<uint32_t> corner;
    for (size_t f = 0; f < faceCount; ++f) {
        corner.clear();
        for (uint32_t k = faces.start[f]; k < faces.start[f + 1]; ++k) {
            const uint32_t v = faces.corners[k];
            uint32_t local = v;
            if (normalsObj) {
                const uint32_t n = canon[normalFaces.corners[k]];
                if (vertexNormal[v] == kNone) {
                    vertexNormal[v] = n;
                } else if (vertexNormal[v] != n) {
                    auto [it, added] = copies.emplace((uint64_t(v) << 32) | n, uint32_t(source.size()));
                    if (added) {
                        source.push_back(v);
                        vertexNormal.push_back(n);
                    }
                    local = it->second;
                }
            }
            corner.push_back(base + local);
        }
        // Polygons become fans around their first corner.
        for (size_t k = 2; k < corner.size(); ++k) {
            mesh_.indices.insert(mesh_.indices.end(), {corner[0], corner[k - 1], corner[k]});
            mesh_.attributes.push_back(materialBase + faceMaterial[f]);
        }
    }

    // Vertex streams, transformed into the frame's space.
    D3DXMATRIX normalMatrix;
    const bool transform = world && !D3DXMatrixIsIdentity(world);
    if (transform) {
        D3DXMATRIX inverse;
        if (D3DXMatrixInverse(&inverse, nullptr, world)) D3DXMatrixTranspose(&normalMatrix, &inverse);
        else normalMatrix = *world;
    }
    for (size_t i = 0; i < source.size(); ++i) {
        const uint32_t v = source[i];
        D3DXVECTOR3 p = positions[v];
        if (transform) D3DXVec3TransformCoord(&p, &positions[v], world);
        mesh_.positions.push_back(p);
        D3DXVECTOR3 n(0.0f, 0.0f, 0.0f);
        if (i < vertexNormal.size() && vertexNormal[i] != kNone) {
            n = normals[vertexNormal[i]];
            if (transform) {
                D3DXVec3TransformNormal(&n, &n, &normalMatrix);
                D3DXVec3Normalize(&n, &n);
            }
        }
        mesh_.normals.push_back(n);
        mesh_.colours.push_back(colours.empty() ? 0xFFFFFFFFu : colours[v]);
        mesh_.texCoords.push_back(uvs.empty() ? D3DXVECTOR2(0.0f, 0.0f) : uvs[v]);
    }
    mesh_.materials.insert(mesh_.materials.end(), materials.begin(), materials.end());
    part.vertexCount = source.size();
    part.triangleCount = mesh_.attributes.size() - part.firstTriangle;
    parts_.push_back(part);
    return true;
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

}  // namespace xfile
