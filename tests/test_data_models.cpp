// The generated car, gates and title model: they load through the game's own
// loader, have the sizes the game's numbers assume, are found by the game's own
// downward ray tests where the car must find them, and look like what they are
// from where the player sees them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "datagen/block_text.h"
#include "datagen/solids.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "render/graphics_state.h"
#include "render/mesh.h"
#include "render_fixture.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/node.h"

namespace {

std::string DataFile(const char* name) { return std::string(NOL_DATA_DIR) + "/" + name; }

bool PickDown(CNode& node, const D3DXVECTOR3& origin, D3DXVECTOR3* hit) {
    Ray ray{origin, D3DXVECTOR3(0, -1, 0), hit, nullptr};
    return node.Pick(ray) != 0;
}

int Red(uint32_t p) { return (p >> 16) & 0xFF; }
int Green(uint32_t p) { return (p >> 8) & 0xFF; }
int Blue(uint32_t p) { return p & 0xFF; }

// How the game places a gate: scale 30, at position, facing forward.
struct GatePlace {
    const char* what;
    D3DXVECTOR3 position;
    D3DXVECTOR3 forward;
    std::vector<float> carHeights;  // the heights the car's origin takes there
};

// Course 1's road heights (the car rides 1.0 over the terrain, road is below 0);
// the model courses carry the car at 0.8.
const GatePlace kGatePlaces[] = {
    {"course 1 start", {360, -10, 12}, {0, 0, 1}, {-4.0f, -2.5f, -0.05f}},
    {"course 1 checkpoint", {-370, -10, 8}, {0, 0, 1}, {-4.0f, -2.5f, -0.05f}},
    {"course 2 start", {1, -1, -110}, {1, 0, 0}, {0.8f}},
    {"course 2 checkpoint", {230, -1, 329}, {1, 0, 0}, {0.8f}},
    {"course 3 start", {80, -1, 300}, {1, 0, 0}, {0.8f}},
    {"course 3 checkpoint", {-25, -1, -581}, {1, 0, 0}, {0.8f}},
};

// Every triangle of a convex shape must face away from its inside, or the
// default culling removes it and the downward ray test misses it.
int InwardTriangles(const datagen::Model& model, const D3DXVECTOR3& inside) {
    const nol::d3dx8::xfile::XMeshDesc mesh = model.Scene("shape").frames.at(0).meshes.at(0);
    int inward = 0;
    for (const auto& face : mesh.faces) {
        const D3DXVECTOR3 a = mesh.positions[face[0]], b = mesh.positions[face[1]], c = mesh.positions[face[2]];
        D3DXVECTOR3 n, ab = b - a, ac = c - a;
        D3DXVec3Cross(&n, &ab, &ac);
        const D3DXVECTOR3 out = (a + b + c) / 3.0f - inside;
        inward += D3DXVec3Dot(&n, &out) <= 0.0f;
    }
    return inward;
}

TEST(ModelSolids, ShapesFaceOutwardsWhateverTheirOrientation) {
    datagen::Model hexahedron;
    // A skewed solid, given as the car's cabin is: a narrower top set back.
    const datagen::Hexahedron h = datagen::Frustum(-1, 2, -3, 3, 1.5f, 1, -1, 0.5f);
    datagen::AddHexahedron(hexahedron, 0, h);
    EXPECT_EQ(hexahedron.TriangleCount(), 12u);
    EXPECT_EQ(InwardTriangles(hexahedron, h.Centre()), 0);

    for (const D3DXVECTOR3& axis : {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, -1, 0), D3DXVECTOR3(0.3f, 0.5f, -0.8f)}) {
        datagen::Model cylinder;
        const D3DXVECTOR3 from(1, 2, 3);
        datagen::AddCylinder(cylinder, 0, 0, from, from + 2.0f * axis, 0.5f, 10);
        EXPECT_EQ(cylinder.TriangleCount(), 40u);
        EXPECT_EQ(InwardTriangles(cylinder, from + axis), 0) << axis.x << " " << axis.y << " " << axis.z;

        datagen::Model disc;
        datagen::AddDisc(disc, 0, from, axis, 1.0f, 8);
        EXPECT_EQ(InwardTriangles(disc, from - axis), 0);
    }
}

TEST(ModelSolids, LetteringStandsUprightOnItsSurface) {
    // "T" on a surface facing the default camera (which looks along +z): only the
    // top bar reaches the left edge, so the leftmost corner is also the highest.
    for (bool flat : {false, true}) {
        datagen::Model text;
        if (flat)
            datagen::AddFlatText(text, 0, "T", {0, 0, 0}, {0, 0, -1}, 1.0f, 0.1f);
        else
            datagen::AddBlockText(text, 0, "T", {0, 0, 0}, {0, 0, -1}, 1.0f, 0.5f);
        const std::vector<D3DXVECTOR3>& p = text.Positions();
        ASSERT_FALSE(p.empty());
        float left = p[0].x, top = p[0].y, nearest = p[0].z, farthest = p[0].z;
        for (const D3DXVECTOR3& v : p) {
            left = std::min(left, v.x);
            top = std::max(top, v.y);
            nearest = std::min(nearest, v.z);
            farthest = std::max(farthest, v.z);
        }
        EXPECT_NEAR(top, 3.5f, 1e-5f);  // seven rows centred on the given point
        EXPECT_NEAR(left, -2.5f, 1e-5f);
        float lowestAtLeft = top;
        for (const D3DXVECTOR3& v : p)
            if (v.x == left) lowestAtLeft = std::min(lowestAtLeft, v.y);
        EXPECT_NEAR(lowestAtLeft, 2.5f, 1e-5f) << (flat ? "flat" : "block");  // the bar, one row deep
        // Out of the surface towards the viewer, never behind it.
        EXPECT_NEAR(nearest, flat ? -0.1f : -0.5f, 1e-5f);
        EXPECT_NEAR(farthest, flat ? -0.1f : 0.0f, 1e-5f);
    }
}

class ModelData : public FrameworkDevice {
protected:
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        SetDirectionalLight(D3DXVECTOR3(1, -1, -1), D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f});
        GraphicsState.device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
    }

    void Load(Mesh& mesh, const char* name) { ASSERT_EQ(mesh.Load(DataFile(name).c_str(), 0, 1), 1) << name; }

    // Pixels that are not the black clear colour.
    static int Lit(const std::vector<uint32_t>& pixels) {
        int n = 0;
        for (uint32_t p : pixels) n += (p & 0xFFFFFF) != 0;
        return n;
    }
    template <typename Test>
    int Count(const std::vector<uint32_t>& pixels, int x0, int y0, int x1, int y1, Test test) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += test(At(pixels, x, y));
        return n;
    }
};

TEST_F(ModelData, CarStandsOnItsWheelsBelowTheCameraAndCoversItsFootprint) {
    Mesh car;
    Load(car, "car.x");
    EXPECT_NEAR(car.boxMin.y, -0.8f, 0.01f);  // tyres on a road 0.8 below the origin
    EXPECT_LT(car.boxMax.y, -0.1f);          // the chase camera looks over the roof
    EXPECT_GT(car.boxMax.y, -0.35f);         // ... at a car with a cabin
    EXPECT_NEAR(car.boxMax.z - car.boxMin.z, 1.0f, 0.15f);
    EXPECT_NEAR(car.boxMax.x - car.boxMin.x, 0.6f, 0.08f);
    EXPECT_NEAR(car.boxMax.x, -car.boxMin.x, 0.01f);  // symmetric about its centre line
    EXPECT_LT(car.mesh->GetNumFaces(), 3000u);

    CNode node;
    node.Setup(&car, 0, 0, 0, 1.0f);
    D3DXVECTOR3 hit;
    // Seen from above the car covers the game's four wheel points (0.25 to each
    // side, 0.375 ahead and behind) and its middle.
    for (float x : {-0.25f, 0.0f, 0.25f})
        for (float z : {-0.375f, 0.0f, 0.375f})
            EXPECT_TRUE(PickDown(node, D3DXVECTOR3(x, 0, z), &hit)) << x << ", " << z;
    // The roof is the first thing under the origin, the road the last.
    ASSERT_TRUE(PickDown(node, D3DXVECTOR3(0, 0, -0.1f), &hit));
    EXPECT_NEAR(hit.y, car.boxMax.y, 0.02f);
    EXPECT_FALSE(PickDown(node, D3DXVECTOR3(0, -0.81f, 0), &hit));
}

TEST_F(ModelData, GatePlatesLieUnderTheCarAcrossTheRoadInEveryPlacement) {
    for (const char* file : {"objstart.x", "objcheck.x"}) {
        Mesh gate;
        Load(gate, file);
        // Posts rise well above course 1's highest terrain (y < 3) from y = -10.
        EXPECT_GT(-10.0f + 30.0f * gate.boxMax.y, 3.0f + 8.0f) << file;
        for (const GatePlace& place : kGatePlaces) {
            CNode node;
            node.Setup(&gate, 0, 0, 0, 30.0f);
            node.SetLocalPosition(place.position.x, place.position.y, place.position.z);
            node.SetDirection(place.forward, D3DXVECTOR3(0, 1, 0));
            for (float carY : place.carHeights) {
                // A square at least as wide as a road and more than two frames of
                // top speed (2 x 3.33) long whichever way the car crosses it.
                int misses = 0;
                for (float dx = -20.0f; dx <= 20.0f; dx += 2.5f) {
                    for (float dz = -20.0f; dz <= 20.0f; dz += 2.5f) {
                        const D3DXVECTOR3 car(place.position.x + dx, carY, place.position.z + dz);
                        D3DXVECTOR3 hit;
                        // The lap test's convention: the car's position less the gate's.
                        misses += !PickDown(node, car - node.GetLocalPosition(), &hit);
                    }
                }
                EXPECT_EQ(misses, 0) << file << ", " << place.what << ", car at y = " << carY;
                // Nowhere near the gate nothing counts.
                D3DXVECTOR3 hit;
                EXPECT_FALSE(PickDown(node, D3DXVECTOR3(60, carY - place.position.y, 0), &hit)) << place.what;
                EXPECT_FALSE(PickDown(node, D3DXVECTOR3(0, carY - place.position.y, -60), &hit)) << place.what;
            }
        }
        // On the model courses the plate shows above a road at y = 0 and below the
        // car at 0.8.
        CNode node;
        node.Setup(&gate, 0, 0, 0, 30.0f);
        node.SetLocalPosition(0, -1, 0);
        D3DXVECTOR3 hit;
        ASSERT_TRUE(PickDown(node, D3DXVECTOR3(3, 1.8f, 3), &hit));
        // Pick reports the hit in the node's scaled frame, relative to its position.
        EXPECT_GT(hit.y - 1.0f, 0.05f) << file;
        EXPECT_LT(hit.y - 1.0f, 0.6f) << file;
    }
}

// The selection screen: camera at the origin looking along +x, the title three
// units ahead turning about its vertical axis, text from y = 300 down.
TEST_F(ModelData, TitleFitsTheSelectionScreenAboveTheTextAtEveryAngle) {
    Mesh title;
    Load(title, "opentitle.x");
    CNode node;
    node.Setup(&title, 0, 0, 0, 1.0f);
    node.SetLocalPosition(3, 0, 0);
    SetCameraLookAt(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
    const int steps = 24;
    for (int i = 0; i < steps; ++i) {
        ASSERT_EQ(BeginFrame(0xFF000000), 1);
        SetZWrite(TRUE);
        SetLighting(TRUE);
        node.Draw();
        EndFrame();
        const std::string name = "models-title-" + std::to_string(i);
        const std::vector<uint32_t> pixels = ReadBack(name.c_str());
        ASSERT_EQ(pixels.size(), size_t(640 * 480));
        const auto any = [](uint32_t p) { return (p & 0xFFFFFF) != 0; };
        EXPECT_GT(Lit(pixels), 640 * 480 / 12) << "angle step " << i;  // big enough to see
        EXPECT_EQ(Count(pixels, 0, 296, 640, 480, any), 0) << "over the text, angle step " << i;
        EXPECT_EQ(Count(pixels, 0, 0, 640, 4, any) + Count(pixels, 0, 0, 4, 480, any) +
                      Count(pixels, 636, 0, 640, 480, any),
                  0)
            << "cut off at the edge, angle step " << i;
        if (i == 0) {
            // Unturned, the three letters face the camera: red, yellow, blue.
            const auto red = [](uint32_t p) { return Red(p) > 150 && Green(p) < 90 && Blue(p) < 90; };
            const auto yellow = [](uint32_t p) { return Red(p) > 150 && Green(p) > 120 && Blue(p) < 60; };
            const auto blue = [](uint32_t p) { return Blue(p) > 150 && Red(p) < 90; };
            EXPECT_GT(Count(pixels, 0, 0, 260, 300, red), 1000);
            EXPECT_GT(Count(pixels, 240, 0, 400, 300, yellow), 1000);
            EXPECT_GT(Count(pixels, 380, 0, 640, 300, blue), 500);
        }
        node.RotateY(6.2831853f / steps);
    }
}

// The car from behind, as the chase camera shows it, and from the front and the
// rear corners, standing on a grey road.
TEST_F(ModelData, CarShowsPaintStripeWheelsAndLightsFromWhereThePlayerLooks) {
    Mesh car, road;
    Load(car, "car.x");
    ASSERT_EQ(road.CreateBox(60, 0.02f, 60, 0.35f, 0.35f, 0.37f, 1.0f), 1);
    CNode carNode, roadNode;
    carNode.Setup(&car, 0, 0.8f, 0, 1.0f);
    roadNode.Setup(&road, 0, -0.01f, 0, 1.0f);
    const auto draw = [&](const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const char* name) {
        SetCameraLookAt(eye, at, D3DXVECTOR3(0, 1, 0));
        EXPECT_EQ(BeginFrame(0xFF000000), 1);
        SetZWrite(TRUE);
        SetLighting(TRUE);
        roadNode.Draw();
        carNode.Draw();
        EndFrame();
        return ReadBack(name);
    };
    const auto paint = [](uint32_t p) { return Red(p) > 120 && Green(p) < 60 && Blue(p) < 60; };
    const auto white = [](uint32_t p) { return Red(p) > 170 && Green(p) > 170 && Blue(p) > 160; };
    const auto tyre = [](uint32_t p) { return Red(p) < 40 && Green(p) < 40 && Blue(p) < 40 && (p & 0xFFFFFF); };
    const auto lamp = [](uint32_t p) { return Red(p) > 230 && Green(p) > 230 && Blue(p) > 150; };
    const auto tail = [](uint32_t p) { return Red(p) > 200 && Green(p) < 70; };

    // The chase camera: a unit behind the origin at its height, looking at it.
    std::vector<uint32_t> chase = draw({0, 0.8f, -1}, {0, 0.8f, 0}, "models-car-chase");
    EXPECT_GT(Count(chase, 200, 330, 440, 480, paint), 3000);  // roof and bonnet at the bottom middle
    EXPECT_GT(Count(chase, 280, 330, 360, 480, white), 300);   // the stripe down the middle
    EXPECT_EQ(Count(chase, 0, 0, 640, 240, paint), 0);          // nothing of the car above the horizon

    std::vector<uint32_t> front = draw({1.0f, 0.95f, 1.35f}, {0, 0.42f, 0}, "models-car-front");
    EXPECT_GT(Count(front, 0, 0, 640, 480, lamp), 100);
    EXPECT_GT(Count(front, 0, 0, 640, 480, tyre), 1500);
    EXPECT_GT(Count(front, 0, 0, 640, 480, paint), 5000);

    std::vector<uint32_t> rear = draw({-0.95f, 1.0f, -1.4f}, {0, 0.42f, 0}, "models-car-rear");
    EXPECT_GT(Count(rear, 0, 0, 640, 480, tail), 100);
    EXPECT_GT(Count(rear, 0, 0, 640, 480, tyre), 1500);
}

// Gates as a driver meets them: on a model course's road, and on course 1 sunk
// ten units below a ground at the road's height.
TEST_F(ModelData, GatesStandOutAboveTheGroundInTheirOwnColours) {
    Mesh start, check, road;
    Load(start, "objstart.x");
    Load(check, "objcheck.x");
    ASSERT_EQ(road.CreateBox(400, 0.02f, 400, 0.3f, 0.5f, 0.25f, 1.0f), 1);
    struct View {
        Mesh* gate;
        float gateY, roadY;
        const char* name;
        bool (*pylon)(uint32_t);
    };
    const View views[] = {
        {&start, -1.0f, 0.0f, "models-start-gate",
         [](uint32_t p) { return Red(p) > 150 && Green(p) < 60 && Blue(p) < 60; }},
        {&check, -10.0f, -3.5f, "models-checkpoint-course1",
         [](uint32_t p) { return Blue(p) > 150 && Red(p) < 80; }},
    };
    for (const View& v : views) {
        CNode gate, ground;
        gate.Setup(v.gate, 0, 0, 0, 30.0f);
        gate.SetLocalPosition(0, v.gateY, 0);
        gate.SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
        ground.Setup(&road, 0, v.roadY - 0.01f, 0, 1.0f);
        // A car 90 units before the gate, slightly off its axis, at its camera height.
        const D3DXVECTOR3 eye(-90, v.roadY + 0.8f, -12);
        SetCameraLookAt(eye, D3DXVECTOR3(0, v.roadY + 6.0f, 0), D3DXVECTOR3(0, 1, 0));
        ASSERT_EQ(BeginFrame(0xFF000000), 1);
        SetZWrite(TRUE);
        SetLighting(TRUE);
        ground.Draw();
        gate.Draw();
        EndFrame();
        const std::vector<uint32_t> pixels = ReadBack(v.name);
        ASSERT_EQ(pixels.size(), size_t(640 * 480));
        // The pylons and frame stand above the horizon (the picture's middle row).
        EXPECT_GT(Count(pixels, 0, 0, 640, 230, v.pylon), 800) << v.name;
    }
}

}  // namespace
