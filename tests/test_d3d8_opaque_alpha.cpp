// Blending is left off where it cannot change a pixel: source alpha blending
// with an alpha that is 1 by construction. The picture must not change, and a
// draw whose alpha can be below 1 must still blend.
#include <cstring>

#include "d3d8/gl_api.h"
#include "d3d8/opaque_alpha.h"
#include "tests/d3d8_fixture.h"

using namespace d3dtest;
using namespace nol::d3d8;

namespace {

ShaderKey OneStage(uint8_t alphaOp, uint8_t arg1, uint8_t arg2, bool sampled = true) {
    ShaderKey k;
    std::memset(&k, 0, sizeof k);
    k.stageCount = 1;
    k.stages[0].colorOp = D3DTOP_MODULATE;
    k.stages[0].alphaOp = alphaOp;
    k.stages[0].alphaArg[1] = arg1;
    k.stages[0].alphaArg[2] = arg2;
    k.stages[0].sampled = sampled;
    return k;
}

TEST(OpaqueAlpha, OnlyInputsThatAreOneGiveOne) {
    AlphaSources opaque;
    opaque.diffuse = true;
    opaque.texture[0] = true;
    AlphaSources alphaTexture = opaque;
    alphaTexture.texture[0] = false;

    const ShaderKey modulate = OneStage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    EXPECT_TRUE(OutputAlphaIsOne(modulate, opaque));
    EXPECT_FALSE(OutputAlphaIsOne(modulate, alphaTexture));
    // A stage without its texture reads white.
    EXPECT_TRUE(OutputAlphaIsOne(OneStage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, false), alphaTexture));
    EXPECT_TRUE(OutputAlphaIsOne(OneStage(D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE), alphaTexture));
    EXPECT_FALSE(OutputAlphaIsOne(OneStage(D3DTOP_SELECTARG1, D3DTA_TFACTOR, 0), opaque));
    EXPECT_FALSE(OutputAlphaIsOne(OneStage(D3DTOP_SELECTARG1, D3DTA_DIFFUSE | D3DTA_COMPLEMENT, 0), opaque));
    EXPECT_FALSE(OutputAlphaIsOne(OneStage(D3DTOP_SUBTRACT, D3DTA_DIFFUSE, D3DTA_TEXTURE), opaque));
    EXPECT_FALSE(OutputAlphaIsOne(OneStage(D3DTOP_BLENDDIFFUSEALPHA, D3DTA_DIFFUSE, D3DTA_TEXTURE), opaque));
    EXPECT_FALSE(OutputAlphaIsOne(OneStage(D3DTOP_SELECTARG1, D3DTA_SPECULAR, 0), opaque));

    // No stages: the diffuse alpha. A result sent to temp leaves current alone,
    // and temp starts at 0.
    ShaderKey none;
    std::memset(&none, 0, sizeof none);
    EXPECT_TRUE(OutputAlphaIsOne(none, opaque));
    EXPECT_FALSE(OutputAlphaIsOne(none, AlphaSources{}));
    ShaderKey temp = OneStage(D3DTOP_SELECTARG1, D3DTA_TFACTOR, 0);
    temp.stages[0].resultTemp = 1;
    temp.stages[1] = OneStage(D3DTOP_SELECTARG1, D3DTA_TEMP, 0).stages[0];
    temp.stageCount = 2;
    EXPECT_FALSE(OutputAlphaIsOne(temp, opaque));
    temp.stages[1].alphaArg[1] = D3DTA_CURRENT;
    EXPECT_TRUE(OutputAlphaIsOne(temp, opaque));
}

TEST(OpaqueAlpha, BlendingIsACopyOnlyForTheSourceAlphaPairAtFullAlpha) {
    EXPECT_TRUE(BlendIsCopy(D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD, false));
    EXPECT_TRUE(BlendIsCopy(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD, true));
    EXPECT_TRUE(BlendIsCopy(D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD, true));
    EXPECT_FALSE(BlendIsCopy(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD, false));
    EXPECT_FALSE(BlendIsCopy(D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, true));
    EXPECT_FALSE(BlendIsCopy(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_REVSUBTRACT, true));
    const uint8_t vertices[8] = {1, 2, 3, 0xFF, 4, 5, 6, 0xFE};
    EXPECT_TRUE(DiffuseAlphaIsOne(vertices, 1, 4, 0));
    EXPECT_FALSE(DiffuseAlphaIsOne(vertices, 2, 4, 0));
}

class D3DOpaqueAlpha : public D3DDeviceTest {
protected:
    void SetUp() override {
        D3DDeviceTest::SetUp();
        if (!Ready()) return;
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0), D3D_OK);
        PlainStates();
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    static bool Blending() {
        GLint on = -1;
        gl::GetIntegerv(GL_BLEND, &on);
        return on == GL_TRUE;
    }
};

TEST_F(D3DOpaqueAlpha, OpaqueColoursDrawWithoutBlendingAndOthersBlend) {
    FillRect(0, 0, 100, 100, 0xFFFF0000u);
    EXPECT_FALSE(Blending());
    // One vertex a step below opaque: the draw blends.
    const ScreenVertex quad[4] = {{100, 0, 0, 1, 0xFFFF0000u}, {200, 0, 0, 1, 0xFFFF0000u},
                                  {100, 100, 0, 1, 0xFFFF0000u}, {200, 100, 0, 1, 0x00FF0000u}};
    DrawScreen(D3DPT_TRIANGLESTRIP, 2, quad);
    EXPECT_TRUE(Blending());
    // The material's alpha counts when lighting takes the diffuse colour from it.
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
    D3DMATERIAL8 m{};
    m.Ambient = {0, 1, 0, 1};
    m.Diffuse = {0, 0, 0, 0.5f};
    device->SetMaterial(&m);
    struct Lit {
        float x, y, z;
    } tri[3] = {{-1, -1, 0.5f}, {-1, 0, 0.5f}, {0, -1, 0.5f}};
    device->SetVertexShader(D3DFVF_XYZ);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(Lit));
    EXPECT_TRUE(Blending());
    m.Diffuse.a = 1.0f;
    device->SetMaterial(&m);
    device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(Lit));
    EXPECT_FALSE(Blending());
    device->EndScene();

    auto px = ReadBack();
    EXPECT_EQ(At(px, 50, 50), 0xFFFF0000u);
    EXPECT_GT(Channel(At(px, 199, 99), 0), 240);  // almost wholly the blue below
    EXPECT_GT(Channel(At(px, 180, 80), 0), 0);    // partly blue, partly red
    EXPECT_GT(Channel(At(px, 180, 80), 16), 0);
    EXPECT_EQ(At(px, 10, 470), 0xFF00FF00u);             // the lit triangle, opaque
}

TEST_F(D3DOpaqueAlpha, AVertexBufferIsLookedAtAgainWhenItsContentsChange) {
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(ScreenVertex), 0, kScreenFvf, D3DPOOL_MANAGED, &vb), D3D_OK);
    auto fill = [&](D3DCOLOR c) {
        ScreenVertex* v = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, reinterpret_cast<BYTE**>(&v), 0), D3D_OK);
        const ScreenVertex quad[4] = {{0, 0, 0, 1, c}, {64, 0, 0, 1, c}, {0, 64, 0, 1, c}, {64, 64, 0, 1, c}};
        std::memcpy(v, quad, sizeof quad);
        vb->Unlock();
    };
    device->SetVertexShader(kScreenFvf);
    fill(0xFFFFFFFFu);
    device->SetStreamSource(0, vb, sizeof(ScreenVertex));
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_FALSE(Blending());
    fill(0x80FFFFFFu);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_TRUE(Blending());
    device->EndScene();
    // Half white over white: white; the blue around stays.
    auto px = ReadBack();
    EXPECT_EQ(At(px, 32, 32), 0xFFFFFFFFu);
    EXPECT_EQ(At(px, 64, 64), 0xFF0000FFu);
    device->SetStreamSource(0, nullptr, 0);
    vb->Release();
}

}  // namespace
