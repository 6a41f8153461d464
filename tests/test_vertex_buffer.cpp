// Vertex buffers on a memory device: strides per format, refusals, locks and
// the draw operations.
#include <gtest/gtest.h>

#include <numeric>

#include "d3d8_memory_fakes.h"
#include "render/graphics_state.h"
#include "render/vertex_buffer.h"

namespace {

class VertexBufferTest : public ::testing::Test {
protected:
    // First, so that it outlives what the test makes with it.
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    MemoryDevice* device = ownedDevice.get();
    std::vector<uint8_t> data = std::vector<uint8_t>(300);

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        std::iota(data.begin(), data.end(), uint8_t(1));
    }
};

TEST_F(VertexBufferTest, EachKnownFormatHasItsStrideAndTheDataIsCopied) {
    const std::pair<DWORD, UINT> formats[] = {{0x042, 16}, {0x044, 20}, {0x052, 28}, {0x142, 24},
                                              {0x144, 28}, {0x152, 36}, {0x242, 32}, {0x252, 44}};
    for (auto [fvf, stride] : formats) {
        SCOPED_TRACE(fvf);
        VertexBuffer vb;
        const UINT bytes = stride * 5 + stride / 2;  // a partial vertex does not count
        ASSERT_EQ(vb.Create(data.data(), fvf, bytes), 1);
        EXPECT_EQ(vb.fvf, fvf);
        EXPECT_EQ(vb.stride, stride);
        EXPECT_EQ(vb.count, 5u);
        const MemoryVertexBuffer* b = device->LastVertexBuffer();
        EXPECT_EQ(b->desc.Size, bytes);
        EXPECT_EQ(b->desc.FVF, fvf);
        EXPECT_EQ(b->desc.Pool, D3DPOOL_MANAGED);
        EXPECT_EQ(b->desc.Usage, 0u);
        EXPECT_EQ(std::vector<uint8_t>(b->bytes.begin(), b->bytes.end()),
                  std::vector<uint8_t>(data.begin(), data.begin() + bytes));
        EXPECT_FALSE(b->locked);
    }
}

TEST_F(VertexBufferTest, RefusalsLeaveTheObjectEmpty) {
    VertexBuffer vb;
    ASSERT_EQ(vb.Create(data.data(), 0x042, 64), 1);
    MemoryVertexBuffer* first = device->LastVertexBuffer();

    // An unknown format: refused at once, the old buffer gone, the code kept.
    EXPECT_EQ(vb.Create(data.data(), 0x102, 64), 0);
    EXPECT_EQ(vb.buffer, nullptr);
    EXPECT_EQ(vb.fvf, 0x102u);
    EXPECT_EQ(first->refs, 1);
    EXPECT_EQ(device->vertexBuffers.size(), 1u);
    vb.DrawTriangles();
    vb.DrawPrimitives(D3DPT_POINTLIST, 1);
    EXPECT_TRUE(device->draws.empty());

    device->createVertexBufferResult = E_OUTOFMEMORY;
    EXPECT_EQ(vb.Create(data.data(), 0x042, 64), 0);
    EXPECT_EQ(vb.buffer, nullptr);

    // A buffer that cannot be filled is not kept, so nothing unfilled is drawn.
    device->createVertexBufferResult = D3D_OK;
    device->vertexLockResult = D3DERR_INVALIDCALL;
    EXPECT_EQ(vb.Create(data.data(), 0x042, 64), 0);
    EXPECT_EQ(vb.buffer, nullptr);
    EXPECT_EQ(device->LastVertexBuffer()->refs, 1);
    vb.DrawTriangles();
    EXPECT_TRUE(device->draws.empty());

    void* p = &vb;
    EXPECT_FALSE(vb.Lock(&p));
    EXPECT_EQ(p, nullptr);
}

TEST_F(VertexBufferTest, CreateReplacesAndReleaseIsIdempotent) {
    VertexBuffer vb;
    ASSERT_EQ(vb.Create(data.data(), 0x042, 64), 1);
    MemoryVertexBuffer* first = device->LastVertexBuffer();
    ASSERT_EQ(vb.Create(data.data(), 0x252, 88), 1);
    EXPECT_EQ(first->refs, 1);
    EXPECT_EQ(vb.count, 2u);
    MemoryVertexBuffer* second = device->LastVertexBuffer();
    vb.Release();
    vb.Release();
    EXPECT_EQ(second->refs, 1);
    EXPECT_EQ(vb.buffer, nullptr);

    {
        VertexBuffer scoped;
        ASSERT_EQ(scoped.Create(data.data(), 0x044, 40), 1);
    }
    EXPECT_EQ(device->LastVertexBuffer()->refs, 1);
}

TEST_F(VertexBufferTest, LockGivesTheWholeBuffer) {
    VertexBuffer vb;
    ASSERT_EQ(vb.Create(data.data(), 0x042, 32), 1);
    void* p = nullptr;
    ASSERT_TRUE(vb.Lock(&p));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(static_cast<uint8_t*>(p)[31], 32);
    static_cast<uint8_t*>(p)[0] = 0xEE;
    vb.Unlock();
    EXPECT_FALSE(device->LastVertexBuffer()->locked);
    EXPECT_EQ(device->LastVertexBuffer()->bytes[0], 0xEE);
}

TEST_F(VertexBufferTest, DrawsBindStreamZeroAndDivideTheCount) {
    VertexBuffer vb;
    ASSERT_EQ(vb.Create(data.data(), 0x142, 7 * 24), 1);  // 7 vertices
    vb.DrawPoints();
    vb.DrawLines();
    vb.DrawLineStrip(6);
    vb.DrawTriangles();
    vb.DrawTriangleStrip(5);
    vb.DrawTriangleFan(4);
    vb.DrawPrimitives(D3DPT_LINELIST, 1);
    const std::pair<D3DPRIMITIVETYPE, UINT> expected[] = {
        {D3DPT_POINTLIST, 7},     {D3DPT_LINELIST, 3},     {D3DPT_LINESTRIP, 6}, {D3DPT_TRIANGLELIST, 2},
        {D3DPT_TRIANGLESTRIP, 5}, {D3DPT_TRIANGLEFAN, 4}, {D3DPT_LINELIST, 1}};
    ASSERT_EQ(device->draws.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        const DrawCall& d = device->draws[i];
        EXPECT_EQ(d.type, expected[i].first) << i;
        EXPECT_EQ(d.primitives, expected[i].second) << i;
        EXPECT_EQ(d.startVertex, 0u);
        EXPECT_EQ(d.stream, vb.buffer);
        EXPECT_EQ(d.stride, 24u);
        EXPECT_EQ(d.shader, 0x142u);
    }
}

}  // namespace
