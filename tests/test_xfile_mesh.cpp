// From the data objects of a file to one mesh: frame transforms, materials per
// face, references, polygons, vertex copies for differing normals, defaults, and
// the objects and templates a reader meets in real files.
#include <gtest/gtest.h>

#include <cmath>

#include "d3dx8/rmxfguid.h"
#include "xfile_models.h"

using namespace xtest;

namespace {

XMeshData LoadText(std::string_view body) {
    XMeshData m;
    XParseResult r = Load(TextFile(body), m);
    EXPECT_TRUE(r.Ok()) << r.error;
    return m;
}

std::string LoadError(std::string_view body, XStatus expected = XStatus::BadMesh) {
    XMeshData m;
    XParseResult r = Load(TextFile(body), m);
    EXPECT_EQ(r.status, expected) << r.error;
    EXPECT_TRUE(IsEmpty(m));
    return r.error;
}

void ExpectNear(const D3DXVECTOR3& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

TEST(XFileMesh, NestedFramesApplyChildTransformThenParent) {
    // Outer: rotate 90 degrees about z (x -> y), then move by (100, 0, 0).
    // Inner: scale x by 2, then move by (1, 2, 3). A point p ends at
    // ((p * inner) * outer).
    XMeshData m = LoadText(R"(
Frame Outer {
  FrameTransformMatrix { 0,1,0,0, -1,0,0,0, 0,0,1,0, 100,0,0,1;; }
  Frame Inner {
    FrameTransformMatrix { 2,0,0,0, 0,1,0,0, 0,0,1,0, 1,2,3,1;; }
    Mesh {
      3; 1;0;0;, 0;1;0;, 0;0;1;;
      1; 3;0,1,2;;
      MeshNormals { 2; 1;1;0;, 0;0;1;; 1; 3;0,0,1;; }
    }
  }
}
)");
    ASSERT_EQ(m.positions.size(), 3u);
    // (1,0,0) -> inner (3,2,3) -> outer (-2+100, 3, 3)
    ExpectNear(m.positions[0], 98, 3, 3);
    // (0,1,0) -> inner (1,3,3) -> outer (97, 1, 3)
    ExpectNear(m.positions[1], 97, 1, 3);
    ExpectNear(m.positions[2], 98, 1, 4);
    // Normals go through the inverse transpose: the x scale of 2 halves a normal's
    // x before the rotation; the results are unit length.
    const float s = 1.0f / std::sqrt(1.25f);
    ExpectNear(m.normals[0], -1 * s, 0.5f * s, 0);
    ExpectNear(m.normals[2], 0, 0, 1);
}

TEST(XFileMesh, TopLevelMeshesAreUntransformedAndFramesMayReferToThem) {
    XMeshData m = LoadText(R"(
Mesh Shared { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }
Frame Placed {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,7,1;; }
  { Shared }
}
)");
    ASSERT_EQ(m.positions.size(), 6u);
    ExpectNear(m.positions[1], 1, 0, 0);
    ExpectNear(m.positions[4], 1, 0, 7);
    EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(m.materials.size(), 2u);  // each placement has its own default material
}

TEST(XFileMesh, FrameWithoutTransformUsesItsParents) {
    XMeshData m = LoadText(R"(
Frame A {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 5,0,0,1;; }
  Frame B { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } }
}
)");
    ExpectNear(m.positions[2], 5, 1, 0);
}

TEST(XFileMesh, PolygonsBecomeFansWithTheirFacesMaterial) {
    XMeshData m = LoadText(R"(
Mesh {
  6; 0;0;0;, 1;0;0;, 2;1;0;, 1;2;0;, 0;1;0;, 5;5;5;;
  2; 5;0,1,2,3,4;, 3;4,3,2;;
  MeshMaterialList { 2; 2; 1, 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }
}
)");
    // The pentagon fans around its first corner; the file's winding is kept.
    EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 0, 3, 4, 4, 3, 2}));
    EXPECT_EQ(m.attributes, (std::vector<uint32_t>{1, 1, 1, 0}));
    // Unused vertex 5 is still there (bounds cover every vertex of the file).
    ASSERT_EQ(m.positions.size(), 6u);
    ExpectNear(m.positions[5], 5, 5, 5);
}

TEST(XFileMesh, VerticesAreCopiedWhereCornersDisagreeOnTheNormal) {
    // Two faces of a cube meet along the edge 1-2; their corners there carry
    // different normals. Corners with equal normal vectors (normals 0 and 2 are
    // the same vector) share a vertex.
    XMeshData m = LoadText(R"(
Mesh {
  6; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;, 1;0;1;, 1;1;1;;
  2; 4;0,1,2,3;, 4;1,4,5,2;;
  MeshNormals {
    3; 0;0;-1;, 1;0;0;, 0;0;-1;;
    2; 4;0,2,0,2;, 4;1,1,1,1;;
  }
  MeshTextureCoords { 6; 0;0;, 1;0;, 1;1;, 0;1;, 0;0.5;, 0.5;0;; }
}
)");
    ASSERT_EQ(m.positions.size(), 8u);
    EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 6, 4, 5, 6, 5, 7}));
    ExpectNear(m.positions[6], 1, 0, 0);
    ExpectNear(m.positions[7], 1, 1, 0);
    ExpectNear(m.normals[1], 0, 0, -1);
    ExpectNear(m.normals[6], 1, 0, 0);
    ExpectNear(m.normals[7], 1, 0, 0);
    ExpectNear(m.normals[4], 1, 0, 0);
    // A copy carries its vertex's other data along.
    EXPECT_EQ(m.texCoords[6].x, 1.0f);
    EXPECT_EQ(m.texCoords[7].y, 1.0f);
}

TEST(XFileMesh, MaterialsNameTexturesAndRepeatTheLastIndex) {
    XMeshData m = LoadText(R"(
Material Shiny { 0.5;0.25;1;0.75;; 20; 1;1;1;; 0;0.5;0;; TextureFilename { "shiny.bmp"; } }
Mesh {
  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;
  4; 3;0,1,2;, 3;0,2,3;, 3;0,1,3;, 3;1,2,3;;
  MeshMaterialList {
    2; 2; 1, 0;;
    { Shiny }
    Material Plain { 0.1;0.2;0.3;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { "dir\plain.bmp"; } }
  }
}
)");
    // Faces beyond the index list keep the last material listed.
    EXPECT_EQ(m.attributes, (std::vector<uint32_t>{1, 0, 0, 0}));
    ASSERT_EQ(m.materials.size(), 2u);
    const XMaterial& shiny = m.materials[0];
    EXPECT_EQ(shiny.Diffuse.r, 0.5f);
    EXPECT_EQ(shiny.Diffuse.g, 0.25f);
    EXPECT_EQ(shiny.Diffuse.a, 0.75f);
    EXPECT_EQ(shiny.Power, 20.0f);
    EXPECT_EQ(shiny.Specular.r, 1.0f);
    EXPECT_EQ(shiny.Emissive.g, 0.5f);
    EXPECT_EQ(shiny.textureFilename, "shiny.bmp");
    EXPECT_EQ(m.materials[1].textureFilename, "dir\\plain.bmp");
}

TEST(XFileMesh, MaterialListProblemsAreReported) {
    const char* mesh = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n";
    std::string e = LoadError(std::string(mesh) + "MeshMaterialList { 1; 1; 0;; { Missing } } }");
    EXPECT_NE(e.find("Missing"), std::string::npos) << e;
    e = LoadError(std::string(mesh) +
                  "MeshMaterialList { 1; 1; 3;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }");
    EXPECT_NE(e.find("material 3"), std::string::npos) << e;
    e = LoadError(std::string(mesh) + "MeshMaterialList { 2; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }");
    EXPECT_NE(e.find("declares 2"), std::string::npos) << e;
    // A reference to something that is not a Material.
    e = LoadError(std::string("Vector NotAMaterial { 1;2;3; }\n") + mesh +
                  "MeshMaterialList { 1; 1; 0;; { NotAMaterial } } }");
    EXPECT_NE(e.find("NotAMaterial"), std::string::npos) << e;
}

TEST(XFileMesh, MeshWithoutMaterialListGetsOneWhiteMaterial) {
    XMeshData m = LoadText("Mesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 1; 4;0,1,2,3;; }");
    ASSERT_EQ(m.materials.size(), 1u);
    const XMaterial& white = m.materials[0];
    EXPECT_EQ(white.Diffuse.r, 1.0f);
    EXPECT_EQ(white.Diffuse.g, 1.0f);
    EXPECT_EQ(white.Diffuse.b, 1.0f);
    EXPECT_EQ(white.Diffuse.a, 1.0f);
    EXPECT_EQ(white.Power, 0.0f);
    EXPECT_EQ(white.Specular.r, 0.0f);
    EXPECT_EQ(white.Emissive.r, 0.0f);
    EXPECT_TRUE(white.textureFilename.empty());
    EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0, 0}));
    EXPECT_FALSE(m.hasNormals);
    EXPECT_FALSE(m.hasColours);
    EXPECT_FALSE(m.hasTexCoords);
    EXPECT_TRUE(m.normals.empty());
}

TEST(XFileMesh, VertexColoursBecomePackedColours) {
    XMeshData m = LoadText(R"(
Mesh {
  3; 0;0;0;, 1;0;0;, 0;1;0;;
  1; 3;0,1,2;;
  MeshVertexColors { 2; 0; 1;0;0;1;;, 2; 2;-1;0.5;0;;; }
}
)");
    ASSERT_TRUE(m.hasColours);
    EXPECT_EQ(m.colours[0], 0xFFFF0000u);
    EXPECT_EQ(m.colours[1], 0xFFFFFFFFu);  // not listed: white
    EXPECT_EQ(m.colours[2], 0x00FF007Fu);  // clamped
}

TEST(XFileMesh, MeshesMergeWithTheirOwnMaterials) {
    XMeshData m = LoadText(R"(
Mesh A { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;
  MeshMaterialList { 2; 1; 1;; Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; } Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; } } }
Mesh B { 3; 0;0;1;, 1;0;1;, 0;1;1;; 1; 3;2,1,0;;
  MeshMaterialList { 1; 1; 0;; Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } } }
)");
    EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 5, 4, 3}));
    EXPECT_EQ(m.attributes, (std::vector<uint32_t>{1, 2}));
    ASSERT_EQ(m.materials.size(), 3u);
    EXPECT_EQ(m.materials[2].Diffuse.b, 1.0f);
}

TEST(XFileMesh, UnknownObjectsAreSkippedAndDeclaredTemplatesUsed) {
    const auto file = TextFile(R"(
template Tag {
  <12345678-1234-1234-1234-123456789ABC>
  DWORD count;
  array FLOAT weights[count];
  STRING label;
}
Tag first { 2; 0.5, 0.25; "hello"; }
Gizmo { 1; 2; { nested } Gizmo2 { "}"; } }
Mesh Box {
  3; 0;0;0;, 1;0;0;, 0;1;0;;
  1; 3;0,1,2;;
  VertexDuplicationIndices { 3; 3; 0, 1, 2;; }
  Tag inner { 0;; "x"; }
}
)");
    XFileTree tree;
    XParseResult r = ParseXFile(file.data(), file.size(), tree);
    ASSERT_TRUE(r.Ok()) << r.error;
    // Gizmo has no template: it and everything in it are gone.
    ASSERT_EQ(tree.objects.size(), 2u);
    const XData& tag = *tree.objects[0];
    EXPECT_EQ(tag.tmpl->name, "Tag");
    EXPECT_EQ(tag.name, "first");
    GUID expected;
    ASSERT_TRUE(ParseGuid("12345678-1234-1234-1234-123456789ABC", expected));
    EXPECT_EQ(tag.Type(), expected);
    ASSERT_EQ(tag.data.size(), 4u + 8u + sizeof(char*));
    uint32_t count;
    float weights[2];
    const char* label;
    std::memcpy(&count, tag.data.data(), 4);
    std::memcpy(weights, tag.data.data() + 4, 8);
    std::memcpy(&label, tag.data.data() + 12, sizeof label);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(weights[1], 0.25f);
    EXPECT_STREQ(label, "hello");
    // In the mesh, the unknown child is skipped and the declared one kept.
    const XData& box = *tree.objects[1];
    ASSERT_EQ(box.children.size(), 1u);
    EXPECT_EQ(box.children[0].object->name, "inner");

    XMeshData m;
    std::string error;
    ASSERT_TRUE(ExtractXMesh(tree, m, error)) << error;
    EXPECT_EQ(m.TriangleCount(), 1u);
}

TEST(XFileMesh, CommentsAndLooseSeparatorsAreTolerated) {
    XMeshData m = LoadText(R"(# a comment before anything
// another
Mesh Commented { // after the name
  3;   # count
  0;0;0;,  1;0;0;, // between elements
  0;1;0;;
  1;
  3;0,1,2;;  ;; ,
}
)");
    EXPECT_EQ(m.TriangleCount(), 1u);
    ExpectNear(m.positions[2], 0, 1, 0);
}

TEST(XFileMesh, AFileWithoutFacesOrMeshesIsRefused) {
    std::string e = LoadError("Header { 1; 0; 1; }\n");
    EXPECT_NE(e.find("no Mesh"), std::string::npos) << e;
    e = LoadError("Mesh { 0;; 0;; }\n");
    EXPECT_NE(e.find("no faces"), std::string::npos) << e;
}

TEST(XFileMesh, NonStandardMeshLayoutIsRefused) {
    // A file may redeclare Mesh; if it changes the layout, the data is not a mesh
    // this reader understands.
    const std::string e = LoadError(R"(
template Mesh { <3D82AB44-62DA-11CF-AB39-0020AF71E433> DWORD nVertices; array FLOAT v[nVertices]; [...] }
Mesh { 2; 1.0, 2.0; }
)");
    EXPECT_NE(e.find("layout"), std::string::npos) << e;
}

}  // namespace
