// Damaged input: every truncation of a small file in every encoding, random byte
// flips, absurd counts, indices out of range, unterminated strings and deep
// nesting. Each must end in a clean failure with a reason and an empty result,
// or in a mesh that is consistent; never in a crash, a hang or a read outside the
// buffer (the buffers here are exactly sized, so a sanitizer build sees any
// overrun).
#include <gtest/gtest.h>

#include <random>

#include "xfile_models.h"

using namespace xtest;

namespace {

// Loads a copy of exactly size bytes and checks the outcome is clean.
bool LoadClean(const uint8_t* data, size_t size, XMeshData& mesh, XParseResult& r) {
    std::vector<uint8_t> exact(data, data + size);
    r = LoadXMeshFromMemory(exact.empty() ? nullptr : exact.data(), exact.size(), mesh);
    if (!r.Ok()) {
        EXPECT_FALSE(r.error.empty());
        EXPECT_TRUE(IsEmpty(mesh));
        return false;
    }
    EXPECT_TRUE(r.error.empty());
    ExpectConsistent(mesh);
    return true;
}

XParseResult LoadText(const std::string& body, XMeshData& mesh) { return Load(TextFile(body), mesh); }

XStatus StatusOf(const std::string& body) {
    XMeshData mesh;
    XParseResult r = LoadText(body, mesh);
    EXPECT_EQ(r.Ok(), r.error.empty()) << r.error;
    if (!r.Ok()) {
        EXPECT_TRUE(IsEmpty(mesh));
    }
    return r.status;
}

TEST(XFileMalformed, EveryTruncationFailsCleanlyOrReadsTheWholeModel) {
    for (const Encoding& e : AllEncodings()) {
        SCOPED_TRACE(e.name);
        const std::vector<uint8_t> file = Write(SampleScene(), e, true);
        XMeshData full, mesh;
        XParseResult r;
        ASSERT_TRUE(LoadClean(file.data(), file.size(), full, r)) << r.error;
        size_t failures = 0;
        for (size_t n = 0; n < file.size(); ++n) {
            if (!LoadClean(file.data(), n, mesh, r)) {
                ++failures;
                continue;
            }
            // Only a cut in trailing text after the last object can still read.
            ASSERT_TRUE(MeshesEqual(mesh, full)) << "prefix of " << n << " bytes";
        }
        EXPECT_GE(failures, file.size() - 2) << "almost every prefix lacks part of the model";
    }
}

TEST(XFileMalformed, RandomByteFlipsNeverBreakTheReader) {
    std::mt19937 random(20240607);
    for (const Encoding& e : AllEncodings()) {
        SCOPED_TRACE(e.name);
        const std::vector<uint8_t> file = Write(SampleScene(), e, true);
        std::uniform_int_distribution<size_t> position(0, file.size() - 1);
        std::uniform_int_distribution<int> bits(1, 255), flips(1, 3);
        int loaded = 0, refused = 0;
        for (int i = 0; i < 1500; ++i) {
            std::vector<uint8_t> damaged = file;
            for (int k = flips(random); k > 0; --k) damaged[position(random)] ^= uint8_t(bits(random));
            XMeshData mesh;
            XParseResult r;
            if (LoadClean(damaged.data(), damaged.size(), mesh, r)) ++loaded;
            else ++refused;
            if (HasFatalFailure()) return;
        }
        // Both outcomes occur: flips in numbers still read, flips in structure do not.
        EXPECT_GT(refused, 0);
        RecordProperty(std::string(e.name) + "_loaded", loaded);
    }
}

TEST(XFileMalformed, AbsurdCountsAreRefusedBeforeAllocating) {
    EXPECT_EQ(StatusOf("Mesh { 2147483647; 0;0;0;; 1; 3;0,0,0;; }"), XStatus::BadArraySize);
    EXPECT_EQ(StatusOf("Mesh { 1; 0;0;0;; 2147483647; 3;0,0,0;; }"), XStatus::BadArraySize);
    EXPECT_EQ(StatusOf("Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 4294967295; 0,1,2;; }"), XStatus::BadArraySize);
    EXPECT_EQ(StatusOf("template Big { <00000000-0000-0000-0000-0000000000B1> array DWORD d[4000000000]; }\n"
                       "Big { 1; }"),
              XStatus::BadArraySize);
    // Dimensions whose product overflows 64 bits.
    EXPECT_EQ(StatusOf("template M { <00000000-0000-0000-0000-0000000000B2> DWORD a; DWORD b; DWORD c;"
                       " array DWORD d[a][b][c]; }\nM { 4294967295; 4294967295; 4294967295; 1; }"),
              XStatus::BadArraySize);
    // Elements that hold no data cost nothing, however many there are.
    XFileTree tree;
    auto file = TextFile("template E { <00000000-0000-0000-0000-0000000000B3> }\n"
                         "template H { <00000000-0000-0000-0000-0000000000B4> DWORD n; array E e[n]; }\n"
                         "H { 4000000000; }");
    EXPECT_TRUE(ParseXFile(file.data(), file.size(), tree).Ok());
}

// The position of the first integer list holding exactly value, after the token.
size_t FindIntegerList(const std::vector<uint8_t>& f, uint32_t value) {
    for (size_t i = 0; i + 10 <= f.size(); ++i)
        if (f[i] == 6 && f[i + 1] == 0 && f[i + 2] == 1 && f[i + 3] == 0 && f[i + 4] == 0 && f[i + 5] == 0 &&
            f[i + 6] == uint8_t(value) && f[i + 7] == 0 && f[i + 8] == 0 && f[i + 9] == 0)
            return i + 2;
    return 0;
}

TEST(XFileMalformed, AbsurdBinaryCountsAreRefused) {
    XSceneDesc scene;
    XMeshDesc mesh;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 2, 2}};
    mesh.faces = {{0, 1, 2}};
    scene.meshes.push_back(mesh);
    XWriteOptions o;
    o.format = XWriteFormat::Binary;
    o.writeHeader = false;
    const std::vector<uint8_t> file = WriteXFile(scene, o);
    const size_t list = FindIntegerList(file, 5);  // the list holding nVertices
    ASSERT_NE(list, 0u);
    XMeshData m;
    XParseResult r;

    std::vector<uint8_t> bigValue = file;
    bigValue[list + 4] = 0xFF, bigValue[list + 5] = 0xFF, bigValue[list + 6] = 0xFF, bigValue[list + 7] = 0x7F;
    EXPECT_FALSE(LoadClean(bigValue.data(), bigValue.size(), m, r));
    EXPECT_EQ(r.status, XStatus::BadArraySize) << r.error;

    std::vector<uint8_t> bigList = file;
    bigList[list] = 0xFF, bigList[list + 1] = 0xFF, bigList[list + 2] = 0xFF, bigList[list + 3] = 0x7F;
    EXPECT_FALSE(LoadClean(bigList.data(), bigList.size(), m, r));
    EXPECT_EQ(r.status, XStatus::ParseError) << r.error;
    EXPECT_NE(r.error.find("2147483647"), std::string::npos) << r.error;

    std::vector<uint8_t> bigName = file;  // the length of the first name, "Mesh"
    bigName[18] = 0xFF, bigName[19] = 0xFF, bigName[20] = 0xFF, bigName[21] = 0xFF;
    EXPECT_FALSE(LoadClean(bigName.data(), bigName.size(), m, r));
    EXPECT_EQ(r.status, XStatus::ParseError) << r.error;

    std::vector<uint8_t> badToken = file;
    badToken[16] = 99;
    EXPECT_FALSE(LoadClean(badToken.data(), badToken.size(), m, r));
    EXPECT_NE(r.error.find("unknown binary token 99"), std::string::npos) << r.error;
}

TEST(XFileMalformed, AbsurdCompressedSizesAreRefused) {
    XWriteOptions o;
    o.format = XWriteFormat::TextCompressed;
    const std::vector<uint8_t> file = WriteXFile(SampleScene(), o);
    XMeshData m;
    XParseResult r;
    std::vector<uint8_t> total = file;
    total[16] = 0xFF, total[17] = 0xFF, total[18] = 0xFF, total[19] = 0x7F;
    EXPECT_FALSE(LoadClean(total.data(), total.size(), m, r));
    EXPECT_EQ(r.status, XStatus::BadCompression);
    std::vector<uint8_t> block = file;
    block[20] = 0xFF, block[21] = 0xFF;
    EXPECT_FALSE(LoadClean(block.data(), block.size(), m, r));
    EXPECT_EQ(r.status, XStatus::BadCompression);
    std::vector<uint8_t> packed = file;
    packed[22] = 0xFF, packed[23] = 0xFF;
    EXPECT_FALSE(LoadClean(packed.data(), packed.size(), m, r));
    EXPECT_NE(r.error.find("past the end"), std::string::npos) << r.error;
}

TEST(XFileMalformed, IndicesOutOfRangeAreReported) {
    const std::string tri = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n";
    struct Case {
        std::string body;
        const char* reason;
    } cases[] = {
        {"Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }", "index 3"},
        {tri + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }", "index 1"},
        {tri + "MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; } }", "2 normal faces"},
        {tri + "MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; } }", "4 normals"},
        {tri + "MeshVertexColors { 1; 7; 1;1;1;1;;; } }", "vertex 7"},
        {tri + "MeshTextureCoords { 2; 0;0;, 1;1;; } }", "fewer texture coordinates"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        XMeshData m;
        XParseResult r = LoadText(c.body, m);
        EXPECT_EQ(r.status, XStatus::BadMesh);
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
        EXPECT_TRUE(IsEmpty(m));
    }
}

TEST(XFileMalformed, UnterminatedTokensAndObjectsAreReported) {
    struct Case {
        std::string body;
        const char* reason;
    } cases[] = {
        {"Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"open.bmp; } }", "unterminated string"},
        {"Mesh { <3D82AB44-62DA", "unterminated GUID"},
        {"Mesh { <not-a-guid> 0;; 0;; }", "malformed GUID"},
        {"Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;", "ends inside Mesh"},
        {"Mesh { 3; 0;0;0;, 1;0;", "ends inside the values"},
        {"Unknown { {", "ends inside an unknown object"},
        {"Mesh { 3; 0;0;0;, 1;zero;0;, 0;1;0;; 1; 3;0,1,2;; }", "expected a number"},
        {"Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1.5,2;; }", "malformed integer"},
        {"template T { <00000000-0000-0000-0000-000000000001> DWORD n", "expected ';'"},
        {"}", "unexpected '}' at the top level"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        XMeshData m;
        XParseResult r = LoadText(c.body, m);
        EXPECT_FALSE(r.Ok());
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("line 2"), std::string::npos) << r.error;
        EXPECT_TRUE(IsEmpty(m));
    }
}

std::string NestedFrames(int depth) {
    std::string s;
    for (int i = 0; i < depth; ++i) s += "Frame {\n";
    s += "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
    for (int i = 0; i < depth; ++i) s += "}\n";
    return s;
}

TEST(XFileMalformed, NestingIsLimited) {
    // The mesh sits one level below the innermost frame.
    EXPECT_EQ(StatusOf(NestedFrames(kMaxObjectDepth - 1)), XStatus::Ok);
    EXPECT_EQ(StatusOf(NestedFrames(kMaxObjectDepth)), XStatus::TooDeep);
    EXPECT_EQ(StatusOf(NestedFrames(100000)), XStatus::TooDeep);
    // Objects nobody can read are skipped without descending into them.
    std::string unknown(200000 * 9, ' ');
    for (size_t i = 0; i < 200000; ++i) std::memcpy(&unknown[i * 9], "Gizmo { ", 8);
    unknown += std::string(200000, '}') + "\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }";
    EXPECT_EQ(StatusOf(unknown), XStatus::Ok);
}

TEST(XFileMalformed, BrokenTemplatesAreRefused) {
    struct Case {
        std::string body;
        const char* reason;
    } cases[] = {
        {"template A { <00000000-0000-0000-0000-00000000000A> A inner; }", "unknown template A"},
        {"template B { <00000000-0000-0000-0000-00000000000B> FLOAT f; array DWORD d[f]; }", "no earlier integer"},
        {"template C { <00000000-0000-0000-0000-00000000000C> array DWORD d[count]; DWORD count; }",
         "no earlier integer"},
        {"template D { <00000000-0000-0000-0000-00000000000D> array DWORD d; }", "has no size"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        EXPECT_EQ(StatusOf(c.body), XStatus::ParseError);
        XMeshData m;
        EXPECT_NE(LoadText(c.body, m).error.find(c.reason), std::string::npos) << LoadText(c.body, m).error;
    }
    // A chain of templates, each holding the one before: the limit applies.
    std::string chain = "template T0 { <00000000-0000-0000-0000-000000000100> DWORD v; }\n";
    for (int i = 1; i <= kMaxTemplateDepth; ++i)
        chain += "template T" + std::to_string(i) + " { <00000000-0000-0000-0000-000000000100> T" +
                 std::to_string(i - 1) + " inner; }\n";
    XMeshData m;
    XParseResult r = LoadText(chain, m);
    EXPECT_EQ(r.status, XStatus::ParseError);
    EXPECT_NE(r.error.find("T" + std::to_string(kMaxTemplateDepth) + " nests"), std::string::npos) << r.error;
}

}  // namespace
