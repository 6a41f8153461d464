// The image decoder on files the tests write byte by byte: bitmaps with channel
// masks of every layout and header, OS/2 and run-length details, refusals with
// their reasons, and headers that claim far more pixels than their files hold.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <time.h>

#include <string>
#include <vector>

#include "d3dx8/image_file.h"
#include "image_files.h"

namespace {

using images::Put16;
using images::Put32;

struct Masks {
    uint32_t r, g, b, a;
};

// A 16- or 32-bit bitmap of raw pixel values (row 0 on top) under the given
// header size (40, 52, 56, 108, 124) and compression (3 bit fields, 6 alpha bit
// fields, 0 none). A 40-byte header is followed by the masks it needs.
std::vector<uint8_t> MaskedBmp(int w, int h, int bits, uint32_t headerSize, uint32_t compression, Masks m,
                               const std::vector<uint32_t>& raw, bool topDown = false) {
    std::vector<uint8_t> header;
    Put32(header, headerSize);
    Put32(header, uint32_t(w));
    Put32(header, uint32_t(topDown ? -h : h));
    Put16(header, 1);
    Put16(header, uint32_t(bits));
    Put32(header, compression);
    for (int k = 0; k < 5; ++k) Put32(header, 0);  // image size, resolution, colours
    if (headerSize == 40 && compression == 3) Put32(header, m.r), Put32(header, m.g), Put32(header, m.b);
    if (headerSize == 40 && compression == 6) Put32(header, m.r), Put32(header, m.g), Put32(header, m.b), Put32(header, m.a);
    if (headerSize > 40) {
        Put32(header, m.r), Put32(header, m.g), Put32(header, m.b);
        if (headerSize >= 56) Put32(header, m.a);
        header.resize(headerSize, 0);
    }
    std::vector<uint8_t> pixels;
    const size_t stride = (size_t(w) * bits + 31) / 32 * 4;
    for (int r = 0; r < h; ++r) {
        const int y = topDown ? r : h - 1 - r;
        std::vector<uint8_t> line;
        for (int x = 0; x < w; ++x) bits == 16 ? Put16(line, raw[size_t(y * w + x)]) : Put32(line, raw[size_t(y * w + x)]);
        line.resize(stride, 0);
        pixels.insert(pixels.end(), line.begin(), line.end());
    }
    std::vector<uint8_t> out = {'B', 'M'};
    Put32(out, uint32_t(14 + header.size() + pixels.size()));
    Put32(out, 0);
    Put32(out, uint32_t(14 + header.size()));
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

unsigned Width(uint32_t mask) { return unsigned(__builtin_popcount(mask)); }
unsigned Shift(uint32_t mask) { return mask ? unsigned(__builtin_ctz(mask)) : 0; }

// A channel's value as eight bits: the top eight of a wider one; a narrower one's
// bits written out again and again, and the first eight taken.
uint32_t Expect8(uint32_t value, unsigned bits) {
    if (bits >= 8) return value >> (bits - 8);
    std::string pattern;
    while (pattern.size() < 8)
        for (unsigned k = bits; k-- > 0;) pattern += (value >> k & 1) ? '1' : '0';
    return uint32_t(std::stoul(pattern.substr(0, 8), nullptr, 2));
}

bool Decode(const std::vector<uint8_t>& bytes, nol::d3dx8::Image* image, std::string* why) {
    return nol::d3dx8::DecodeImage(bytes.data(), bytes.size(), image, why);
}

TEST(ImageDecoding, BitFieldsOfAnyLayoutDecodeExactly) {
    struct Case {
        const char* name;
        int bits;
        Masks m;
        D3DFORMAT format;
    };
    const Case cases[] = {
        {"32 ABGR", 32, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}, D3DFMT_A8R8G8B8},
        {"32 RGBA", 32, {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF}, D3DFMT_A8R8G8B8},
        {"32 BGRX", 32, {0x0000FF00, 0x00FF0000, 0xFF000000, 0}, D3DFMT_X8R8G8B8},
        {"32 10-10-10-2", 32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, D3DFMT_A8R8G8B8},
        {"32 11-11-10", 32, {0xFFE00000, 0x001FFC00, 0x000003FF, 0}, D3DFMT_X8R8G8B8},
        {"32 12-bit red, 3-bit green", 32, {0x00000FFF, 0x00007000, 0x00FF0000, 0x01000000}, D3DFMT_A8R8G8B8},
        {"16 565", 16, {0xF800, 0x07E0, 0x001F, 0}, D3DFMT_R5G6B5},
        {"16 1555", 16, {0x7C00, 0x03E0, 0x001F, 0x8000}, D3DFMT_A1R5G5B5},
        {"16 4444", 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, D3DFMT_A4R4G4B4},
        {"16 444", 16, {0x0F00, 0x00F0, 0x000F, 0}, D3DFMT_X4R4G4B4},
        {"16 blue high", 16, {0x000F, 0x07F0, 0xF800, 0}, D3DFMT_X8R8G8B8},
        {"16 2-bit alpha low", 16, {0xF800, 0x07C0, 0x003C, 0x0003}, D3DFMT_A8R8G8B8},
    };
    const int w = 5, h = 3;  // 16-bit rows of five carry padding
    for (const Case& c : cases) {
        // Every channel's own values, its extremes among them.
        std::vector<uint32_t> raw, expected;
        uint32_t seed = 7;
        for (int i = 0; i < w * h; ++i) {
            uint32_t pixel = 0, argb = 0;
            const uint32_t masks[4] = {c.m.a, c.m.r, c.m.g, c.m.b};
            for (int k = 0; k < 4; ++k) {
                const unsigned bits = Width(masks[k]);
                const uint32_t most = bits ? uint32_t((uint64_t(1) << bits) - 1) : 0;
                seed = seed * 1103515245u + 12345u;
                const uint32_t v = i == 0 ? most : i == 1 ? 0 : (seed >> 8) & most;
                pixel |= v << Shift(masks[k]);
                argb |= (bits ? Expect8(v, bits) : k == 0 ? 0xFF : 0) << (24 - 8 * k);
            }
            raw.push_back(pixel);
            expected.push_back(argb);
        }
        for (uint32_t headerSize : {40u, 56u, 108u, 124u}) {
            for (bool topDown : {false, true}) {
                SCOPED_TRACE(std::string(c.name) + ", header " + std::to_string(headerSize) + (topDown ? ", top-down" : ""));
                const uint32_t compression = headerSize == 40 && c.m.a ? 6 : 3;
                nol::d3dx8::Image image;
                std::string why;
                ASSERT_TRUE(Decode(MaskedBmp(w, h, c.bits, headerSize, compression, c.m, raw, topDown), &image, &why))
                    << why;
                EXPECT_EQ(image.width, unsigned(w));
                EXPECT_EQ(image.height, unsigned(h));
                EXPECT_EQ(image.argb, expected);
                EXPECT_EQ(image.format, c.format);
                EXPECT_EQ(image.hasAlpha, c.m.a != 0);
            }
        }
    }
}

TEST(ImageDecoding, WideChannelsKeepTheirHighBitsNarrowOnesRepeatThem) {
    EXPECT_EQ(nol::d3dx8::WidenChannel(0x3FF, 10), 0xFFu);
    EXPECT_EQ(nol::d3dx8::WidenChannel(0x200, 10), 0x80u);
    EXPECT_EQ(nol::d3dx8::WidenChannel(0x0FF, 10), 0x3Fu);  // not its low eight bits
    EXPECT_EQ(nol::d3dx8::WidenChannel(0xABCD, 16), 0xABu);
    EXPECT_EQ(nol::d3dx8::WidenChannel(0x1F, 5), 0xFFu);
    EXPECT_EQ(nol::d3dx8::WidenChannel(0x10, 5), 0x84u);
    EXPECT_EQ(nol::d3dx8::WidenChannel(0x2, 3), 0x49u);
    EXPECT_EQ(nol::d3dx8::WidenChannel(1, 1), 0xFFu);
    EXPECT_EQ(nol::d3dx8::WidenChannel(0, 1), 0x00u);

    // A 52-byte header has no alpha mask: a bit-field file under it is opaque.
    nol::d3dx8::Image image;
    std::string why;
    ASSERT_TRUE(Decode(MaskedBmp(1, 1, 32, 52, 3, {0xFF0000, 0xFF00, 0xFF, 0}, {0x12345678}), &image, &why)) << why;
    EXPECT_EQ(image.argb, std::vector<uint32_t>{0xFF345678});
    EXPECT_FALSE(image.hasAlpha);
}

TEST(ImageDecoding, MasksAndCompressionsThatCannotBeHonouredAreRefusedWithAReason) {
    const std::vector<uint32_t> one = {0x12345678};
    auto reason = [](const std::vector<uint8_t>& bytes) {
        nol::d3dx8::Image image;
        std::string why;
        EXPECT_FALSE(Decode(bytes, &image, &why));
        EXPECT_TRUE(image.argb.empty());
        return why;
    };
    EXPECT_EQ(reason(MaskedBmp(1, 1, 32, 40, 3, {0xFF0000, 0x01FF00, 0xFF, 0}, one)), "BMP channel masks overlap");
    EXPECT_EQ(reason(MaskedBmp(1, 1, 32, 108, 3, {0xFF0000, 0xFF00, 0xFF, 0x800000FF}, one)),
              "BMP alpha mask 0x800000FF is not contiguous");
    EXPECT_EQ(reason(MaskedBmp(1, 1, 32, 56, 3, {0xFF0000, 0xF0F0, 0xFF, 0}, one)),
              "BMP green mask 0xF0F0 is not contiguous");
    EXPECT_EQ(reason(MaskedBmp(2, 1, 16, 40, 3, {0x7C00, 0x3E0, 0x1F0000, 0}, {1, 2})),
              "BMP blue mask 0x1F0000 lies outside its 16-bit pixels");
    EXPECT_EQ(reason(MaskedBmp(1, 1, 32, 108, 3, {0, 0, 0, 0xFF000000}, one)), "BMP bit fields hold no colour");
    EXPECT_EQ(reason(MaskedBmp(1, 1, 32, 40, 4, {}, one)), "BMP holding a JPEG image is not read");
    EXPECT_EQ(reason(MaskedBmp(1, 1, 32, 124, 5, {}, one)), "BMP holding a PNG image is not read");
    EXPECT_EQ(reason(MaskedBmp(1, 1, 32, 40, 11, {}, one)), "BMP compression 11 is not read");

    // OS/2 2.x headers (64 bytes) give compressions 3 and 4 other meanings.
    auto os2 = [&](uint32_t compression) {
        std::vector<uint8_t> bytes = MaskedBmp(1, 1, 32, 124, 0, {}, one);
        bytes[14] = 64;
        bytes[30] = uint8_t(compression);
        bytes[10] = 14 + 64;
        return bytes;
    };
    EXPECT_EQ(reason(os2(3)), "OS/2 BMP with Huffman 1D compression is not read");
    EXPECT_EQ(reason(os2(4)), "OS/2 BMP with 24-bit run-length compression is not read");

    std::vector<uint8_t> bytes = MaskedBmp(1, 1, 32, 40, 3, {0xFF0000, 0xFF00, 0xFF, 0}, one);
    bytes[28] = 24;
    EXPECT_EQ(reason(bytes), "BMP of 24 bits per pixel with compression 3 is not read");
    bytes = MaskedBmp(1, 1, 32, 40, 0, {}, one);
    bytes[14] = 200;
    EXPECT_EQ(reason(bytes), "BMP header of 200 bytes is not read");
    bytes = MaskedBmp(1, 1, 32, 40, 0, {}, one);
    bytes[10] = 20;
    EXPECT_EQ(reason(bytes), "BMP pixel data would start inside its header");

    images::Bmp rle(4, 2, 8);
    rle.rle = rle.topDown = true;
    rle.palette = {0x102030};
    rle.pixels.assign(8, 0);
    EXPECT_EQ(reason(images::EncodeBmp(rle)), "top-down BMP cannot be run-length encoded");
    rle.topDown = false;
    rle.pixels[3] = 5;
    bytes = images::EncodeBmp(rle);
    bytes[46] = 1, bytes[47] = 0;  // one entry in the palette
    EXPECT_EQ(reason(bytes), "BMP pixel names palette entry 5 of 1");

    EXPECT_EQ(reason({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "unknown image format");
    EXPECT_EQ(reason({}), "file is empty");
}

// OS/2 1.x headers (12 bytes, three-byte palette entries), 2-bit pixels, and the
// run-length escapes that move the pen.
TEST(ImageDecoding, OldHeadersTwoBitPixelsAndRunLengthJumps) {
    std::vector<uint8_t> os2 = {'B', 'M'};
    Put32(os2, 0);
    Put32(os2, 0);
    Put32(os2, 14 + 12 + 2 * 3);
    Put32(os2, 12);
    Put16(os2, 3);  // 3 x 2, one bit per pixel
    Put16(os2, 2);
    Put16(os2, 1);
    Put16(os2, 1);
    for (uint8_t v : {0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0}) os2.push_back(v);  // blue, green, red
    for (uint8_t row : {0xA0, 0x40}) os2.insert(os2.end(), {row, 0, 0, 0});  // bottom row first
    nol::d3dx8::Image image;
    std::string why;
    ASSERT_TRUE(Decode(os2, &image, &why)) << why;
    const uint32_t c0 = 0xFF302010, c1 = 0xFFC0B0A0;
    EXPECT_EQ(image.argb, (std::vector<uint32_t>{c0, c1, c0, c1, c0, c1}));

    images::Bmp two(5, 1, 8);
    two.palette = {0x000001, 0x000002, 0x000003, 0x000004};
    two.pixels = {0, 0, 0, 0, 0};
    std::vector<uint8_t> bytes = images::EncodeBmp(two);
    bytes[28] = 2;                                   // 2 bits per pixel
    const size_t pixels = bytes.size() - 8;          // the 8-byte row of indices
    bytes[pixels] = 0x1B, bytes[pixels + 1] = 0xC0;  // 0 1 2 3, 3
    bytes[46] = 4, bytes[47] = 0;                    // four palette entries
    ASSERT_TRUE(Decode(bytes, &image, &why)) << why;
    EXPECT_EQ(image.argb, (std::vector<uint32_t>{0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0xFF000004}));

    // RLE8, 6 x 3: a run, a jump of two right, a literal stretch and a run both
    // past the row's end, which are cut off; what the pen skips is entry 0.
    images::Bmp rle(6, 3, 8);
    rle.rle = true;
    rle.palette = {0x000000, 0x0000AA, 0x00BB00, 0xCC0000};
    rle.pixels.assign(18, 0);
    bytes = images::EncodeBmp(rle);
    const std::vector<uint8_t> runs = {2, 1, 0, 2, 2, 0, 0, 3, 2, 3, 1, 0, 0, 0, 9, 3, 0, 1};
    const size_t start = bytes.size() - (rle.pixels.size() / 6 * 4 + 2);  // the encoder's three rows and end marker
    bytes.resize(start);
    bytes.insert(bytes.end(), runs.begin(), runs.end());
    ASSERT_TRUE(Decode(bytes, &image, &why)) << why;
    const uint32_t k = 0xFF000000, a = 0xFF0000AA, g = 0xFF00BB00, r = 0xFFCC0000;
    EXPECT_EQ(image.argb, (std::vector<uint32_t>{k, k, k, k, k, k,  //
                                                 r, r, r, r, r, r,  //
                                                 a, a, k, k, g, r}))
        << why;
}

double Seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

void PutBe32(std::vector<uint8_t>& b, uint32_t v) {
    for (int k = 3; k >= 0; --k) b.push_back(uint8_t(v >> (8 * k)));
}

// Headers claiming 16384 x 16384 pixels over a few dozen bytes of data, of every
// kind: refused at once, before the decoders allocate a gigabyte for them.
TEST(ImageDecoding, HeadersClaimingMoreThanTheFileHoldsAreRefusedBeforeDecoding) {
    const int side = 16384;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;

    images::Bmp bmp(2, 2, 24);
    bmp.pixels.assign(4, 0xFF808080);
    std::vector<uint8_t> b = images::EncodeBmp(bmp);
    for (size_t at : {size_t(18), size_t(22)}) b[at] = 0, b[at + 1] = 0x40, b[at + 2] = b[at + 3] = 0;
    files.emplace_back("BMP", b);

    images::Bmp rle(8, 2, 8);
    rle.rle = true;
    rle.palette = {0x808080};
    rle.pixels.assign(16, 0);
    b = images::EncodeBmp(rle);
    for (size_t at : {size_t(18), size_t(22)}) b[at] = 0, b[at + 1] = 0x40, b[at + 2] = b[at + 3] = 0;
    files.emplace_back("RLE BMP", b);

    for (bool compressed : {false, true}) {
        images::Tga tga(2, 2, 24);
        tga.rle = compressed;
        tga.pixels.assign(4, 0xFF808080);
        b = images::EncodeTga(tga);
        b[12] = b[14] = 0, b[13] = b[15] = 0x40;
        files.emplace_back(compressed ? "RLE TGA" : "TGA", b);
    }

    b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutBe32(b, 13);
    for (char c : std::string("IHDR")) b.push_back(uint8_t(c));
    PutBe32(b, side);
    PutBe32(b, side);
    b.insert(b.end(), {8, 6, 0, 0, 0});  // RGBA, 8 bits
    PutBe32(b, 0);                       // CRCs are not checked before the size
    PutBe32(b, 11);
    b.insert(b.end(), {'I', 'D', 'A', 'T', 0x78, 0x9C, 0x63, 0x60, 0x18, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00});
    PutBe32(b, 0);
    PutBe32(b, 0);
    b.insert(b.end(), {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    files.emplace_back("PNG", b);

    files.emplace_back("PPM", Text("P6\n16384 16384\n255\n" + std::string(120, '\x40')));
    files.emplace_back("text PPM", Text("P3 16384 16384 255 " + std::string(200, '7')));
    files.emplace_back("PGM", Text("P5 16384 16384 65535\n" + std::string(64, '\x40')));

    // SOI, a baseline frame of three components, a scan of a few bytes, EOI.
    b = {0xFF, 0xD8, 0xFF, 0xC0, 0, 17, 8, 0x40, 0, 0x40, 0, 3};
    for (uint8_t id = 1; id <= 3; ++id) b.insert(b.end(), {id, 0x11, 0});
    b.insert(b.end(), {0xFF, 0xDA, 0, 12, 3, 1, 0, 2, 0x11, 3, 0x11, 0, 63, 0});
    b.insert(b.end(), 40, 0x55);
    b.insert(b.end(), {0xFF, 0xD9});
    files.emplace_back("JPEG", b);

    const long before = PeakKb();
    const double start = Seconds();
    for (const auto& [kind, bytes] : files) {
        SCOPED_TRACE(kind);
        nol::d3dx8::Image image;
        std::string why;
        EXPECT_FALSE(Decode(bytes, &image, &why));
        EXPECT_EQ(why, "image claims 16384 x 16384 but holds " + std::to_string(bytes.size()) + " bytes");
    }
    EXPECT_LT(Seconds() - start, 1.0);
    EXPECT_LT(PeakKb() - before, 100 * 1024) << "kB of peak memory grew";

    // Beyond the largest side at all: refused whatever the file holds.
    b = images::EncodeBmp(bmp);
    b[19] = 0x41, b[20] = 0;  // 16642 wide
    nol::d3dx8::Image image;
    std::string why;
    EXPECT_FALSE(Decode(b, &image, &why));
    EXPECT_EQ(why, "image claims 16642 x 2, more than 16384 on a side");
}

}  // namespace
