// One mesh from a .x file: every Mesh object of the file (at the top level or in
// Frame hierarchies, with the frames' transforms applied) merged into a single
// triangle list with a material per triangle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d8/d3d8types.h"
#include "d3dx8/d3dx8math.h"
#include "d3dx8/xfile/x_data.h"
#include "d3dx8/xfile/x_status.h"

namespace nol::d3dx8::xfile {

// Laid out as D3DMATERIAL8, plus the texture the material names.
struct XMaterial {
    D3DCOLORVALUE Diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    D3DCOLORVALUE Ambient{0.0f, 0.0f, 0.0f, 0.0f};  // the file has none
    D3DCOLORVALUE Specular{0.0f, 0.0f, 0.0f, 1.0f};
    D3DCOLORVALUE Emissive{0.0f, 0.0f, 0.0f, 1.0f};
    float Power = 0.0f;
    std::string textureFilename;  // empty when the material has no texture
};

struct XMeshData {
    std::vector<D3DXVECTOR3> positions;
    std::vector<D3DXVECTOR3> normals;      // one per position when hasNormals
    std::vector<D3DCOLOR> colours;         // one per position when hasColours
    std::vector<D3DXVECTOR2> texCoords;    // one per position when hasTexCoords
    bool hasNormals = false;
    bool hasColours = false;
    bool hasTexCoords = false;
    std::vector<uint32_t> indices;     // three per triangle, in the file's winding
    std::vector<uint32_t> attributes;  // material index of each triangle
    std::vector<XMaterial> materials;

    size_t TriangleCount() const { return attributes.size(); }
    void Clear() { *this = XMeshData{}; }
};

// The most a merged mesh may hold. Vertices: the D3DX mesh has 16-bit indices.
// Triangles: a frame may place one mesh many thousand times by reference, so the
// file's size does not bound them; two million is far beyond any model.
constexpr size_t kMaxXMeshVertices = 0xFFFF;
constexpr size_t kMaxXMeshTriangles = 1u << 21;

// Merges the meshes of a parsed file. Returns false with a reason (and an empty
// result) when the file has no usable mesh or a mesh is inconsistent, or when
// its mesh instances add up to more than the limits above; that is counted
// before anything is copied.
bool ExtractXMesh(const XFileTree& tree, XMeshData& out, std::string& error);

// Converts a single Mesh object, untransformed.
bool ExtractXMeshObject(const XData& mesh, XMeshData& out, std::string& error);

// Parse and extract in one step.
XParseResult LoadXMeshFromMemory(const void* data, size_t size, XMeshData& out);
XParseResult LoadXMeshFromFile(const char* path, XMeshData& out);

}  // namespace nol::d3dx8::xfile
