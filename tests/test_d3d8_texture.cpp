// Textures, surfaces, locks, texture stages, render targets and CopyRects of the
// Direct3D stand-in, checked through drawing and read-back.
#include <cstring>

#include "tests/d3d8_fixture.h"

using namespace d3dtest;

namespace {

// Reference decoding of one texel, written out per format.
uint32_t Expand(D3DFORMAT f, uint32_t raw) {
    auto rep5 = [](uint32_t v) { return (v << 3) | (v >> 2); };
    auto rep6 = [](uint32_t v) { return (v << 2) | (v >> 4); };
    switch (f) {
        case D3DFMT_A8R8G8B8: return raw;
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R8G8B8: return 0xFF000000u | (raw & 0xFFFFFF);
        case D3DFMT_R5G6B5:
            return D3DCOLOR_ARGB(255, rep5(raw >> 11 & 31), rep6(raw >> 5 & 63), rep5(raw & 31));
        case D3DFMT_X1R5G5B5:
            return D3DCOLOR_ARGB(255, rep5(raw >> 10 & 31), rep5(raw >> 5 & 31), rep5(raw & 31));
        case D3DFMT_A1R5G5B5:
            return D3DCOLOR_ARGB(raw & 0x8000 ? 255 : 0, rep5(raw >> 10 & 31), rep5(raw >> 5 & 31),
                                 rep5(raw & 31));
        case D3DFMT_A4R4G4B4:
            return D3DCOLOR_ARGB((raw >> 12) * 17, (raw >> 8 & 15) * 17, (raw >> 4 & 15) * 17,
                                 (raw & 15) * 17);
        default: return 0;
    }
}

UINT BytesPerTexel(D3DFORMAT f) {
    switch (f) {
        case D3DFMT_R8G8B8: return 3;
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: return 4;
        default: return 2;
    }
}

void PutTexel(uint8_t* p, UINT bytes, uint32_t raw) {
    for (UINT i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(raw >> (8 * i));
}

uint32_t GetTexel(const uint8_t* p, UINT bytes) {
    uint32_t v = 0;
    for (UINT i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}

// Blending the texel over black with its own alpha.
uint32_t OverBlack(uint32_t argb) {
    double a = (argb >> 24) / 255.0;
    auto c = [a](uint32_t v) { return static_cast<int>(std::lround(v * a)); };
    return D3DCOLOR_XRGB(c(argb >> 16 & 255), c(argb >> 8 & 255), c(argb & 255));
}

class D3DTexture : public D3DDeviceTest {
protected:
    void SetUp() override {
        D3DDeviceTest::SetUp();
        if (!Ready()) return;
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
        PlainStates();
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    // A quad whose texels land on whole pixels: texture (0..1) over
    // [x, x + size) x [y, y + size).
    void DrawTextured(float x, float y, float size, D3DCOLOR c = 0xFFFFFFFFu, float uMax = 1.0f) {
        x -= 0.5f;
        y -= 0.5f;
        const ScreenTexVertex quad[4] = {{x, y, 0, 1, c, 0, 0},
                                         {x + size, y, 0, 1, c, uMax, 0},
                                         {x, y + size, 0, 1, c, 0, uMax},
                                         {x + size, y + size, 0, 1, c, uMax, uMax}};
        ASSERT_EQ(device->SetVertexShader(kScreenTexFvf), D3D_OK);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenTexVertex)), D3D_OK);
    }

    IDirect3DTexture8* MakeTexture(UINT w, UINT h, D3DFORMAT f, const std::vector<uint32_t>& raw,
                                   D3DPOOL pool = D3DPOOL_MANAGED) {
        IDirect3DTexture8* t = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, 1, 0, f, pool, &t), D3D_OK);
        if (!t) return nullptr;
        D3DLOCKED_RECT lr{};
        EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
        const UINT bpp = BytesPerTexel(f);
        for (UINT y = 0; y < h; ++y)
            for (UINT x = 0; x < w; ++x)
                PutTexel(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * bpp, bpp, raw[y * w + x]);
        EXPECT_EQ(t->UnlockRect(0), D3D_OK);
        return t;
    }
};

TEST_F(D3DTexture, EveryFormatRoundTripsThroughLockAndDraw) {
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5,
                                 D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R8G8B8};
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
    uint32_t seed = 12345;
    int column = 0;
    std::vector<std::vector<uint32_t>> raws;
    for (D3DFORMAT f : formats) {
        const UINT bpp = BytesPerTexel(f);
        std::vector<uint32_t> raw(16);
        for (auto& r : raw) {
            seed = seed * 1103515245u + 12345u;
            r = (seed >> 3) & (bpp == 4 ? 0xFFFFFFFFu : bpp == 3 ? 0xFFFFFFu : 0xFFFFu);
        }
        raws.push_back(raw);
        IDirect3DTexture8* t = MakeTexture(4, 4, f, raw);
        ASSERT_NE(t, nullptr) << f;
        D3DSURFACE_DESC d{};
        ASSERT_EQ(t->GetLevelDesc(0, &d), D3D_OK);
        EXPECT_EQ(d.Format, f);
        EXPECT_EQ(d.Width, 4u);
        EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
        // What was written reads back unchanged.
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(t->LockRect(0, &lr, nullptr, D3DLOCK_READONLY), D3D_OK);
        for (UINT i = 0; i < 16; ++i)
            EXPECT_EQ(GetTexel(static_cast<uint8_t*>(lr.pBits) + (i / 4) * lr.Pitch + (i % 4) * bpp, bpp), raw[i]);
        ASSERT_EQ(t->UnlockRect(0), D3D_OK);
        ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
        DrawTextured(static_cast<float>(column * 50), 0, 40);
        t->Release();  // the device still holds it for the draw just made
        ++column;
    }
    auto px = ReadBack();
    column = 0;
    for (D3DFORMAT f : formats) {
        for (UINT i = 0; i < 16; ++i) {
            int x = column * 50 + static_cast<int>(i % 4) * 10 + 5, y = static_cast<int>(i / 4) * 10 + 5;
            uint32_t want = OverBlack(Expand(f, raws[column][i]));
            EXPECT_LE(RgbDistance(At(px, x, y), want), 1) << "format " << f << " texel " << i;
        }
        ++column;
    }
}

TEST_F(D3DTexture, ModulateWithPointFilteringIsTexelExact) {
    std::vector<uint32_t> raw(64);
    for (UINT i = 0; i < 64; ++i) raw[i] = 0xFF000000u | (i * 4) << 16 | (255 - i * 4) << 8 | ((i * 37) & 255);
    IDirect3DTexture8* t = MakeTexture(8, 8, D3DFMT_A8R8G8B8, raw);
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    DrawTextured(0, 0, 64, 0xFF808080u);  // default stage 0: texture × diffuse
    auto px = ReadBack();
    int bad = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint32_t texel = raw[(y / 8) * 8 + x / 8];
            auto m = [](uint32_t v) { return static_cast<int>(std::lround(v * 128.0 / 255.0)); };
            uint32_t want = D3DCOLOR_XRGB(m(texel >> 16 & 255), m(texel >> 8 & 255), m(texel & 255));
            if (RgbDistance(At(px, x, y), want) > 1 && bad++ < 5) ADD_FAILURE() << x << "," << y;
        }
    EXPECT_EQ(bad, 0);
    t->Release();
}

TEST_F(D3DTexture, WithoutTextureTheDiffuseColourAndAlphaPass) {
    ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA), D3D_OK);
    DrawTextured(0, 0, 20, 0x80FF4020u);
    auto px = ReadBack();
    EXPECT_LE(RgbDistance(At(px, 10, 10), OverBlack(0x80FF4020u)), 1);
}

TEST_F(D3DTexture, StageOperationsAndArguments) {
    IDirect3DTexture8* t = MakeTexture(1, 1, D3DFMT_A8R8G8B8, {0x80604020u});
    IDirect3DTexture8* t2 = MakeTexture(1, 1, D3DFMT_A8R8G8B8, {0xFF808080u});
    ASSERT_NE(t, nullptr);
    ASSERT_NE(t2, nullptr);
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    const D3DCOLOR diffuse = 0xFF102030u;
    struct Case {
        DWORD op, arg1, arg2;
        uint32_t want;
    } cases[] = {
        {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF604020u},
        {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF102030u},
        {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF706050u},
        {D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF502000u},
        {D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, 0xFF336699u},
        {D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, 0xFF9FBFDFu},
        {D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE, 0xFF808080u},
        {D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFF383028u},
        {D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_TFACTOR, 0xFF263326u},
    };
    ASSERT_EQ(device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF336699u), D3D_OK);
    int x = 0;
    for (const Case& c : cases) {
        ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, c.op), D3D_OK);
        ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1), D3D_OK);
        ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2), D3D_OK);
        DrawTextured(static_cast<float>(x), 0, 10, diffuse);
        x += 10;
    }
    // Two stages: stage 1 multiplies the first stage's result by a grey texture.
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE), D3D_OK);
    ASSERT_EQ(device->SetTexture(1, t2), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2), D3D_OK);
    DrawTextured(200, 0, 10, diffuse);
    auto px = ReadBack();
    x = 0;
    for (const Case& c : cases) {
        EXPECT_LE(RgbDistance(At(px, x + 5, 5), c.want), 1) << "op " << c.op << " arg1 " << c.arg1;
        x += 10;
    }
    EXPECT_LE(RgbDistance(At(px, 205, 5), 0xFF302010u), 1);
    // Operations this layer does not have are refused.
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATEALPHA_ADDCOLOR), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, D3DTSS_COLORARG1, 0x40), D3DERR_INVALIDCALL);
    t->Release();
    t2->Release();
}

TEST_F(D3DTexture, AddressModesAndLinearFiltering) {
    IDirect3DTexture8* t = MakeTexture(2, 1, D3DFMT_X8R8G8B8, {0x000000u, 0xFFFFFFu});
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    // Wrap (default): u 0..2 repeats the pair.
    DrawTextured(0, 0, 40, 0xFFFFFFFFu, 2.0f);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP), D3D_OK);
    DrawTextured(100, 0, 40, 0xFFFFFFFFu, 2.0f);
    // Linear: halfway between the texel centres is mid grey.
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
    const ScreenTexVertex quad[4] = {{200, 0, 0, 1, 0xFFFFFFFFu, 0.5f, 0}, {201, 0, 0, 1, 0xFFFFFFFFu, 0.5f, 0},
                                     {200, 1, 0, 1, 0xFFFFFFFFu, 0.5f, 1}, {201, 1, 0, 1, 0xFFFFFFFFu, 0.5f, 1}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenTexVertex)), D3D_OK);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 5, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(At(px, 15, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(At(px, 25, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(At(px, 35, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(At(px, 105, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(At(px, 125, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(At(px, 135, 5) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_LE(RgbDistance(At(px, 200, 0), 0xFF808080u), 1);
    t->Release();
}

TEST_F(D3DTexture, LocksAreCheckedAgainstTheResource) {
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 16, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &t), D3D_OK);
    EXPECT_EQ(t->GetLevelCount(), 7u);
    D3DSURFACE_DESC d{};
    ASSERT_EQ(t->GetLevelDesc(6, &d), D3D_OK);
    EXPECT_EQ(d.Width, 1u);
    EXPECT_EQ(d.Height, 1u);
    ASSERT_EQ(t->GetLevelDesc(2, &d), D3D_OK);
    EXPECT_EQ(d.Width, 16u);
    EXPECT_EQ(d.Height, 4u);
    EXPECT_EQ(t->GetLevelDesc(7, &d), D3DERR_INVALIDCALL);

    D3DLOCKED_RECT whole{}, part{};
    const RECT sub{4, 2, 8, 6};
    ASSERT_EQ(t->LockRect(0, &whole, nullptr, 0), D3D_OK);
    EXPECT_EQ(t->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
    ASSERT_EQ(t->LockRect(0, &part, &sub, 0), D3D_OK);
    EXPECT_EQ(part.Pitch, whole.Pitch);
    EXPECT_EQ(static_cast<uint8_t*>(part.pBits), static_cast<uint8_t*>(whole.pBits) + 2 * whole.Pitch + 4 * 2);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    const RECT outside[] = {{60, 0, 65, 4}, {0, 10, 4, 17}, {-1, 0, 4, 4}, {5, 5, 5, 6}, {6, 0, 2, 4}};
    for (const RECT& r : outside) EXPECT_EQ(t->LockRect(0, &part, &r, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->LockRect(7, &part, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->LockRect(0, &part, nullptr, 0x1), D3DERR_INVALIDCALL);  // not a lock flag
    // A surface of a level is the texture's: it keeps the texture alive.
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(t->GetSurfaceLevel(1, &level), D3D_OK);
    EXPECT_EQ(t->Release(), 1u);
    ASSERT_EQ(level->GetDesc(&d), D3D_OK);
    EXPECT_EQ(d.Width, 32u);
    IDirect3DTexture8* container = nullptr;
    ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture8, reinterpret_cast<void**>(&container)), D3D_OK);
    EXPECT_EQ(container, t);
    container->Release();
    EXPECT_EQ(level->Release(), 0u);

    // Default-pool textures cannot be locked unless dynamic; render targets never.
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t), D3D_OK);
    EXPECT_EQ(t->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);
    t->Release();
    ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t), D3D_OK);
    EXPECT_EQ(t->LockRect(0, &part, nullptr, D3DLOCK_DISCARD), D3D_OK);
    t->UnlockRect(0);
    t->Release();
    ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &t), D3D_OK);
    EXPECT_EQ(t->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);
    t->Release();
    // System-memory textures are lockable but cannot be drawn with.
    ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &t), D3D_OK);
    EXPECT_EQ(t->LockRect(0, &part, nullptr, D3DLOCK_READONLY), D3D_OK);
    t->UnlockRect(0);
    EXPECT_EQ(device->SetTexture(0, t), D3DERR_INVALIDCALL);
    t->Release();
}

TEST_F(D3DTexture, CreationRefusesWhatCannotBeMade) {
    IDirect3DTexture8* t = reinterpret_cast<IDirect3DTexture8*>(1);
    EXPECT_EQ(device->CreateTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(t, nullptr);
    EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, static_cast<D3DPOOL>(3), &t), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t),
              D3DERR_INVALIDCALL);
    D3DCAPS8 caps;
    ASSERT_EQ(device->GetDeviceCaps(&caps), D3D_OK);
    EXPECT_EQ(device->CreateTexture(caps.MaxTextureWidth + 1, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t),
              D3DERR_INVALIDCALL);
    IDirect3DVertexBuffer8* vb = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vb), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(64, 0, D3DFVF_XYZB2, D3DPOOL_MANAGED, &vb), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(8, 0, kColorFvf, D3DPOOL_MANAGED, &vb), D3DERR_INVALIDCALL);
    IDirect3DIndexBuffer8* ib = nullptr;
    EXPECT_EQ(device->CreateIndexBuffer(64, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &ib), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
    BYTE* data = nullptr;
    EXPECT_EQ(vb->Lock(60, 8, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(vb->Lock(65, 0, &data, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(vb->Lock(60, 0, &data, 0), D3D_OK);  // to the end
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
    vb->Release();
}

TEST_F(D3DTexture, RenderTargetTexturesAreDrawnIntoAndSampled) {
    IDirect3DTexture8* target = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 64, 1, D3DUSAGE_RENDERTARGET, desktop.Format, D3DPOOL_DEFAULT, &target), D3D_OK);
    D3DSURFACE_DESC d{};
    ASSERT_EQ(target->GetLevelDesc(0, &d), D3D_OK);
    EXPECT_EQ(d.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    EXPECT_EQ(d.Pool, D3DPOOL_DEFAULT);
    IDirect3DSurface8* depth = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(64, 64, D3DFMT_D16, D3DMULTISAMPLE_NONE, &depth), D3D_OK);
    IDirect3DSurface8* surface = nullptr;
    IDirect3DSurface8* savedTarget = nullptr;
    IDirect3DSurface8* savedDepth = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&savedTarget), D3D_OK);
    ASSERT_EQ(device->GetDepthStencilSurface(&savedDepth), D3D_OK);
    ASSERT_EQ(target->GetSurfaceLevel(0, &surface), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(surface, depth), D3D_OK);
    D3DVIEWPORT8 vp{};
    ASSERT_EQ(device->GetViewport(&vp), D3D_OK);
    EXPECT_EQ(vp.Width, 64u);  // the viewport follows the target
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    FillRect(0, 0, 32, 32, 0xFFFF0000u);
    auto inside = ReadBack(surface);
    EXPECT_EQ(At(inside, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(At(inside, 40, 40), 0xFF0000FFu);

    ASSERT_EQ(device->SetRenderTarget(savedTarget, savedDepth), D3D_OK);
    // A depth buffer smaller than the target is refused.
    EXPECT_EQ(device->SetRenderTarget(savedTarget, depth), D3DERR_INVALIDCALL);
    IDirect3DSurface8* memory = nullptr;
    ASSERT_EQ(device->CreateImageSurface(64, 64, desktop.Format, &memory), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(memory, nullptr), D3DERR_INVALIDCALL);
    memory->Release();
    savedTarget->Release();
    savedDepth->Release();
    surface->Release();
    depth->Release();

    ASSERT_EQ(device->SetTexture(0, target), D3D_OK);
    ASSERT_EQ(device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1), D3D_OK);
    DrawTextured(100, 100, 64);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 110, 110), 0xFFFF0000u);  // row 0 of the texture is its top
    EXPECT_EQ(At(px, 150, 150), 0xFF0000FFu);
    EXPECT_EQ(At(px, 150, 110), 0xFF0000FFu);
    target->Release();
}

TEST_F(D3DTexture, CopyRectsBetweenTargetsAndMemory) {
    ASSERT_EQ(device->EndScene(), D3D_OK);
    const D3DRECT spot{100, 50, 104, 54};
    ASSERT_EQ(device->Clear(1, &spot, D3DCLEAR_TARGET, 0xFF123456u, 1.0f, 0), D3D_OK);
    IDirect3DSurface8* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(device->CreateImageSurface(4, 4, desktop.Format, &image), D3D_OK);
    // The way the framework reads one screen pixel: (x, y, x + 3, y + 3) to (0, 0).
    const RECT r{101, 51, 104, 54};
    const POINT to{0, 0};
    ASSERT_EQ(device->CopyRects(back, &r, 1, image, &to), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(image->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t first = 0;
    std::memcpy(&first, lr.pBits, desktop.Format == D3DFMT_X8R8G8B8 ? 4 : 2);
    if (desktop.Format == D3DFMT_X8R8G8B8) {
        EXPECT_EQ(first & 0xFFFFFF, 0x123456u);
    }
    image->UnlockRect();

    // Memory to a managed texture, which then draws it.
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, desktop.Format, D3DPOOL_MANAGED, &t), D3D_OK);
    IDirect3DSurface8* level = nullptr;
    ASSERT_EQ(t->GetSurfaceLevel(0, &level), D3D_OK);
    ASSERT_EQ(device->CopyRects(image, nullptr, 0, level, nullptr), D3D_OK);
    // Back buffer to back buffer is refused (same surface); so are mismatched formats
    // and rectangles outside either surface.
    EXPECT_EQ(device->CopyRects(back, nullptr, 0, back, nullptr), D3DERR_INVALIDCALL);
    IDirect3DSurface8* other = nullptr;
    ASSERT_EQ(device->CreateImageSurface(4, 4, D3DFMT_A4R4G4B4, &other), D3D_OK);
    EXPECT_EQ(device->CopyRects(image, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);
    other->Release();
    const RECT tooBig{0, 0, 5, 4};
    EXPECT_EQ(device->CopyRects(image, &tooBig, 1, level, &to), D3DERR_INVALIDCALL);
    const POINT off{2, 2};
    EXPECT_EQ(device->CopyRects(image, nullptr, 0, level, &off), D3DERR_INVALIDCALL);
    // Memory back onto the screen.
    const POINT screen{300, 300};
    ASSERT_EQ(device->CopyRects(image, nullptr, 0, back, &screen), D3D_OK);

    ASSERT_EQ(device->BeginScene(), D3D_OK);
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    DrawTextured(200, 200, 40);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 205, 205), 0xFF123456u);
    EXPECT_EQ(At(px, 235, 235), 0xFF000000u);  // texel (3, 3) came from outside the spot
    EXPECT_EQ(At(px, 300, 300), 0xFF123456u);
    EXPECT_EQ(At(px, 303, 303), 0xFF000000u);
    level->Release();
    t->Release();
    image->Release();
    back->Release();
}

// Once the driver has a managed texture, its own copy of 32-bit levels is dropped;
// locks and copies read it back unchanged, and a level written again keeps its copy.
TEST_F(D3DTexture, AManagedTextureIsHeldOnceAndReadBackWhenAskedFor) {
    const UINT w = 64, h = 64;
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(w, h, 2, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    auto texel = [](UINT level, UINT x, UINT y) {
        return 0xFF000000u | (x * 4 + level * 101) << 16 | (y * 4) << 8 | ((x * y + level) & 255);
    };
    for (UINT level = 0; level < 2; ++level) {
        D3DLOCKED_RECT lr{};
        ASSERT_EQ(t->LockRect(level, &lr, nullptr, 0), D3D_OK);
        for (UINT y = 0; y < (h >> level); ++y)
            for (UINT x = 0; x < (w >> level); ++x)
                PutTexel(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, 4, texel(level, x, y));
        ASSERT_EQ(t->UnlockRect(level), D3D_OK);
    }
    const size_t whole = size_t(w) * h * 4 + size_t(w / 2) * (h / 2) * 4;
    EXPECT_EQ(NolD3D8TextureBytesHeld(t), whole);
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    DrawTextured(0, 0, 64);
    EXPECT_EQ(NolD3D8TextureBytesHeld(t), 0u) << "the driver has both levels";

    // Level 1 read back through a copy into system memory.
    IDirect3DSurface8* small = nullptr;
    ASSERT_EQ(t->GetSurfaceLevel(1, &small), D3D_OK);
    IDirect3DSurface8* image = nullptr;
    ASSERT_EQ(device->CreateImageSurface(w / 2, h / 2, D3DFMT_X8R8G8B8, &image), D3D_OK);
    ASSERT_EQ(device->CopyRects(small, nullptr, 0, image, nullptr), D3D_OK);
    D3DLOCKED_RECT lr{};
    ASSERT_EQ(image->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    int bad = 0;
    for (UINT y = 0; y < h / 2; ++y)
        for (UINT x = 0; x < w / 2; ++x)
            bad += GetTexel(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, 4) != texel(1, x, y);
    EXPECT_EQ(bad, 0);
    image->UnlockRect();
    image->Release();
    small->Release();

    // Level 0 read back through a lock, then written: the next draw shows the write.
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    bad = 0;
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x)
            bad += GetTexel(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, 4) != texel(0, x, y);
    EXPECT_EQ(bad, 0);
    PutTexel(static_cast<uint8_t*>(lr.pBits), 4, 0xFF00FF00u);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    DrawTextured(100, 0, 64);
    auto px = ReadBack();
    EXPECT_EQ(At(px, 100, 0), 0xFF00FF00u);
    EXPECT_EQ(At(px, 110, 20), texel(0, 10, 20));
    EXPECT_EQ(NolD3D8TextureBytesHeld(t), whole) << "levels asked for keep their copies";
    t->Release();

    // A 16-bit texture keeps its copy: the driver stores it widened.
    IDirect3DTexture8* narrow = MakeTexture(8, 8, D3DFMT_R5G6B5, std::vector<uint32_t>(64, 0xF800u));
    ASSERT_NE(narrow, nullptr);
    ASSERT_EQ(device->SetTexture(0, narrow), D3D_OK);
    DrawTextured(200, 0, 8);
    EXPECT_EQ(NolD3D8TextureBytesHeld(narrow), 8u * 8 * 2);
    narrow->Release();
}

}  // namespace
