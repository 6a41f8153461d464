// Writing .x files from a description of frames, meshes and materials, in any of
// the encodings: text, binary (32- or 64-bit floats), and both MSZIP-compressed.
// Used by the asset generator and by the tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "d3d8/d3d8types.h"
#include "d3dx8/d3dx8math.h"

namespace nol::d3dx8::xfile {

struct XMaterialDesc {
    std::string name;  // needed when meshes refer to it
    D3DCOLORVALUE diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    float power = 0.0f;
    D3DCOLORVALUE specular{0.0f, 0.0f, 0.0f, 1.0f};  // alpha is not written
    D3DCOLORVALUE emissive{0.0f, 0.0f, 0.0f, 1.0f};  // alpha is not written
    std::string texture;  // TextureFilename, when not empty
};

// A mesh's material: written inline, or as a reference "{ name }" to a
// top-level material when reference is not empty.
struct XMaterialUse {
    std::string reference;
    XMaterialDesc material;
};

struct XMeshDesc {
    std::string name;
    std::vector<D3DXVECTOR3> positions;
    std::vector<std::vector<uint32_t>> faces;  // polygons of vertex indices
    // MeshNormals, when normals is not empty: one index list per face.
    std::vector<D3DXVECTOR3> normals;
    std::vector<std::vector<uint32_t>> normalFaces;
    std::vector<D3DXVECTOR2> texCoords;                            // MeshTextureCoords, when not empty
    std::vector<std::pair<uint32_t, D3DCOLORVALUE>> vertexColours;  // MeshVertexColors, when not empty
    // MeshMaterialList, when materials is not empty.
    std::vector<XMaterialUse> materials;
    std::vector<uint32_t> faceMaterials;
};

struct XFrameDesc {
    std::string name;
    bool hasTransform = true;
    D3DXMATRIX transform{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<XMeshDesc> meshes;
    std::vector<XFrameDesc> frames;
    std::vector<std::string> meshReferences;  // "{ name }" of top-level meshes
};

struct XSceneDesc {
    std::vector<XMaterialDesc> materials;  // top level, before the meshes
    std::vector<XMeshDesc> meshes;         // top level
    std::vector<XFrameDesc> frames;
};

enum class XWriteFormat { Text, Binary, TextCompressed, BinaryCompressed };

struct XWriteOptions {
    XWriteFormat format = XWriteFormat::Text;
    int floatBits = 32;          // 32 or 64
    bool writeHeader = true;     // a Header object first
    bool writeTemplates = false; // declare the templates the file uses
};

// The whole file, header included.
std::vector<uint8_t> WriteXFile(const XSceneDesc& scene, const XWriteOptions& options = {});
bool WriteXFileToPath(const char* path, const XSceneDesc& scene, const XWriteOptions& options = {});

}  // namespace nol::d3dx8::xfile
