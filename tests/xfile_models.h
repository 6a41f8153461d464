// Models and helpers shared by the .x reader tests.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "d3dx8/xfile/x_guid.h"
#include "d3dx8/xfile/x_mesh.h"
#include "d3dx8/xfile/x_parser.h"
#include "d3dx8/xfile/x_writer.h"

namespace xtest {

using namespace nol::d3dx8::xfile;

inline std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A text file: the header line, then body.
inline std::vector<uint8_t> TextFile(std::string_view body) {
    std::string s = "xof 0303txt 0032\n";
    s += body;
    return Bytes(s);
}

inline XParseResult Load(const std::vector<uint8_t>& file, XMeshData& mesh) {
    return LoadXMeshFromMemory(file.data(), file.size(), mesh);
}

inline D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

// A little of everything: a top-level material referred to by name, a frame
// hierarchy with transforms, a quad with normals, texture coordinates, vertex
// colours and two materials, and a triangle without optional parts.
inline XSceneDesc SampleScene() {
    XSceneDesc scene;
    XMaterialDesc red;
    red.name = "Red";
    red.diffuse = {1.0f, 0.0f, 0.0f, 0.5f};
    red.power = 8.0f;
    red.specular = {0.25f, 0.5f, 0.75f, 1.0f};
    red.emissive = {0.125f, 0.0f, 0.0f, 1.0f};
    red.texture = "red.bmp";
    scene.materials.push_back(red);

    XMeshDesc quad;
    quad.name = "Quad";
    quad.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5f, -1.5f, 2.25f}};
    quad.faces = {{0, 1, 2, 3}, {0, 4, 1}};
    quad.normals = {{0, 0, -1}, {0, 1, 0}};
    quad.normalFaces = {{0, 0, 0, 0}, {1, 1, 1}};
    quad.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5f, 0.75f}};
    quad.vertexColours = {{0, {1.0f, 0.5f, 0.0f, 1.0f}}, {4, {0.0f, 0.0f, 1.0f, 0.25f}}};
    XMaterialUse ref;
    ref.reference = "Red";
    XMaterialUse green;
    green.material.diffuse = {0.0f, 1.0f, 0.0f, 1.0f};
    green.material.texture = "green.bmp";
    quad.materials = {ref, green};
    quad.faceMaterials = {1, 0};

    XMeshDesc tri;
    tri.name = "Tri";
    tri.positions = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};
    tri.faces = {{0, 1, 2}};

    XFrameDesc root;
    root.name = "Root";
    root.transform = Translation(10, 0, 0);
    XFrameDesc child;
    child.name = "Child";
    child.transform = Translation(0, 5, 0);
    child.meshes.push_back(quad);
    root.frames.push_back(child);
    root.meshes.push_back(tri);
    scene.frames.push_back(root);
    return scene;
}

struct Encoding {
    const char* name;
    XWriteFormat format;
    int floatBits;
};

inline const std::vector<Encoding>& AllEncodings() {
    static const std::vector<Encoding> all = {
        {"text", XWriteFormat::Text, 32},
        {"binary32", XWriteFormat::Binary, 32},
        {"binary64", XWriteFormat::Binary, 64},
        {"tzip", XWriteFormat::TextCompressed, 32},
        {"bzip32", XWriteFormat::BinaryCompressed, 32},
        {"bzip64", XWriteFormat::BinaryCompressed, 64},
    };
    return all;
}

inline std::vector<uint8_t> Write(const XSceneDesc& scene, const Encoding& e, bool templates = false) {
    XWriteOptions o;
    o.format = e.format;
    o.floatBits = e.floatBits;
    o.writeTemplates = templates;
    return WriteXFile(scene, o);
}

inline bool SameVector(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Exact equality of every stream and material.
inline void ExpectSameMesh(const XMeshData& a, const XMeshData& b) {
    ASSERT_EQ(a.positions.size(), b.positions.size());
    for (size_t i = 0; i < a.positions.size(); ++i) EXPECT_TRUE(SameVector(a.positions[i], b.positions[i])) << i;
    EXPECT_EQ(a.hasNormals, b.hasNormals);
    ASSERT_EQ(a.normals.size(), b.normals.size());
    for (size_t i = 0; i < a.normals.size(); ++i) EXPECT_TRUE(SameVector(a.normals[i], b.normals[i])) << i;
    EXPECT_EQ(a.hasColours, b.hasColours);
    EXPECT_EQ(a.colours, b.colours);
    EXPECT_EQ(a.hasTexCoords, b.hasTexCoords);
    ASSERT_EQ(a.texCoords.size(), b.texCoords.size());
    for (size_t i = 0; i < a.texCoords.size(); ++i) {
        EXPECT_EQ(a.texCoords[i].x, b.texCoords[i].x);
        EXPECT_EQ(a.texCoords[i].y, b.texCoords[i].y);
    }
    EXPECT_EQ(a.indices, b.indices);
    EXPECT_EQ(a.attributes, b.attributes);
    ASSERT_EQ(a.materials.size(), b.materials.size());
    for (size_t i = 0; i < a.materials.size(); ++i) {
        EXPECT_EQ(0, std::memcmp(&a.materials[i].Diffuse, &b.materials[i].Diffuse, sizeof(D3DCOLORVALUE)));
        EXPECT_EQ(0, std::memcmp(&a.materials[i].Specular, &b.materials[i].Specular, sizeof(D3DCOLORVALUE)));
        EXPECT_EQ(0, std::memcmp(&a.materials[i].Emissive, &b.materials[i].Emissive, sizeof(D3DCOLORVALUE)));
        EXPECT_EQ(a.materials[i].Power, b.materials[i].Power);
        EXPECT_EQ(a.materials[i].textureFilename, b.materials[i].textureFilename);
    }
}

// Exact equality, for loops where a report per field would flood the output.
inline bool MeshesEqual(const XMeshData& a, const XMeshData& b) {
    auto same = [](const auto& x, const auto& y) {
        return x.size() == y.size() && (x.empty() || std::memcmp(x.data(), y.data(), x.size() * sizeof x[0]) == 0);
    };
    if (!same(a.positions, b.positions) || !same(a.normals, b.normals) || !same(a.colours, b.colours) ||
        !same(a.texCoords, b.texCoords) || a.indices != b.indices || a.attributes != b.attributes ||
        a.materials.size() != b.materials.size())
        return false;
    for (size_t i = 0; i < a.materials.size(); ++i)
        if (std::memcmp(&a.materials[i], &b.materials[i], offsetof(XMaterial, Power) + sizeof(float)) != 0 ||
            a.materials[i].textureFilename != b.materials[i].textureFilename)
            return false;
    return true;
}

// What every successful load must satisfy, whatever the file said.
inline void ExpectConsistent(const XMeshData& m) {
    ASSERT_FALSE(m.indices.empty());
    ASSERT_EQ(m.indices.size(), m.attributes.size() * 3);
    for (uint32_t i : m.indices) ASSERT_LT(i, m.positions.size());
    for (uint32_t a : m.attributes) ASSERT_LT(a, m.materials.size());
    ASSERT_EQ(m.normals.size(), m.hasNormals ? m.positions.size() : 0u);
    ASSERT_EQ(m.colours.size(), m.hasColours ? m.positions.size() : 0u);
    ASSERT_EQ(m.texCoords.size(), m.hasTexCoords ? m.positions.size() : 0u);
}

inline bool IsEmpty(const XMeshData& m) {
    return m.positions.empty() && m.normals.empty() && m.colours.empty() && m.texCoords.empty() &&
           m.indices.empty() && m.attributes.empty() && m.materials.empty();
}

}  // namespace xtest
