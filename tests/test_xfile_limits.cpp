// Small files that ask for a lot: a mesh placed thousands of times by reference,
// tens of millions of empty objects or references in a compressed body, and
// colours that are no numbers. Each is refused quickly, with a reason, without
// the memory it asks for, and no exception leaves a loader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cmath>
#include <fstream>
#include <limits>
#include <string>

#include "d3dx8/d3dx8mesh_load.h"
#include "d3dx8/d3dx8reason.h"
#include "d3dx8/dxfile.h"
#include "d3dx8/rmxftmpl.h"
#include "d3dx8/xfile/x_mszip.h"
#include "image_files.h"
#include "support/test_support.h"
#include "tests/d3dx_mesh_support.h"
#include "xfile_models.h"

namespace {

using namespace xtest;

// The peak resident memory from construction on, through the kernel's high-water
// mark, which writing 5 to clear_refs resets.
class PeakMemory {
public:
    PeakMemory() {
        std::ofstream("/proc/self/clear_refs") << "5";
        base_ = StatusKb("VmRSS:");
    }
    long GrowthMb() const { return (StatusKb("VmHWM:") - base_) / 1024; }

private:
    static long StatusKb(const std::string& field) {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind(field, 0) == 0) return std::stol(line.substr(field.size()));
        ADD_FAILURE() << field << " missing from /proc/self/status";
        return 0;
    }
    long base_ = 0;
};

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A strip of vertexCount vertices with faceCount triangles over its first three,
// and a frame that places it references times.
XSceneDesc PlacedMesh(uint32_t vertexCount, uint32_t faceCount, int references) {
    XSceneDesc scene;
    XMeshDesc m;
    m.name = "M";
    for (uint32_t i = 0; i < vertexCount; ++i) m.positions.push_back({float(i), float(i % 2), 0.0f});
    for (uint32_t f = 0; f < faceCount; ++f)
        m.faces.push_back(f + 2 < vertexCount ? std::vector<uint32_t>{f, f + 1, f + 2} : std::vector<uint32_t>{0, 1, 2});
    scene.meshes.push_back(m);
    XFrameDesc frame;
    frame.name = "F";
    frame.meshReferences.assign(references, "M");
    scene.frames.push_back(frame);
    return scene;
}

std::vector<uint8_t> Binary(const XSceneDesc& scene, bool compressed) {
    XWriteOptions o;
    o.format = compressed ? XWriteFormat::BinaryCompressed : XWriteFormat::Binary;
    return WriteXFile(scene, o);
}

// A compressed text file: the header, then body.
std::vector<uint8_t> CompressedText(const std::string& body) {
    std::vector<uint8_t> file = Bytes("xof 0303tzip0032");
    const std::vector<uint8_t> packed =
        MszipCompress(reinterpret_cast<const uint8_t*>(body.data()), body.size());
    file.insert(file.end(), packed.begin(), packed.end());
    return file;
}

// body, then copies of unit until the body is about 60 MB, then tail.
std::string Repeated(const std::string& body, const std::string& unit, const std::string& tail) {
    const size_t target = (60u << 20) / unit.size() * unit.size();
    std::string units = unit;
    units.reserve(target);
    while (units.size() * 2 <= target) units += units;
    units.append(units, 0, target - units.size());
    return body + units + tail;
}

TEST(XFileLimits, PlacementsAreCountedBeforeTheMeshIsBuilt) {
    struct Case {
        const char* what;
        uint32_t vertices, faces;
        int references;
        const char* reason;
    };
    const Case cases[] = {
        // The mesh and 9,000 placements of its 2,450 vertices: 22 M vertices.
        {"vertices", 2450, 2448, 9000, "22052450 vertices in all"},
        // Few vertices, but 9 M triangles.
        {"triangles", 4, 1000, 9000, "9001000 triangles in all"},
    };
    for (const Case& c : cases)
        for (bool compressed : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (compressed ? ", compressed" : ""));
            const std::vector<uint8_t> file = Binary(PlacedMesh(c.vertices, c.faces, c.references), compressed);
            PeakMemory memory;
            const double start = Now();
            XMeshData mesh;
            XParseResult r = Load(file, mesh);
            const double seconds = Now() - start;
            std::printf("%s%s: refused in %.3f s, peak memory +%ld MB\n", c.what, compressed ? " (compressed)" : "",
                        seconds, memory.GrowthMb());
            EXPECT_LT(seconds, 0.5);
            EXPECT_LT(memory.GrowthMb(), 50);
            EXPECT_EQ(r.status, XStatus::BadMesh);
            EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
            EXPECT_TRUE(mesh.positions.empty());
        }

    // Just within the limit, every placement is there.
    XMeshData mesh;
    XParseResult r = Load(Binary(PlacedMesh(2450, 2448, 25), true), mesh);
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_EQ(mesh.positions.size(), 26u * 2450u);  // the mesh itself and 25 placements
    EXPECT_EQ(mesh.TriangleCount(), 26u * 2448u);
}

TEST(XFileLimits, MillionsOfEmptyObjectsOrReferencesAreRefusedQuickly) {
    struct Case {
        const char* what;
        std::string body;
    };
    const std::string header = "template E { <00000000-0000-0000-0000-0000000000E1> }\n";
    const std::string mesh = "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
    const Case cases[] = {
        {"empty objects", Repeated(header, "E{}", "")},
        {"nested empty objects", Repeated(header + "E{", "E{}", "}")},
        {"references", Repeated(mesh + "Frame F {", "{M}", "}")},  // 21 M placements of one mesh
        {"strings", Repeated("", "TextureFilename{\"\";}", "")},
        // Declarations, most of them of one name again and again.
        {"templates", Repeated("template A{<00000000-0000-0000-0000-0000000000E2>}\n", "template A{}", "")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<uint8_t> file = CompressedText(c.body);
        ASSERT_GT(file.size(), 16u);
        PeakMemory memory;
        const double start = Now();
        XMeshData mesh;
        XParseResult r = Load(file, mesh);
        const double seconds = Now() - start;
        std::printf("%s: refused in %.3f s, peak memory +%ld MB\n", c.what, seconds, memory.GrowthMb());
        EXPECT_LT(seconds, 2.0);
        // The body alone is 60 MB; the tree may add its limit and a little.
        EXPECT_LT(memory.GrowthMb(), 200);
        EXPECT_EQ(r.status, XStatus::TooLarge);
        EXPECT_NE(r.error.find("more than 32 MB"), std::string::npos) << r.error;

        // The DirectX file API says the same.
        LPDIRECTXFILE dx = nullptr;
        ASSERT_EQ(DirectXFileCreate(&dx), DXFILE_OK);
        ASSERT_EQ(dx->RegisterTemplates((LPVOID)D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES), DXFILE_OK);
        DXFILELOADMEMORY source{const_cast<uint8_t*>(file.data()), static_cast<DWORD>(file.size())};
        LPDIRECTXFILEENUMOBJECT enumerator = nullptr;
        EXPECT_EQ(dx->CreateEnumObject(&source, DXFILELOAD_FROMMEMORY, &enumerator), DXFILEERR_BADALLOC);
        EXPECT_EQ(enumerator, nullptr);
        EXPECT_EQ(std::string(D3DXGetLastLoadError()), r.error);
        dx->Release();
    }
}

// Vertex colours of every kind of float: NaN and infinities are clamped like any
// value outside 0..1; 64-bit files may hold doubles beyond float's range.
TEST(XFileLimits, ColoursThatAreNoNumbersAreClamped) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    XSceneDesc scene;
    XMeshDesc m;
    m.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    m.faces = {{0, 1, 2}, {1, 3, 2}};
    m.vertexColours = {{0, {nan, nan, nan, nan}},
                       {1, {inf, -inf, 1e30f, -1e30f}},
                       {2, {0.5f, -0.0f, 1.0f, 0.999f}},
                       {3, {-nan, 2.0f, 0.25f, inf}}};
    scene.meshes.push_back(m);
    for (int floatBits : {32, 64}) {
        SCOPED_TRACE(floatBits);
        XWriteOptions o;
        o.format = XWriteFormat::Binary;
        o.floatBits = floatBits;
        XMeshData mesh;
        const std::vector<uint8_t> file = WriteXFile(scene, o);
        XParseResult r = Load(file, mesh);
        ASSERT_TRUE(r.Ok()) << r.error;
        ASSERT_EQ(mesh.colours.size(), 4u);
        EXPECT_EQ(mesh.colours[0], 0x00000000u);
        EXPECT_EQ(mesh.colours[1], 0x00FF00FFu);  // a = -1e30, r = inf, g = -inf, b = 1e30
        EXPECT_EQ(mesh.colours[2], 0xFE7F00FFu);
        EXPECT_EQ(mesh.colours[3], 0xFF00FF3Fu);
    }

    // A double too large for a float reads as an infinite float.
    XMeshDesc big;
    big.positions = {{12345.0f, 0, 0}, {-12345.0f, 0, 0}, {0, 1, 0}};
    big.faces = {{0, 1, 2}};
    XSceneDesc bigScene;
    bigScene.meshes.push_back(big);
    XWriteOptions o;
    o.format = XWriteFormat::Binary;
    o.floatBits = 64;
    std::vector<uint8_t> file = WriteXFile(bigScene, o);
    for (double from : {12345.0, -12345.0}) {
        uint8_t pattern[8], huge[8];
        const double to = from > 0 ? 1e300 : -1e300;
        std::memcpy(pattern, &from, 8);
        std::memcpy(huge, &to, 8);
        auto at = std::search(file.begin(), file.end(), pattern, pattern + 8);
        ASSERT_NE(at, file.end());
        std::copy(huge, huge + 8, at);
    }
    XMeshData mesh;
    XParseResult r = Load(file, mesh);
    ASSERT_TRUE(r.Ok()) << r.error;
    EXPECT_EQ(mesh.positions[0].x, inf);
    EXPECT_EQ(mesh.positions[1].x, -inf);
}

using LoaderLimits = meshtest::MeshTest;

// Through the D3DX entry points: a refusal is a code and a reason, never an
// exception, and never a mesh.
TEST_F(LoaderLimits, RefusedFilesComeBackAsCodesWithReasons) {
    TempDir dir;
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        const char* reason;
    };
    const Case cases[] = {
        {"placements", Binary(PlacedMesh(2450, 2448, 9000), true), "22052450 vertices in all"},
        {"21 M references", CompressedText(Repeated("Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\nFrame F {",
                                                    "{M}", "}")),
         "more than 32 MB"},
        {"damaged block", [] {
             std::vector<uint8_t> f = Binary(PlacedMesh(10, 8, 1), true);
             f[16 + 4 + 6] = 0xFF;  // the first block's deflate header: a block type that does not exist
             return f;
         }(),
         "compressed block 1 is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.File("model.x");
        ASSERT_TRUE(images::WriteBytes(path, c.file));
        LPD3DXMESH mesh = nullptr;
        LPD3DXBUFFER adjacency = nullptr, materials = nullptr;
        DWORD count = 0;
        HRESULT hr = E_FAIL;
        EXPECT_NO_THROW(hr = D3DXLoadMeshFromX(path.c_str(), D3DXMESH_SYSTEMMEM, device, &adjacency, &materials,
                                               &count, &mesh));
        EXPECT_TRUE(FAILED(hr));
        EXPECT_EQ(mesh, nullptr);
        EXPECT_NE(std::string(D3DXGetLastLoadError()).find(c.reason), std::string::npos)
            << D3DXGetLastLoadError();
    }

    // A load that succeeds leaves no reason behind.
    const std::string path = dir.File("good.x");
    ASSERT_TRUE(images::WriteBytes(path, Binary(PlacedMesh(10, 8, 2), false)));
    LPD3DXMESH mesh = nullptr;
    LPD3DXBUFFER adjacency = nullptr, materials = nullptr;
    DWORD count = 0;
    ASSERT_EQ(D3DXLoadMeshFromX(path.c_str(), D3DXMESH_SYSTEMMEM, device, &adjacency, &materials, &count, &mesh),
              D3D_OK);
    EXPECT_STREQ(D3DXGetLastLoadError(), "");
    Own(mesh), Own(adjacency), Own(materials);
}

}  // namespace
