// The D3DX texture loaders on a memory device: every image kind the game could
// ship, formats, sizes, filters, mipmaps, colour keys and broken files.
#include <gtest/gtest.h>

#include <cmath>

#include "d3d8_memory_fakes.h"
#include "d3dx8/d3dx8reason.h"
#include "d3dx8/d3dx8tex.h"
#include "image_files.h"
#include "support/test_support.h"

namespace {

constexpr D3DFORMAT kP8 = static_cast<D3DFORMAT>(41);
constexpr D3DFORMAT kL8 = static_cast<D3DFORMAT>(50);
constexpr D3DFORMAT kA8 = D3DFMT_A8;

uint32_t Rep5(uint32_t v5) { return (v5 << 3) | (v5 >> 2); }

// A pattern with every channel different per texel, alpha included.
std::vector<uint32_t> Pattern(int w, int h, bool alpha) {
    std::vector<uint32_t> p;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.push_back(D3DCOLOR_ARGB(alpha ? 40 + 20 * x + y : 255, 10 + 17 * x, 200 - 9 * y, 3 * x + 50 * y));
    return p;
}

class TextureLoader : public ::testing::Test {
protected:
    // First, so that it outlives what the test makes with it.
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    MemoryDevice* device = ownedDevice.get();
    TempDir dir;
    D3DXIMAGE_INFO info{};
    IDirect3DTexture8* texture = nullptr;

    void TearDown() override {
        if (texture) texture->Release();
        device->Release();
    }

    HRESULT Load(const std::string& path, D3DFORMAT format = D3DFMT_A8R8G8B8, UINT width = 0, UINT height = 0,
                 UINT levels = 1, DWORD filter = D3DX_FILTER_NONE, DWORD mipFilter = D3DX_FILTER_NONE,
                 D3DCOLOR key = 0) {
        if (texture) texture->Release();
        texture = nullptr;
        info = D3DXIMAGE_INFO{};
        return D3DXCreateTextureFromFileExA(device, path.c_str(), width, height, levels, 0, format, D3DPOOL_MANAGED,
                                            filter, mipFilter, key, &info, nullptr, &texture);
    }

    MemoryTexture* Loaded() const { return static_cast<MemoryTexture*>(texture); }

    std::vector<uint32_t> Texels(UINT level = 0) const {
        std::vector<uint32_t> out;
        const auto& l = Loaded()->levels.at(level);
        for (UINT y = 0; y < l.desc.Height; ++y)
            for (UINT x = 0; x < l.desc.Width; ++x) out.push_back(Loaded()->Texel(level, x, y));
        return out;
    }

    // Loads as A8R8G8B8 at the image's size and compares every texel.
    void ExpectExact(const std::string& path, const std::vector<uint32_t>& expected, int w, int h,
                     D3DFORMAT fileFormat) {
        SCOPED_TRACE(path);
        ASSERT_EQ(Load(path), D3D_OK);
        EXPECT_EQ(info.Width, UINT(w));
        EXPECT_EQ(info.Height, UINT(h));
        EXPECT_EQ(info.Format, fileFormat);
        ASSERT_EQ(Loaded()->levels.size(), 1u);
        EXPECT_EQ(Loaded()->levels[0].desc.Width, UINT(w));
        EXPECT_EQ(Loaded()->levels[0].desc.Height, UINT(h));
        EXPECT_EQ(Texels(), expected);
    }
};

TEST_F(TextureLoader, BmpOfEveryDepthArrivesExactly) {
    const int w = 13, h = 5;  // odd sizes: rows carry padding
    std::vector<uint32_t> palette;
    for (int i = 0; i < 256; ++i) palette.push_back(uint32_t(i * 0x010305 + 0x102030) & 0xFFFFFF);

    struct Case {
        const char* name;
        int bits;
        bool rle, topDown;
    };
    for (const Case& c : {Case{"p1", 1, false, false}, Case{"p4", 4, false, false}, Case{"rle4", 4, true, false},
                          Case{"p8", 8, false, false}, Case{"rle8", 8, true, false}, Case{"p8top", 8, false, true}}) {
        images::Bmp b{w, h, c.bits};
        b.rle = c.rle;
        b.topDown = c.topDown;
        b.palette = palette;
        std::vector<uint32_t> expected;
        const int colours = 1 << c.bits;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                // Runs and stretches of differing indices, for the RLE encoders.
                const int index = (x < 5 ? 2 : x * 7 + y * 3) % colours;
                b.pixels.push_back(uint32_t(index));
                expected.push_back(0xFF000000u | palette[size_t(index)]);
            }
        ASSERT_TRUE(images::WriteBmp(dir.File(std::string(c.name) + ".bmp"), b));
        ExpectExact(dir.File(std::string(c.name) + ".bmp"), expected, w, h, kP8);
    }

    const std::vector<uint32_t> colours = Pattern(w, h, true);
    images::Bmp b16{w, h, 16}, b24{w, h, 24}, b32{w, h, 32}, b32a{w, h, 32};
    b16.pixels = b24.pixels = b32.pixels = b32a.pixels = colours;
    b32a.alphaMask = true;
    std::vector<uint32_t> e16, opaque;
    for (uint32_t c : colours) {
        e16.push_back(D3DCOLOR_ARGB(255, Rep5(c >> 19 & 31), Rep5(c >> 11 & 31), Rep5(c >> 3 & 31)));
        opaque.push_back(c | 0xFF000000u);  // a plain 32-bit BMP's fourth byte is not alpha
    }
    ASSERT_TRUE(images::WriteBmp(dir.File("16.bmp"), b16));
    ASSERT_TRUE(images::WriteBmp(dir.File("24.bmp"), b24));
    ASSERT_TRUE(images::WriteBmp(dir.File("32.bmp"), b32));
    ASSERT_TRUE(images::WriteBmp(dir.File("32a.bmp"), b32a));
    ExpectExact(dir.File("16.bmp"), e16, w, h, D3DFMT_X1R5G5B5);
    ExpectExact(dir.File("24.bmp"), opaque, w, h, D3DFMT_R8G8B8);
    ExpectExact(dir.File("32.bmp"), opaque, w, h, D3DFMT_X8R8G8B8);
    ExpectExact(dir.File("32a.bmp"), colours, w, h, D3DFMT_A8R8G8B8);
}

TEST_F(TextureLoader, PngTgaAndJpegFiles) {
    const int w = 6, h = 4;
    const std::vector<uint32_t> rgba = Pattern(w, h, true);
    std::vector<uint32_t> opaque;
    for (uint32_t c : rgba) opaque.push_back(c | 0xFF000000u);

    ASSERT_TRUE(images::WritePng(dir.File("rgba.png"), w, h, rgba, true));
    ASSERT_TRUE(images::WritePng(dir.File("rgb.png"), w, h, rgba, false));
    ExpectExact(dir.File("rgba.png"), rgba, w, h, D3DFMT_A8R8G8B8);
    ExpectExact(dir.File("rgb.png"), opaque, w, h, D3DFMT_R8G8B8);

    std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x123456, 0xFEDCBA};
    std::vector<uint8_t> indices;
    std::vector<uint32_t> fromPalette;
    for (int i = 0; i < w * h; ++i) {
        indices.push_back(uint8_t(i % 5));
        fromPalette.push_back(0xFF000000u | palette[size_t(i % 5)]);
    }
    ASSERT_TRUE(images::WritePalettePng(dir.File("p8.png"), w, h, indices, palette));
    ExpectExact(dir.File("p8.png"), fromPalette, w, h, kP8);

    images::Tga t24{w, h, 24}, t32{w, h, 32}, t16{w, h, 16}, rle{w, h, 24}, grey{w, h, 8}, mapped{w, h, 8};
    t24.pixels = t32.pixels = t16.pixels = rle.pixels = rgba;
    t32.alphaBits = 8;
    t16.alphaBits = 1;
    rle.rle = true;
    for (auto& p : rle.pixels) p = (&p - rle.pixels.data()) % w < 3 ? 0xFF445566u : p;  // runs to encode
    std::vector<uint32_t> e16, eRle, eGrey, eMapped;
    for (uint32_t c : rgba)
        e16.push_back(D3DCOLOR_ARGB(c >> 24 ? 255 : 0, Rep5(c >> 19 & 31), Rep5(c >> 11 & 31), Rep5(c >> 3 & 31)));
    for (uint32_t c : rle.pixels) eRle.push_back(c | 0xFF000000u);
    for (int i = 0; i < w * h; ++i) {
        grey.pixels.push_back(uint32_t(i * 10));
        eGrey.push_back(D3DCOLOR_ARGB(255, i * 10, i * 10, i * 10));
        mapped.pixels.push_back(uint32_t(i % 5));
        eMapped.push_back(0xFF000000u | palette[size_t(i % 5)]);
    }
    mapped.mapped = true;
    mapped.palette = palette;
    ASSERT_TRUE(images::WriteTga(dir.File("24.tga"), t24));
    ASSERT_TRUE(images::WriteTga(dir.File("32.tga"), t32));
    ASSERT_TRUE(images::WriteTga(dir.File("16.tga"), t16));
    ASSERT_TRUE(images::WriteTga(dir.File("rle.tga"), rle));
    ASSERT_TRUE(images::WriteTga(dir.File("grey.tga"), grey));
    ASSERT_TRUE(images::WriteTga(dir.File("mapped.tga"), mapped));
    ExpectExact(dir.File("24.tga"), opaque, w, h, D3DFMT_R8G8B8);
    ExpectExact(dir.File("32.tga"), rgba, w, h, D3DFMT_A8R8G8B8);
    ExpectExact(dir.File("16.tga"), e16, w, h, D3DFMT_A1R5G5B5);
    ExpectExact(dir.File("rle.tga"), eRle, w, h, D3DFMT_R8G8B8);
    ExpectExact(dir.File("grey.tga"), eGrey, w, h, kL8);
    ExpectExact(dir.File("mapped.tga"), eMapped, w, h, kP8);

    std::string ppm = "P6\n# comment\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (uint32_t c : rgba) ppm += {char(c >> 16), char(c >> 8), char(c)};
    ASSERT_TRUE(images::WriteBytes(dir.File("a.ppm"), std::vector<uint8_t>(ppm.begin(), ppm.end())));
    ExpectExact(dir.File("a.ppm"), opaque, w, h, D3DFMT_R8G8B8);

    // JPEG is lossy: a smooth picture comes back close, opaque.
    std::vector<uint32_t> smooth;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) smooth.push_back(D3DCOLOR_ARGB(255, 100 + 4 * x, 80 + 3 * y, 60));
    ASSERT_TRUE(images::WriteJpg(dir.File("a.jpg"), 16, 16, smooth, 100));
    ASSERT_EQ(Load(dir.File("a.jpg")), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_R8G8B8);
    const std::vector<uint32_t> got = Texels();
    ASSERT_EQ(got.size(), smooth.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i] >> 24, 255u);
        for (int s : {0, 8, 16}) EXPECT_NEAR(int(got[i] >> s & 255), int(smooth[i] >> s & 255), 6) << i;
    }
}

TEST_F(TextureLoader, FormatFromTheFileFollowsAlphaAndTheColourKey) {
    const std::vector<uint32_t> px = Pattern(4, 4, true);
    images::Bmp b24{4, 4, 24}, b32a{4, 4, 32};
    b24.pixels = b32a.pixels = px;
    b32a.alphaMask = true;
    ASSERT_TRUE(images::WriteBmp(dir.File("24.bmp"), b24));
    ASSERT_TRUE(images::WriteBmp(dir.File("32a.bmp"), b32a));
    ASSERT_TRUE(images::WritePng(dir.File("a.png"), 4, 4, px, true));

    auto formatOf = [&](const std::string& file, D3DFORMAT requested, D3DCOLOR key) {
        EXPECT_EQ(Load(dir.File(file), requested, 0, 0, 1, D3DX_FILTER_NONE, D3DX_FILTER_NONE, key), D3D_OK);
        return texture ? Loaded()->levels[0].desc.Format : D3DFMT_UNKNOWN;
    };
    EXPECT_EQ(formatOf("24.bmp", D3DFMT_UNKNOWN, 0), D3DFMT_X8R8G8B8);
    EXPECT_EQ(formatOf("24.bmp", static_cast<D3DFORMAT>(D3DX_DEFAULT), 0), D3DFMT_X8R8G8B8);
    EXPECT_EQ(formatOf("24.bmp", D3DFMT_UNKNOWN, 0xFFFF00FF), D3DFMT_A8R8G8B8);
    EXPECT_EQ(formatOf("32a.bmp", D3DFMT_UNKNOWN, 0), D3DFMT_A8R8G8B8);
    EXPECT_EQ(formatOf("a.png", D3DFMT_UNKNOWN, 0), D3DFMT_A8R8G8B8);
}

TEST_F(TextureLoader, RequestedFormatsAreStoredOrReplacedByTheNearest) {
    images::Bmp b{2, 1, 24};
    b.pixels = {0xFF8844CC, 0xFF102030};
    ASSERT_TRUE(images::WriteBmp(dir.File("a.bmp"), b));
    const std::string path = dir.File("a.bmp");

    auto raw16 = [&](UINT x) {
        const auto& l = Loaded()->levels[0];
        return uint32_t(l.bytes[x * 2] | l.bytes[x * 2 + 1] << 8);
    };
    ASSERT_EQ(Load(path, D3DFMT_A4R4G4B4), D3D_OK);
    EXPECT_EQ(Loaded()->levels[0].desc.Format, D3DFMT_A4R4G4B4);
    EXPECT_EQ(raw16(0), 0xF84Cu);  // 0x88 0x44 0xCC narrowed with rounding
    ASSERT_EQ(Load(path, D3DFMT_R5G6B5), D3D_OK);
    EXPECT_EQ(raw16(1), (0x10u * 31 + 127) / 255 << 11 | (0x20u * 63 + 127) / 255 << 5 | (0x30u * 31 + 127) / 255);

    ASSERT_EQ(Load(path, kL8), D3D_OK);  // no luminance textures here
    EXPECT_EQ(Loaded()->levels[0].desc.Format, D3DFMT_X8R8G8B8);
    ASSERT_EQ(Load(path, kA8), D3D_OK);
    EXPECT_EQ(Loaded()->levels[0].desc.Format, D3DFMT_A8R8G8B8);

    const size_t before = device->textures.size();
    EXPECT_EQ(Load(path, D3DFMT_D16), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(device->textures.size(), before);
}

TEST_F(TextureLoader, ColourKeyClearsTexelsEqualToItAlphaIncluded) {
    const uint32_t magenta = 0xFFFF00FF;
    std::vector<uint32_t> px = {magenta, 0xFF00FF00, 0xFFFF00FE, magenta};
    images::Bmp b{2, 2, 24};
    b.pixels = px;
    ASSERT_TRUE(images::WriteBmp(dir.File("k.bmp"), b));
    ASSERT_EQ(Load(dir.File("k.bmp"), D3DFMT_A8R8G8B8, 0, 0, 1, D3DX_FILTER_NONE, D3DX_FILTER_NONE, magenta), D3D_OK);
    EXPECT_EQ(Texels(), (std::vector<uint32_t>{0, 0xFF00FF00, 0xFFFF00FE, 0}));

    // A key with another alpha matches nothing in an opaque image...
    ASSERT_EQ(Load(dir.File("k.bmp"), D3DFMT_A8R8G8B8, 0, 0, 1, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0x00FF00FF),
              D3D_OK);
    EXPECT_EQ(Texels(), px);
    // ...and in an image with alpha only texels of exactly that alpha go.
    std::vector<uint32_t> translucent = {0x80FF00FF, magenta, 0x80FF00FF, 0xFF000000};
    ASSERT_TRUE(images::WritePng(dir.File("k.png"), 2, 2, translucent, true));
    ASSERT_EQ(Load(dir.File("k.png"), D3DFMT_A8R8G8B8, 0, 0, 1, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0x80FF00FF),
              D3D_OK);
    EXPECT_EQ(Texels(), (std::vector<uint32_t>{0, magenta, 0, 0xFF000000}));
}

TEST_F(TextureLoader, SizesFiltersAndMipmaps) {
    // 4 x 2 with values whose 2 x 2 averages are whole numbers.
    const std::vector<uint32_t> px = {0xFF000000, 0xFF040404, 0xFF080808, 0xFF0C0C0C,
                                      0xFF101010, 0xFF141414, 0xFF181818, 0xFF1C1C1C};
    images::Bmp b{4, 2, 32};
    b.alphaMask = true;
    b.pixels = px;
    ASSERT_TRUE(images::WriteBmp(dir.File("s.bmp"), b));
    const std::string path = dir.File("s.bmp");

    // NONE into a larger texture: the image at the top left, the rest transparent black.
    ASSERT_EQ(Load(path, D3DFMT_A8R8G8B8, 6, 3), D3D_OK);
    std::vector<uint32_t> padded(18, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) padded[size_t(y * 6 + x)] = px[size_t(y * 4 + x)];
    EXPECT_EQ(Texels(), padded);

    // POINT doubles each texel; BOX and LINEAR halve to the 2 x 2 means.
    ASSERT_EQ(Load(path, D3DFMT_A8R8G8B8, 8, 4, 1, D3DX_FILTER_POINT), D3D_OK);
    for (UINT y = 0; y < 4; ++y)
        for (UINT x = 0; x < 8; ++x) EXPECT_EQ(Loaded()->Texel(0, x, y), px[(y / 2) * 4 + x / 2]);
    const std::vector<uint32_t> means = {0xFF0A0A0A, 0xFF121212};
    ASSERT_EQ(Load(path, D3DFMT_A8R8G8B8, 2, 1, 1, D3DX_FILTER_BOX), D3D_OK);
    EXPECT_EQ(Texels(), means);
    ASSERT_EQ(Load(path, D3DFMT_A8R8G8B8, 2, 1, 1, D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER), D3D_OK);
    EXPECT_EQ(Texels(), means);
    ASSERT_EQ(Load(path, D3DFMT_A8R8G8B8, 2, 1, 1, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR), D3D_OK);
    EXPECT_EQ(Texels(), means);

    // A full chain by default: 4 x 2, 2 x 1, 1 x 1, each averaged from the one above.
    ASSERT_EQ(Load(path, D3DFMT_A8R8G8B8, 0, 0, D3DX_DEFAULT, D3DX_FILTER_NONE, D3DX_FILTER_BOX), D3D_OK);
    ASSERT_EQ(Loaded()->levels.size(), 3u);
    EXPECT_EQ(Texels(0), px);
    EXPECT_EQ(Texels(1), means);
    EXPECT_EQ(Texels(2), std::vector<uint32_t>{0xFF0E0E0E});
    // With NONE as the mip filter each level is the top left of the one above.
    ASSERT_EQ(Load(path, D3DFMT_A8R8G8B8, 0, 0, 0, D3DX_FILTER_NONE, D3DX_FILTER_NONE), D3D_OK);
    ASSERT_EQ(Loaded()->levels.size(), 3u);
    EXPECT_EQ(Texels(1), (std::vector<uint32_t>{px[0], px[1]}));

    // A device that wants powers of two gets them, the image padded; one that
    // allows other sizes for single levels keeps the exact size there.
    images::Bmp odd{5, 3, 24};
    odd.pixels = Pattern(5, 3, false);
    ASSERT_TRUE(images::WriteBmp(dir.File("odd.bmp"), odd));
    device->caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
    ASSERT_EQ(Load(dir.File("odd.bmp")), D3D_OK);
    EXPECT_EQ(Loaded()->levels[0].desc.Width, 8u);
    EXPECT_EQ(Loaded()->levels[0].desc.Height, 4u);
    EXPECT_EQ(Loaded()->Texel(0, 4, 2), odd.pixels[14]);
    EXPECT_EQ(Loaded()->Texel(0, 5, 0), 0u);
    EXPECT_EQ(Loaded()->Texel(0, 0, 3), 0u);
    EXPECT_EQ(info.Width, 5u);  // the file's own size
    device->caps.TextureCaps |= D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    ASSERT_EQ(Load(dir.File("odd.bmp")), D3D_OK);
    EXPECT_EQ(Loaded()->levels[0].desc.Width, 5u);
    ASSERT_EQ(Load(dir.File("odd.bmp"), D3DFMT_A8R8G8B8, 0, 0, 2), D3D_OK);
    EXPECT_EQ(Loaded()->levels[0].desc.Width, 8u);

    // Sizes beyond the device's limits are cut down to them.
    device->caps.TextureCaps = D3DPTEXTURECAPS_MIPMAP;
    device->caps.MaxTextureWidth = 4;
    ASSERT_EQ(Load(dir.File("odd.bmp")), D3D_OK);
    EXPECT_EQ(Loaded()->levels[0].desc.Width, 4u);
    EXPECT_EQ(Loaded()->levels[0].desc.Height, 3u);
}

TEST_F(TextureLoader, BrokenFilesFailCleanly) {
    const std::vector<uint32_t> px = Pattern(16, 16, true);
    images::Bmp b8{16, 16, 8}, rle{16, 16, 8}, b24{16, 16, 24};
    for (int i = 0; i < 256; ++i) b8.palette.push_back(uint32_t(i) * 0x010101);
    rle.palette = b8.palette;
    rle.rle = true;
    for (int i = 0; i < 256; ++i) b8.pixels.push_back(uint32_t(i)), rle.pixels.push_back(uint32_t(i / 8));
    b24.pixels = px;
    images::Tga tga{16, 16, 32}, tgaRle{16, 16, 24};
    tga.pixels = tgaRle.pixels = px;
    tgaRle.rle = true;
    ASSERT_TRUE(images::WriteBmp(dir.File("8.bmp"), b8));
    ASSERT_TRUE(images::WriteBmp(dir.File("rle.bmp"), rle));
    ASSERT_TRUE(images::WriteBmp(dir.File("24.bmp"), b24));
    ASSERT_TRUE(images::WriteTga(dir.File("a.tga"), tga));
    ASSERT_TRUE(images::WriteTga(dir.File("rle.tga"), tgaRle));
    ASSERT_TRUE(images::WritePng(dir.File("a.png"), 16, 16, px, true));
    ASSERT_TRUE(images::WriteJpg(dir.File("a.jpg"), 16, 16, px, 90));
    std::string ppm = "P6 16 16 255\n" + std::string(16 * 16 * 3, '\x7f');
    ASSERT_TRUE(images::WriteBytes(dir.File("a.ppm"), std::vector<uint8_t>(ppm.begin(), ppm.end())));

    auto expectInvalid = [&](const std::string& path, const std::string& what) {
        SCOPED_TRACE(what);
        IDirect3DTexture8* t = reinterpret_cast<IDirect3DTexture8*>(&info);  // must come back null
        EXPECT_EQ(D3DXCreateTextureFromFileExA(device, path.c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                               D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, &info, nullptr, &t),
                  D3DXERR_INVALIDDATA);
        EXPECT_EQ(t, nullptr);
    };
    for (const char* name : {"8.bmp", "rle.bmp", "24.bmp", "a.tga", "rle.tga", "a.png", "a.jpg", "a.ppm"}) {
        const std::vector<uint8_t> whole = images::ReadBytes(dir.File(name));
        ASSERT_GT(whole.size(), 100u) << name;
        // Cut in the header, half way, and just short of the end.
        for (size_t keep : {size_t(10), whole.size() / 2, whole.size() - 2}) {
            const std::string cut = dir.File(std::string("cut_") + name);
            ASSERT_TRUE(images::WriteBytes(cut, std::vector<uint8_t>(whole.begin(), whole.begin() + long(keep))));
            expectInvalid(cut, std::string(name) + " cut to " + std::to_string(keep));
        }
    }

    expectInvalid(dir.File("missing.bmp"), "missing");
    expectInvalid(dir.path, "a directory");
    ASSERT_TRUE(images::WriteBytes(dir.File("empty.bmp"), {}));
    expectInvalid(dir.File("empty.bmp"), "empty");
    std::vector<uint8_t> noise;
    for (uint32_t i = 0, s = 99; i < 4000; ++i) noise.push_back(uint8_t((s = s * 1103515245u + 12345u) >> 24));
    ASSERT_TRUE(images::WriteBytes(dir.File("noise.png"), noise));
    expectInvalid(dir.File("noise.png"), "noise");
    std::vector<uint8_t> dds = {'D', 'D', 'S', ' '};
    dds.resize(128 + 64, 0);
    ASSERT_TRUE(images::WriteBytes(dir.File("a.dds"), dds));
    expectInvalid(dir.File("a.dds"), "dds");
    // A header that claims 65792 x 65792 pixels, and no pixels.
    std::vector<uint8_t> huge = images::EncodeBmp(b24);
    for (int k = 0; k < 4; ++k) huge[size_t(18 + k)] = huge[size_t(22 + k)] = uint8_t(k == 1 || k == 2 ? 1 : 0);
    huge.resize(60);
    ASSERT_TRUE(images::WriteBytes(dir.File("huge.bmp"), huge));
    expectInvalid(dir.File("huge.bmp"), "huge");
    EXPECT_TRUE(device->textures.empty()) << "a texture was made for a broken file";

    // An 8-bit BMP whose pixels name palette entries beyond the 2 it declares:
    // refused or read, but never read out of bounds.
    std::vector<uint8_t> bytes = images::EncodeBmp(b8);
    bytes[46] = 2;  // biClrUsed
    ASSERT_TRUE(images::WriteBytes(dir.File("short_palette.bmp"), bytes));
    HRESULT hr = Load(dir.File("short_palette.bmp"));
    EXPECT_TRUE(hr == D3D_OK || hr == D3DXERR_INVALIDDATA) << hr;
}

TEST_F(TextureLoader, EveryRefusalSaysWhyAndASuccessSaysNothing) {
    images::Bmp good{3, 2, 24};
    good.pixels = Pattern(3, 2, false);
    ASSERT_TRUE(images::WriteBmp(dir.File("good.bmp"), good));
    images::Bmp masked{2, 2, 32};
    masked.pixels = Pattern(2, 2, true);
    masked.alphaMask = true;
    std::vector<uint8_t> overlap = images::EncodeBmp(masked);
    overlap[14 + 40 + 6] = 0xFF;  // the green mask takes the red's low byte as well: 0x00FFFF00
    ASSERT_TRUE(images::WriteBytes(dir.File("overlap.bmp"), overlap));
    ASSERT_TRUE(images::WriteBytes(dir.File("empty.png"), {}));
    ASSERT_TRUE(images::WriteBytes(dir.File("text.tga"), {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}));

    struct Case {
        std::string path, reason;
    };
    for (const Case& c : {Case{dir.File("missing.bmp"), "file not found"}, Case{dir.path, "is a directory"},
                          Case{dir.File("empty.png"), "file is empty"},
                          Case{dir.File("text.tga"), "unknown image format"},
                          Case{dir.File("overlap.bmp"), "BMP channel masks overlap"}}) {
        SCOPED_TRACE(c.path);
        ASSERT_EQ(Load(dir.File("good.bmp")), D3D_OK);
        EXPECT_STREQ(D3DXGetLastLoadError(), "");
        EXPECT_EQ(Load(c.path), D3DXERR_INVALIDDATA);
        EXPECT_EQ(D3DXGetLastLoadError(), c.reason);
    }

    // Arguments, the device's own refusal, and the resources the program lacks.
    EXPECT_EQ(D3DXCreateTextureFromFileExA(nullptr, dir.File("good.bmp").c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr,
                                           &texture),
              D3DERR_INVALIDCALL);
    EXPECT_STREQ(D3DXGetLastLoadError(), "no device");
    EXPECT_EQ(Load(dir.File("good.bmp"), D3DFMT_A8R8G8B8, 0, 0, 1, 6), D3DERR_INVALIDCALL);
    EXPECT_STREQ(D3DXGetLastLoadError(), "invalid image filter");
    EXPECT_EQ(Load(dir.File("good.bmp"), D3DFMT_D16), D3DERR_NOTAVAILABLE);
    EXPECT_STREQ(D3DXGetLastLoadError(), "no texture format of the device holds format 80");
    device->createTextureResult = E_OUTOFMEMORY;
    EXPECT_EQ(Load(dir.File("good.bmp")), E_OUTOFMEMORY);
    EXPECT_STREQ(D3DXGetLastLoadError(), "the device made no 3 x 2 texture (0x8007000E)");
    device->createTextureResult = D3D_OK;
    EXPECT_EQ(D3DXCreateTextureFromResourceExA(device, nullptr, "IDB_SKY", 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                               D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                               &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_STREQ(D3DXGetLastLoadError(), "the program carries no resources");
    const uint8_t noise[] = {1, 2, 3};
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, noise, sizeof noise, 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                                  D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr,
                                                  nullptr, &texture),
              D3DXERR_INVALIDDATA);
    EXPECT_STREQ(D3DXGetLastLoadError(), "unknown image format");
    EXPECT_EQ(D3DXCreateTexture(device, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_STREQ(D3DXGetLastLoadError(), "");
}

TEST_F(TextureLoader, ResourcesAndBadArguments) {
    images::Bmp b{2, 2, 24};
    b.pixels = Pattern(2, 2, false);
    ASSERT_TRUE(images::WriteBmp(dir.File("a.bmp"), b));
    const std::string path = dir.File("a.bmp");

    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromResourceExA(device, nullptr, "a.bmp", 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                               D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr,
                                               nullptr, &t),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(D3DXCreateTextureFromResourceExA(device, nullptr, MAKEINTRESOURCEA(101), 0, 0, 1, 0, D3DFMT_A8R8G8B8,
                                               D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &t),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(t, nullptr);

    EXPECT_EQ(D3DXCreateTextureFromFileExA(nullptr, path.c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                           D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &t),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileExA(device, nullptr, 0, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                           D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &t),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTextureFromFileExA(device, path.c_str(), 0, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                           D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    for (DWORD bad : {DWORD(0), DWORD(6), DWORD(D3DX_FILTER_POINT | 0x100000)})
        EXPECT_EQ(Load(path, D3DFMT_A8R8G8B8, 0, 0, 1, bad), D3DERR_INVALIDCALL) << bad;
    EXPECT_EQ(Load(path, D3DFMT_A8R8G8B8, 0, 0, 1, D3DX_FILTER_NONE, 0), D3DERR_INVALIDCALL);

    // The device's own refusal comes back as it is.
    device->createTextureResult = E_OUTOFMEMORY;
    EXPECT_EQ(Load(path), E_OUTOFMEMORY);
    EXPECT_EQ(texture, nullptr);

    // The short form: defaults everywhere.
    device->createTextureResult = D3D_OK;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device, path.c_str(), &t), D3D_OK);
    EXPECT_EQ(device->LastTexture()->levels[0].desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(device->LastTexture()->levels.size(), 2u);
    t->Release();
}

TEST_F(TextureLoader, CreateTextureMeetsTheDeviceRequirements) {
    ASSERT_EQ(D3DXCreateTexture(device, 0, D3DX_DEFAULT, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(Loaded()->levels.size(), 9u);
    EXPECT_EQ(Loaded()->levels[0].desc.Width, 256u);
    EXPECT_EQ(Loaded()->levels[0].desc.Height, 256u);
    EXPECT_EQ(Loaded()->levels[0].desc.Format, D3DFMT_A8R8G8B8);

    device->caps.TextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY;  // and no mipmaps
    UINT w = 100, h = 60, levels = 0;
    D3DFORMAT f = D3DFMT_R8G8B8;
    EXPECT_EQ(D3DXCheckTextureRequirements(device, &w, &h, &levels, 0, &f, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(w, 128u);
    EXPECT_EQ(h, 128u);
    EXPECT_EQ(levels, 1u);
    EXPECT_EQ(f, D3DFMT_R8G8B8);
    EXPECT_EQ(D3DXCheckTextureRequirements(device, nullptr, nullptr, nullptr, 0, nullptr, D3DPOOL_MANAGED), D3D_OK);
    EXPECT_EQ(D3DXCheckTextureRequirements(nullptr, &w, &h, &levels, 0, &f, D3DPOOL_MANAGED), D3DERR_INVALIDCALL);
}

}  // namespace
