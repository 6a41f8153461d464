#include "d3dx8/xfile/x_mesh_object.h"

#include <algorithm>
#include <cstring>

#include "d3dx8/rmxfguid.h"

namespace nol::d3dx8::xfile {

namespace {

// Bounds-checked reading of packed object data in member order.
class Cursor {
public:
    explicit Cursor(const XData& d) : p_(d.data.data()), left_(d.data.size()) {}
    bool Dword(uint32_t& v) { return Take(&v, 4); }
    bool Floats(float* v, size_t n) { return Take(v, 4 * n); }
    bool String(const char*& s) { return Take(&s, sizeof s); }
    bool Skip(uint64_t count, size_t each) {
        if (!Fits(count, each)) return false;
        p_ += count * each;
        left_ -= count * each;
        return true;
    }
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

bool ReadFaces(Cursor& c, uint32_t limit, XFaces& faces, const char* what, std::string& error) {
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

// The D3DCOLOR of a colour value, each channel clamped to 0..1. The file's floats
// may be anything: NaN becomes 0 (a NaN must never reach the integer conversion).
D3DCOLOR PackColour(const float rgba[4]) {
    auto channel = [](float v) -> DWORD {
        if (!(v > 0.0f)) return 0;  // also NaN
        if (v >= 1.0f) return 255;
        return static_cast<DWORD>(v * 255.0f);
    };
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

// The optional children of a mesh; the first of each kind counts.
struct OptionalParts {
    const XData* normals = nullptr;
    const XData* texCoords = nullptr;
    const XData* colours = nullptr;
    const XData* materialList = nullptr;
};

OptionalParts FindOptionalParts(const XData& mesh) {
    OptionalParts parts;
    for (const XChild& child : mesh.children) {
        const XData* o = child.object.get();
        if (!o) continue;
        if (!parts.normals && IsStandardObject(*o, TID_D3DRMMeshNormals)) parts.normals = o;
        else if (!parts.texCoords && IsStandardObject(*o, TID_D3DRMMeshTextureCoords)) parts.texCoords = o;
        else if (!parts.colours && IsStandardObject(*o, TID_D3DRMMeshVertexColors)) parts.colours = o;
        else if (!parts.materialList && IsStandardObject(*o, TID_D3DRMMeshMaterialList)) parts.materialList = o;
    }
    return parts;
}

bool ReadNormals(const XData& obj, const std::string& what, XMeshObject& m, std::string& error) {
    Cursor n(obj);
    if (!ReadVectors(n, m.normals, (what + " normals").c_str(), error) ||
        !ReadFaces(n, static_cast<uint32_t>(m.normals.size()), m.normalFaces, (what + " normal").c_str(), error))
        return false;
    const size_t faceCount = m.faces.Count();
    if (m.normalFaces.Count() != faceCount) {
        error = what + " has " + std::to_string(faceCount) + " faces but " +
                std::to_string(m.normalFaces.Count()) + " normal faces";
        return false;
    }
    for (size_t f = 0; f < faceCount; ++f)
        if (m.normalFaces.Size(f) != m.faces.Size(f)) {
            error = what + " face " + std::to_string(f) + " has " + std::to_string(m.faces.Size(f)) +
                    " corners but " + std::to_string(m.normalFaces.Size(f)) + " normals";
            return false;
        }
    m.hasNormals = true;
    return true;
}

bool ReadTexCoords(const XData& obj, const std::string& what, XMeshObject& m, std::string& error) {
    const uint32_t vertexCount = static_cast<uint32_t>(m.positions.size());
    Cursor u(obj);
    uint32_t count;
    if (!u.Dword(count) || !u.Fits(count, 8) || count < vertexCount) {
        error = what + " has fewer texture coordinates than vertices";
        return false;
    }
    m.uvs.resize(vertexCount);
    for (D3DXVECTOR2& t : m.uvs) u.Floats(&t.x, 2);
    return true;
}

bool ReadVertexColours(const XData& obj, const std::string& what, XMeshObject& m, std::string& error) {
    const uint32_t vertexCount = static_cast<uint32_t>(m.positions.size());
    Cursor k(obj);
    uint32_t count;
    if (!k.Dword(count) || !k.Fits(count, 20)) {
        error = what + " vertex colours are damaged";
        return false;
    }
    m.colours.assign(vertexCount, 0xFFFFFFFFu);  // unlisted vertices stay white
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
        m.colours[index] = PackColour(rgba);
    }
    return true;
}

bool ReadMaterials(const XData* list, const std::string& what, XMeshObject& m, std::string& error) {
    if (!list) {
        m.materials.emplace_back();  // no list: one white material for every face
        m.faceMaterial.assign(m.faces.Count(), 0);
        return true;
    }
    if (ReadMaterialList(*list, m.faces.Count(), m.materials, m.faceMaterial, error)) return true;
    error = what + ": " + error;
    return false;
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

XMeshSize MeasureMeshObject(const XData& mesh) {
    XMeshSize size;
    if (!IsStandardObject(mesh, TID_D3DRMMesh)) return size;
    Cursor c(mesh);
    uint32_t vertices = 0, faces = 0;
    if (!c.Dword(vertices) || !c.Skip(vertices, 12)) return size;
    size.vertices = vertices;
    if (!c.Dword(faces)) return size;
    for (uint32_t f = 0; f < faces; ++f) {
        uint32_t n = 0;
        if (!c.Dword(n) || !c.Skip(n, 4)) break;
        size.corners += n;
        if (n >= 3) size.triangles += n - 2;
    }
    return size;
}

bool ReadMeshObject(const XData& mesh, XMeshObject& m, std::string& error) {
    m = XMeshObject{};
    const std::string what = "mesh" + (mesh.name.empty() ? std::string() : " " + mesh.name);
    if (!IsStandardObject(mesh, TID_D3DRMMesh)) {
        error = what + " does not have the standard Mesh layout";
        return false;
    }
    Cursor c(mesh);
    if (!ReadVectors(c, m.positions, (what + " vertices").c_str(), error) ||
        !ReadFaces(c, static_cast<uint32_t>(m.positions.size()), m.faces, what.c_str(), error))
        return false;
    const OptionalParts parts = FindOptionalParts(mesh);
    return (!parts.normals || ReadNormals(*parts.normals, what, m, error)) &&
           (!parts.texCoords || ReadTexCoords(*parts.texCoords, what, m, error)) &&
           (!parts.colours || ReadVertexColours(*parts.colours, what, m, error)) &&
           ReadMaterials(parts.materialList, what, m, error);
}

}  // namespace nol::d3dx8::xfile
