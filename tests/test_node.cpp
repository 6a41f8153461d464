// Scene nodes: placement and hierarchy, world-space queries, picking.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "render/direct3d.h"
#include "render/frame.h"
#include "render/mesh.h"
#include "render/texture.h"
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

// The node's own axes in parent space, without its scale.
D3DXVECTOR3 Axis(const CNode& n, int row) {
    return D3DXVECTOR3(n.local.m[row][0], n.local.m[row][1], n.local.m[row][2]) / n.scale;
}

TEST(Node, FacingTheCameraTurnsOnlyAboutTheNamedAxis) {
    // Cameras all round the node, on every side of it in x.
    const D3DXVECTOR3 eyes[] = {{20, 7, 13}, {-15, -4, 9}, {-3, 2, -30}, {12, 1, -1}};
    for (const D3DXVECTOR3& eye : eyes) {
        SetCameraLookAt(eye, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
        CNode n;
        n.Setup(nullptr, 2, 1, 3, 1.5f);
        n.RotateX(0.7f);  // any earlier turn is replaced
        n.FaceCameraY();
        D3DXVECTOR3 toEye = eye - D3DXVECTOR3(2, 1, 3);
        toEye.y = 0;
        D3DXVec3Normalize(&toEye, &toEye);
        ExpectNear(Axis(n, 2), toEye);                 // forward, level, at the camera
        ExpectNear(Axis(n, 1), D3DXVECTOR3(0, 1, 0));  // still upright
        ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(2, 1, 3));
        EXPECT_NEAR(RowLength(n.local, 0), 1.5f, 1e-5);

        n.FaceCameraZ();
        D3DXVECTOR3 inPlane = eye - D3DXVECTOR3(2, 1, 3);
        inPlane.z = 0;
        D3DXVec3Normalize(&inPlane, &inPlane);
        ExpectNear(Axis(n, 1), inPlane);  // up, in the x-y plane, at the camera
        ExpectNear(Axis(n, 2), D3DXVECTOR3(0, 0, 1));
        ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(2, 1, 3));
        EXPECT_NEAR(RowLength(n.local, 1), 1.5f, 1e-5);
    }
}

TEST(Node, MovesGoAlongTheNodesOwnAxesOrTheParents) {
    CNode n;
    n.Setup(nullptr, 1, 2, 3, 2.0f);
    n.RotateY(D3DX_PI / 2);  // right is now -z, forward +x
    n.MoveLocal(D3DXVECTOR3(1, 0, 4));
    ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(1 + 4, 2, 3 - 1));  // 1 right, 4 forward, in parent units
    EXPECT_FLOAT_EQ(n.previous._41, 1.0f);

    // Along the parent's axes the turn does not matter; the distance is divided by
    // the node's scale.
    n.MoveParent(D3DXVECTOR3(2, 4, 0));
    ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(5 + 1, 2 + 2, 2));
    ExpectNear(Axis(n, 2), D3DXVECTOR3(1, 0, 0));
    EXPECT_NEAR(RowLength(n.local, 0), 2.0f, 1e-5);
}

TEST(Node, TurnsAboutAnAxisOfItsOwnOrOfTheParent) {
    CNode n;
    n.Setup(nullptr, 3, 4, 5, 1.0f);
    n.RotateX(0.4f);
    const D3DXVECTOR3 right = Axis(n, 0), up = Axis(n, 1), forward = Axis(n, 2);
    // Half a turn about the node's own (1, 1, 0) diagonal swaps its right and up
    // and reverses its forward, in place.
    D3DXVECTOR3 diagonal(1, 1, 0);
    D3DXVec3Normalize(&diagonal, &diagonal);
    n.RotateAxis(diagonal, D3DX_PI);
    ExpectNear(Axis(n, 0), up);
    ExpectNear(Axis(n, 1), right);
    ExpectNear(Axis(n, 2), -forward);
    ExpectNear(n.GetLocalPosition(), D3DXVECTOR3(3, 4, 5));

    // About the parent's x and z the position swings too, as a point turned by the
    // same rotation would.
    CNode p;
    p.Setup(nullptr, 0, 4, 0, 1.0f);
    D3DXMATRIX quarterX, quarterZ;
    D3DXMatrixRotationX(&quarterX, D3DX_PI / 2);
    D3DXMatrixRotationZ(&quarterZ, D3DX_PI / 2);
    D3DXVECTOR3 expected, start(0, 4, 0), yAxis(0, 1, 0), turnedY;
    D3DXVec3TransformCoord(&expected, &start, &quarterX);
    p.RotateParentX(D3DX_PI / 2);
    ExpectNear(p.GetLocalPosition(), expected);
    ExpectNear(expected, D3DXVECTOR3(0, 0, 4));  // about x, +y goes to +z
    D3DXVec3TransformNormal(&turnedY, &yAxis, &quarterX);
    ExpectNear(Axis(p, 1), turnedY);

    D3DXVECTOR3 next;
    D3DXVec3TransformCoord(&next, &expected, &quarterZ);
    p.RotateParentZ(D3DX_PI / 2);
    ExpectNear(p.GetLocalPosition(), next);
    p.SetLocalPosition(4, 0, 0);
    p.RotateParentZ(D3DX_PI / 2);
    ExpectNear(p.GetLocalPosition(), D3DXVECTOR3(0, 4, 0));  // about z, +x goes to +y
}

TEST(Node, ALocalMatrixIsTakenAsItIsAndCountsAsScaleOne) {
    CNode n;
    n.Setup(nullptr, 0, 0, 0, 3.0f);
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, 2, 2, 2);
    m._41 = 7;
    n.SetLocalMatrix(m);
    EXPECT_EQ(n.GetLocalMatrix(), m);
    EXPECT_FLOAT_EQ(n.scale, 1.0f);
    // A later scale of 2 doubles what was given.
    n.SetScale(2.0f);
    EXPECT_NEAR(RowLength(n.local, 0), 4.0f, 1e-5);
    EXPECT_FLOAT_EQ(n.GetLocalPosition().x, 7.0f);
}

TEST(Node, BoxCornersRunFromTheMaximumCornerToTheMinimumOneBitByBit) {
    Mesh model;
    model.boxMin = D3DXVECTOR3(-1, -2, -3);
    model.boxMax = D3DXVECTOR3(4, 5, 6);
    CNode n;
    n.Setup(&model, 10, 20, 30, 1.0f);
    D3DXVECTOR3 world[8];
    n.GetWorldBox(world);
    ExpectNear(n.box[0], model.boxMax);
    ExpectNear(n.box[7], model.boxMin);
    // Neighbouring corners differ in z, corners two apart in y, four apart in x,
    // and always from the maximum to the minimum.
    for (int k = 0; k < 8; k += 2) EXPECT_TRUE(n.box[k].z == 6 && n.box[k + 1].z == -3) << k;
    for (int k : {0, 1, 4, 5}) EXPECT_TRUE(n.box[k].y == 5 && n.box[k + 2].y == -2) << k;
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(n.box[k].x == 4 && n.box[k + 4].x == -1) << k;
    for (int k = 0; k < 8; ++k) ExpectNear(world[k], n.box[k] + D3DXVECTOR3(10, 20, 30));
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

TEST_F(NodeOnDevice, PickReportsTheHitTriangleCornerByCorner) {
    CNode node;
    node.Setup(&floor, 0, 0, 0, 1.0f);
    D3DXVECTOR3 hit;
    float t[9];
    auto corners = [&] {
        return std::vector<D3DXVECTOR3>{{t[0], t[1], t[2]}, {t[3], t[4], t[5]}, {t[6], t[7], t[8]}};
    };
    // (1, 2) lies in the first face (corners 0, 1, 2), (4, -2) in the second (0, 2, 3).
    Ray first{D3DXVECTOR3(1, 3, 2), D3DXVECTOR3(0, -1, 0), &hit, t};
    ASSERT_EQ(node.Pick(first), 1);
    EXPECT_EQ(corners(), (std::vector<D3DXVECTOR3>{{-5, 0, -5}, {-5, 0, 5}, {5, 0, 5}}));
    Ray second{D3DXVECTOR3(4, 3, -2), D3DXVECTOR3(0, -1, 0), &hit, t};
    ASSERT_EQ(node.Pick(second), 1);
    EXPECT_EQ(corners(), (std::vector<D3DXVECTOR3>{{-5, 0, -5}, {5, 0, 5}, {5, 0, -5}}));
    ExpectNear(hit, D3DXVECTOR3(4, 0, -2));
}

// Hits are compared with a start at (1000, 1000, 1000): straight down from
// (0, h, 0), that start is nearer than the floor once h^2 > 2 * 1000^2 + (1000 - h)^2,
// that is from h = 1500 on.
TEST_F(NodeOnDevice, PickIgnoresFloorsFartherThanItsStartingPoint) {
    CNode node;
    node.Setup(&floor, 0, 0, 0, 1.0f);
    D3DXVECTOR3 hit;
    Ray near{D3DXVECTOR3(0, 1499, 0), D3DXVECTOR3(0, -1, 0), &hit, nullptr};
    ASSERT_EQ(node.Pick(near), 1);
    ExpectNear(hit, D3DXVECTOR3(0, 0, 0));
    Ray far{D3DXVECTOR3(0, 1501, 0), D3DXVECTOR3(0, -1, 0), &hit, nullptr};
    EXPECT_EQ(node.Pick(far), 0);
}

TEST_F(NodeOnDevice, TexturedAndAlphaDrawsHandTheirTextureAndAlphaToTheDevice) {
    IDirect3DDevice8* device = GraphicsState.device;
    D3DMATERIAL8 material{};
    material.Ambient = D3DCOLORVALUE{0.2f, 0.4f, 0.6f, 0.25f};
    material.Diffuse = material.Ambient;
    floor.materialCount = 1;
    floor.materials = new D3DMATERIAL8[1]{material};
    floor.textures = new IDirect3DTexture8*[1]{nullptr};

    Texture texture;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture.texture), D3D_OK);
    CNode node;
    node.Setup(&floor, 1, 2, 3, 1.0f);
    node.texture = &texture;
    node.DrawTextured();
    IDirect3DBaseTexture8* bound = nullptr;
    ASSERT_EQ(device->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, static_cast<IDirect3DBaseTexture8*>(texture.texture));
    if (bound) bound->Release();
    D3DMATRIX world;
    device->GetTransform(D3DTS_WORLD, &world);
    EXPECT_EQ(world._42, 2.0f);

    // The offset is added to the model's own alpha for the draw only, and the sum
    // stops at 1.
    node.alphaOffset = 0.5f;
    node.DrawAlphaAdd();
    D3DMATERIAL8 used{};
    device->GetMaterial(&used);
    EXPECT_FLOAT_EQ(used.Diffuse.a, 0.75f);
    EXPECT_FLOAT_EQ(used.Ambient.a, 0.75f);
    EXPECT_FLOAT_EQ(used.Diffuse.g, 0.4f);
    EXPECT_FLOAT_EQ(floor.materials[0].Ambient.a, 0.25f);
    node.alphaOffset = 0.9f;
    node.DrawAlphaAdd();
    device->GetMaterial(&used);
    EXPECT_FLOAT_EQ(used.Diffuse.a, 1.0f);
    ASSERT_EQ(device->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, nullptr);  // the model's own texture again
    if (bound) bound->Release();
}

}  // namespace
