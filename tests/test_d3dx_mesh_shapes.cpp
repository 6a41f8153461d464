// The built-in shapes: counts, normals, outward winding, adjacency and bounds.
#include <map>
#include <tuple>
#include <utility>

#include "tests/d3dx_mesh_support.h"

using namespace meshtest;

namespace {

constexpr DWORD kShapeFvf = D3DFVF_XYZ | D3DFVF_NORMAL;

// Enclosed volume by the divergence theorem: positive when the faces wind
// clockwise seen from outside.
double SignedVolume(const Contents& c) {
    double v = 0;
    for (DWORD f = 0; f < c.Faces(); ++f) {
        D3DXVECTOR3 a = c.Corner(f, 0), b = c.Corner(f, 1), d = c.Corner(f, 2), bxd;
        D3DXVec3Cross(&bxd, &b, &d);
        v += D3DXVec3Dot(&a, &bxd) / 6.0;
    }
    return v;
}

// Edges between corner positions: how often each is walked in each direction.
struct EdgeCount {
    int forward = 0, backward = 0;
};
std::map<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>, EdgeCount> Edges(
    const Contents& c) {
    std::map<std::pair<std::tuple<float, float, float>, std::tuple<float, float, float>>, EdgeCount> edges;
    for (DWORD f = 0; f < c.Faces(); ++f)
        for (int k = 0; k < 3; ++k) {
            D3DXVECTOR3 p = c.Corner(f, k), q = c.Corner(f, (k + 1) % 3);
            auto a = std::make_tuple(p.x, p.y, p.z), b = std::make_tuple(q.x, q.y, q.z);
            if (a < b)
                ++edges[{a, b}].forward;
            else
                ++edges[{b, a}].backward;
        }
    return edges;
}

void ExpectUnitNormals(const Contents& c) {
    for (DWORD v = 0; v < c.Vertices(); ++v) {
        D3DXVECTOR3 n = c.Normal(v);
        ASSERT_NEAR(D3DXVec3Length(&n), 1.0f, 1e-5) << v;
    }
}

void ExpectAdjacencyBuffer(ID3DXBuffer* adjacency, ID3DXMesh* mesh) {
    ASSERT_NE(adjacency, nullptr);
    ASSERT_EQ(adjacency->GetBufferSize(), mesh->GetNumFaces() * 12);
    const auto* a = static_cast<const DWORD*>(adjacency->GetBufferPointer());
    EXPECT_EQ(std::vector<DWORD>(a, a + mesh->GetNumFaces() * 3), Adjacency(mesh));
}

void ExpectBoundsCoverEveryVertex(const Contents& c) {
    D3DXVECTOR3 min, max, centre;
    float radius = 0;
    ASSERT_EQ(D3DXComputeBoundingBox(c.vertices.data(), c.Vertices(), kShapeFvf, &min, &max), D3D_OK);
    ASSERT_EQ(D3DXComputeBoundingSphere(c.vertices.data(), c.Vertices(), kShapeFvf, &centre, &radius), D3D_OK);
    for (DWORD v = 0; v < c.Vertices(); ++v) {
        D3DXVECTOR3 p = c.Position(v), d = p - centre;
        EXPECT_TRUE(p.x >= min.x && p.y >= min.y && p.z >= min.z && p.x <= max.x && p.y <= max.y && p.z <= max.z);
        EXPECT_LE(D3DXVec3Length(&d), radius * (1 + 1e-6f));
    }
}

TEST_F(MeshTest, SphereIsClosedWithOutwardFacesAndNormals) {
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ASSERT_EQ(D3DXCreateSphere(device, 2.0f, 12, 7, &mesh, &adjacency), D3D_OK);
    Own(mesh);
    Own(adjacency);
    EXPECT_EQ(mesh->GetNumVertices(), 2u + 12u * 6u);
    EXPECT_EQ(mesh->GetNumFaces(), 2u * 12u * 6u);
    EXPECT_EQ(mesh->GetFVF(), kShapeFvf);
    EXPECT_EQ(mesh->GetOptions(), DWORD(D3DXMESH_MANAGED));
    const Contents c = Read(mesh);
    ExpectUnitNormals(c);
    for (DWORD v = 0; v < c.Vertices(); ++v) {
        D3DXVECTOR3 p = c.Position(v), n = c.Normal(v);
        EXPECT_NEAR(D3DXVec3Length(&p), 2.0f, 1e-5);
        EXPECT_NEAR(D3DXVec3Dot(&p, &n), 2.0f, 1e-5);  // along the radius, outward
    }
    EXPECT_EQ(c.Position(0), D3DXVECTOR3(0, 0, 2));  // the poles are on z
    EXPECT_EQ(c.Position(c.Vertices() - 1), D3DXVECTOR3(0, 0, -2));
    for (DWORD f = 0; f < c.Faces(); ++f) {
        D3DXVECTOR3 n = c.FaceNormal(f), centroid = (c.Corner(f, 0) + c.Corner(f, 1) + c.Corner(f, 2)) / 3.0f;
        EXPECT_GT(D3DXVec3Dot(&n, &centroid), 0.0f) << f;
    }
    EXPECT_GT(SignedVolume(c), 0.8 * 4.0 / 3.0 * D3DX_PI * 8.0);
    ExpectAdjacencyBuffer(adjacency, mesh);
    auto a = Adjacency(mesh);
    EXPECT_EQ(std::count(a.begin(), a.end(), UNUSED32), 0);  // closed
    ExpectBoundsCoverEveryVertex(c);

    // Without adjacency, and the smallest sphere there is.
    ASSERT_EQ(D3DXCreateSphere(device, 1.0f, 2, 2, &mesh, nullptr), D3D_OK);
    Own(mesh);
    EXPECT_EQ(mesh->GetNumVertices(), 4u);
    EXPECT_EQ(mesh->GetNumFaces(), 4u);
}

TEST_F(MeshTest, ShapesRefuseBadSizes) {
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(0x1);
    ID3DXBuffer* adjacency = reinterpret_cast<ID3DXBuffer*>(0x1);
    EXPECT_EQ(D3DXCreateSphere(device, 1.0f, 1, 5, &mesh, &adjacency), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(adjacency, nullptr);
    EXPECT_EQ(D3DXCreateSphere(device, 1.0f, 5, 1, &mesh, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateSphere(device, -1.0f, 5, 5, &mesh, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateSphere(nullptr, 1.0f, 5, 5, &mesh, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateSphere(device, 1.0f, 5, 5, nullptr, nullptr), D3DERR_INVALIDCALL);
    testing::internal::CaptureStderr();
    EXPECT_EQ(D3DXCreateSphere(device, 1.0f, 1000, 100, &mesh, nullptr), D3DERR_INVALIDCALL);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("too many vertices"), std::string::npos);
    EXPECT_EQ(D3DXCreateBox(device, -1.0f, 1.0f, 1.0f, &mesh, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateBox(device, 1.0f, std::nanf(""), 1.0f, &mesh, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateBox(nullptr, 1.0f, 1.0f, 1.0f, &mesh, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTeapot(nullptr, &mesh, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateTeapot(device, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh, nullptr);
}

TEST_F(MeshTest, BoxHasFourVerticesPerSideFacingOut) {
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ASSERT_EQ(D3DXCreateBox(device, 1.0f, 2.0f, 3.0f, &mesh, &adjacency), D3D_OK);
    Own(mesh);
    Own(adjacency);
    EXPECT_EQ(mesh->GetNumVertices(), 24u);
    EXPECT_EQ(mesh->GetNumFaces(), 12u);
    const Contents c = Read(mesh);
    ExpectUnitNormals(c);
    const D3DXVECTOR3 half(0.5f, 1.0f, 1.5f);
    std::map<std::tuple<float, float, float>, int> sides;
    for (DWORD v = 0; v < c.Vertices(); ++v) {
        D3DXVECTOR3 p = c.Position(v), n = c.Normal(v);
        ++sides[{n.x, n.y, n.z}];
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(std::fabs((&p.x)[k]), (&half.x)[k]);
            if ((&n.x)[k] != 0) {
                EXPECT_EQ((&p.x)[k], (&n.x)[k] * (&half.x)[k]);  // on its own side
            }
        }
    }
    EXPECT_EQ(sides.size(), 6u);
    for (const auto& side : sides) EXPECT_EQ(side.second, 4);
    for (DWORD f = 0; f < c.Faces(); ++f) {
        D3DXVECTOR3 n = c.FaceNormal(f), vertexNormal = c.Normal(c.indices[f * 3]);
        EXPECT_GT(D3DXVec3Dot(&n, &vertexNormal), 0.0f) << f;
    }
    EXPECT_NEAR(SignedVolume(c), 6.0, 1e-5);
    ExpectAdjacencyBuffer(adjacency, mesh);
    auto a = Adjacency(mesh);
    EXPECT_EQ(std::count(a.begin(), a.end(), UNUSED32), 0);
}

TEST_F(MeshTest, TeapotIsUprightConsistentlyWoundAndNearlyClosed) {
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* adjacency = nullptr;
    ASSERT_EQ(D3DXCreateTeapot(device, &mesh, &adjacency), D3D_OK);
    Own(mesh);
    Own(adjacency);
    EXPECT_EQ(mesh->GetFVF(), kShapeFvf);
    EXPECT_EQ(mesh->GetOptions(), DWORD(D3DXMESH_MANAGED));
    // 32 patches of 6 x 6 quads, less the 48 triangles that collapse at the lid's
    // and the bottom's centres.
    EXPECT_EQ(mesh->GetNumFaces(), 32u * 72u - 48u);
    const Contents c = Read(mesh);
    ExpectUnitNormals(c);
    RecordProperty("teapot_vertices", int(c.Vertices()));

    // 3.15 tall, centred in height; the body is 4 wide, the spout reaches +x.
    D3DXVECTOR3 min, max;
    ASSERT_EQ(D3DXComputeBoundingBox(c.vertices.data(), c.Vertices(), kShapeFvf, &min, &max), D3D_OK);
    EXPECT_NEAR(min.y, -1.575f, 1e-5);
    EXPECT_NEAR(max.y, 1.575f, 1e-5);
    EXPECT_NEAR(min.z, -2.0f, 1e-5);
    EXPECT_NEAR(max.z, 2.0f, 1e-5);
    EXPECT_GT(max.x, 3.3f);   // spout
    EXPECT_LT(min.x, -2.6f);  // handle
    ExpectBoundsCoverEveryVertex(c);

    // Normals point out where the outside is plain to see: the knob's top, the
    // base, the body's widest point, the handle's outer edge.
    auto extreme = [&](int axis, float sign) {
        auto along = [&](DWORD v) {
            D3DXVECTOR3 p = c.Position(v);
            return sign * (&p.x)[axis];
        };
        DWORD best = 0;
        for (DWORD v = 1; v < c.Vertices(); ++v)
            if (along(v) > along(best)) best = v;
        return c.Normal(best);
    };
    EXPECT_GT(extreme(1, 1).y, 0.99f);
    EXPECT_LT(extreme(1, -1).y, -0.99f);
    EXPECT_GT(extreme(2, 1).z, 0.9f);
    EXPECT_LT(extreme(0, -1).x, -0.9f);

    // Every edge that two faces share is walked once each way, which makes the
    // winding the same all over; with the positive volume, it faces outward. What
    // is left open: the spout's two ends, the handle's ends on the body, and the
    // gap between lid and rim.
    int shared = 0, sameWay = 0, open = 0;
    for (const auto& e : Edges(c)) {
        if (e.second.forward == 1 && e.second.backward == 1) ++shared;
        else if (e.second.forward + e.second.backward == 1) ++open;
        else ++sameWay;
    }
    EXPECT_EQ(sameWay, 0);
    EXPECT_LT(open, shared / 20);
    RecordProperty("teapot_open_edges", open);
    const double volume = SignedVolume(c);
    EXPECT_GT(volume, 20.0);
    EXPECT_LT(volume, 40.0);
    RecordProperty("teapot_volume", std::to_string(volume));

    ExpectAdjacencyBuffer(adjacency, mesh);
}

}  // namespace
