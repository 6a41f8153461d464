// Rasterisation by the Direct3D stand-in, checked pixel by pixel in the back buffer:
// clears, coverage, culling, depth, blending, shading, buffers and bad draws.
#include <cstring>

#include "tests/d3d8_fixture.h"

using namespace d3dtest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kBlack = 0xFF000000u;

class D3DDraw : public D3DDeviceTest {
protected:
    void SetUp() override {
        D3DDeviceTest::SetUp();
        if (!Ready()) return;
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0),
                  D3D_OK);
        PlainStates();
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    // Pixels of the box [x0, x1) x [y0, y1) whose "is white" differs from want(x, y).
    template <typename Want>
    int Mismatches(const std::vector<uint32_t>& px, int x0, int y0, int x1, int y1, Want want) {
        int bad = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if ((At(px, x, y) == kWhite) != want(x, y)) {
                    if (bad < 5) ADD_FAILURE() << "pixel " << x << ", " << y;
                    ++bad;
                }
        return bad;
    }
};

TEST_F(D3DDraw, ClearFillsTheViewportOrTheGivenRectangles) {
    device->EndScene();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456u, 1.0f, 0), D3D_OK);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 0, 0), 0xFF123456u);
    EXPECT_EQ(At(px, 639, 479), 0xFF123456u);

    const D3DRECT rects[2] = {{10, 20, 30, 25}, {600, 470, 700, 500}};  // the second overhangs
    ASSERT_EQ(device->Clear(2, rects, D3DCLEAR_TARGET, 0xFFFF8000u, 1.0f, 0), D3D_OK);
    D3DVIEWPORT8 vp{100, 100, 50, 40, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    px = ReadBack();
    EXPECT_EQ(At(px, 10, 20), 0xFFFF8000u);
    EXPECT_EQ(At(px, 29, 24), 0xFFFF8000u);
    EXPECT_EQ(At(px, 30, 24), 0xFF123456u);
    EXPECT_EQ(At(px, 29, 25), 0xFF123456u);
    EXPECT_EQ(At(px, 639, 479), 0xFFFF8000u);
    EXPECT_EQ(At(px, 100, 100), 0xFF00FF00u);
    EXPECT_EQ(At(px, 149, 139), 0xFF00FF00u);
    EXPECT_EQ(At(px, 150, 139), 0xFF123456u);
    EXPECT_EQ(At(px, 149, 140), 0xFF123456u);
    EXPECT_EQ(At(px, 99, 100), 0xFF123456u);

    EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, 0x100, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(D3DDraw, PreTransformedTrianglesCoverPixelCentresWithTheTopLeftRule) {
    // Clockwise on screen: a right angle at (10, 10), and one at (140, 50).
    const ScreenVertex a[3] = {{10, 10, 0, 1, kWhite}, {50, 10, 0, 1, kWhite}, {10, 50, 0, 1, kWhite}};
    const ScreenVertex b[3] = {{100, 50, 0, 1, kWhite}, {140, 10, 0, 1, kWhite}, {140, 50, 0, 1, kWhite}};
    DrawScreen(D3DPT_TRIANGLELIST, 1, a);
    DrawScreen(D3DPT_TRIANGLELIST, 1, b);
    // Half-pixel positions: the centres of 200..203 and 300..302 lie inside.
    FillRect(199.5f, 299.5f, 203.5f, 302.5f, kWhite);
    auto px = ReadBack();
    // Top and left edges belong to a triangle, bottom and right ones do not.
    EXPECT_EQ(Mismatches(px, 0, 0, 70, 70, [](int x, int y) { return x >= 10 && y >= 10 && x + y < 60; }), 0);
    EXPECT_EQ(Mismatches(px, 90, 0, 160, 70,
                         [](int x, int y) { return x < 140 && y < 50 && x + y >= 150; }), 0);
    EXPECT_EQ(Mismatches(px, 190, 290, 210, 310,
                         [](int x, int y) { return x >= 200 && x <= 203 && y >= 300 && y <= 302; }), 0);
}

TEST_F(D3DDraw, TransformedGeometryMapsClipSpaceOntoWholePixels) {
    // Identity transforms: clip space is the viewport. A quad over x in [-0.5, 0.5]
    // and y in [-0.5, 0.5] covers pixels 160..479 and rows 120..359 exactly.
    const ColorVertex quad[4] = {{-0.5f, 0.5f, 0.5f, kWhite}, {0.5f, 0.5f, 0.5f, kWhite},
                                 {-0.5f, -0.5f, 0.5f, kWhite}, {0.5f, -0.5f, 0.5f, kWhite}};
    ASSERT_EQ(device->SetVertexShader(kColorFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColorVertex)), D3D_OK);
    auto px = ReadBack();
    EXPECT_EQ(Mismatches(px, 150, 110, 490, 370,
                         [](int x, int y) { return x >= 160 && x < 480 && y >= 120 && y < 360; }), 0);
}

TEST_F(D3DDraw, ClipSpaceDepthRunsFromZeroToW) {
    // Identity transforms: z is the depth. Below 0 and above 1 is clipped away.
    ASSERT_EQ(device->SetVertexShader(kColorFvf), D3D_OK);
    const float depths[4] = {-0.05f, 0.0f, 1.0f, 1.05f};
    for (int i = 0; i < 4; ++i) {
        float x0 = -1.0f + 0.5f * i, z = depths[i];
        const ColorVertex quad[4] = {{x0, 1, z, kWhite}, {x0 + 0.5f, 1, z, kWhite},
                                     {x0, -1, z, kWhite}, {x0 + 0.5f, -1, z, kWhite}};
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColorVertex)), D3D_OK);
    }
    // The depth written is z itself: a pre-transformed square at depth 0.3 hides
    // behind a transformed one at 0.25 and shows in front of one at 0.35.
    const ColorVertex nearQuad[4] = {{-1, 1, 0.25f, 0xFFFF0000u}, {0, 1, 0.25f, 0xFFFF0000u},
                                     {-1, 0, 0.25f, 0xFFFF0000u}, {0, 0, 0.25f, 0xFFFF0000u}};
    const ColorVertex farQuad[4] = {{0, 1, 0.35f, 0xFFFF0000u}, {1, 1, 0.35f, 0xFFFF0000u},
                                    {0, 0, 0.35f, 0xFFFF0000u}, {1, 0, 0.35f, 0xFFFF0000u}};
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, nearQuad, sizeof(ColorVertex)), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, farQuad, sizeof(ColorVertex)), D3D_OK);
    FillRect(100, 20, 540, 100, 0xFF00FF00u, 0.3f);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 40, 300), kBlack);
    EXPECT_EQ(At(px, 200, 300), kWhite);
    EXPECT_EQ(At(px, 400, 300), kWhite);
    EXPECT_EQ(At(px, 600, 300), kBlack);
    EXPECT_EQ(At(px, 200, 60), 0xFFFF0000u);
    EXPECT_EQ(At(px, 400, 60), 0xFF00FF00u);
}

TEST_F(D3DDraw, ClockwiseIsVisibleAndCounterClockwiseIsCulledByDefault) {
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW), D3D_OK);
    const ScreenVertex cw[3] = {{10, 10, 0, 1, kWhite}, {50, 10, 0, 1, kWhite}, {10, 50, 0, 1, kWhite}};
    const ScreenVertex ccw[3] = {{110, 10, 0, 1, kWhite}, {110, 50, 0, 1, kWhite}, {150, 10, 0, 1, kWhite}};
    DrawScreen(D3DPT_TRIANGLELIST, 1, cw);
    DrawScreen(D3DPT_TRIANGLELIST, 1, ccw);
    // The same rule for transformed triangles: y up in clip space is up on screen.
    const ColorVertex tcw[3] = {{0.0f, 0.0f, 0.5f, kWhite}, {0.0f, -0.2f, 0.5f, kWhite}, {-0.2f, 0.0f, 0.5f, kWhite}};
    const ColorVertex tccw[3] = {{0.5f, 0.0f, 0.5f, kWhite}, {0.3f, 0.0f, 0.5f, kWhite}, {0.5f, -0.2f, 0.5f, kWhite}};
    ASSERT_EQ(device->SetVertexShader(kColorFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tcw, sizeof(ColorVertex)), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tccw, sizeof(ColorVertex)), D3D_OK);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 15, 15), kWhite);
    EXPECT_EQ(At(px, 115, 15), kBlack);
    EXPECT_EQ(At(px, 300, 250), kWhite);   // tcw: left of and below the centre
    EXPECT_EQ(At(px, 470, 250), kBlack);   // tccw

    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3D_OK);
    const ScreenVertex cw2[3] = {{10, 110, 0, 1, kWhite}, {50, 110, 0, 1, kWhite}, {10, 150, 0, 1, kWhite}};
    const ScreenVertex ccw2[3] = {{110, 110, 0, 1, kWhite}, {110, 150, 0, 1, kWhite}, {150, 110, 0, 1, kWhite}};
    DrawScreen(D3DPT_TRIANGLELIST, 1, cw2);
    DrawScreen(D3DPT_TRIANGLELIST, 1, ccw2);
    px = ReadBack();
    EXPECT_EQ(At(px, 15, 115), kBlack);
    EXPECT_EQ(At(px, 115, 115), kWhite);
}

TEST_F(D3DDraw, DepthTestAndDepthWrites) {
    // A far red square, then a near green one over its left half, then a middle
    // blue one over everything: blue shows only where red alone was.
    FillRect(0, 0, 100, 100, 0xFFFF0000u, 0.8f);
    FillRect(0, 0, 50, 100, 0xFF00FF00u, 0.2f);
    FillRect(0, 0, 100, 100, 0xFF0000FFu, 0.5f);
    // With Z writes off, a near yellow square leaves the cleared depth behind, so a
    // far white square drawn later still covers it.
    ASSERT_EQ(device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE), D3D_OK);
    FillRect(200, 0, 300, 100, 0xFFFFFF00u, 0.1f);
    ASSERT_EQ(device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE), D3D_OK);
    FillRect(200, 0, 300, 100, kWhite, 0.9f);
    // Z test off: everything lands.
    ASSERT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
    FillRect(40, 40, 60, 60, 0xFF808080u, 1.0f);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 25, 10), 0xFF00FF00u);
    EXPECT_EQ(At(px, 75, 10), 0xFF0000FFu);
    EXPECT_EQ(At(px, 250, 50), kWhite);
    EXPECT_EQ(At(px, 50, 50), 0xFF808080u);
    DWORD value = 0;
    ASSERT_EQ(device->GetRenderState(D3DRS_ZFUNC, &value), D3D_OK);
    EXPECT_EQ(value, DWORD(D3DCMP_LESSEQUAL));
}

TEST_F(D3DDraw, SourceAlphaBlending) {
    FillRect(0, 0, 100, 100, 0xFF0000FFu);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
    FillRect(0, 0, 100, 100, 0x40FF0000u);  // alpha 64/255 red over blue
    // Additive: source alpha times source plus destination.
    ASSERT_EQ(device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE), D3D_OK);
    FillRect(200, 0, 300, 100, 0xFF202020u);
    FillRect(200, 0, 300, 100, 0x80404040u);
    auto px = ReadBack();
    const double a = 64.0 / 255.0;
    EXPECT_LE(RgbDistance(At(px, 50, 50), D3DCOLOR_XRGB(int(255 * a + 0.5), 0, int(255 * (1 - a) + 0.5))), 1);
    const int add = 0x20 + int(0x40 * (128.0 / 255.0) + 0.5);
    EXPECT_LE(RgbDistance(At(px, 250, 50), D3DCOLOR_XRGB(add, add, add)), 1);
}

TEST_F(D3DDraw, FlatShadingTakesTheFirstVertexGouraudInterpolates) {
    const ScreenVertex tri[3] = {{0, 0, 0, 1, 0xFFFF0000u}, {200, 0, 0, 1, 0xFF00FF00u}, {0, 200, 0, 1, 0xFF0000FFu}};
    const ScreenVertex tri2[3] = {{300, 0, 0, 1, 0xFFFF0000u}, {500, 0, 0, 1, 0xFF00FF00u}, {300, 200, 0, 1, 0xFF0000FFu}};
    ASSERT_EQ(device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT), D3D_OK);
    DrawScreen(D3DPT_TRIANGLELIST, 1, tri);
    // A strip's second triangle (1, 2, 3) takes vertex 1.
    const ScreenVertex strip[4] = {{0, 300, 0, 1, 0xFFFF0000u}, {100, 300, 0, 1, 0xFF00FF00u},
                                   {0, 400, 0, 1, 0xFF0000FFu}, {100, 400, 0, 1, kWhite}};
    DrawScreen(D3DPT_TRIANGLESTRIP, 2, strip);
    ASSERT_EQ(device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD), D3D_OK);
    DrawScreen(D3DPT_TRIANGLELIST, 1, tri2);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 150, 20), 0xFFFF0000u);
    EXPECT_EQ(At(px, 10, 150), 0xFFFF0000u);
    EXPECT_EQ(At(px, 10, 310), 0xFFFF0000u);
    EXPECT_EQ(At(px, 90, 390), 0xFF00FF00u);
    // Gouraud: at (x, y) from the corner the weights are 1 - x/200 - y/200, x/200, y/200.
    EXPECT_LE(RgbDistance(At(px, 300 + 100, 50), D3DCOLOR_XRGB(64, 128, 64)), 2);
    EXPECT_LE(RgbDistance(At(px, 300 + 20, 160), D3DCOLOR_XRGB(26, 26, 204)), 2);
}

TEST_F(D3DDraw, AlphaTestDiscardsBelowTheReference) {
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHAREF, 0x80), D3D_OK);
    FillRect(0, 0, 10, 10, 0x7FFFFFFFu);
    FillRect(20, 0, 30, 10, 0x80FFFFFFu);
    EXPECT_EQ(device->SetRenderState(D3DRS_ALPHAREF, 256), D3DERR_INVALIDCALL);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 5, 5), kBlack);
    EXPECT_EQ(At(px, 25, 5), kWhite);
}

TEST_F(D3DDraw, VertexAndIndexBuffersIn16And32Bits) {
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(8 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kScreenFvf,
                                         D3DPOOL_MANAGED, &vb),
              D3D_OK);
    BYTE* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    auto* v = reinterpret_cast<ScreenVertex*>(data);
    // Two squares: 0..3 at (10..40), 4..7 at (100..130).
    for (int s = 0; s < 2; ++s) {
        float o = s ? 100.0f : 10.0f;
        v[4 * s + 0] = {o, o, 0, 1, kWhite};
        v[4 * s + 1] = {o + 30, o, 0, 1, kWhite};
        v[4 * s + 2] = {o, o + 30, 0, 1, kWhite};
        v[4 * s + 3] = {o + 30, o + 30, 0, 1, kWhite};
    }
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    D3DVERTEXBUFFER_DESC vdesc;
    ASSERT_EQ(vb->GetDesc(&vdesc), D3D_OK);
    EXPECT_EQ(vdesc.Size, 8 * sizeof(ScreenVertex));
    EXPECT_EQ(vdesc.FVF, kScreenFvf);
    EXPECT_EQ(vdesc.Pool, D3DPOOL_MANAGED);

    IDirect3DIndexBuffer8* ib16 = nullptr;
    IDirect3DIndexBuffer8* ib32 = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib16), D3D_OK);
    ASSERT_EQ(device->CreateIndexBuffer(6 * 4, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &ib32), D3D_OK);
    ASSERT_EQ(ib16->Lock(0, 0, &data, 0), D3D_OK);
    const uint16_t i16[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, i16, sizeof i16);
    ASSERT_EQ(ib16->Unlock(), D3D_OK);
    ASSERT_EQ(ib32->Lock(0, 0, &data, 0), D3D_OK);
    const uint32_t i32[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(data, i32, sizeof i32);
    ASSERT_EQ(ib32->Unlock(), D3D_OK);

    ASSERT_EQ(device->SetVertexShader(kScreenFvf), D3D_OK);
    ASSERT_EQ(device->SetStreamSource(0, vb, sizeof(ScreenVertex)), D3D_OK);
    ASSERT_EQ(device->SetIndices(ib16, 0), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    ASSERT_EQ(device->SetIndices(ib32, 4), D3D_OK);  // base vertex 4: the second square
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
    // Base 5 would reach vertex 8 of 8: refused, nothing drawn.
    ASSERT_EQ(device->SetIndices(ib32, 5), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3DERR_INVALIDCALL);
    // Past the end of the index buffer.
    ASSERT_EQ(device->SetIndices(ib16, 0), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 3, 2), D3DERR_INVALIDCALL);
    // Past the end of the vertex buffer.
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 5, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);  // the second square again
    auto px = ReadBack();
    EXPECT_EQ(At(px, 25, 25), kWhite);
    EXPECT_EQ(At(px, 115, 115), kWhite);
    EXPECT_EQ(At(px, 60, 60), kBlack);

    // The device holds what is bound: releasing here keeps them alive for drawing.
    ib16->Release();
    ib32->Release();
    vb->Release();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
}

TEST_F(D3DDraw, BadDrawsAreRefusedAndDrawNothing) {
    const ScreenVertex tri[3] = {{0, 0, 0, 1, kWhite}, {100, 0, 0, 1, kWhite}, {0, 100, 0, 1, kWhite}};
    // No vertex format yet.
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    // Formats this layer cannot draw.
    EXPECT_EQ(device->SetVertexShader(D3DFVF_XYZB1 | D3DFVF_DIFFUSE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_NORMAL), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(D3DFVF_DIFFUSE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(0x1234567), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->SetVertexShader(kScreenFvf), D3D_OK);
    // No stream.
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    // Bad types, counts and strides.
    EXPECT_EQ(device->DrawPrimitiveUP(static_cast<D3DPRIMITIVETYPE>(7), 1, tri, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 0, tri, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, 8), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nullptr, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    D3DCAPS8 caps;
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, caps.MaxPrimitiveCount + 1, tri, sizeof(ScreenVertex)),
              D3DERR_INVALIDCALL);
    // Indices outside the given vertex range.
    const uint16_t indices[3] = {0, 1, 3};
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices, D3DFMT_INDEX16, tri,
                                             sizeof(ScreenVertex)),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, indices, D3DFMT_D16, tri,
                                             sizeof(ScreenVertex)),
              D3DERR_INVALIDCALL);
    // Outside a scene.
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ScreenVertex)), D3DERR_INVALIDCALL);
    auto px = ReadBack();
    for (uint32_t p : px) ASSERT_EQ(p, kBlack);
    // A good indexed draw for contrast.
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    const uint16_t good[3] = {0, 1, 2};
    EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, good, D3DFMT_INDEX16, tri,
                                             sizeof(ScreenVertex)),
              D3D_OK);
    px = ReadBack();
    EXPECT_EQ(At(px, 10, 10), kWhite);
}

TEST_F(D3DDraw, ViewportConfinesDrawingAndRejectsBadRectangles) {
    D3DVIEWPORT8 vp{100, 50, 200, 100, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
    FillRect(0, 0, 640, 480, kWhite);  // pre-transformed: render-target pixels, clipped
    // Transformed: the whole clip square is the viewport.
    const ColorVertex quad[4] = {{-1, 1, 0.5f, 0xFFFF0000u}, {0, 1, 0.5f, 0xFFFF0000u},
                                 {-1, 0, 0.5f, 0xFFFF0000u}, {0, 0, 0.5f, 0xFFFF0000u}};
    ASSERT_EQ(device->SetVertexShader(kColorFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColorVertex)), D3D_OK);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 99, 60), kBlack);
    EXPECT_EQ(At(px, 100, 50), 0xFFFF0000u);
    EXPECT_EQ(At(px, 199, 99), 0xFFFF0000u);
    EXPECT_EQ(At(px, 200, 100), kWhite);
    EXPECT_EQ(At(px, 299, 149), kWhite);
    EXPECT_EQ(At(px, 300, 149), kBlack);
    EXPECT_EQ(At(px, 299, 150), kBlack);

    D3DVIEWPORT8 bad{600, 0, 100, 100, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&bad), D3DERR_INVALIDCALL);
    bad = {0, 0, 100, 100, 0.7f, 0.2f};
    EXPECT_EQ(device->SetViewport(&bad), D3DERR_INVALIDCALL);
    D3DVIEWPORT8 got{};
    ASSERT_EQ(device->GetViewport(&got), D3D_OK);
    EXPECT_EQ(got.X, 100u);
    EXPECT_EQ(got.Width, 200u);
}

TEST_F(D3DDraw, StencilCountsWhereItWasDrawn) {
    ASSERT_EQ(device->SetRenderState(D3DRS_STENCILENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_STENCILREF, 1), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_COLORWRITEENABLE, 0), D3D_OK);
    FillRect(0, 0, 50, 50, kWhite);
    ASSERT_EQ(device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP), D3D_OK);
    FillRect(0, 0, 100, 100, 0xFF00FF00u);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 25, 25), 0xFF00FF00u);
    EXPECT_EQ(At(px, 75, 75), kBlack);
}

}  // namespace
