// The D3DX sprite on the real device: where its texels land, how its colour
// blends, that batches keep the drawing order, and that it leaves the device's
// states as it found them.
#include "d3d8_fixture.h"
#include "d3dx8/d3dx8core.h"

namespace {

using namespace d3dtest;

constexpr D3DCOLOR kBackground = 0xFF203040;

class D3DXSpriteTest : public D3DTest {
protected:
    void SetUp() override {
        D3DTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        CreateDevice();
        if (HasFatalFailure()) return;
        ASSERT_EQ(D3DXCreateSprite(device, &sprite), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }
    void TearDown() override {
        for (IDirect3DTexture8* t : textures) t->Release();
        if (sprite) sprite->Release();
        D3DTest::TearDown();
    }

    // A managed w x h texture whose texel (x, y) is colour(x, y).
    template <typename F>
    IDirect3DTexture8* MakeTexture(UINT w, UINT h, F colour) {
        IDirect3DTexture8* t = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
        if (!t) return nullptr;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(t->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < h; ++y)
            for (UINT x = 0; x < w; ++x)
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch)[x] = colour(x, y);
        t->UnlockRect(0);
        textures.push_back(t);
        return t;
    }
    IDirect3DTexture8* Solid(D3DCOLOR c) {
        return MakeTexture(4, 4, [c](UINT, UINT) { return c; });
    }

    std::vector<uint32_t> Finish() {
        device->EndScene();
        return ReadBack();
    }

    ID3DXSprite* sprite = nullptr;
    std::vector<IDirect3DTexture8*> textures;
};

uint32_t Texel(UINT x, UINT y) { return D3DCOLOR_XRGB(20 * x + 5, 250 - 20 * y, 11 * (x + 2 * y)); }

TEST_F(D3DXSpriteTest, TexelsLandOneToOneOnPixelsAtWholePixelPositions) {
    IDirect3DTexture8* t = MakeTexture(8, 8, Texel);
    const D3DXVECTOR2 at1(100, 60), at2(300, 200);
    const RECT part{2, 1, 6, 5};
    ASSERT_EQ(sprite->Draw(t, nullptr, nullptr, nullptr, 0.0f, &at1, 0xFFFFFFFF), D3D_OK);
    ASSERT_EQ(sprite->Draw(t, &part, nullptr, nullptr, 0.0f, &at2, 0xFFFFFFFF), D3D_OK);
    std::vector<uint32_t> pixels = Finish();
    for (UINT y = 0; y < 8; ++y)
        for (UINT x = 0; x < 8; ++x) ASSERT_EQ(At(pixels, 100 + x, 60 + y), Texel(x, y)) << x << "," << y;
    for (UINT y = 0; y < 4; ++y)
        for (UINT x = 0; x < 4; ++x) ASSERT_EQ(At(pixels, 300 + x, 200 + y), Texel(x + 2, y + 1)) << x << "," << y;
    for (auto [x, y] : {std::pair{99, 60}, {108, 60}, {100, 59}, {100, 68}, {304, 200}, {300, 204}})
        EXPECT_EQ(At(pixels, x, y), kBackground) << x << "," << y;
}

// Scale about the top left, turn about the given centre (+90 degrees takes the
// sprite's x axis onto the screen's downward y), then move.
TEST_F(D3DXSpriteTest, ScaleRotationAndTranslationPlaceTheSpriteAsD3DXDoes) {
    IDirect3DTexture8* t = MakeTexture(8, 4, [](UINT x, UINT) { return x < 4 ? 0xFFFF0000u : 0xFF0000FFu; });
    const D3DXVECTOR2 scale(2, 3), centre(8, 6), at(200, 100);
    ASSERT_EQ(sprite->Draw(t, nullptr, &scale, &centre, D3DX_PI / 2, &at, 0xFF80FF40), D3D_OK);
    std::vector<uint32_t> pixels = Finish();
    // 16 x 12 after scaling, turned about (208, 106): x 202..213, y 98..113.
    for (int y = 98; y <= 113; ++y)
        for (int x = 202; x <= 213; ++x)
            ASSERT_EQ(At(pixels, x, y), y < 106 ? 0xFF800000u : 0xFF000040u) << x << "," << y;
    for (auto [x, y] : {std::pair{201, 100}, {214, 100}, {207, 97}, {207, 114}})
        EXPECT_EQ(At(pixels, x, y), kBackground) << x << "," << y;
}

TEST_F(D3DXSpriteTest, DrawTransformTakesTheWholeMatrix) {
    IDirect3DTexture8* t = MakeTexture(8, 8, Texel);
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = -1.0f;  // mirrored left to right, then moved back onto the screen
    m._41 = 58.0f;
    m._42 = 20.0f;
    ASSERT_EQ(sprite->DrawTransform(t, nullptr, &m, 0xFFFFFFFF), D3D_OK);
    std::vector<uint32_t> pixels = Finish();
    for (UINT y = 0; y < 8; ++y)
        for (UINT x = 0; x < 8; ++x) ASSERT_EQ(At(pixels, 50 + x, 20 + y), Texel(7 - x, y)) << x << "," << y;
}

TEST_F(D3DXSpriteTest, TheColourModulatesTexelsAndItsAlphaBlends) {
    IDirect3DTexture8* white = Solid(0xFFFFFFFF);
    IDirect3DTexture8* halfAlpha = Solid(0x80FFFFFF);
    const D3DXVECTOR2 a(10, 10), b(20, 10), c(30, 10);
    sprite->Begin();
    sprite->Draw(white, nullptr, nullptr, nullptr, 0, &a, 0xFF4080C0);
    sprite->Draw(white, nullptr, nullptr, nullptr, 0, &b, 0x80FFFFFF);
    sprite->Draw(halfAlpha, nullptr, nullptr, nullptr, 0, &c, 0xFFFF0000);
    sprite->End();
    std::vector<uint32_t> pixels = Finish();
    EXPECT_EQ(At(pixels, 11, 11), 0xFF4080C0u);
    // Half of white over the background, from the colour's alpha and from the texel's.
    const uint32_t overBackground = D3DCOLOR_XRGB(0x8F, 0x97, 0x9F);
    EXPECT_LE(RgbDistance(At(pixels, 21, 11), overBackground), 2) << std::hex << At(pixels, 21, 11);
    EXPECT_LE(RgbDistance(At(pixels, 31, 11), D3DCOLOR_XRGB(0x8F, 0x18, 0x20)), 2) << std::hex << At(pixels, 31, 11);
}

// Batches are split where the texture changes, so a later sprite of an earlier
// texture still covers the one drawn between them.
TEST_F(D3DXSpriteTest, BatchesKeepTheOrderOfDrawing) {
    IDirect3DTexture8* red = Solid(0xFFFF0000);
    IDirect3DTexture8* green = Solid(0xFF00FF00);
    const D3DXVECTOR2 p0(40, 40), p1(50, 40), p2(44, 40), big(4, 4);  // 16 x 16 each
    sprite->Begin();
    sprite->Draw(red, nullptr, &big, nullptr, 0, &p0, 0xFFFFFFFF);
    sprite->Draw(green, nullptr, &big, nullptr, 0, &p1, 0xFFFFFFFF);
    sprite->Draw(red, nullptr, &big, nullptr, 0, &p2, 0xFFFFFFFF);
    sprite->End();
    std::vector<uint32_t> pixels = Finish();
    EXPECT_EQ(At(pixels, 40, 41), 0xFFFF0000u);
    EXPECT_EQ(At(pixels, 52, 41), 0xFFFF0000u);  // the last red over the green
    EXPECT_EQ(At(pixels, 62, 41), 0xFF00FF00u);
}

TEST_F(D3DXSpriteTest, EndAndALoneDrawPutBackEveryStateTheyChange) {
    IDirect3DTexture8* own = Solid(0xFF0000FF);
    IDirect3DTexture8* other = Solid(0xFFFFFF00);
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, kScreenFvf, D3DPOOL_MANAGED, &vb), D3D_OK);
    const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE},      {D3DRS_CULLMODE, D3DCULL_CW},        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},   {D3DRS_DESTBLEND, D3DBLEND_ZERO},    {D3DRS_FOGENABLE, TRUE},
        {D3DRS_ALPHATESTENABLE, TRUE},    {D3DRS_LIGHTING, TRUE},              {D3DRS_STENCILENABLE, TRUE},
    };
    for (auto [s, v] : states) device->SetRenderState(s, v);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTexture(0, own);
    device->SetVertexShader(kScreenFvf);
    device->SetStreamSource(0, vb, sizeof(ScreenVertex));

    auto expectUnchanged = [&](const char* when) {
        for (auto [s, v] : states) {
            DWORD now = 0;
            device->GetRenderState(s, &now);
            EXPECT_EQ(now, v) << when << ": render state " << s;
        }
        DWORD op = 0, arg = 0, address = 0, op1 = 0, shader = 0;
        device->GetTextureStageState(0, D3DTSS_COLOROP, &op);
        device->GetTextureStageState(0, D3DTSS_ALPHAARG1, &arg);
        device->GetTextureStageState(0, D3DTSS_ADDRESSU, &address);
        device->GetTextureStageState(1, D3DTSS_COLOROP, &op1);
        EXPECT_EQ(op, DWORD(D3DTOP_SELECTARG2)) << when;
        EXPECT_EQ(arg, DWORD(D3DTA_DIFFUSE)) << when;
        EXPECT_EQ(address, DWORD(D3DTADDRESS_WRAP)) << when;
        EXPECT_EQ(op1, DWORD(D3DTOP_MODULATE)) << when;
        IDirect3DBaseTexture8* bound = nullptr;
        device->GetTexture(0, &bound);
        EXPECT_EQ(bound, static_cast<IDirect3DBaseTexture8*>(own)) << when;
        if (bound) bound->Release();
        device->GetVertexShader(&shader);
        EXPECT_EQ(shader, kScreenFvf) << when;
        IDirect3DVertexBuffer8* stream = nullptr;
        UINT stride = 0;
        device->GetStreamSource(0, &stream, &stride);
        EXPECT_EQ(stream, vb) << when;
        EXPECT_EQ(stride, sizeof(ScreenVertex)) << when;
        if (stream) stream->Release();
    };

    const D3DXVECTOR2 a(10, 100), b(20, 100);
    ASSERT_EQ(sprite->Begin(), D3D_OK);
    EXPECT_EQ(sprite->Begin(), D3DERR_INVALIDCALL);
    sprite->Draw(other, nullptr, nullptr, nullptr, 0, &a, 0xFFFFFFFF);
    sprite->Draw(own, nullptr, nullptr, nullptr, 0, &b, 0xFFFFFFFF);
    ASSERT_EQ(sprite->End(), D3D_OK);
    expectUnchanged("after End");
    EXPECT_EQ(sprite->End(), D3DERR_INVALIDCALL);

    const D3DXVECTOR2 c(30, 100);
    ASSERT_EQ(sprite->Draw(other, nullptr, nullptr, nullptr, 0, &c, 0xFFFFFFFF), D3D_OK);
    expectUnchanged("after a draw outside Begin and End");

    device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    std::vector<uint32_t> pixels = Finish();
    EXPECT_EQ(At(pixels, 11, 101), 0xFFFFFF00u);
    EXPECT_EQ(At(pixels, 21, 101), 0xFF0000FFu);
    EXPECT_EQ(At(pixels, 31, 101), 0xFFFFFF00u);
    device->SetStreamSource(0, nullptr, 0);
    device->SetTexture(0, nullptr);
    vb->Release();
}

TEST_F(D3DXSpriteTest, RefusesWhatItCannotDraw) {
    IDirect3DTexture8* t = Solid(0xFFFFFFFF);
    const RECT empty{2, 2, 2, 3}, flipped{3, 0, 1, 2};
    EXPECT_EQ(sprite->Draw(nullptr, nullptr, nullptr, nullptr, 0, nullptr, 0xFFFFFFFF), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->Draw(t, &empty, nullptr, nullptr, 0, nullptr, 0xFFFFFFFF), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->Draw(t, &flipped, nullptr, nullptr, 0, nullptr, 0xFFFFFFFF), D3DERR_INVALIDCALL);
    EXPECT_EQ(sprite->DrawTransform(t, nullptr, nullptr, 0xFFFFFFFF), D3DERR_INVALIDCALL);
    ID3DXSprite* none = sprite;
    EXPECT_EQ(D3DXCreateSprite(nullptr, &none), D3DERR_INVALIDCALL);
    EXPECT_EQ(none, nullptr);
    std::vector<uint32_t> pixels = Finish();
    EXPECT_EQ(At(pixels, 1, 1), kBackground);
}

}  // namespace
