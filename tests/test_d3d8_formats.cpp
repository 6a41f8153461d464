// The parts of the Direct3D stand-in that need no display: pixel formats, vertex
// format codes, the state tables and the PNG writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "d3d8/d3d8_test_hooks.h"
#include "d3d8/formats.h"
#include "d3d8/fvf.h"
#include "d3d8/state_tables.h"
#include "support/test_support.h"

using namespace nol::d3d8;

namespace {

TEST(D3DFormats, SixteenBitChannelsWidenByReplicationAndNarrowByRounding) {
    const ColorFormatInfo& rgb565 = *FindColorFormat(D3DFMT_R5G6B5);
    uint8_t p[2] = {0x1F, 0xF8};  // 0xF81F: full red and blue, no green
    EXPECT_EQ(ReadPixel(rgb565, p), 0xFFFF00FFu);
    p[0] = 0x10;  // 0x8410: r = 16, g = 32, b = 16
    p[1] = 0x84;
    EXPECT_EQ(ReadPixel(rgb565, p), 0xFF848284u);
    // Every 5-6-5 value survives widening and narrowing again.
    for (uint32_t v = 0; v < 0x10000; ++v) {
        uint8_t in[2] = {uint8_t(v), uint8_t(v >> 8)}, out[2];
        WritePixel(rgb565, out, ReadPixel(rgb565, in));
        ASSERT_EQ(out[0] | out[1] << 8, int(v));
    }
    const ColorFormatInfo& argb4 = *FindColorFormat(D3DFMT_A4R4G4B4);
    uint8_t q[2];
    WritePixel(argb4, q, 0x88FF0077u);  // 0x88 → 8, 0x77 → 7 (rounding)
    EXPECT_EQ(q[1], 0x8F);
    EXPECT_EQ(q[0], 0x07);
    EXPECT_EQ(ReadPixel(argb4, q), 0x88FF0077u);
    const ColorFormatInfo& a1 = *FindColorFormat(D3DFMT_A1R5G5B5);
    WritePixel(a1, q, 0x7FFFFFFFu);
    EXPECT_EQ(ReadPixel(a1, q) >> 24, 0u);
    WritePixel(a1, q, 0x80000000u);
    EXPECT_EQ(ReadPixel(a1, q), 0xFF000000u);
}

TEST(D3DFormats, FormatsWithoutAlphaReadOpaqueAndKeepTheirBytes) {
    const ColorFormatInfo& x8 = *FindColorFormat(D3DFMT_X8R8G8B8);
    const uint8_t p[4] = {0x30, 0x20, 0x10, 0x00};
    EXPECT_EQ(ReadPixel(x8, p), 0xFF102030u);
    const ColorFormatInfo& r8 = *FindColorFormat(D3DFMT_R8G8B8);
    uint8_t q[3];
    WritePixel(r8, q, 0x00AABBCCu);
    EXPECT_EQ(q[0], 0xCC);
    EXPECT_EQ(q[2], 0xAA);
    EXPECT_EQ(SurfacePitch(r8, 5), 16u);  // 15 bytes, rounded to 4
    EXPECT_EQ(FindColorFormat(D3DFMT_A8), nullptr);
    EXPECT_EQ(FindColorFormat(D3DFMT_D16), nullptr);
    EXPECT_TRUE(IsDepthFormat(D3DFMT_D24S8));
    EXPECT_FALSE(IsDepthFormat(D3DFMT_D15S1));
}

TEST(D3DFormats, TheFrameworksVertexFormatsDecodeToTheirSizes) {
    const struct {
        DWORD fvf;
        UINT size;
    } formats[] = {{0x042, 16}, {0x044, 20}, {0x052, 28}, {0x142, 24},
                   {0x144, 28}, {0x152, 36}, {0x242, 32}, {0x252, 44}};
    for (const auto& f : formats) {
        VertexLayout l;
        ASSERT_TRUE(DecodeFvf(f.fvf, &l)) << f.fvf;
        EXPECT_EQ(l.size, f.size) << f.fvf;
    }
    VertexLayout l;
    ASSERT_TRUE(DecodeFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2, &l));
    EXPECT_EQ(l.normalOffset, 12u);
    EXPECT_EQ(l.diffuseOffset, 24u);
    EXPECT_EQ(l.specularOffset, 28u);
    EXPECT_EQ(l.texOffset[1], 40u);
    ASSERT_TRUE(DecodeFvf(D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE3(1), &l));
    EXPECT_EQ(l.size, 12u + 4u + 12u);
    // Refused: no position, blend weights, point size, normals with RHW, sizes of
    // sets the vertex lacks, reserved bits.
    for (DWORD bad : {DWORD(D3DFVF_DIFFUSE), DWORD(D3DFVF_XYZB1), DWORD(D3DFVF_XYZ | D3DFVF_PSIZE),
                      DWORD(D3DFVF_XYZRHW | D3DFVF_NORMAL), DWORD(D3DFVF_XYZ | D3DFVF_TEXCOORDSIZE3(2)),
                      DWORD(D3DFVF_XYZ | 0x1000), DWORD(D3DFVF_XYZ | 0x900)})
        EXPECT_FALSE(DecodeFvf(bad, &l)) << bad;
}

TEST(D3DFormats, StateTablesKnowTheDefaultsAndRanges) {
    ASSERT_NE(RenderStateRule(D3DRS_LIGHTING), nullptr);
    EXPECT_EQ(RenderStateRule(D3DRS_LIGHTING)->defaultValue, DWORD(TRUE));
    EXPECT_EQ(RenderStateRule(D3DRS_FOGEND)->defaultValue, FloatBits(1.0f));
    EXPECT_EQ(RenderStateRule(11), nullptr);  // a gap in the numbering
    EXPECT_EQ(RenderStateRule(5000), nullptr);
    EXPECT_TRUE(RenderStateAccepts(D3DRS_BLENDOP, D3DBLENDOP_MAX));
    EXPECT_FALSE(RenderStateAccepts(D3DRS_BLENDOP, 6));
    EXPECT_EQ(StageStateDefault(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(StageStateDefault(2, D3DTSS_ALPHAOP), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(StageStateDefault(5, D3DTSS_TEXCOORDINDEX), 5u);
    EXPECT_FALSE(StageStateKnown(12));
    EXPECT_FALSE(StageStateAccepts(D3DTSS_TEXCOORDINDEX, 0x10000));  // no coordinate generation
    EXPECT_FALSE(StageStateAccepts(D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2));
}

// Reads back what the PNG writer stored: chunk CRCs, the stored deflate blocks and
// the Adler-32, then the pixels.
TEST(D3DFormats, PngWriterStoresExactPixels) {
    TempDir dir;
    std::vector<uint32_t> argb(300 * 250);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = static_cast<uint32_t>(i * 2654435761u);
    std::string path = dir.File("out.png");
    ASSERT_TRUE(NolD3D8WritePng(path.c_str(), argb.data(), 300, 250));
    std::string png = ReadFile(path);
    ASSERT_GT(png.size(), 8u);
    ASSERT_EQ(png.compare(0, 8, "\x89PNG\r\n\x1a\n"), 0);
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(png[at])) << 24 | uint32_t(uint8_t(png[at + 1])) << 16 |
               uint32_t(uint8_t(png[at + 2])) << 8 | uint32_t(uint8_t(png[at + 3]));
    };
    auto crc = [](const uint8_t* p, size_t n) {
        uint32_t c = 0xFFFFFFFFu;
        for (size_t i = 0; i < n; ++i) {
            c ^= p[i];
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
        }
        return ~c;
    };
    std::string zlib;
    size_t at = 8;
    while (at + 12 <= png.size()) {
        uint32_t len = be32(at);
        std::string type = png.substr(at + 4, 4);
        ASSERT_LE(at + 12 + len, png.size());
        EXPECT_EQ(crc(reinterpret_cast<const uint8_t*>(png.data() + at + 4), len + 4), be32(at + 8 + len)) << type;
        if (type == "IHDR") {
            EXPECT_EQ(be32(at + 8), 300u);
            EXPECT_EQ(be32(at + 12), 250u);
        }
        if (type == "IDAT") zlib += png.substr(at + 8, len);
        at += 12 + len;
    }
    // Stored blocks: header byte, LEN, NLEN, data.
    std::string raw;
    size_t z = 2;
    bool last = false;
    while (!last && z + 5 <= zlib.size()) {
        last = zlib[z] & 1;
        size_t n = uint8_t(zlib[z + 1]) | uint8_t(zlib[z + 2]) << 8;
        size_t nn = uint8_t(zlib[z + 3]) | uint8_t(zlib[z + 4]) << 8;
        ASSERT_EQ(n ^ 0xFFFF, nn);
        raw += zlib.substr(z + 5, n);
        z += 5 + n;
    }
    ASSERT_TRUE(last);
    ASSERT_EQ(raw.size(), 250u * (300 * 4 + 1));
    uint32_t a = 1, b = 0;
    for (char c : raw) {
        a = (a + uint8_t(c)) % 65521;
        b = (b + a) % 65521;
    }
    ASSERT_EQ(z + 4, zlib.size());
    EXPECT_EQ(uint32_t(uint8_t(zlib[z])) << 24 | uint32_t(uint8_t(zlib[z + 1])) << 16 |
                  uint32_t(uint8_t(zlib[z + 2])) << 8 | uint8_t(zlib[z + 3]),
              b << 16 | a);
    for (size_t y = 0; y < 250; y += 49)
        for (size_t x = 0; x < 300; x += 37) {
            const uint8_t* p = reinterpret_cast<const uint8_t*>(raw.data()) + y * 1201 + 1 + x * 4;
            uint32_t want = argb[y * 300 + x];
            EXPECT_EQ(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2] | uint32_t(p[3]) << 24, want);
        }
    EXPECT_FALSE(NolD3D8WritePng(dir.File("none/x.png").c_str(), argb.data(), 300, 250));
    EXPECT_FALSE(NolD3D8WritePng(path.c_str(), argb.data(), 0, 250));
}

}  // namespace
