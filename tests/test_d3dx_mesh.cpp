// The D3DX mesh object on the real device: creation and its buffers, reference
// counts, locks, the attribute table, adjacency, ID3DXBuffer, vertex sizes and
// bounding volumes.
#include "tests/d3dx_mesh_support.h"

using namespace meshtest;

namespace {

constexpr DWORD kPosNormTex = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

TEST_F(MeshTest, CreatedBuffersAreTheDevicesInThePoolsTheOptionsName) {
    struct Case {
        DWORD options;
        D3DPOOL vertexPool, indexPool;
        DWORD vertexUsage, indexUsage;
    } cases[] = {
        {D3DXMESH_SYSTEMMEM, D3DPOOL_SYSTEMMEM, D3DPOOL_SYSTEMMEM, 0, 0},
        {D3DXMESH_MANAGED, D3DPOOL_MANAGED, D3DPOOL_MANAGED, 0, 0},
        {0, D3DPOOL_DEFAULT, D3DPOOL_DEFAULT, 0, 0},
        {D3DXMESH_VB_MANAGED | D3DXMESH_IB_SYSTEMMEM | D3DXMESH_VB_WRITEONLY, D3DPOOL_MANAGED, D3DPOOL_SYSTEMMEM,
         D3DUSAGE_WRITEONLY, 0},
        {D3DXMESH_MANAGED | D3DXMESH_IB_WRITEONLY, D3DPOOL_MANAGED, D3DPOOL_MANAGED, 0, D3DUSAGE_WRITEONLY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        ID3DXMesh* mesh = nullptr;
        ASSERT_EQ(D3DXCreateMeshFVF(10, 20, c.options, kPosNormTex, device, &mesh), D3D_OK);
        Own(mesh);
        EXPECT_EQ(mesh->GetNumFaces(), 10u);
        EXPECT_EQ(mesh->GetNumVertices(), 20u);
        EXPECT_EQ(mesh->GetFVF(), kPosNormTex);
        EXPECT_EQ(mesh->GetOptions(), c.options);
        IDirect3DDevice8* owner = nullptr;
        ASSERT_EQ(mesh->GetDevice(&owner), D3D_OK);
        EXPECT_EQ(owner, device);
        owner->Release();

        IDirect3DVertexBuffer8* vb = nullptr;
        IDirect3DIndexBuffer8* ib = nullptr;
        ASSERT_EQ(mesh->GetVertexBuffer(&vb), D3D_OK);
        ASSERT_EQ(mesh->GetIndexBuffer(&ib), D3D_OK);
        D3DVERTEXBUFFER_DESC vd{};
        D3DINDEXBUFFER_DESC id{};
        vb->GetDesc(&vd);
        ib->GetDesc(&id);
        EXPECT_EQ(vd.Pool, c.vertexPool);
        EXPECT_EQ(vd.Size, 20u * 32u);
        EXPECT_EQ(vd.FVF, kPosNormTex);
        EXPECT_EQ(vd.Usage, c.vertexUsage);
        EXPECT_EQ(id.Pool, c.indexPool);
        EXPECT_EQ(id.Format, D3DFMT_INDEX16);
        EXPECT_EQ(id.Size, 10u * 3u * 2u);
        EXPECT_EQ(id.Usage, c.indexUsage);
        vb->Release();
        ib->Release();

        // A new mesh is all zeros.
        Contents contents = Read(mesh);
        EXPECT_TRUE(std::all_of(contents.vertices.begin(), contents.vertices.end(), [](uint8_t b) { return b == 0; }));
        EXPECT_TRUE(std::all_of(contents.indices.begin(), contents.indices.end(), [](uint16_t i) { return i == 0; }));
        EXPECT_TRUE(std::all_of(contents.attributes.begin(), contents.attributes.end(), [](DWORD a) { return a == 0; }));
    }
}

TEST_F(MeshTest, CreationRefusesWhatA16BitMeshCannotBe) {
    ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(0x1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZ, nullptr, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0, D3DFVF_XYZ, device, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(0, 3, 0, D3DFVF_XYZ, device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 0, 0, D3DFVF_XYZ, device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 65536, D3DXMESH_MANAGED, D3DFVF_XYZ, device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED | D3DXMESH_32BIT, D3DFVF_XYZ, device, &mesh),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_MANAGED, D3DFVF_NORMAL, device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, 0x100000, D3DFVF_XYZ, device, &mesh), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXCreateMeshFVF(1, 3, D3DXMESH_VB_SYSTEMMEM | D3DXMESH_VB_MANAGED, D3DFVF_XYZ, device, &mesh),
              D3DERR_INVALIDCALL);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(mesh, nullptr);
    EXPECT_NE(log.find("65536 vertices do not fit 16-bit indices"), std::string::npos) << log;
    EXPECT_NE(log.find("32-bit indices are not supported"), std::string::npos) << log;

    // The largest 16-bit mesh is fine.
    ASSERT_EQ(D3DXCreateMeshFVF(1, 65535, D3DXMESH_MANAGED, D3DFVF_XYZ, device, &mesh), D3D_OK);
    Own(mesh);
    EXPECT_EQ(mesh->GetNumVertices(), 65535u);
}

TEST_F(MeshTest, ReferencesAndInterfaces) {
    const ULONG deviceRefs = DeviceRefs();
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(2, 4, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, device, &mesh), D3D_OK);
    EXPECT_EQ(mesh->AddRef(), 2u);
    EXPECT_EQ(mesh->Release(), 1u);

    void* object = nullptr;
    ASSERT_EQ(mesh->QueryInterface(IID_ID3DXBaseMesh, &object), S_OK);
    EXPECT_EQ(object, static_cast<ID3DXBaseMesh*>(mesh));
    EXPECT_EQ(mesh->Release(), 1u);
    EXPECT_EQ(mesh->QueryInterface(IID_IDirect3DVertexBuffer8, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);

    // A buffer taken from the mesh outlives it.
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(mesh->GetVertexBuffer(&vb), D3D_OK);
    EXPECT_EQ(mesh->Release(), 0u);
    BYTE* bytes = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &bytes, 0), D3D_OK);
    bytes[47] = 1;
    vb->Unlock();
    EXPECT_EQ(vb->Release(), 0u);
    EXPECT_EQ(DeviceRefs(), deviceRefs);  // nothing kept the device
}

TEST_F(MeshTest, LocksArePairedAndAWriteToTheAttributesDropsTheTable) {
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(4, 6, D3DXMESH_MANAGED, D3DFVF_XYZ, device, &mesh), D3D_OK);
    Own(mesh);
    EXPECT_EQ(mesh->UnlockVertexBuffer(), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->UnlockIndexBuffer(), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->UnlockAttributeBuffer(), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->LockAttributeBuffer(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->LockVertexBuffer(0, nullptr), D3DERR_INVALIDCALL);

    // Faces 0-1 use vertices 0..3, faces 2-3 vertices 2..5; attributes 1, 1, 0, 0.
    BYTE* bytes = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(0, &bytes), D3D_OK);
    const uint16_t indices[12] = {0, 1, 2, 2, 1, 3, 2, 3, 4, 4, 3, 5};
    std::memcpy(bytes, indices, sizeof indices);
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    ASSERT_EQ(mesh->LockAttributeBuffer(0, &attributes), D3D_OK);
    const DWORD ids[4] = {1, 1, 0, 0};
    std::memcpy(attributes, ids, sizeof ids);
    mesh->UnlockAttributeBuffer();
    EXPECT_TRUE(AttributeTable(mesh).empty());

    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_IGNOREVERTS, nullptr, nullptr, nullptr,
                                    nullptr),
              D3D_OK);
    auto table = AttributeTable(mesh);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceStart, 0u);
    EXPECT_EQ(table[0].FaceCount, 2u);
    EXPECT_EQ(table[0].VertexStart, 2u);
    EXPECT_EQ(table[0].VertexCount, 4u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 2u);
    EXPECT_EQ(table[1].VertexStart, 0u);
    EXPECT_EQ(table[1].VertexCount, 4u);

    // A short table takes what fits.
    D3DXATTRIBUTERANGE one[1];
    DWORD size = 1;
    ASSERT_EQ(mesh->GetAttributeTable(one, &size), D3D_OK);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(one[0].AttribId, 0u);
    EXPECT_EQ(mesh->GetAttributeTable(one, nullptr), D3DERR_INVALIDCALL);

    // New indices move the vertex ranges. Sorted, the faces are (2 3 4) (4 3 5)
    // with attribute 0, then (0 1 2) (2 1 3).
    ASSERT_EQ(mesh->LockIndexBuffer(0, &bytes), D3D_OK);
    reinterpret_cast<uint16_t*>(bytes)[0] = 5;  // attribute 0 now spans 3..5
    reinterpret_cast<uint16_t*>(bytes)[6] = 5;  // attribute 1 now spans 1..5
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);  // not while locked
    mesh->UnlockIndexBuffer();
    table = AttributeTable(mesh);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].VertexStart, 3u);
    EXPECT_EQ(table[0].VertexCount, 3u);
    EXPECT_EQ(table[1].VertexStart, 1u);
    EXPECT_EQ(table[1].VertexCount, 5u);

    // Reading the attributes keeps the table, writing drops it.
    ASSERT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
    mesh->UnlockAttributeBuffer();
    EXPECT_EQ(AttributeTable(mesh).size(), 2u);
    ASSERT_EQ(mesh->LockAttributeBuffer(0, &attributes), D3D_OK);
    mesh->UnlockAttributeBuffer();
    EXPECT_TRUE(AttributeTable(mesh).empty());
}

// Two triangles over a shared edge, written with the edge's two vertices
// repeated: (0 1 2) and (3 5 4), where 3 and 4 stand where 2 and 1 are.
TEST_F(MeshTest, AdjacencyJoinsFacesThroughPositionsWithinEpsilon) {
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(3, 6, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, device, &mesh), D3D_OK);
    Own(mesh);
    auto write = [&](float nudge) {
        const float p[6][3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1 + nudge, 0, 0}, {0, 1 + nudge, 0}, {1, 1, 0}};
        BYTE* bytes = nullptr;
        ASSERT_EQ(mesh->LockVertexBuffer(0, &bytes), D3D_OK);
        std::memcpy(bytes, p, sizeof p);
        mesh->UnlockVertexBuffer();
    };
    write(0.0f);
    BYTE* bytes = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(0, &bytes), D3D_OK);
    // The third face is a single point: none of its edges joins anything.
    const uint16_t indices[9] = {0, 1, 2, 3, 4, 5, 5, 5, 5};
    std::memcpy(bytes, indices, sizeof indices);
    mesh->UnlockIndexBuffer();

    // Edge 1-2 of face 0 is edge 3-4 walked the other way in face 1.
    std::vector<DWORD> want = {UNUSED32, 1, UNUSED32, 0, UNUSED32, UNUSED32, UNUSED32, UNUSED32, UNUSED32};
    EXPECT_EQ(Adjacency(mesh), want);

    write(1e-4f);
    std::vector<DWORD> none(9, UNUSED32);
    EXPECT_EQ(Adjacency(mesh, 0.0f), none);
    EXPECT_EQ(Adjacency(mesh, 1e-5f), none);
    EXPECT_EQ(Adjacency(mesh, 1e-3f), want);

    DWORD out[9];
    EXPECT_EQ(mesh->GenerateAdjacency(-1.0f, out), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->GenerateAdjacency(0.0f, nullptr), D3DERR_INVALIDCALL);
}

TEST(D3DXBuffer, HoldsZeroedBytesAndCountsReferences) {
    ID3DXBuffer* buffer = nullptr;
    ASSERT_EQ(D3DXCreateBuffer(100, &buffer), D3D_OK);
    EXPECT_EQ(buffer->GetBufferSize(), 100u);
    auto* bytes = static_cast<uint8_t*>(buffer->GetBufferPointer());
    ASSERT_NE(bytes, nullptr);
    EXPECT_TRUE(std::all_of(bytes, bytes + 100, [](uint8_t b) { return b == 0; }));
    bytes[99] = 7;
    EXPECT_EQ(buffer->AddRef(), 2u);
    EXPECT_EQ(buffer->Release(), 1u);
    void* same = nullptr;
    EXPECT_EQ(buffer->QueryInterface(IID_ID3DXBuffer, &same), S_OK);
    EXPECT_EQ(same, buffer);
    buffer->Release();
    EXPECT_EQ(buffer->Release(), 0u);

    EXPECT_EQ(D3DXCreateBuffer(4, nullptr), D3DERR_INVALIDCALL);
    ASSERT_EQ(D3DXCreateBuffer(0, &buffer), D3D_OK);
    EXPECT_EQ(buffer->GetBufferSize(), 0u);
    buffer->Release();
}

TEST(D3DXVertexSize, CountsEveryComponentOfTheFormat) {
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ), 12u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZRHW | D3DFVF_DIFFUSE), 20u);
    EXPECT_EQ(D3DXGetFVFVertexSize(kPosNormTex), 32u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZB2 | D3DFVF_NORMAL), 32u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZB5), 32u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR), 24u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1)), 32u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE1(0)), 16u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE4(0)), 28u);
    EXPECT_EQ(D3DXGetFVFVertexSize(0), 0u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | (9 << D3DFVF_TEXCOUNT_SHIFT)), 0u);
}

TEST(D3DXBounds, BoxAndSphereReadPositionsAtTheFormatsStride) {
    // Normals far outside the positions' range: read at the wrong stride they would
    // show in the bounds.
    const d3dtest::NormalVertex v[3] = {{1, 2, 3, 100, 100, 100}, {-1, 5, 0, -100, -100, -100}, {4, -2, -6, 50, 50, 50}};
    const DWORD fvf = D3DFVF_XYZ | D3DFVF_NORMAL;
    D3DXVECTOR3 min, max, centre;
    float radius = -1;
    ASSERT_EQ(D3DXComputeBoundingBox(v, 3, fvf, &min, &max), D3D_OK);
    EXPECT_EQ(min, D3DXVECTOR3(-1, -2, -6));
    EXPECT_EQ(max, D3DXVECTOR3(4, 5, 3));
    ASSERT_EQ(D3DXComputeBoundingSphere(v, 3, fvf, &centre, &radius), D3D_OK);
    EXPECT_NEAR(centre.x, 4.0f / 3, 1e-6);
    EXPECT_NEAR(centre.y, 5.0f / 3, 1e-6);
    EXPECT_NEAR(centre.z, -1.0f, 1e-6);
    float farthest = 0;
    for (const auto& p : v) {
        D3DXVECTOR3 d = D3DXVECTOR3(p.x, p.y, p.z) - centre;
        farthest = std::max(farthest, D3DXVec3Length(&d));
    }
    EXPECT_FLOAT_EQ(radius, farthest);

    // One vertex: a point.
    ASSERT_EQ(D3DXComputeBoundingSphere(v, 1, fvf, &centre, &radius), D3D_OK);
    EXPECT_EQ(centre, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(radius, 0.0f);

    EXPECT_EQ(D3DXComputeBoundingBox(nullptr, 3, fvf, &min, &max), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingBox(v, 0, fvf, &min, &max), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingBox(v, 3, D3DFVF_NORMAL, &min, &max), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingBox(v, 3, fvf, nullptr, &max), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingSphere(v, 3, fvf, &centre, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(D3DXComputeBoundingSphere(v, 0, fvf, &centre, &radius), D3DERR_INVALIDCALL);
}

}  // namespace
