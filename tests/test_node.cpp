// Scene nodes: placement and hierarchy, world-space queries, picking.
#include <gtest/gtest.h>

#include <cmath>

#include "render/direct3d.h"
#include "render/frame.h"
#include "render/mesh.h"
#include "render_fixture.h"
#include "scene/camera.h"
#include "scene/node.h"

namespace {

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float eps = 1e-4f) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

float RowLength(const D3DXMATRIX& m, int row) {
    return std::sqrt(m.m[row][0] * m.m[row][0] + m.m[row][1] * m.m[row][1] + m.m[row][2] * m.m[row][2]);
}

TEST(Node, ScaleIsSetAbsolutelyByScaleAndRelativelyByScaleFactor) {
    CNode n;
    n.Setup(nullptr, 1, 2, 3, 1.0f);
    n.SetScale(2);
    n.SetScale(3);
    EXPECT_FLOAT_EQ(n.scale, 3.0f);
    EXPECT_NEAR(RowLength(n.local, 0), 3.0f, 1e-5);
    ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(1, 2, 3));

    CNode m;
    m.Setup(nullptr, 0, 0, 0, 1.0f);
    m.Scale(2);
    m.Scale(2);
    EXPECT_FLOAT_EQ(m.scale, 4.0f);
    EXPECT_NEAR(RowLength(m.local, 1), 4.0f, 1e-5);
}

TEST(Node, LookAtTurnsOnlyAndKeepsSizeAndPosition) {
    CNode n;
    n.Setup(nullptr, 5, 1, -2, 2.5f);
    n.LookAt(D3DXVECTOR3(5, 1, 10));  // straight ahead along +z
    ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(5, 1, -2));
    EXPECT_NEAR(RowLength(n.local, 0), 2.5f, 1e-5);
    EXPECT_NEAR(RowLength(n.local, 2), 2.5f, 1e-5);
    ExpectNear(n.GetLocalForward() / 2.5f, D3DXVECTOR3(0, 0, 1));

    n.LookAt(D3DXVECTOR3(10, 1, -2));  // to the right, +x
    ExpectNear(n.GetLocalForward() / 2.5f, D3DXVECTOR3(1, 0, 0));
    ExpectNear(n.GetLocalRight() / 2.5f, D3DXVECTOR3(0, 0, -1));
    ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(5, 1, -2));
}

TEST(Node, OwnAxisTurnsKeepThePositionParentTurnsSwingIt) {
    CNode n;
    n.Setup(nullptr, 4, 0, 0, 1.0f);
    n.RotateY(D3DX_PI / 2);
    ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(4, 0, 0));
    n.RotateParentY(D3DX_PI / 2);
    // +x turned a quarter about y (row vectors: +x goes to -z).
    ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(0, 0, -4));
    D3DXMATRIX before = n.previous;
    EXPECT_NEAR(before._41, 4.0f, 1e-5);  // the matrix before the last change
}

TEST(Node, ChildrenFollowTheirParentAndPositionsCompensateItsScale) {
    CNode parent, child;
    parent.Setup(nullptr, 10, 0, 0, 2.0f);
    child.Setup(nullptr, 0, 0, 0, 1.0f);
    child.parent = &parent;
    child.SetPosition(D3DXVECTOR3(4, 6, 8));
    ExpectNear(child.GetLocalPosition(), D3DXVECTOR3(2, 3, 4));  // half, for world scale 2
    ExpectNear(child.GetWorldPosition(), D3DXVECTOR3(14, 6, 8));
    EXPECT_FLOAT_EQ(child.GetWorldScale(), 2.0f);
    ExpectNear(child.GetScaledPosition(), D3DXVECTOR3(4, 6, 8));

    parent.RotateY(D3DX_PI / 2);
    ExpectNear(child.GetWorldPosition(), D3DXVECTOR3(10 + 8, 6, -4));
    D3DXMATRIX w = child.GetWorldMatrix();
    D3DXMATRIX expected = child.local * parent.local;
    for (int i = 0; i < 16; ++i) EXPECT_NEAR((&w._11)[i], (&expected._11)[i], 1e-5);

    child.MoveLocalWorldUnits(D3DXVECTOR3(2, 0, 0));  // one local unit at world scale 2
    ExpectNear(child.GetLocalPosition(), D3DXVECTOR3(3, 3, 4));
}

TEST(Node, TurnToYawsTowardsTheTarget) {
    CNode n;
    n.Setup(nullptr, 0, 0, 0, 2.0f);
    n.TurnTo(D3DXVECTOR3(5, 3, 0));
    ExpectNear(n.GetLocalForward() / 2.0f, D3DXVECTOR3(1, 0, 0));
    n.TurnTo(D3DXVECTOR3(0, 0, -5));
    ExpectNear(n.GetLocalForward() / 2.0f, D3DXVECTOR3(0, 0, -1));
    n.TurnTo(D3DXVECTOR3(-3, 0, 3));
    ExpectNear(n.GetLocalForward() / 2.0f, D3DXVECTOR3(-0.7071068f, 0, 0.7071068f));
    EXPECT_NEAR(RowLength(n.local, 0), 2.0f, 1e-5);
}

// ---- with a model on the real device ------------------------------------------------

struct FloorVertex {
    float x, y, z;
};

class NodeOnDevice : public FrameworkDevice {
protected:
    Mesh floor;

    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        // A 10 x 10 floor at y = 0, clockwise seen from above.
        ASSERT_EQ(D3DXCreateMeshFVF(2, 4, D3DXMESH_SYSTEMMEM, D3DFVF_XYZ, GraphicsState.device, &floor.mesh), D3D_OK);
        FloorVertex* v = nullptr;
        ASSERT_EQ(floor.mesh->LockVertexBuffer(0, reinterpret_cast<BYTE**>(&v)), D3D_OK);
        v[0] = {-5, 0, -5};
        v[1] = {-5, 0, 5};
        v[2] = {5, 0, 5};
        v[3] = {5, 0, -5};
        floor.mesh->UnlockVertexBuffer();
        WORD* idx = nullptr;
        ASSERT_EQ(floor.mesh->LockIndexBuffer(0, reinterpret_cast<BYTE**>(&idx)), D3D_OK);
        const WORD faces[6] = {0, 1, 2, 0, 2, 3};
        std::memcpy(idx, faces, sizeof faces);
        floor.mesh->UnlockIndexBuffer();
        floor.boxMin = D3DXVECTOR3(-5, 0, -5);
        floor.boxMax = D3DXVECTOR3(5, 0, 5);
    }
    void TearDown() override {
        floor.Release();
        FrameworkDevice::TearDown();
    }
};

TEST_F(NodeOnDevice, PickFindsTheFloorFromAboveOnly) {
    CNode node;
    node.Setup(&floor, 100, 20, 0, 1.0f);
    D3DXVECTOR3 hit;
    float triangle[9];
    // From 3 above the point (1, 0, 2) of the floor, relative to the node.
    Ray down{D3DXVECTOR3(1, 3, 2), D3DXVECTOR3(0, -1, 0), &hit, triangle};
    ASSERT_EQ(node.Pick(down), 1);
    ExpectNear(hit, D3DXVECTOR3(1, 0, 2));
    EXPECT_FLOAT_EQ(triangle[1], 0.0f);

    Ray up{D3DXVECTOR3(1, -3, 2), D3DXVECTOR3(0, 1, 0), &hit, nullptr};
    EXPECT_EQ(node.Pick(up), 0);  // the back of the floor
    ExpectNear(hit, D3DXVECTOR3(0, 0, 0));

    Ray away{D3DXVECTOR3(1, 3, 2), D3DXVECTOR3(0, 1, 0), &hit, nullptr};
    EXPECT_EQ(node.Pick(away), 0);  // nothing in front

    node.SetScale(2.0f);  // the hit comes back in the node's scale
    Ray scaled{D3DXVECTOR3(2, 6, 4), D3DXVECTOR3(0, -1, 0), &hit, nullptr};
    ASSERT_EQ(node.Pick(scaled), 1);
    ExpectNear(hit, D3DXVECTOR3(2, 0, 4));
}

TEST_F(NodeOnDevice, BoxAndSphereProbesAndScreenTests) {
    CNode node;
    node.Setup(&floor, 0, 0, 0, 1.0f);
    floor.sphereCentre = D3DXVECTOR3(0, 0, 0);
    floor.sphereRadius = 7.1f;
    EXPECT_TRUE(node.HitBox(D3DXVECTOR3(0, 5, 0), D3DXVECTOR3(0, -1, 0)));
    EXPECT_FALSE(node.HitBox(D3DXVECTOR3(20, 5, 0), D3DXVECTOR3(0, -1, 0)));
    EXPECT_TRUE(node.HitSphere(D3DXVECTOR3(-20, 0, 0), D3DXVECTOR3(1, 0, 0)));
    EXPECT_FALSE(node.HitSphere(D3DXVECTOR3(-20, 9, 0), D3DXVECTOR3(1, 0, 0)));

    // Camera at z = -20 looking along +z: a node there is in view.
    SetCameraLookAt(D3DXVECTOR3(0, 0, -20), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    EndFrame();
    EXPECT_TRUE(node.IsOnScreen());
    // Behind the camera, but with a box corner reaching in front of it: a long,
    // thin box along z.
    floor.boxMin = D3DXVECTOR3(-0.1f, 0, -5);
    floor.boxMax = D3DXVECTOR3(0.1f, 0, 5);
    CNode behind;
    behind.Setup(&floor, 0, 0, -21, 1.0f);
    EXPECT_TRUE(behind.IsOnScreen());
    CNode farBehind;
    farBehind.Setup(&floor, 0, 0, -40, 1.0f);
    EXPECT_FALSE(farBehind.IsOnScreen());
    CNode aside;  // in front, but far to the side
    aside.Setup(&floor, 60, 0, 0, 1.0f);
    EXPECT_FALSE(aside.IsOnScreen());
}

TEST_F(NodeOnDevice, DrawsOnlyWithAModelAndWhenVisible) {
    IDirect3DDevice8* device = GraphicsState.device;
    D3DXMATRIX marker;
    D3DXMatrixTranslation(&marker, 7, 7, 7);
    device->SetTransform(D3DTS_WORLD, &marker);
    floor.materialCount = 0;  // no subsets: only the world transform shows the draw

    CNode node;
    node.Draw();  // no model
    node.model = &floor;
    node.Draw();  // a model, but not visible yet
    D3DMATRIX world;
    device->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(world._41, 7.0f);

    node.Setup(&floor, 1, 2, 3, 1.0f);
    node.Draw();
    device->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(world._41, 1.0f);
    EXPECT_EQ(world._43, 3.0f);
}

}  // namespace
