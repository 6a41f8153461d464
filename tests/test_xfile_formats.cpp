// The .x encodings: the same model written as text, binary with 32- and 64-bit
// floats, and both compressed, reads back identically; headers and MSZIP data
// are checked.
#include <gtest/gtest.h>

#include "d3dx8/xfile/x_mszip.h"
#include "xfile_models.h"

using namespace xtest;

namespace {

XMeshData LoadOk(const std::vector<uint8_t>& file) {
    XMeshData m;
    XParseResult r = Load(file, m);
    EXPECT_TRUE(r.Ok()) << r.error;
    return m;
}

TEST(XFileFormats, SampleSceneReadsAsWritten) {
    XMeshData m = LoadOk(Write(SampleScene(), AllEncodings()[0]));
    // The frame's triangle, then the child frame's quad: 3 + 5 vertices, two of the
    // quad's copied because face 1 gives them another normal.
    ASSERT_EQ(m.positions.size(), 10u);
    EXPECT_TRUE(SameVector(m.positions[0], D3DXVECTOR3(10, 0, 0)));
    EXPECT_TRUE(SameVector(m.positions[1], D3DXVECTOR3(10, 0, 1)));
    EXPECT_TRUE(SameVector(m.positions[3], D3DXVECTOR3(10, 5, 0)));
    EXPECT_TRUE(SameVector(m.positions[7], D3DXVECTOR3(10.5f, 3.5f, 2.25f)));
    EXPECT_TRUE(SameVector(m.positions[8], m.positions[3]));  // copy of quad vertex 0
    EXPECT_TRUE(SameVector(m.positions[9], m.positions[4]));  // copy of quad vertex 1
    EXPECT_EQ(m.indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 3, 5, 6, 8, 7, 9}));
    // Materials: the triangle's default, then the quad's list (Red by reference, green).
    ASSERT_EQ(m.materials.size(), 3u);
    EXPECT_EQ(m.attributes, (std::vector<uint32_t>{0, 2, 2, 1}));
    EXPECT_EQ(m.materials[0].Diffuse.r, 1.0f);
    EXPECT_EQ(m.materials[0].Diffuse.g, 1.0f);
    EXPECT_TRUE(m.materials[0].textureFilename.empty());
    EXPECT_EQ(m.materials[1].Diffuse.a, 0.5f);
    EXPECT_EQ(m.materials[1].Power, 8.0f);
    EXPECT_EQ(m.materials[1].Specular.b, 0.75f);
    EXPECT_EQ(m.materials[1].Emissive.r, 0.125f);
    EXPECT_EQ(m.materials[1].textureFilename, "red.bmp");
    EXPECT_EQ(m.materials[2].textureFilename, "green.bmp");
    // Normals: the quad's from the file, the triangle's computed from its face.
    ASSERT_TRUE(m.hasNormals);
    EXPECT_TRUE(SameVector(m.normals[0], D3DXVECTOR3(0, 1, 0)));
    EXPECT_TRUE(SameVector(m.normals[3], D3DXVECTOR3(0, 0, -1)));
    EXPECT_TRUE(SameVector(m.normals[8], D3DXVECTOR3(0, 1, 0)));
    EXPECT_TRUE(SameVector(m.normals[7], D3DXVECTOR3(0, 1, 0)));
    // Colours: white where the file gives none.
    ASSERT_TRUE(m.hasColours);
    EXPECT_EQ(m.colours[0], 0xFFFFFFFFu);
    EXPECT_EQ(m.colours[3], 0xFFFF7F00u);
    EXPECT_EQ(m.colours[8], 0xFFFF7F00u);
    EXPECT_EQ(m.colours[7], 0x3F0000FFu);
    ASSERT_TRUE(m.hasTexCoords);
    EXPECT_EQ(m.texCoords[7].x, 0.5f);
    EXPECT_EQ(m.texCoords[7].y, 0.75f);
    EXPECT_EQ(m.texCoords[0].x, 0.0f);
}

TEST(XFileFormats, EveryEncodingLoadsIdentically) {
    const XMeshData reference = LoadOk(Write(SampleScene(), AllEncodings()[0]));
    for (bool templates : {false, true})
        for (const Encoding& e : AllEncodings()) {
            SCOPED_TRACE(std::string(e.name) + (templates ? " with templates" : ""));
            const std::vector<uint8_t> file = Write(SampleScene(), e, templates);
            XFileTree tree;
            XParseResult r = ParseXFile(file.data(), file.size(), tree);
            ASSERT_TRUE(r.Ok()) << r.error;
            EXPECT_EQ(tree.header.floatBits, e.floatBits);
            EXPECT_EQ(tree.header.compressed,
                      e.format == XWriteFormat::TextCompressed || e.format == XWriteFormat::BinaryCompressed);
            ExpectSameMesh(LoadOk(file), reference);
        }
}

// A binary file by hand: header, then tokens.
struct BinaryFile {
    std::vector<uint8_t> bytes;
    explicit BinaryFile(const char* header) : bytes(header, header + 16) {}
    void Word(uint16_t v) { bytes.insert(bytes.end(), {uint8_t(v), uint8_t(v >> 8)}); }
    void Dword(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
    }
    void Name(const std::string& s) {
        Word(1);
        Dword(uint32_t(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    void Doubles(std::initializer_list<double> values) {
        Word(7);
        Dword(uint32_t(values.size()));
        for (double d : values) {
            uint8_t b[8];
            std::memcpy(b, &d, 8);
            bytes.insert(bytes.end(), b, b + 8);
        }
    }
};

TEST(XFileFormats, SixtyFourBitFloatsNarrowToFloat) {
    // Vector v { 0.1; -1e30; 3.0; } with the values as doubles.
    BinaryFile f("xof 0303bin 0064");
    f.Name("Vector");
    f.Name("v");
    f.Word(10);
    f.Doubles({0.1, -1e30, 3.0});
    f.Word(11);
    XFileTree tree;
    XParseResult r = ParseXFile(f.bytes.data(), f.bytes.size(), tree);
    ASSERT_TRUE(r.Ok()) << r.error;
    ASSERT_EQ(tree.objects.size(), 1u);
    const XData& v = *tree.objects[0];
    EXPECT_EQ(v.name, "v");
    ASSERT_EQ(v.data.size(), 12u);
    float xyz[3];
    std::memcpy(xyz, v.data.data(), 12);
    EXPECT_EQ(xyz[0], 0.1f);
    EXPECT_EQ(xyz[1], -1e30f);
    EXPECT_EQ(xyz[2], 3.0f);
}

TEST(XFileFormats, BinaryStringsTakeEitherTerminator) {
    // TextureFilename { "a.bmp" ; }  and  StringProperty { "k" ;(32-bit) "v" ; }
    BinaryFile f("xof 0303bin 0032");
    auto string = [&](const std::string& s) {
        f.Word(2);
        f.Dword(uint32_t(s.size()));
        f.bytes.insert(f.bytes.end(), s.begin(), s.end());
    };
    f.Name("TextureFilename");
    f.Word(10);
    string("a.bmp");
    f.Word(20);
    f.Word(11);
    f.Name("StringProperty");
    f.Word(10);
    string("k");
    f.Dword(20);
    string("v");
    f.Word(20);
    f.Word(11);
    XFileTree tree;
    XParseResult r = ParseXFile(f.bytes.data(), f.bytes.size(), tree);
    ASSERT_TRUE(r.Ok()) << r.error;
    ASSERT_EQ(tree.objects.size(), 2u);
    const char* s[2];
    std::memcpy(s, tree.objects[0]->data.data(), sizeof(char*));
    EXPECT_STREQ(s[0], "a.bmp");
    ASSERT_EQ(tree.objects[1]->data.size(), 2 * sizeof(char*));
    std::memcpy(s, tree.objects[1]->data.data(), 2 * sizeof(char*));
    EXPECT_STREQ(s[0], "k");
    EXPECT_STREQ(s[1], "v");
}

TEST(XFileFormats, TextFloatsTakeExponentsAndSigns) {
    XFileTree tree;
    auto file = TextFile("Vector { 1.5e2; -2.5E-1; +7; }\nVector { .5; -0.0; 1e+1; }\n");
    ASSERT_TRUE(ParseXFile(file.data(), file.size(), tree).Ok());
    ASSERT_EQ(tree.objects.size(), 2u);
    float a[3], b[3];
    std::memcpy(a, tree.objects[0]->data.data(), 12);
    std::memcpy(b, tree.objects[1]->data.data(), 12);
    EXPECT_EQ(a[0], 150.0f);
    EXPECT_EQ(a[1], -0.25f);
    EXPECT_EQ(a[2], 7.0f);
    EXPECT_EQ(b[0], 0.5f);
    EXPECT_EQ(b[2], 10.0f);
}

// A mesh large enough that its compressed form needs several 32 KB blocks.
XSceneDesc GridScene(int n) {
    XSceneDesc scene;
    XMeshDesc grid;
    grid.name = "Grid";
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) {
            grid.positions.push_back({x * 0.37f, (x * y % 17) * 0.01f, y * 0.41f});
            grid.texCoords.push_back({x / float(n), y / float(n)});
        }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const uint32_t a = y * (n + 1) + x;
            grid.faces.push_back({a, a + 1, a + uint32_t(n) + 2, a + uint32_t(n) + 1});
        }
    scene.meshes.push_back(grid);
    return scene;
}

TEST(XFileFormats, CompressedFilesSpanSeveralBlocks) {
    const XSceneDesc scene = GridScene(60);
    const XMeshData reference = LoadOk(Write(scene, AllEncodings()[0]));
    EXPECT_EQ(reference.TriangleCount(), 60u * 60u * 2u);
    for (const Encoding& e : AllEncodings()) {
        if (e.format != XWriteFormat::TextCompressed && e.format != XWriteFormat::BinaryCompressed) continue;
        SCOPED_TRACE(e.name);
        const std::vector<uint8_t> file = Write(scene, e);
        // The first block is full: 32 KB of data; more blocks follow it.
        ASSERT_GT(file.size(), 26u);
        EXPECT_EQ(file[20] | (file[21] << 8), 32768);
        const size_t second = 20 + 4 + (file[22] | (file[23] << 8));
        ASSERT_LT(second + 6, file.size());
        EXPECT_EQ(file[second + 4], 'C');
        EXPECT_EQ(file[second + 5], 'K');
        ExpectSameMesh(LoadOk(file), reference);
    }
}

TEST(XFileFormats, MszipRoundTripsAndCountsTheHeader) {
    std::vector<uint8_t> data(100000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t((i * 7) ^ (i >> 5));
    const std::vector<uint8_t> packed = MszipCompress(data.data(), data.size());
    // The size field holds the decompressed file's size, header included.
    EXPECT_EQ(packed[0] | (packed[1] << 8) | (packed[2] << 16) | (uint32_t(packed[3]) << 24), 100016u);
    std::vector<uint8_t> out;
    std::string error;
    ASSERT_TRUE(MszipDecompress(packed.data(), packed.size(), out, error)) << error;
    EXPECT_EQ(out, data);

    std::vector<uint8_t> noSignature = packed;
    noSignature[8] = 'X';
    EXPECT_FALSE(MszipDecompress(noSignature.data(), noSignature.size(), out, error));
    EXPECT_NE(error.find("CK"), std::string::npos) << error;

    std::vector<uint8_t> wrongSize = packed;
    wrongSize[0] ^= 0x40;
    EXPECT_FALSE(MszipDecompress(wrongSize.data(), wrongSize.size(), out, error));
    EXPECT_FALSE(error.empty());
}

TEST(XFileFormats, HeadersAreChecked) {
    struct Case {
        const char* header;
        XStatus status;
    };
    const Case cases[] = {
        {"xof 0302txt 0064", XStatus::Ok},
        {"xof 0303txt 0032", XStatus::Ok},
        {"xof 0303txt 0016", XStatus::BadFloatSize},
        {"xof 0203txt 0032", XStatus::BadVersion},
        {"xof 03x3txt 0032", XStatus::BadVersion},
        {"xof 0303zip 0032", XStatus::BadFileType},
        {"XOF 0303txt 0032", XStatus::BadFileType},
        {"xof 0303tx", XStatus::BadFileType},
        {"", XStatus::BadFileType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        std::string text = std::string(c.header) + "\nVector { 1; 2; 3; }\n";
        if (std::strlen(c.header) < 16) text = c.header;
        XFileTree tree;
        XParseResult r = ParseXFile(text.data(), text.size(), tree);
        EXPECT_EQ(r.status, c.status) << r.error;
        EXPECT_EQ(r.error.empty(), c.status == XStatus::Ok);
        EXPECT_EQ(tree.objects.size(), c.status == XStatus::Ok ? 1u : 0u);
    }
}

TEST(XFileFormats, PathHelperReadsFiles) {
    const std::string path = ::testing::TempDir() + "/xfile_formats_sample.x";
    XWriteOptions o;
    o.format = XWriteFormat::BinaryCompressed;
    ASSERT_TRUE(WriteXFileToPath(path.c_str(), SampleScene(), o));
    XMeshData fromFile;
    XParseResult r = LoadXMeshFromFile(path.c_str(), fromFile);
    ASSERT_TRUE(r.Ok()) << r.error;
    ExpectSameMesh(fromFile, LoadOk(Write(SampleScene(), AllEncodings()[0])));
    std::remove(path.c_str());

    r = LoadXMeshFromFile(path.c_str(), fromFile);
    EXPECT_EQ(r.status, XStatus::FileNotFound);
    EXPECT_NE(r.error.find(path), std::string::npos) << r.error;
    EXPECT_TRUE(IsEmpty(fromFile));
}

}  // namespace
