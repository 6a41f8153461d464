// Vertex buffers made and released in quick succession share the device's GL
// buffers: reuse must never show, whatever the sizes, contents, Reset or order
// of release.
#include <cstring>

#include "d3d8/d3d8contents.h"
#include "d3d8/gl_buffer_pool.h"
#include "tests/d3d8_fixture.h"

using namespace d3dtest;
using nol::d3d8::GlBuffer;
using nol::d3d8::GlBufferPool;

namespace {

// ---- the pool on its own ----------------------------------------------------------

TEST(GlBufferPool, PrefersStorageOfTheSameSizeElseTheLastKept) {
    GlBufferPool pool;
    EXPECT_EQ(pool.Take(64).name, 0u);
    ASSERT_TRUE(pool.Give({1, 64}));
    ASSERT_TRUE(pool.Give({2, 608}));
    ASSERT_TRUE(pool.Give({3, 80}));
    EXPECT_EQ(pool.Bytes(), 752u);

    GlBuffer b = pool.Take(608);
    EXPECT_EQ(b.name, 2u);
    EXPECT_EQ(b.capacity, 608u);
    b = pool.Take(1000);  // no such size: the last kept, to be specified again
    EXPECT_EQ(b.name, 3u);
    EXPECT_EQ(pool.Count(), 1u);
    EXPECT_EQ(pool.Bytes(), 64u);
    EXPECT_EQ(pool.TakeAll(), std::vector<unsigned>{1});
    EXPECT_EQ(pool.Count(), 0u);
    EXPECT_EQ(pool.Bytes(), 0u);
}

TEST(GlBufferPool, KeepsNoMoreThanItsBounds) {
    GlBufferPool pool;
    EXPECT_FALSE(pool.Give({0, 16}));  // no name
    EXPECT_FALSE(pool.Give({1, GlBufferPool::kMaxBufferBytes + 1}));
    unsigned name = 10;
    while (pool.Give({name, GlBufferPool::kMaxBufferBytes})) ++name;
    EXPECT_LE(pool.Bytes(), GlBufferPool::kMaxBytes);
    EXPECT_GT(pool.Bytes() + GlBufferPool::kMaxBufferBytes, GlBufferPool::kMaxBytes);
    pool.TakeAll();
    for (name = 1; pool.Give({name, 16}); ++name) {
    }
    EXPECT_EQ(pool.Count(), GlBufferPool::kMaxBuffers);
}

// ---- on the device ------------------------------------------------------------------

class BufferReuse : public D3DDeviceTest {
protected:
    void SetUp() override {
        D3DDeviceTest::SetUp();
        if (!Ready()) return;
        PlainStates();
    }

    // A managed buffer holding the rectangles as triangle lists, 6 vertices each.
    IDirect3DVertexBuffer8* Rects(std::initializer_list<RECT> rects, D3DCOLOR colour) {
        std::vector<ScreenVertex> v;
        for (const RECT& r : rects) {
            const float x1 = float(r.left) - 0.5f, y1 = float(r.top) - 0.5f;
            const float x2 = float(r.right) - 0.5f, y2 = float(r.bottom) - 0.5f;
            const ScreenVertex quad[6] = {{x1, y1, 0, 1, colour}, {x2, y1, 0, 1, colour}, {x1, y2, 0, 1, colour},
                                          {x2, y1, 0, 1, colour}, {x2, y2, 0, 1, colour}, {x1, y2, 0, 1, colour}};
            v.insert(v.end(), quad, quad + 6);
        }
        const UINT bytes = UINT(v.size() * sizeof(ScreenVertex));
        IDirect3DVertexBuffer8* vb = nullptr;
        EXPECT_EQ(device->CreateVertexBuffer(bytes, 0, kScreenFvf, D3DPOOL_MANAGED, &vb), D3D_OK);
        BYTE* data = nullptr;
        EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, v.data(), bytes);
        EXPECT_EQ(vb->Unlock(), D3D_OK);
        return vb;
    }

    // Clears, draws every triangle of vb, and lets go of it entirely (the stream
    // too), so that its GL buffer goes back to the device.
    void DrawAndRelease(IDirect3DVertexBuffer8* vb, UINT triangles) {
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->SetStreamSource(0, vb, sizeof(ScreenVertex)), D3D_OK);
        ASSERT_EQ(device->SetVertexShader(kScreenFvf), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        ASSERT_EQ(device->SetStreamSource(0, nullptr, 0), D3D_OK);
        vb->Release();
    }

    NolD3D8BufferCounts Counts() {
        NolD3D8BufferCounts c{};
        EXPECT_TRUE(NolD3D8GetBufferCounts(device, &c));
        return c;
    }
};

constexpr D3DCOLOR kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

TEST_F(BufferReuse, ANewBufferTakesTheGlBufferOfAReleasedOneAndDrawsOnlyItsOwnContents) {
    DrawAndRelease(Rects({{10, 10, 50, 50}}, kRed), 2);
    const NolD3D8BufferCounts first = Counts();
    EXPECT_EQ(first.kept, 1u);

    DrawAndRelease(Rects({{100, 10, 140, 50}}, kGreen), 2);
    const NolD3D8BufferCounts second = Counts();
    EXPECT_EQ(second.made, first.made);
    EXPECT_EQ(second.reused, first.reused + 1);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 30, 30), 0xFF000000u);
    EXPECT_EQ(At(px, 120, 30), kGreen);
}

TEST_F(BufferReuse, RecycledStorageOfAnotherSizeIsSpecifiedAgain) {
    // Large, then small (two leftover rectangles must not show), then large again.
    DrawAndRelease(Rects({{10, 10, 50, 50}, {60, 10, 100, 50}, {110, 10, 150, 50}}, kRed), 6);
    IDirect3DVertexBuffer8* small = Rects({{10, 100, 50, 140}}, kGreen);
    D3DVERTEXBUFFER_DESC desc{};
    ASSERT_EQ(small->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Size, 6 * sizeof(ScreenVertex));
    // Drawing past its own end is refused, whatever the storage it took.
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->SetStreamSource(0, small, sizeof(ScreenVertex)), D3D_OK);
    ASSERT_EQ(device->SetVertexShader(kScreenFvf), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 4), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    DrawAndRelease(small, 2);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 30, 120), kGreen);
    EXPECT_EQ(At(px, 30, 30), 0xFF000000u);
    EXPECT_EQ(At(px, 80, 30), 0xFF000000u);
    EXPECT_EQ(At(px, 130, 30), 0xFF000000u);

    DrawAndRelease(Rects({{10, 200, 50, 240}, {60, 200, 100, 240}, {110, 200, 150, 240}}, kBlue), 6);
    px = ReadBack();
    for (int x : {30, 80, 130}) EXPECT_EQ(At(px, x, 220), kBlue) << x;
    EXPECT_EQ(At(px, 30, 120), 0xFF000000u);
    EXPECT_EQ(Counts().made, 1u);
}

TEST_F(BufferReuse, NewBuffersReadZeroFilledWithAFreshContentsVersion) {
    IDirect3DVertexBuffer8* fresh = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(6 * sizeof(ScreenVertex), 0, kScreenFvf, D3DPOOL_MANAGED, &fresh), D3D_OK);
    const uint64_t freshVersion = NolBufferContentsVersion(fresh);
    fresh->Release();

    DrawAndRelease(Rects({{10, 10, 50, 50}}, kRed), 2);
    ASSERT_EQ(Counts().kept, 1u);
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(6 * sizeof(ScreenVertex), 0, kScreenFvf, D3DPOOL_MANAGED, &vb), D3D_OK);
    EXPECT_EQ(NolBufferContentsVersion(vb), freshVersion);
    BYTE* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::vector<BYTE>(data, data + 6 * sizeof(ScreenVertex)), std::vector<BYTE>(6 * sizeof(ScreenVertex), 0));
    vb->Unlock();
    vb->Release();
}

TEST_F(BufferReuse, ResetEmptiesThePoolAndBuffersAfterItDrawRight) {
    DrawAndRelease(Rects({{10, 10, 50, 50}}, kRed), 2);
    // A managed buffer that lives across the Reset keeps its contents.
    IDirect3DVertexBuffer8* kept = Rects({{200, 10, 240, 50}}, kBlue);
    ASSERT_EQ(Counts().kept, 1u);
    D3DPRESENT_PARAMETERS p = params;
    ASSERT_EQ(device->Reset(&p), D3D_OK);
    const NolD3D8BufferCounts afterReset = Counts();
    EXPECT_EQ(afterReset.kept, 0u);
    EXPECT_EQ(afterReset.keptBytes, 0u);

    DrawAndRelease(Rects({{100, 10, 140, 50}}, kGreen), 2);
    EXPECT_EQ(Counts().made, afterReset.made + 1);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 120, 30), kGreen);
    EXPECT_EQ(At(px, 30, 30), 0xFF000000u);
    DrawAndRelease(kept, 2);
    px = ReadBack();
    EXPECT_EQ(At(px, 220, 30), kBlue);
    EXPECT_EQ(At(px, 120, 30), 0xFF000000u);
}

TEST_F(BufferReuse, ManyReleasedAtOnceKeepOnlyWhatTheBoundsAllow) {
    std::vector<IDirect3DVertexBuffer8*> many;
    for (int i = 0; i < 40; ++i) {
        many.push_back(Rects({{i, 0, i + 1, 1}}, kRed));
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(device->SetStreamSource(0, many.back(), sizeof(ScreenVertex)), D3D_OK);
        ASSERT_EQ(device->SetVertexShader(kScreenFvf), D3D_OK);
        ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
    }
    ASSERT_EQ(device->SetStreamSource(0, nullptr, 0), D3D_OK);
    for (auto* vb : many) vb->Release();
    EXPECT_EQ(Counts().kept, GlBufferPool::kMaxBuffers);

    // A buffer bigger than the pool keeps is deleted on release.
    const UINT big = UINT(GlBufferPool::kMaxBufferBytes) + sizeof(ScreenVertex) * 6;
    IDirect3DVertexBuffer8* large = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(big, 0, kScreenFvf, D3DPOOL_MANAGED, &large), D3D_OK);
    DrawAndRelease(large, 2);
    const NolD3D8BufferCounts c = Counts();
    EXPECT_LE(c.keptBytes, GlBufferPool::kMaxBytes);
    EXPECT_LE(c.kept, GlBufferPool::kMaxBuffers);
    EXPECT_LT(c.keptBytes, GlBufferPool::kMaxBufferBytes);
}

// The device may go first or last; either way nothing is kept for a dead context.
TEST_F(BufferReuse, BuffersOutliveTheirDeviceOrGoFirst) {
    DrawAndRelease(Rects({{10, 10, 50, 50}}, kRed), 2);
    IDirect3DVertexBuffer8* survivor = Rects({{60, 10, 100, 50}}, kGreen);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->SetStreamSource(0, survivor, sizeof(ScreenVertex)), D3D_OK);
    ASSERT_EQ(device->SetVertexShader(kScreenFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    IDirect3DDevice8* d = device;
    NolD3D8BufferCounts before = Counts();
    EXPECT_EQ(before.kept, 0u);  // the survivor took the kept one

    device->Release();
    device = nullptr;
    // The buffer still answers on the CPU side and goes quietly.
    BYTE* data = nullptr;
    ASSERT_EQ(survivor->Lock(0, 0, &data, 0), D3D_OK);
    EXPECT_EQ(*reinterpret_cast<D3DCOLOR*>(data + 16), kGreen);
    survivor->Unlock();
    NolD3D8BufferCounts after{};
    EXPECT_TRUE(NolD3D8GetBufferCounts(d, &after));  // the object lives while its child does
    EXPECT_EQ(after.kept, 0u);
    survivor->Release();
}

}  // namespace
