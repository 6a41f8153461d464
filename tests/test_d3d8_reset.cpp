// Device loss and Reset of the Direct3D stand-in, driven by its test hook: the
// results the framework branches on, and what survives a Reset.
#include <cstring>

#include "tests/d3d8_fixture.h"

using namespace d3dtest;

namespace {

class D3DReset : public D3DDeviceTest {
protected:
    void SetUp() override {
        D3DDeviceTest::SetUp();
        if (!Ready()) return;
        PlainStates();
    }

    IDirect3DTexture8* CheckerTexture() {
        IDirect3DTexture8* t = nullptr;
        EXPECT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
        D3DLOCKED_RECT lr{};
        EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
        auto* row0 = static_cast<uint32_t*>(lr.pBits);
        auto* row1 = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.pBits) + lr.Pitch);
        row0[0] = 0xFFFF0000u;
        row0[1] = 0xFF00FF00u;
        row1[0] = 0xFF0000FFu;
        row1[1] = 0xFFFFFF00u;
        EXPECT_EQ(t->UnlockRect(0), D3D_OK);
        return t;
    }

    // One frame as the framework draws it: the texture on a 40 x 40 quad from a
    // managed vertex buffer.
    HRESULT Frame(IDirect3DVertexBuffer8* vb) {
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
        EXPECT_EQ(device->SetStreamSource(0, vb, sizeof(ScreenTexVertex)), D3D_OK);
        EXPECT_EQ(device->SetVertexShader(kScreenTexFvf), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        EXPECT_EQ(device->EndScene(), D3D_OK);
        return device->Present(nullptr, nullptr, nullptr, nullptr);
    }

    IDirect3DVertexBuffer8* QuadBuffer() {
        IDirect3DVertexBuffer8* vb = nullptr;
        EXPECT_EQ(device->CreateVertexBuffer(4 * sizeof(ScreenTexVertex), 0, kScreenTexFvf, D3DPOOL_MANAGED, &vb),
                  D3D_OK);
        BYTE* data = nullptr;
        EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
        const ScreenTexVertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 0, 0},
                                         {39.5f, -0.5f, 0, 1, 0xFFFFFFFFu, 1, 0},
                                         {-0.5f, 39.5f, 0, 1, 0xFFFFFFFFu, 0, 1},
                                         {39.5f, 39.5f, 0, 1, 0xFFFFFFFFu, 1, 1}};
        std::memcpy(data, quad, sizeof quad);
        EXPECT_EQ(vb->Unlock(), D3D_OK);
        return vb;
    }

    void ExpectChecker() {
        auto px = ReadBack();
        EXPECT_EQ(At(px, 10, 10), 0xFFFF0000u);
        EXPECT_EQ(At(px, 30, 10), 0xFF00FF00u);
        EXPECT_EQ(At(px, 10, 30), 0xFF0000FFu);
        EXPECT_EQ(At(px, 30, 30), 0xFFFFFF00u);
    }
};

TEST_F(D3DReset, LostDeviceFailsPresentUntilResetBringsManagedResourcesBack) {
    IDirect3DTexture8* t = CheckerTexture();
    IDirect3DVertexBuffer8* vb = QuadBuffer();
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    ASSERT_EQ(Frame(vb), D3D_OK);
    ExpectChecker();

    ASSERT_TRUE(NolD3D8SetDeviceCondition(device, NOL_D3D_LOST));
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    // Drawing "succeeds" and does nothing; presenting and resetting fail.
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS p = params;
    EXPECT_EQ(device->Reset(&p), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    ExpectChecker();  // untouched by the lost frame

    // The device comes back needing a reset.
    ASSERT_TRUE(NolD3D8SetDeviceCondition(device, NOL_D3D_NOTRESET));
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    p = params;
    ASSERT_EQ(device->Reset(&p), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);

    // The managed texture and vertex buffer draw as before, from their own copies.
    t->Release();
    vb->Release();
    EXPECT_EQ(Frame(vb), D3D_OK);
    ExpectChecker();
}

TEST_F(D3DReset, DefaultPoolResourcesMustGoBeforeReset) {
    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(device->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, desktop.Format, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(32, 32, D3DFMT_D16, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
    IDirect3DTexture8* managed = CheckerTexture();

    D3DPRESENT_PARAMETERS p = params;
    EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    target->Release();
    EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);  // the depth surface still exists
    depth->Release();
    // A reference to the back buffer counts as well.
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);
    back->Release();
    // Managed textures, even bound ones, do not stop it.
    ASSERT_EQ(device->SetTexture(0, managed), D3D_OK);
    ASSERT_EQ(device->Reset(&p), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    managed->Release();
}

TEST_F(D3DReset, ResetKeepsStatesAndTakesNewSizes) {
    ASSERT_EQ(device->SetRenderState(D3DRS_AMBIENT, 0xFF102030u), D3D_OK);
    D3DMATRIX view = Identity();
    view._43 = 7.0f;
    ASSERT_EQ(device->SetTransform(D3DTS_VIEW, &view), D3D_OK);
    D3DPRESENT_PARAMETERS p = params;
    p.BackBufferWidth = 320;
    p.BackBufferHeight = 200;
    ASSERT_EQ(device->Reset(&p), D3D_OK);
    DWORD v = 0;
    ASSERT_EQ(device->GetRenderState(D3DRS_AMBIENT, &v), D3D_OK);
    EXPECT_EQ(v, 0xFF102030u);
    ASSERT_EQ(device->GetRenderState(D3DRS_LIGHTING, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(FALSE));  // set by the fixture before the reset
    D3DMATRIX got{};
    ASSERT_EQ(device->GetTransform(D3DTS_VIEW, &got), D3D_OK);
    EXPECT_EQ(got._43, 7.0f);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC d{};
    ASSERT_EQ(back->GetDesc(&d), D3D_OK);
    EXPECT_EQ(d.Width, 320u);
    EXPECT_EQ(d.Height, 200u);
    back->Release();
    D3DVIEWPORT8 vp{};
    ASSERT_EQ(device->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.Width, 320u);
    EXPECT_EQ(vp.Height, 200u);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF445566u, 1.0f, 0), D3D_OK);
    auto px = ReadBack();
    ASSERT_EQ(px.size(), 320u * 200u);
    EXPECT_EQ(At(px, 319, 199), 0xFF445566u);
    // Bad parameters fail and leave the device waiting for a good Reset.
    p.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(4);
    EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Reset(nullptr), D3DERR_INVALIDCALL);
    p = params;
    ASSERT_EQ(device->Reset(&p), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}

// The driver has a managed buffer's and texture's contents after their first use:
// this side gives its copies up, reads them back for a lock, and a Reset keeps them.
TEST_F(D3DReset, ManagedContentsAreHeldOnceAndComeBackForALockAndAReset) {
    IDirect3DTexture8* t = CheckerTexture();
    IDirect3DVertexBuffer8* vb = QuadBuffer();
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    ASSERT_EQ(Frame(vb), D3D_OK);
    ExpectChecker();
    EXPECT_EQ(NolD3D8VertexBufferBytesHeld(vb), 0u);
    EXPECT_EQ(NolD3D8TextureBytesHeld(t), 0u);

    // Reset while released: both come back from the driver before it lets go.
    D3DPRESENT_PARAMETERS p = params;
    ASSERT_EQ(device->Reset(&p), D3D_OK);
    PlainStates();
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    ASSERT_EQ(Frame(vb), D3D_OK);
    ExpectChecker();

    // A lock reads the vertices back as they were written; a change draws.
    BYTE* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
    auto* quad = reinterpret_cast<ScreenTexVertex*>(data);
    EXPECT_EQ(quad[3].x, 39.5f);
    EXPECT_EQ(quad[3].u, 1.0f);
    for (int i = 0; i < 4; ++i) quad[i].x += 100;
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    ASSERT_EQ(Frame(vb), D3D_OK);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 10, 10), 0xFF000000u);
    EXPECT_EQ(At(px, 110, 10), 0xFFFF0000u);
    EXPECT_EQ(At(px, 130, 30), 0xFFFFFF00u);
    EXPECT_EQ(NolD3D8VertexBufferBytesHeld(vb), 4 * sizeof(ScreenTexVertex)) << "kept once locked";
    vb->Release();
    t->Release();
}

}  // namespace
