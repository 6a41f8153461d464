// Meshes drawn on the real device and read back: DrawSubset draws its own faces
// and nothing else, before and after attribute sorting; the lit shapes show their
// front faces with normals that face the light.
#include "tests/d3dx_mesh_support.h"

using namespace meshtest;
using d3dtest::ScreenVertex;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
const D3DCOLOR kColours[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};

class MeshDraw : public MeshTest {
protected:
    void Clear() { ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0), D3D_OK); }

    HRESULT DrawSubsetAlone(ID3DXMesh* mesh, DWORD subset) {
        Clear();
        device->BeginScene();
        HRESULT hr = mesh->DrawSubset(subset);
        device->EndScene();
        return hr;
    }

    // Which of the six quads of the subset mesh show, by the colour at their centre.
    std::vector<uint32_t> QuadColours() {
        auto pixels = ReadBack();
        std::vector<uint32_t> colours;
        for (int k = 0; k < 6; ++k) colours.push_back(At(pixels, 60 + k * 100, 150));
        return colours;
    }

    // Average colour channels (0..255) over the pixels that are not background.
    struct Coverage {
        int pixels = 0;
        double red = 0, leftRed = 0, rightRed = 0;
    };
    Coverage Measure(const std::vector<uint32_t>& px) {
        Coverage c;
        int left = 0, right = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                uint32_t p = At(px, x, y);
                if (p == kBlack) continue;
                double r = d3dtest::Channel(p, 16);
                ++c.pixels;
                c.red += r;
                if (x < 320) c.leftRed += r, ++left;
                else c.rightRed += r, ++right;
            }
        if (c.pixels) c.red /= c.pixels;
        if (left) c.leftRed /= left;
        if (right) c.rightRed /= right;
        return c;
    }

    // The device ready for a lit shape seen from eye: perspective, a warm material
    // and a white light shining along `light`.
    void LitScene(const D3DXVECTOR3& eye, const D3DXVECTOR3& light) {
        D3DXMATRIX world, view, projection;
        D3DXMatrixIdentity(&world);
        D3DXVECTOR3 at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 640.0f / 480.0f, 0.1f, 100.0f);
        device->SetTransform(D3DTS_WORLD, &world);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        device->SetRenderState(D3DRS_AMBIENT, 0xFF202020u);
        D3DMATERIAL8 material{};
        material.Diffuse = material.Ambient = {0.9f, 0.7f, 0.3f, 1.0f};
        device->SetMaterial(&material);
        D3DLIGHT8 l{};
        l.Type = D3DLIGHT_DIRECTIONAL;
        l.Diffuse = {1, 1, 1, 1};
        D3DXVECTOR3 direction;
        D3DXVec3Normalize(&direction, &light);
        l.Direction = direction;
        device->SetLight(0, &l);
        device->LightEnable(0, TRUE);
    }

    std::vector<uint32_t> DrawLit(ID3DXMesh* mesh) {
        Clear();
        device->BeginScene();
        EXPECT_EQ(mesh->DrawSubset(0), D3D_OK);
        device->EndScene();
        return ReadBack();
    }
};

// Six screen quads side by side, quad k in colour k % 3 with attribute k % 3, so
// each attribute has two separate runs of faces.
ID3DXMesh* SubsetMesh(IDirect3DDevice8* device) {
    ID3DXMesh* mesh = nullptr;
    EXPECT_EQ(D3DXCreateMeshFVF(12, 24, D3DXMESH_MANAGED, d3dtest::kScreenFvf, device, &mesh), D3D_OK);
    if (!mesh) return nullptr;
    BYTE* bytes = nullptr;
    mesh->LockVertexBuffer(0, &bytes);
    auto* v = reinterpret_cast<ScreenVertex*>(bytes);
    for (int k = 0; k < 6; ++k) {
        float x0 = 20.0f + k * 100, x1 = x0 + 80;
        D3DCOLOR c = kColours[k % 3];
        v[k * 4 + 0] = {x0, 100, 0.5f, 1, c};
        v[k * 4 + 1] = {x1, 100, 0.5f, 1, c};
        v[k * 4 + 2] = {x0, 200, 0.5f, 1, c};
        v[k * 4 + 3] = {x1, 200, 0.5f, 1, c};
    }
    mesh->UnlockVertexBuffer();
    mesh->LockIndexBuffer(0, &bytes);
    auto* i = reinterpret_cast<uint16_t*>(bytes);
    for (int k = 0; k < 6; ++k) {
        const uint16_t b = uint16_t(k * 4);
        const uint16_t quad[6] = {b, uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 1), uint16_t(b + 3), uint16_t(b + 2)};
        std::memcpy(i + k * 6, quad, sizeof quad);
    }
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    mesh->LockAttributeBuffer(0, &attributes);
    for (int f = 0; f < 12; ++f) attributes[f] = DWORD(f / 2 % 3);
    mesh->UnlockAttributeBuffer();
    return mesh;
}

TEST_F(MeshDraw, DrawSubsetDrawsOnlyItsOwnFaces) {
    PlainStates();
    ID3DXMesh* mesh = Own(SubsetMesh(device));
    ASSERT_NE(mesh, nullptr);
    const uint32_t r = kColours[0], g = kColours[1], b = kColours[2];

    // Unsorted: both runs of the subset.
    ASSERT_EQ(DrawSubsetAlone(mesh, 1), D3D_OK);
    EXPECT_EQ(QuadColours(), (std::vector<uint32_t>{kBlack, g, kBlack, kBlack, g, kBlack}));
    ASSERT_EQ(DrawSubsetAlone(mesh, 0), D3D_OK);
    EXPECT_EQ(QuadColours(), (std::vector<uint32_t>{r, kBlack, kBlack, r, kBlack, kBlack}));

    // Sorted: the attribute table's range.
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_COMPACT, nullptr, nullptr, nullptr, nullptr),
              D3D_OK);
    ASSERT_EQ(AttributeTable(mesh).size(), 3u);
    ASSERT_EQ(DrawSubsetAlone(mesh, 2), D3D_OK);
    EXPECT_EQ(QuadColours(), (std::vector<uint32_t>{kBlack, kBlack, b, kBlack, kBlack, b}));
    ASSERT_EQ(DrawSubsetAlone(mesh, 1), D3D_OK);
    EXPECT_EQ(QuadColours(), (std::vector<uint32_t>{kBlack, g, kBlack, kBlack, g, kBlack}));

    // A subset no face has draws nothing.
    EXPECT_EQ(DrawSubsetAlone(mesh, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(QuadColours(), std::vector<uint32_t>(6, kBlack));

    // Rewritten attributes: the table goes, and the runs are found again. The
    // first two faces (a red quad after sorting) join subset 2.
    DWORD* attributes = nullptr;
    ASSERT_EQ(mesh->LockAttributeBuffer(0, &attributes), D3D_OK);
    attributes[0] = attributes[1] = 2;
    mesh->UnlockAttributeBuffer();
    ASSERT_EQ(DrawSubsetAlone(mesh, 2), D3D_OK);
    EXPECT_EQ(QuadColours(), (std::vector<uint32_t>{r, kBlack, b, kBlack, kBlack, b}));
}

TEST_F(MeshDraw, LitTeapotShowsItsFrontFacesShadedTowardTheLight) {
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateTeapot(device, &mesh, nullptr), D3D_OK);
    Own(mesh);
    const D3DXVECTOR3 eye(0, 3, -8);

    // Light from the eye: with the back faces culled, what shows faces the light.
    // Were the winding inside out, the far side would show, lit by ambient alone.
    LitScene(eye, -eye);
    Coverage front = Measure(DrawLit(mesh));
    EXPECT_GT(front.pixels, 40000);
    EXPECT_GT(front.red, 150.0);

    // Light from the left: the left half is the brighter.
    LitScene(eye, D3DXVECTOR3(1, -0.5f, 0.3f));
    std::vector<uint32_t> side = DrawLit(mesh);
    Coverage c = Measure(side);
    EXPECT_GT(c.leftRed, c.rightRed + 60.0) << c.leftRed << " " << c.rightRed;

    // Optimised for the cache it draws the same picture.
    ASSERT_EQ(mesh->OptimizeInplace(7, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    std::vector<uint32_t> again = DrawLit(mesh);
    int differing = 0;
    for (size_t i = 0; i < side.size(); ++i) differing += d3dtest::RgbDistance(side[i], again[i]) > 2;
    EXPECT_LT(differing, 100);
}

TEST_F(MeshDraw, LitSphereAndBoxFaceTheLight) {
    ID3DXMesh* sphere = nullptr;
    ID3DXMesh* box = nullptr;
    ASSERT_EQ(D3DXCreateSphere(device, 2.0f, 24, 16, &sphere, nullptr), D3D_OK);
    ASSERT_EQ(D3DXCreateBox(device, 2.0f, 2.0f, 2.0f, &box, nullptr), D3D_OK);
    Own(sphere);
    Own(box);
    const D3DXVECTOR3 eye(0, 0, -8);
    LitScene(eye, -eye);
    std::vector<uint32_t> px = DrawLit(sphere);
    EXPECT_GT(d3dtest::Channel(At(px, 320, 240), 16), 240);  // facing the light head on
    EXPECT_GT(Measure(px).red, 150.0);

    // The box's near side faces the eye and the light: full diffuse plus ambient.
    px = DrawLit(box);
    EXPECT_GT(d3dtest::Channel(At(px, 320, 240), 16), 240);
    EXPECT_EQ(At(px, 10, 10), kBlack);
}

}  // namespace
