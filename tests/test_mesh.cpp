// Models loaded from generated .x files: the load and release lines, shared
// textures, materials, and what they look like drawn by nodes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "d3dx8/xfile/x_writer.h"
#include "image_files.h"
#include "render/frame.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "render_fixture.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/node.h"
#include "support/test_support.h"

namespace {

using images::Bmp;
using images::WriteBmp;
using images::WriteBytes;

// A 2 x 2 quad at y = 0 facing up, clockwise seen from above, with normals and
// texture coordinates, and an unused vertex far away.
nol::d3dx8::xfile::XMeshDesc Quad(float half, const std::string& texture, D3DCOLORVALUE diffuse = {1, 1, 1, 1}) {
    nol::d3dx8::xfile::XMeshDesc m;
    m.name = "quad";
    m.positions = {{-half, 0, half}, {half, 0, half}, {half, 0, -half}, {-half, 0, -half}, {50, 60, 70}};
    m.faces = {{0, 1, 2, 3}};
    m.normals = {{0, 1, 0}};
    m.normalFaces = {{0, 0, 0, 0}};
    m.texCoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    nol::d3dx8::xfile::XMaterialUse use;
    use.material.diffuse = diffuse;
    use.material.texture = texture;
    m.materials = {use};
    m.faceMaterials = {0};
    return m;
}

void WriteModel(const std::string& path, const std::vector<nol::d3dx8::xfile::XMeshDesc>& meshes,
                nol::d3dx8::xfile::XWriteFormat format = nol::d3dx8::xfile::XWriteFormat::Text) {
    nol::d3dx8::xfile::XSceneDesc scene;
    scene.meshes = meshes;
    nol::d3dx8::xfile::XWriteOptions options;
    options.format = format;
    ASSERT_TRUE(nol::d3dx8::xfile::WriteXFileToPath(path.c_str(), scene, options));
}

// A 2 x 2 texture: red, green over blue, white.
void WriteCheckerTexture(const std::string& path) {
    Bmp bmp(2, 2, 24);
    bmp.pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    ASSERT_TRUE(WriteBmp(path, bmp));
}

class MeshTest : public FrameworkDevice {
protected:
    TempDir dir;
    char previous[4096] = {};

    void SetUp() override {
        FrameworkDevice::SetUp();
        if (IsSkipped()) return;
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        ASSERT_EQ(chdir(dir.path.c_str()), 0);  // texture names are relative, as in the game's data
    }
    void TearDown() override {
        if (previous[0]) chdir(previous);
        FrameworkDevice::TearDown();
    }

    int CacheCount(const char* name) {
        for (TextureCacheNode* n = TextureCache.head; n; n = n->next)
            if (n->name == name) return n->refCount;
        return 0;
    }
};

TEST_F(MeshTest, LoadTakesMaterialsTexturesAndBoundsAndLogsInOrder) {
    WriteCheckerTexture("checker.bmp");
    auto textured = Quad(1, "checker.bmp", {0.2f, 0.4f, 0.6f, 0.8f});
    textured.materials.push_back(nol::d3dx8::xfile::XMaterialUse{});  // a second, untextured subset
    textured.faces = {{0, 1, 2}, {0, 2, 3}};
    textured.normalFaces = {{0, 0, 0}, {0, 0, 0}};
    textured.faceMaterials = {0, 1};
    WriteModel("model.x", {textured});

    Mesh mesh;
    testing::internal::CaptureStderr();
    ASSERT_EQ(mesh.Load("model.x", 0, 1), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(model.x) ... ok.\nload(checker.bmp) ... ok.\n");
    ASSERT_EQ(mesh.materialCount, 2u);
    EXPECT_NE(mesh.textures[0], nullptr);
    EXPECT_EQ(mesh.textures[1], nullptr);
    // The ambient colour is the diffuse one, alpha included.
    EXPECT_FLOAT_EQ(mesh.materials[0].Ambient.g, 0.4f);
    EXPECT_FLOAT_EQ(mesh.materials[0].Ambient.a, 0.8f);
    EXPECT_EQ(mesh.mesh->GetNumFaces(), 2u);
    // Bounds are taken before optimisation drops the unused vertex.
    EXPECT_FLOAT_EQ(mesh.boxMax.y, 60.0f);
    EXPECT_FLOAT_EQ(mesh.boxMin.x, -1.0f);
    EXPECT_LT(mesh.mesh->GetNumVertices(), 5u);
    EXPECT_EQ(mesh.name, "model.x");

    testing::internal::CaptureStderr();
    mesh.Release();
    mesh.Release();  // twice is harmless
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "release(model.x)\nrelease(checker.bmp)\n");
}

TEST_F(MeshTest, TwoModelsShareATextureUntilBothAreReleased) {
    WriteCheckerTexture("checker.bmp");
    WriteModel("a.x", {Quad(1, "checker.bmp")});
    WriteModel("b.x", {Quad(2, "checker.bmp")}, nol::d3dx8::xfile::XWriteFormat::BinaryCompressed);
    Mesh a, b;
    testing::internal::CaptureStderr();
    ASSERT_EQ(a.Load("a.x", 0, 1), 1);
    ASSERT_EQ(b.Load("b.x", 0, 1), 1);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "load(a.x) ... ok.\nload(checker.bmp) ... ok.\nload(b.x) ... ok.\n");  // loaded once
    EXPECT_EQ(a.textures[0], b.textures[0]);
    EXPECT_EQ(CacheCount("checker.bmp"), 2);
    a.Release();
    EXPECT_EQ(CacheCount("checker.bmp"), 1);
    D3DSURFACE_DESC desc;
    EXPECT_EQ(b.textures[0]->GetLevelDesc(0, &desc), D3D_OK);  // still alive for b
    b.Release();
    EXPECT_EQ(CacheCount("checker.bmp"), 0);
}

TEST_F(MeshTest, ReloadFailureAndMissingTextureLines) {
    WriteModel("a.x", {Quad(1, "")});
    WriteModel("b.x", {Quad(1, "missing.bmp")});
    Mesh mesh;
    testing::internal::CaptureStderr();
    ASSERT_EQ(mesh.Load("a.x", 0, 1), 1);
    ASSERT_EQ(mesh.Load("b.x", 0, 1), 1);  // a missing texture does not fail the model
    EXPECT_EQ(mesh.textures[0], nullptr);
    EXPECT_EQ(mesh.Load("nothing.x", 0, 1), 0);
    EXPECT_EQ(mesh.mesh, nullptr);
    mesh.Release();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "load(a.x) ... ok.\n"
              "release(a.x)\nload(b.x) ... ok.\nload(missing.bmp) ... failed: file not found.\n"
              "release(b.x)\nload(nothing.x) ... failed: cannot open nothing.x.\n"
              "release(nothing.x)\n");

    // A truncated file fails the same way, saying where it ends.
    std::string whole = ReadFile("a.x");
    ASSERT_TRUE(WriteBytes("cut.x", std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2)));
    testing::internal::CaptureStderr();
    EXPECT_EQ(mesh.Load("cut.x", 0, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(cut.x) ... failed: file ends inside MeshNormals on line 21.\n");
}

TEST_F(MeshTest, AlphaVariantsChangeTheMaterialOnlyForTheDraw) {
    WriteModel("a.x", {Quad(1, "", {0.5f, 0.5f, 0.5f, 0.3f})});
    Mesh mesh;
    ASSERT_EQ(mesh.Load("a.x", 0, 1), 1);
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    D3DMATERIAL8 used;
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    for (auto [delta, expected] : {std::pair{-2.0f, -1.0f}, {2.0f, 1.0f}, {0.2f, 0.5f}}) {
        mesh.DrawWithAlphaOffset(world, delta);
        GraphicsState.device->GetMaterial(&used);
        EXPECT_FLOAT_EQ(used.Diffuse.a, expected) << delta;
        EXPECT_FLOAT_EQ(used.Ambient.a, expected);
    }
    mesh.DrawWithAlpha(world, 0.75f);
    GraphicsState.device->GetMaterial(&used);
    EXPECT_FLOAT_EQ(used.Diffuse.a, 0.75f);
    EndFrame();
    EXPECT_FLOAT_EQ(mesh.materials[0].Ambient.a, 0.3f);  // put back
    EXPECT_FLOAT_EQ(mesh.materials[0].Diffuse.a, 0.3f);
}

TEST_F(MeshTest, ResourcesAreNotFoundAndShapesCarryOneMaterial) {
    Mesh mesh;
    testing::internal::CaptureStderr();
    EXPECT_EQ(mesh.LoadFromResource("car", 0, 1), 0);  // the program carries no resources
    EXPECT_EQ(mesh.mesh, nullptr);
    // Nothing was loaded, so nothing is released: the failed name is just dropped.
    ASSERT_EQ(mesh.CreateTeapot(0.2f, 0.4f, 0.6f, 1.0f), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(car) ... open failed.\n");
    EXPECT_TRUE(mesh.name.empty());
    ASSERT_EQ(mesh.materialCount, 1u);
    EXPECT_FLOAT_EQ(mesh.materials[0].Ambient.b, 0.6f);
    EXPECT_FLOAT_EQ(mesh.materials[0].Diffuse.b, 0.6f);
    EXPECT_EQ(mesh.textures[0], nullptr);
    EXPECT_GT(mesh.sphereRadius, 1.0f);
    EXPECT_LT(mesh.boxMin.y, 0.0f);

    ASSERT_EQ(mesh.CreateBox(2, 4, 6, 1, 1, 1, 1), 1);
    EXPECT_FLOAT_EQ(mesh.boxMax.x, 1.0f);
    EXPECT_FLOAT_EQ(mesh.boxMin.z, -3.0f);
    ASSERT_EQ(mesh.CreateSphere(2, 16, 8, 1, 1, 1, 1), 1);
    EXPECT_NEAR(mesh.sphereRadius, 2.0f, 1e-4);
    testing::internal::CaptureStderr();
    EXPECT_EQ(mesh.CreateSphere(-1, 1, 1, 1, 1, 1, 1), 0);  // no such sphere
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "D3DXCreateSphere\n");
}

// ---- drawn ---------------------------------------------------------------------------

class MeshPicture : public MeshTest {
protected:
    // Straight down from above the origin, +z to the top of the screen: a quad of
    // half-size 1 covers pixels 200..440 x 120..360 (60 pixels per unit).
    void LookDown(float height) {
        SetCameraLookAt(D3DXVECTOR3(0, height, 0), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 1));
    }
    static int Channel(uint32_t c, int shift) { return (int)((c >> shift) & 0xFF); }
};

TEST_F(MeshPicture, ATexturedLitModelDrawsItsTexelsWhereExpected) {
    WriteCheckerTexture("checker.bmp");
    WriteModel("tile.x", {Quad(1, "checker.bmp")}, nol::d3dx8::xfile::XWriteFormat::Binary);
    Mesh tile;
    ASSERT_EQ(tile.Load("tile.x", 0, 1), 1);
    CNode node;
    node.Setup(&tile, 0, 0, 0, 1.0f);
    SetDirectionalLight(D3DXVECTOR3(0, -1, 0), D3DCOLORVALUE{1, 1, 1, 1});
    LookDown(4.8284271f);

    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    node.Draw();
    EndFrame();
    auto pixels = ReadBack("mesh_textured_tile");
    // Light straight onto a white material: the texture's own colours.
    EXPECT_EQ(At(pixels, 260, 180), 0xFFFF0000u);  // top left
    EXPECT_EQ(At(pixels, 380, 180), 0xFF00FF00u);  // top right
    EXPECT_EQ(At(pixels, 260, 300), 0xFF0000FFu);  // bottom left
    EXPECT_EQ(At(pixels, 380, 300), 0xFFFFFFFFu);  // bottom right
    EXPECT_EQ(At(pixels, 200, 120), 0xFFFF0000u);  // the corner pixels on texel edges
    EXPECT_EQ(At(pixels, 439, 359), 0xFFFFFFFFu);
    EXPECT_EQ(At(pixels, 320, 120), 0xFF00FF00u);
    EXPECT_EQ(At(pixels, 195, 240), 0xFF000000u);  // just outside
    EXPECT_EQ(At(pixels, 445, 240), 0xFF000000u);

    // Half transparent over blue: half of each.
    ASSERT_EQ(BeginFrame(0xFF0000FF), 1);
    node.DrawAlpha();  // alpha 0.5 by default
    EndFrame();
    pixels = ReadBack("mesh_textured_tile_alpha");
    uint32_t red = At(pixels, 260, 180);
    EXPECT_NEAR(Channel(red, 16), 128, 2);
    EXPECT_NEAR(Channel(red, 0), 127, 2);
    EXPECT_EQ(At(pixels, 100, 100), 0xFF0000FFu);
}

TEST_F(MeshPicture, AShadowDarkensTheGroundUnderTheModel) {
    WriteModel("ground.x", {Quad(10, "", {0.5f, 0.5f, 0.5f, 1.0f})});
    Mesh ground, box;
    ASSERT_EQ(ground.Load("ground.x", 0, 1), 1);
    ASSERT_EQ(box.CreateBox(1, 1, 1, 1, 0, 0, 1), 1);
    CNode floorNode, boxNode;
    floorNode.Setup(&ground, 0, 0, 0, 1.0f);
    boxNode.Setup(&box, 0, 2, 0, 1.0f);
    // Light falling towards +x at 45 degrees: the shadow lies 2 units to the right.
    SetDirectionalLight(D3DXVECTOR3(1, -1, 0), D3DCOLORVALUE{1, 1, 1, 1});
    D3DXMATRIX shadow;
    GetShadowMatrix(&shadow, D3DXVECTOR3(0, 0.05f, 0), D3DXVECTOR3(0, 1, 0));
    LookDown(10.0f);

    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    floorNode.Draw();
    boxNode.DrawShadow(shadow);
    boxNode.Draw();
    EndFrame();
    auto pixels = ReadBack("mesh_shadow");
    const float perUnit = 240.0f / (10.0f * std::tan(D3DX_PI / 8));
    uint32_t lit = At(pixels, 320 - (int)(2 * perUnit), 240);
    uint32_t shaded = At(pixels, 320 + (int)(2 * perUnit), 240);
    uint32_t boxTop = At(pixels, 320, 240);
    // The ground lights at 0.5 x (0.5 ambient + cos 45) = 0.60; the shadow halves it.
    EXPECT_NEAR(Channel(lit, 8), 154, 3);
    EXPECT_NEAR(Channel(shaded, 8), Channel(lit, 8) / 2, 3);
    EXPECT_GT(Channel(boxTop, 16), 100);  // the red box itself
    EXPECT_EQ(Channel(boxTop, 8), 0);
}

}  // namespace

// Models made on Windows name their textures by Windows paths, in any letter
// case; the file beside the model (or in the current folder) is the one meant.
TEST_F(MeshTest, TexturesNamedTheWindowsWayLoadFromBesideTheModel) {
    ASSERT_EQ(mkdir("models", 0755), 0);
    WriteCheckerTexture("models/wood.bmp");
    WriteCheckerTexture("ground.bmp");
    const char* woodNames[] = {".\\wood.bmp", "C:\\art\\car\\wood.bmp", "Wood.BMP", "/no/such/folder/wood.bmp",
                               "..\\models\\WOOD.bmp", "models\\wood.bmp"};
    constexpr int kWood = sizeof woodNames / sizeof woodNames[0];
    Mesh wood[kWood];
    testing::internal::CaptureStderr();
    for (int i = 0; i < kWood; ++i) {
        SCOPED_TRACE(woodNames[i]);
        const std::string path = "models/wood" + std::to_string(i) + ".x";
        WriteModel(path, {Quad(1, woodNames[i])});
        ASSERT_EQ(wood[i].Load(path.c_str(), 0, 1), 1);
        EXPECT_NE(wood[i].textures[0], nullptr);
        EXPECT_EQ(wood[i].textures[0], wood[0].textures[0]);
    }
    EXPECT_EQ(CacheCount("models/wood.bmp"), kWood);  // one file, however it was spelled

    Mesh ground, missing;
    WriteModel("models/ground.x", {Quad(1, "C:\\art\\Ground.bmp")});
    WriteModel("models/missing.x", {Quad(1, "C:\\art\\gone.bmp")});
    ASSERT_EQ(ground.Load("models/ground.x", 0, 1), 1);
    EXPECT_NE(ground.textures[0], nullptr);
    EXPECT_EQ(CacheCount("ground.bmp"), 1);  // from the current folder
    ASSERT_EQ(missing.Load("models/missing.x", 0, 1), 1);  // draws untextured
    EXPECT_EQ(missing.textures[0], nullptr);

    const std::string log = testing::internal::GetCapturedStderr();
    std::string expected = "load(models/wood0.x) ... ok.\nload(models/wood.bmp) ... ok.\n";
    for (int i = 1; i < kWood; ++i) expected += "load(models/wood" + std::to_string(i) + ".x) ... ok.\n";
    expected += "load(models/ground.x) ... ok.\nload(ground.bmp) ... ok.\nload(models/missing.x) ... ok.\n";
    EXPECT_EQ(log.substr(0, expected.size()), expected);
    EXPECT_EQ(log.substr(expected.size()).rfind("load(C:\\art\\gone.bmp) ... failed", 0), 0u) << log;
}

TEST_F(MeshTest, ARefusedModelsLineSaysWhy) {
    WriteModel("packed.x", {Quad(1, "")}, nol::d3dx8::xfile::XWriteFormat::BinaryCompressed);
    std::string bytes = ReadFile("packed.x");
    ASSERT_GT(bytes.size(), 27u);
    bytes[26] = '\xFF';  // the first block's deflate data: a block type that does not exist
    ASSERT_TRUE(WriteBytes("damaged.x", std::vector<uint8_t>(bytes.begin(), bytes.end())));
    Mesh mesh;
    testing::internal::CaptureStderr();
    EXPECT_EQ(mesh.Load("damaged.x", 0, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "load(damaged.x) ... failed: compressed block 1 is damaged (invalid deflate data).\n");
}
