// Per-vertex lighting, material sources, normal scaling, specular and fog of the
// Direct3D stand-in, compared with the fixed-function formulas in read-back pixels.
#include <algorithm>
#include <cmath>

#include "tests/d3d8_fixture.h"

using namespace d3dtest;

namespace {

struct Rgb {
    double r, g, b;
};

// 0..1 channels to the 8-bit colour the back buffer holds.
uint32_t Expected(Rgb c) {
    auto q = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return D3DCOLOR_XRGB(q(c.r), q(c.g), q(c.b));
}

class D3DLighting : public D3DDeviceTest {
protected:
    void SetUp() override {
        D3DDeviceTest::SetUp();
        if (!Ready()) return;
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
        // Identity view and projection: eye space is clip space, the viewer looks
        // along +z. Lighting is on by default.
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_AMBIENT, 0xFF808080u);
        material.Diffuse = {0.8f, 0.6f, 0.4f, 1.0f};
        material.Ambient = {0.5f, 0.5f, 0.5f, 1.0f};
        material.Emissive = {0.1f, 0.0f, 0.05f, 0.0f};
        ASSERT_EQ(device->SetMaterial(&material), D3D_OK);
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        light.Ambient = {0.2f, 0.1f, 0.0f, 0.0f};
        light.Direction = {1.0f, -1.0f, 1.0f};
        ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
        ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    // A triangle around the centre of the screen facing the viewer (normal -z).
    void DrawFacing(float z = 0.5f) {
        const NormalVertex tri[3] = {{-0.5f, -0.5f, z, 0, 0, -1}, {0.0f, 0.5f, z, 0, 0, -1}, {0.5f, -0.5f, z, 0, 0, -1}};
        ASSERT_EQ(device->SetVertexShader(kNormalFvf), D3D_OK);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalVertex)), D3D_OK);
    }

    uint32_t Centre() {
        auto px = ReadBack();
        return At(px, 320, 260);
    }

    // The lighting formula for one directional light with the given diffuse colour
    // and normal scale (|N|), ambient and emissive from the material.
    Rgb Lit(Rgb diffuse, double normalScale) const {
        const double ga = 128.0 / 255.0;
        const double ndotl = normalScale / std::sqrt(3.0);  // N = (0,0,-1)·s, L = (-1,1,-1)/√3
        return {material.Emissive.r + material.Ambient.r * (ga + light.Ambient.r) + diffuse.r * light.Diffuse.r * ndotl,
                material.Emissive.g + material.Ambient.g * (ga + light.Ambient.g) + diffuse.g * light.Diffuse.g * ndotl,
                material.Emissive.b + material.Ambient.b * (ga + light.Ambient.b) + diffuse.b * light.Diffuse.b * ndotl};
    }

    D3DMATERIAL8 material{};
    D3DLIGHT8 light{};
};

TEST_F(D3DLighting, DirectionalLightFollowsTheFormula) {
    DrawFacing();
    EXPECT_LE(RgbDistance(Centre(), Expected(Lit({0.8, 0.6, 0.4}, 1.0))), 1);
}

TEST_F(D3DLighting, LightingOffPassesVertexColourOrWhite) {
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    DrawFacing();
    EXPECT_EQ(Centre(), 0xFFFFFFFFu);
    const NormalColorVertex tri[3] = {{-0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFF204060u},
                                      {0.0f, 0.5f, 0.5f, 0, 0, -1, 0xFF204060u},
                                      {0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFF204060u}};
    ASSERT_EQ(device->SetVertexShader(kNormalColorFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalColorVertex)), D3D_OK);
    EXPECT_EQ(Centre(), 0xFF204060u);
}

TEST_F(D3DLighting, VertexColourIsTheDiffuseMaterialByDefault) {
    const NormalColorVertex tri[3] = {{-0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFF00FF80u},
                                      {0.0f, 0.5f, 0.5f, 0, 0, -1, 0xFF00FF80u},
                                      {0.5f, -0.5f, 0.5f, 0, 0, -1, 0xFF00FF80u}};
    ASSERT_EQ(device->SetVertexShader(kNormalColorFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalColorVertex)), D3D_OK);
    const Rgb vertex{0.0, 1.0, 128.0 / 255.0};
    EXPECT_LE(RgbDistance(Centre(), Expected(Lit(vertex, 1.0))), 1);

    // Without COLORVERTEX the material's diffuse is back.
    device->SetRenderState(D3DRS_COLORVERTEX, FALSE);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalColorVertex)), D3D_OK);
    EXPECT_LE(RgbDistance(Centre(), Expected(Lit({0.8, 0.6, 0.4}, 1.0))), 1);

    // The vertex colour as ambient source instead.
    device->SetRenderState(D3DRS_COLORVERTEX, TRUE);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR1);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalColorVertex)), D3D_OK);
    const double ga = 128.0 / 255.0;
    const double k = 0.5 / std::sqrt(3.0);
    Rgb want{0.1 + vertex.r * (ga + 0.2) + 0.8 * k, 0.0 + vertex.g * (ga + 0.1) + 0.6 * k,
             0.05 + vertex.b * (ga + 0.0) + 0.4 * k};
    EXPECT_LE(RgbDistance(Centre(), Expected(want)), 1);

    // A source naming a colour the vertex lacks falls back to the material.
    device->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_COLOR2);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalColorVertex)), D3D_OK);
    EXPECT_LE(RgbDistance(Centre(), Expected(Lit({0.8, 0.6, 0.4}, 1.0))), 1);
}

TEST_F(D3DLighting, ScaledWorldScalesNormalsUnlessNormalised) {
    D3DMATRIX world = Identity();
    world._11 = world._22 = world._33 = 2.0f;  // normals come out half as long
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &world), D3D_OK);
    const NormalVertex tri[3] = {{-0.2f, -0.2f, 0.25f, 0, 0, -1}, {0.0f, 0.2f, 0.25f, 0, 0, -1}, {0.2f, -0.2f, 0.25f, 0, 0, -1}};
    ASSERT_EQ(device->SetVertexShader(kNormalFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalVertex)), D3D_OK);
    uint32_t darker = Centre();
    EXPECT_LE(RgbDistance(darker, Expected(Lit({0.8, 0.6, 0.4}, 0.5))), 1);

    ASSERT_EQ(device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalVertex)), D3D_OK);
    uint32_t normal = Centre();
    EXPECT_LE(RgbDistance(normal, Expected(Lit({0.8, 0.6, 0.4}, 1.0))), 1);
    EXPECT_GT(Channel(normal, 16), Channel(darker, 16));
}

TEST_F(D3DLighting, VerticesWithoutNormalsGetAmbientAndEmissiveOnly) {
    const ColorVertex tri[3] = {{-0.5f, -0.5f, 0.5f, 0xFFFFFFFFu}, {0.0f, 0.5f, 0.5f, 0xFFFFFFFFu}, {0.5f, -0.5f, 0.5f, 0xFFFFFFFFu}};
    ASSERT_EQ(device->SetVertexShader(kColorFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(ColorVertex)), D3D_OK);
    EXPECT_LE(RgbDistance(Centre(), Expected(Lit({1, 1, 1}, 0.0))), 1);
}

TEST_F(D3DLighting, PointLightAttenuatesWithDistanceAndRange) {
    // Three vertices at the same distance from a light on the axis: one colour.
    ASSERT_EQ(device->LightEnable(0, FALSE), D3D_OK);
    D3DLIGHT8 point{};
    point.Type = D3DLIGHT_POINT;
    point.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    point.Position = {0.0f, 0.0f, -0.1f};
    point.Range = 10.0f;
    point.Attenuation0 = 0.5f;
    point.Attenuation1 = 1.0f;
    ASSERT_EQ(device->SetLight(1, &point), D3D_OK);
    ASSERT_EQ(device->LightEnable(1, TRUE), D3D_OK);
    const float r = 0.6f, z = 0.3f;
    const NormalVertex tri[3] = {{0.0f, r, z, 0, 0, -1},
                                 {r * 0.8660254f, -r * 0.5f, z, 0, 0, -1},
                                 {-r * 0.8660254f, -r * 0.5f, z, 0, 0, -1}};
    ASSERT_EQ(device->SetVertexShader(kNormalFvf), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalVertex)), D3D_OK);
    const double dz = z + 0.1, d = std::sqrt(r * r + dz * dz);
    const double k = (dz / d) / (0.5 + d);  // N·L times attenuation
    const double ga = 128.0 / 255.0;
    Rgb want{0.1 + 0.5 * ga + 0.8 * k, 0.5 * ga + 0.6 * k, 0.05 + 0.5 * ga + 0.4 * k};
    EXPECT_LE(RgbDistance(Centre(), Expected(want)), 1);

    // Out of range: ambient and emissive only.
    point.Range = 0.5f;
    ASSERT_EQ(device->SetLight(1, &point), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(NormalVertex)), D3D_OK);
    EXPECT_LE(RgbDistance(Centre(), Expected({0.1 + 0.5 * ga, 0.5 * ga, 0.05 + 0.5 * ga})), 1);
}

TEST_F(D3DLighting, SpecularIsAddedWhenEnabled) {
    light.Direction = {0.0f, 0.0f, 1.0f};  // straight at the surface
    light.Specular = {0.3f, 0.3f, 0.3f, 0.0f};
    ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
    material.Specular = {1.0f, 0.5f, 0.0f, 1.0f};
    material.Power = 8.0f;
    ASSERT_EQ(device->SetMaterial(&material), D3D_OK);
    DrawFacing();
    uint32_t plain = Centre();
    ASSERT_EQ(device->SetRenderState(D3DRS_SPECULARENABLE, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRS_LOCALVIEWER, FALSE), D3D_OK);  // H = N exactly
    DrawFacing();
    const double ga = 128.0 / 255.0;
    Rgb base{0.1 + 0.5 * (ga + 0.2) + 0.8 * 0.5, 0.5 * (ga + 0.1) + 0.6 * 0.5, 0.05 + 0.5 * ga + 0.4 * 0.5};
    EXPECT_LE(RgbDistance(plain, Expected(base)), 1);
    EXPECT_LE(RgbDistance(Centre(), Expected({base.r + 0.3, base.g + 0.15, base.b})), 1);
}

TEST_F(D3DLighting, LightsAreCheckedAndDefaulted) {
    D3DLIGHT8 bad = light;
    bad.Type = static_cast<D3DLIGHTTYPE>(4);
    EXPECT_EQ(device->SetLight(2, &bad), D3DERR_INVALIDCALL);
    bad = light;
    bad.Direction = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(device->SetLight(2, &bad), D3DERR_INVALIDCALL);
    D3DLIGHT8 got{};
    EXPECT_EQ(device->GetLight(2, &got), D3DERR_INVALIDCALL);
    // Enabling a light never set makes a white directional light along +z.
    ASSERT_EQ(device->LightEnable(0, FALSE), D3D_OK);
    ASSERT_EQ(device->LightEnable(7, TRUE), D3D_OK);
    ASSERT_EQ(device->GetLight(7, &got), D3D_OK);
    EXPECT_EQ(got.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_EQ(got.Diffuse.r, 1.0f);
    EXPECT_EQ(got.Direction.z, 1.0f);
    BOOL on = FALSE;
    ASSERT_EQ(device->GetLightEnable(7, &on), D3D_OK);
    EXPECT_TRUE(on);
    // Shining from the viewer, it lights a surface facing the viewer fully.
    DrawFacing();
    const double ga = 128.0 / 255.0;
    EXPECT_LE(RgbDistance(Centre(), Expected({0.1 + 0.5 * ga + 0.8, 0.5 * ga + 0.6, 0.05 + 0.5 * ga + 0.4})), 1);
    // A surface facing away gets ambient and emissive only.
    const NormalVertex away[3] = {{-0.5f, -0.5f, 0.5f, 0, 0, 1}, {0.0f, 0.5f, 0.5f, 0, 0, 1}, {0.5f, -0.5f, 0.5f, 0, 0, 1}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, away, sizeof(NormalVertex)), D3D_OK);
    EXPECT_LE(RgbDistance(Centre(), Expected({0.1 + 0.5 * ga, 0.5 * ga, 0.05 + 0.5 * ga})), 1);
}

class D3DFog : public D3DDeviceTest {
protected:
    void SetUp() override {
        D3DDeviceTest::SetUp();
        if (!Ready()) return;
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
        PlainStates();
        // A perspective projection: fov 90°, aspect 4/3, near 1, far 101.
        D3DMATRIX proj{};
        const float zn = 1.0f, zf = 101.0f;
        proj._11 = 1.0f / (4.0f / 3.0f);
        proj._22 = 1.0f;
        proj._33 = zf / (zf - zn);
        proj._34 = 1.0f;
        proj._43 = -zn * zf / (zf - zn);
        ASSERT_EQ(device->SetTransform(D3DTS_PROJECTION, &proj), D3D_OK);
        device->SetRenderState(D3DRS_FOGCOLOR, 0xFF0000FFu);
        device->SetRenderState(D3DRS_FOGSTART, FloatBits(20.0f));
        device->SetRenderState(D3DRS_FOGEND, FloatBits(100.0f));
        ASSERT_EQ(device->BeginScene(), D3D_OK);
    }

    // A white wall across the view at eye depth z.
    uint32_t Wall(float z) {
        const ColorVertex quad[4] = {{-z, z, z, 0xFFFFFFFFu}, {z, z, z, 0xFFFFFFFFu},
                                     {-z, -z, z, 0xFFFFFFFFu}, {z, -z, z, 0xFFFFFFFFu}};
        EXPECT_EQ(device->SetVertexShader(kColorFvf), D3D_OK);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColorVertex)), D3D_OK);
        auto px = ReadBack();
        return At(px, 320, 240);
    }

    // White blended towards the blue fog colour by factor f.
    static uint32_t Fogged(double f) {
        int w = static_cast<int>(std::lround(255 * f));
        return D3DCOLOR_XRGB(w, w, static_cast<int>(std::lround(255 * f + 255 * (1 - f))));
    }
};

TEST_F(D3DFog, LinearVertexFog) {
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    EXPECT_LE(RgbDistance(Wall(40.0f), Fogged((100.0 - 40.0) / 80.0)), 1);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    EXPECT_LE(RgbDistance(Wall(10.0f), Fogged(1.0)), 1);  // nearer than the start
    device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    EXPECT_EQ(Wall(40.0f), 0xFFFFFFFFu);
}

TEST_F(D3DFog, TableFogWinsAndUsesEyeDepthPerPixel) {
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_EXP);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    EXPECT_LE(RgbDistance(Wall(60.0f), Fogged(0.5)), 1);
    // A wall slanting away: per pixel, the middle is fogged by its own depth.
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    const ColorVertex slant[4] = {{-30, 30, 30, 0xFFFFFFFFu}, {90, 90, 90, 0xFFFFFFFFu},
                                  {-30, -30, 30, 0xFFFFFFFFu}, {90, -90, 90, 0xFFFFFFFFu}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, slant, sizeof(ColorVertex)), D3D_OK);
    auto px = ReadBack();
    // Column 480 is x/z = 2/3 on screen; the wall has x = 2z - 90 there.
    const double z = 90.0 / (2.0 - 2.0 / 3.0);
    EXPECT_LE(RgbDistance(At(px, 480, 240), Fogged((100.0 - z) / 80.0)), 2);
}

TEST_F(D3DFog, ExponentialFog) {
    device->SetRenderState(D3DRS_FOGDENSITY, FloatBits(0.02f));
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP2);
    EXPECT_LE(RgbDistance(Wall(40.0f), Fogged(std::exp(-std::pow(0.02 * 40.0, 2)))), 1);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_NONE);
    device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_EXP);
    EXPECT_LE(RgbDistance(Wall(40.0f), Fogged(std::exp(-0.02 * 40.0))), 1);
}

TEST_F(D3DFog, PreTransformedVerticesTakeTheFogFactorFromSpecularAlpha) {
    struct V {
        float x, y, z, rhw;
        D3DCOLOR diffuse, specular;
    };
    const D3DCOLOR s = 0x40000000u;  // factor 64/255, no specular colour
    const V quad[4] = {{0, 0, 0.5f, 1, 0xFFFFFFFFu, s}, {100, 0, 0.5f, 1, 0xFFFFFFFFu, s},
                       {0, 100, 0.5f, 1, 0xFFFFFFFFu, s}, {100, 100, 0.5f, 1, 0xFFFFFFFFu, s}};
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    ASSERT_EQ(device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR), D3D_OK);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V)), D3D_OK);
    auto px = ReadBack();
    EXPECT_LE(RgbDistance(At(px, 50, 50), Fogged(64.0 / 255.0)), 1);
}

}  // namespace
