// Texture objects and the shared texture cache, on a memory device: what they
// load, what they log, what they share and what they give back.
#include <gtest/gtest.h>

#include "d3d8_memory_fakes.h"
#include "d3dx8/d3dx8tex.h"
#include "image_files.h"
#include "render/graphics_state.h"
#include "render/texture.h"
#include "support/test_support.h"

namespace {

class TextureTest : public ::testing::Test {
protected:
    // First, so that it outlives what the test makes with it.
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    MemoryDevice* device = ownedDevice.get();
    TempDir dir;

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        TextureCache.head = nullptr;
    }

    // A 5 x 3 24-bit bitmap whose first texel is magenta.
    std::string Bitmap(const std::string& name, uint32_t first = 0xFFFF00FF) {
        images::Bmp b(5, 3, 24);
        for (int i = 0; i < 15; ++i) b.pixels.push_back(i == 0 ? first : 0xFF000000u | uint32_t(i * 0x0A0B0C));
        EXPECT_TRUE(images::WriteBmp(dir.File(name), b));
        return dir.File(name);
    }

    static bool Released(IDirect3DTexture8* t) { return static_cast<MemoryTexture*>(t)->refs == 1; }

    std::vector<std::string> CacheNames() const {
        std::vector<std::string> names;
        for (TextureCacheNode* n = TextureCache.head; n; n = n->next) names.push_back(n->name);
        return names;
    }
};

TEST_F(TextureTest, LoadReadsTheImageAsItIsAndLogsOneLine) {
    const std::string path = Bitmap("a.bmp");
    Texture t;
    testing::internal::CaptureStderr();
    ASSERT_EQ(t.Load(path.c_str(), 0xFFFF00FF, 1), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(" + path + ") ... ok.\n");
    ASSERT_NE(t.GetTexture(), nullptr);
    EXPECT_EQ(t.name, path);

    // The image's own size (no rounding), A8R8G8B8, managed, the levels asked for.
    UINT w = 0, h = 0;
    t.GetSize(&w, &h);
    EXPECT_EQ(w, 5u);
    EXPECT_EQ(h, 3u);
    EXPECT_EQ(t.desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(t.desc.Pool, D3DPOOL_MANAGED);
    const MemoryTexture* m = device->LastTexture();
    EXPECT_EQ(m->levels.size(), 1u);
    EXPECT_EQ(m->Texel(0, 0, 0), 0u);  // the colour key
    EXPECT_EQ(m->Texel(0, 1, 0), 0xFF0A0B0Cu);

    ASSERT_EQ(t.Load(path.c_str(), 0, 2), 1);
    EXPECT_EQ(device->LastTexture()->levels.size(), 2u);
    EXPECT_EQ(device->LastTexture()->Texel(0, 0, 0), 0xFFFF00FFu);
}

TEST_F(TextureTest, ReleaseAndReloadLogAndGiveBack) {
    const std::string a = Bitmap("a.bmp"), b = Bitmap("b.bmp");
    Texture t;
    ASSERT_EQ(t.Load(a.c_str(), 0, 1), 1);
    IDirect3DTexture8* first = t.GetTexture();

    testing::internal::CaptureStderr();
    ASSERT_EQ(t.Load(b.c_str(), 0, 1), 1);  // a load releases first
    t.Release();
    t.Release();  // harmless, and silent
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "release(" + a + ")\nload(" + b + ") ... ok.\nrelease(" + b + ")\n");
    EXPECT_TRUE(Released(first));
    EXPECT_EQ(t.GetTexture(), nullptr);
    EXPECT_TRUE(t.name.empty());

    {
        Texture scoped;
        ASSERT_EQ(scoped.Load(a.c_str(), 0, 1), 1);
        testing::internal::CaptureStderr();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "release(" + a + ")\n");
    EXPECT_TRUE(Released(device->LastTexture()));
}

TEST_F(TextureTest, AFailedLoadLogsFailedAndLeavesNoTexture) {
    Texture t;
    testing::internal::CaptureStderr();
    EXPECT_EQ(t.Load(dir.File("missing.bmp").c_str(), 0, 1), 0);
    EXPECT_EQ(t.LoadFromResource("IDB_SKY", 0, 1), 0);  // the program has no resources
    EXPECT_EQ(t.LoadFromResource(MAKEINTRESOURCEA(7), 0, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "load(" + dir.File("missing.bmp") + ") ... failed: file not found.\n"
              "release(" + dir.File("missing.bmp") + ")\nload(IDB_SKY) ... failed: the program carries no resources.\n"
              "release(IDB_SKY)\nload(#7) ... failed: the program carries no resources.\n");
    EXPECT_EQ(t.GetTexture(), nullptr);
    EXPECT_TRUE(device->textures.empty());

    GraphicsState.device = nullptr;  // no device at all
    testing::internal::CaptureStderr();
    EXPECT_EQ(t.Load(Bitmap("a.bmp").c_str(), 0, 1), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("failed: no device.\n"), std::string::npos);
}

TEST_F(TextureTest, AFailedLoadLineEndsWithTheLoadersReason) {
    images::Bmp b(2, 2, 32);
    b.pixels.assign(4, 0x80FF0000);
    b.alphaMask = true;
    std::vector<uint8_t> bytes = images::EncodeBmp(b);
    bytes[14 + 40 + 6] = 0xFF;  // a green mask over the red one's bits
    const std::string path = dir.File("x.bmp");
    ASSERT_TRUE(images::WriteBytes(path, bytes));
    Texture t;
    testing::internal::CaptureStderr();
    EXPECT_EQ(t.Load(path.c_str(), 0, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(" + path + ") ... failed: BMP channel masks overlap.\n");

    // A header that claims far more than its file holds; the reason of the last
    // failure does not outlive a load that works.
    images::Bmp big(2, 2, 24);
    big.pixels.assign(4, 0xFF123456);
    bytes = images::EncodeBmp(big);
    bytes[19] = bytes[23] = 0x40;  // 16386 x 16386
    ASSERT_TRUE(images::WriteBytes(path, bytes));
    testing::internal::CaptureStderr();
    EXPECT_EQ(t.Load(path.c_str(), 0, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "release(" + path + ")\nload(" + path + ") ... failed: image claims 16386 x 16386, more than 16384 on a side.\n");
    bytes[19] = bytes[23] = 0x3F, bytes[18] = bytes[22] = 0xFF;  // 16383 x 16383
    ASSERT_TRUE(images::WriteBytes(path, bytes));
    testing::internal::CaptureStderr();
    EXPECT_EQ(t.Load(path.c_str(), 0, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "release(" + path + ")\nload(" + path +
                                                          ") ... failed: image claims 16383 x 16383 but holds " +
                                                          std::to_string(bytes.size()) + " bytes.\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(t.Load(Bitmap("a.bmp").c_str(), 0, 1), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "release(" + path + ")\nload(" + dir.File("a.bmp") + ") ... ok.\n");
}

TEST_F(TextureTest, DrawAtPutsTheWholeTextureOnTheScreen) {
    Texture t;
    ASSERT_EQ(t.Load(Bitmap("a.bmp").c_str(), 0, 1), 1);
    t.DrawAt(100, 50);
    ASSERT_EQ(device->draws.size(), 1u);
    const DrawCall& d = device->draws[0];
    EXPECT_EQ(d.type, D3DPT_TRIANGLEFAN);
    EXPECT_EQ(d.primitives, 2u);
    EXPECT_EQ(d.shader, DWORD(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1));
    EXPECT_EQ(d.stride, 28u);
    EXPECT_EQ(d.texture0, t.GetTexture());

    struct V {
        float x, y, z, rhw;
        D3DCOLOR c;
        float u, v;
    };
    const MemoryVertexBuffer* vb = device->LastVertexBuffer();
    EXPECT_EQ(vb->refs, 1) << "the shape's buffer is released after drawing";
    const float expected[4][4] = {{100, 53, 0, 1}, {100, 50, 0, 0}, {105, 50, 1, 0}, {105, 53, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        const V& v = vb->Vertex<V>(size_t(i));
        EXPECT_EQ(v.x, expected[i][0]) << i;
        EXPECT_EQ(v.y, expected[i][1]) << i;
        EXPECT_EQ(v.u, expected[i][2]) << i;
        EXPECT_EQ(v.v, expected[i][3]) << i;
        EXPECT_EQ(v.rhw, 1.0f);
        EXPECT_EQ(v.c, 0xFFFFFFFFu);
    }
}

TEST_F(TextureTest, TheCacheSharesByExactNameAndLoadsOnce) {
    const std::string a = Bitmap("a.bmp");
    testing::internal::CaptureStderr();
    IDirect3DTexture8* t1 = TextureCache.Acquire(FALSE, a.c_str(), 0, 1);
    IDirect3DTexture8* t2 = TextureCache.Acquire(FALSE, a.c_str(), 0, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(" + a + ") ... ok.\n");
    ASSERT_NE(t1, nullptr);
    EXPECT_EQ(t1, t2);
    EXPECT_EQ(device->textures.size(), 1u);
    ASSERT_NE(TextureCache.head, nullptr);
    EXPECT_EQ(TextureCache.head->refCount, 2);

    // A name differing only in case is another entry, and another load.
    Bitmap("A.BMP");
    const std::string upper = dir.File("A.BMP");
    testing::internal::CaptureStderr();
    IDirect3DTexture8* t3 = TextureCache.Acquire(FALSE, upper.c_str(), 0, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(" + upper + ") ... ok.\n");
    EXPECT_NE(t3, t1);

    testing::internal::CaptureStderr();
    TextureCache.Release(t1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(Released(t1));
    testing::internal::CaptureStderr();
    TextureCache.Release(t2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "release(" + a + ")\n");
    EXPECT_TRUE(Released(t1));
    EXPECT_EQ(CacheNames(), std::vector<std::string>{upper});

    // Once gone, the name loads again.
    testing::internal::CaptureStderr();
    IDirect3DTexture8* again = TextureCache.Acquire(FALSE, a.c_str(), 0, 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(" + a + ") ... ok.\n");
    EXPECT_NE(again, nullptr);
}

TEST_F(TextureTest, NewEntriesGoRightAfterTheHeadAndAnyEntryUnlinks) {
    const std::string a = Bitmap("a.bmp"), b = Bitmap("b.bmp"), c = Bitmap("c.bmp"), d = Bitmap("d.bmp");
    IDirect3DTexture8* ta = TextureCache.Acquire(FALSE, a.c_str(), 0, 1);
    IDirect3DTexture8* tb = TextureCache.Acquire(FALSE, b.c_str(), 0, 1);
    IDirect3DTexture8* tc = TextureCache.Acquire(FALSE, c.c_str(), 0, 1);
    IDirect3DTexture8* td = TextureCache.Acquire(FALSE, d.c_str(), 0, 1);
    EXPECT_EQ(CacheNames(), (std::vector<std::string>{a, d, c, b}));

    TextureCache.Release(tc);  // from the middle
    EXPECT_EQ(CacheNames(), (std::vector<std::string>{a, d, b}));
    TextureCache.Release(ta);  // the head
    EXPECT_EQ(CacheNames(), (std::vector<std::string>{d, b}));
    TextureCache.Release(tb);  // the tail
    EXPECT_EQ(CacheNames(), (std::vector<std::string>{d}));
    TextureCache.Release(td);
    EXPECT_EQ(TextureCache.head, nullptr);
    for (IDirect3DTexture8* t : {ta, tb, tc, td}) EXPECT_TRUE(Released(t));
}

TEST_F(TextureTest, FailuresAddNothingAndUnknownPointersAreIgnored) {
    const std::string a = Bitmap("a.bmp");
    IDirect3DTexture8* ta = TextureCache.Acquire(FALSE, a.c_str(), 0, 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(TextureCache.Acquire(FALSE, dir.File("missing.bmp").c_str(), 0, 1), nullptr);
    EXPECT_EQ(TextureCache.Acquire(TRUE, "IDB_SKY", 0, 1), nullptr);
    TextureCache.Release(nullptr);
    TextureCache.Release(reinterpret_cast<IDirect3DTexture8*>(&ta));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "load(" + dir.File("missing.bmp") + ") ... failed: file not found.\n"
              "load(IDB_SKY) ... failed: the program carries no resources.\n");
    EXPECT_EQ(CacheNames(), std::vector<std::string>{a});
    EXPECT_EQ(TextureCache.head->refCount, 1);

    // A failed name is tried again next time: it has no entry.
    testing::internal::CaptureStderr();
    EXPECT_EQ(TextureCache.Acquire(FALSE, dir.File("missing.bmp").c_str(), 0, 1), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "load(" + dir.File("missing.bmp") + ") ... failed: file not found.\n");
}

}  // namespace
