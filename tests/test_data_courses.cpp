// The generated model courses (2 and 3), checked the way the game meets them:
// loaded with Mesh::Load, placed by nodes as the course set-up places them, and
// driven on with the same downward rays as the car's ground and lap steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "datagen/centre_line.h"
#include "datagen/courses.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "render/mesh.h"
#include "render_fixture.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/node.h"
#include "support/test_support.h"

namespace {

std::string DataFile(const char* name) { return std::string(NOL_DATA_DIR) + "/" + name; }

// Ground and road rays start at the wheel point itself; gate rays at the car's
// position minus the gate's. Only hit or miss matters to the game.
bool Hits(CNode& node, const D3DXVECTOR3& origin, D3DXVECTOR3* where = nullptr) {
    D3DXVECTOR3 hit;
    Ray ray{origin, D3DXVECTOR3(0, -1, 0), &hit, nullptr};
    const int result = node.Pick(ray);
    if (where) *where = hit;
    return result != 0;
}

// The car's four wheel points (FR, RR, FL, RL) for a position and a forward
// direction in the ground plane.
std::vector<D3DXVECTOR3> Wheels(const D3DXVECTOR3& pos, D3DXVECTOR2 forward) {
    forward /= std::sqrt(forward.x * forward.x + forward.y * forward.y);
    const D3DXVECTOR3 f(forward.x, 0, forward.y), r(forward.y, 0, -forward.x);
    return {pos + 0.25f * r + 0.375f * f, pos + 0.25f * r - 0.375f * f, pos - 0.25f * r + 0.375f * f,
            pos - 0.25f * r - 0.375f * f};
}

struct CourseLayout {
    int number;
    const char* road;
    float roadScale;
    const char* ground;
    float groundScale;
    D3DXVECTOR3 groundPos;
    D3DXVECTOR3 startPos;
    float startHeading;
    D3DXVECTOR3 startGate, checkGate;
    // How far from the centre line the car is certainly on the road and certainly
    // inside the walls, and how far it is certainly off the road and walled.
    float onRoad, inside, offRoad, walled;
};

// Positions and scales as the course set-up uses them.
const CourseLayout kCourse2{2, "course1st@5.x", 150, "course1st@5.x", 150, {0, -10.1f, 0}, {0, 1, -110}, 2.5f,
                            {1, -1, -110}, {230, -1, 329}, datagen::kRoadHalfWidth, datagen::kRoadHalfWidth,
                            datagen::kRoadEdge + 1.5f, datagen::kRoadEdge + 1.5f};
const CourseLayout kCourse3{3, "course2nd.x", 150, "green2nd.x", 170, {0, -1, 0}, {80, 0, 300}, 4.2f,
                            {80, -1, 300}, {-25, -1, -581}, datagen::kRoadHalfWidth, datagen::kGrassHalfWidth,
                            datagen::kRoadEdge + 1.5f, datagen::kGrassEdge + 1.5f};

class CourseData : public FrameworkDevice {
protected:
    Mesh road, ground;
    CNode roadNode, groundNode;

    void Place(const CourseLayout& c) {
        ASSERT_EQ(road.Load(DataFile(c.road).c_str(), 0, 1), 1);
        ASSERT_EQ(ground.Load(DataFile(c.ground).c_str(), 0, 1), 1);
        roadNode.Setup(&road, 0, 0, 0, c.roadScale);
        groundNode.Setup(&ground, 0, 0, 0, c.groundScale);
        groundNode.SetLocalPosition(c.groundPos.x, c.groundPos.y, c.groundPos.z);
    }

    // Every wheel of a car at pos heading along forward is on the road (and so
    // on the ground).
    void ExpectOnRoad(const D3DXVECTOR3& pos, const D3DXVECTOR2& forward, const char* what, size_t i) {
        for (const D3DXVECTOR3& w : Wheels(pos, forward)) {
            EXPECT_TRUE(Hits(roadNode, w)) << what << " " << i << " off the road at " << w.x << ", " << w.z;
            EXPECT_TRUE(Hits(groundNode, w)) << what << " " << i << " in a wall at " << w.x << ", " << w.z;
        }
    }

    void CheckDrivable(const CourseLayout& c) {
        Place(c);
        if (HasFatalFailure()) return;
        const D3DXVECTOR2 heading(std::sin(c.startHeading), std::cos(c.startHeading));
        // The first frame's rays start at the start position's own height, later
        // ones at the drawn height 0.8.
        ExpectOnRoad(c.startPos, heading, "start", 0);
        ExpectOnRoad({c.startPos.x, 0.8f, c.startPos.z}, heading, "start", 1);

        const std::vector<D3DXVECTOR3> line = datagen::CentreLine(c.number);
        ASSERT_GT(line.size(), 100u);
        // The line leaves the start along the start heading.
        EXPECT_NEAR(line[0].x, c.startPos.x, 0.01f);
        EXPECT_NEAR(line[0].z, c.startPos.z, 0.01f);
        const D3DXVECTOR2 first(line[1].x - line[0].x, line[1].z - line[0].z);
        EXPECT_GT(D3DXVec2Dot(&first, &heading) / D3DXVec2Length(&first), 0.99f);

        int offRoad = 0, walled = 0, onRoad = 0, inside = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const D3DXVECTOR3& a = line[i];
            const D3DXVECTOR3& b = line[(i + 1) % line.size()];
            EXPECT_LT(std::hypot(b.x - a.x, b.z - a.z), 12.0f) << "gap in the line after " << i;
            const D3DXVECTOR2 forward(b.x - a.x, b.z - a.z);
            // At the samples and half-way between them.
            for (float s : {0.0f, 0.5f}) {
                ExpectOnRoad(a + (b - a) * s + D3DXVECTOR3(0, 0.8f, 0), forward, "centre", i);
                if (HasFailure()) return;
            }
            // Just beyond the edges: off the road, then (further out) into the wall.
            const D3DXVECTOR3 right(forward.y, 0, -forward.x);
            const D3DXVECTOR3 unitRight = right / D3DXVec3Length(&right);
            for (float side : {-1.0f, 1.0f}) {
                const D3DXVECTOR3 p = a + D3DXVECTOR3(0, 0.8f, 0);
                offRoad += !Hits(roadNode, p + unitRight * side * c.offRoad);
                walled += !Hits(groundNode, p + unitRight * side * c.walled);
                onRoad += Hits(roadNode, p + unitRight * side * (c.onRoad - 0.3f));
                inside += Hits(groundNode, p + unitRight * side * (c.inside - 0.3f));
            }
        }
        // The far side of the track may come near on a tight bend, so count.
        EXPECT_GT(offRoad, int(line.size()) * 2 * 95 / 100);
        EXPECT_GT(walled, int(line.size()) * 2 * 95 / 100);
        EXPECT_EQ(onRoad, int(line.size()) * 2);
        EXPECT_EQ(inside, int(line.size()) * 2);
    }
};

TEST_F(CourseData, Course2IsDrivableAlongItsWholeCentreLine) { CheckDrivable(kCourse2); }

TEST_F(CourseData, Course3IsDrivableAlongItsWholeCentreLine) { CheckDrivable(kCourse3); }

// At top speed (1000 / 5 units per simulated second, 0.016666 s a frame, 30
// frames a real second) a lap must take 30 to 90 seconds; the gates stand on the
// line, long enough under it to be seen for two frames.
TEST(CourseLines, LapsTakeHalfAMinuteToAMinuteAndAHalfAndPassBothGates) {
    const float unitsPerFrame = 1000.0f / 5.0f * 0.016666f;
    for (const CourseLayout* c : {&kCourse2, &kCourse3}) {
        const std::vector<D3DXVECTOR3> line = datagen::CentreLine(c->number);
        ASSERT_FALSE(line.empty());
        float length = 0;
        float nearStart = 1e9f, nearCheck = 1e9f;
        // Distance in the ground plane from p to the segment a-b.
        auto distance = [](const D3DXVECTOR3& p, const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
            const D3DXVECTOR2 ab(b.x - a.x, b.z - a.z), ap(p.x - a.x, p.z - a.z);
            const float s = std::clamp(D3DXVec2Dot(&ap, &ab) / D3DXVec2Dot(&ab, &ab), 0.0f, 1.0f);
            return std::hypot(ap.x - s * ab.x, ap.y - s * ab.y);
        };
        for (size_t i = 0; i < line.size(); ++i) {
            const D3DXVECTOR3& a = line[i];
            const D3DXVECTOR3& b = line[(i + 1) % line.size()];
            length += std::hypot(b.x - a.x, b.z - a.z);
            nearStart = std::min(nearStart, distance(c->startGate, a, b));
            nearCheck = std::min(nearCheck, distance(c->checkGate, a, b));
        }
        const float seconds = length / unitsPerFrame / 30.0f;
        EXPECT_GE(seconds, 30.0f) << "course " << c->number;
        EXPECT_LE(seconds, 90.0f) << "course " << c->number;
        EXPECT_LT(nearStart, 2.0f) << "course " << c->number;
        EXPECT_LT(nearCheck, 2.0f) << "course " << c->number;
    }
    EXPECT_TRUE(datagen::CentreLine(0).empty());
    EXPECT_TRUE(datagen::CentreLine(4).empty());
}

// A car following the centre line at top speed sees each gate's plate under it
// for at least two frames.
TEST_F(CourseData, GatePlatesLieUnderTheCentreLine) {
    ASSERT_TRUE(FileExists(DataFile("objstart.x")) && FileExists(DataFile("objcheck.x")))
        << "objstart.x and objcheck.x were not generated";
    Mesh startMesh, checkMesh;
    ASSERT_EQ(startMesh.Load(DataFile("objstart.x").c_str(), 0, 1), 1);
    ASSERT_EQ(checkMesh.Load(DataFile("objcheck.x").c_str(), 0, 1), 1);
    const float unitsPerFrame = 1000.0f / 5.0f * 0.016666f;
    for (const CourseLayout* c : {&kCourse2, &kCourse3}) {
        CNode startNode, checkNode;
        startNode.Setup(&startMesh, 0, 0, 0, 30);
        checkNode.Setup(&checkMesh, 0, 0, 0, 30);
        startNode.SetLocalPosition(c->startGate.x, c->startGate.y, c->startGate.z);
        checkNode.SetLocalPosition(c->checkGate.x, c->checkGate.y, c->checkGate.z);
        startNode.SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
        checkNode.SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
        // Walk the line in top-speed steps, twice over with different phases.
        const std::vector<D3DXVECTOR3> line = datagen::CentreLine(c->number);
        for (float phase : {0.0f, 0.5f}) {
            int startFrames = 0, checkFrames = 0;
            size_t i = 0;
            float along = phase * unitsPerFrame;
            while (i < line.size()) {
                const D3DXVECTOR3& a = line[i];
                const D3DXVECTOR3& b = line[(i + 1) % line.size()];
                const float segment = std::hypot(b.x - a.x, b.z - a.z);
                if (along > segment) {
                    along -= segment;
                    ++i;
                    continue;
                }
                D3DXVECTOR3 pos = a + (b - a) * (along / segment);
                pos.y = 0.8f;
                startFrames += Hits(startNode, pos - startNode.GetLocalPosition());
                checkFrames += Hits(checkNode, pos - checkNode.GetLocalPosition());
                along += unitsPerFrame;
            }
            EXPECT_GE(startFrames, 2) << "course " << c->number;
            EXPECT_GE(checkFrames, 2) << "course " << c->number;
        }
    }
}

// Trees and stands of course 2 stand clear of the road: no point of their
// footprint is over it.
TEST_F(CourseData, Course2SceneryStandsOffTheRoad) {
    Place(kCourse2);
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(Hits(roadNode, {0, 0.8f, -110}));  // the rays do find the road
    Mesh tree, stand;
    ASSERT_EQ(tree.Load(DataFile("obj1st2@1.x").c_str(), 0, 1), 1);
    ASSERT_EQ(stand.Load(DataFile("obj1st3@1.x").c_str(), 0, 1), 1);
    // A tree a few units across and well over the car; a stand tens of units.
    EXPECT_GT((tree.boxMax.y - tree.boxMin.y) * 10, 10.0f);
    EXPECT_LT((tree.boxMax.x - tree.boxMin.x) * 10, 12.0f);
    EXPECT_GT((stand.boxMax.x - stand.boxMin.x) * 50, 20.0f);
    struct Placed {
        const Mesh* mesh;
        float scale;
        D3DXVECTOR3 pos;
    };
    const Placed placed[] = {{&tree, 10, {0.1f, 0, -50}},  {&tree, 10, {20, 0, -235}}, {&tree, 10, {200, 0, -60}},
                             {&tree, 10, {150, 0, -400}},  {&tree, 10, {800, 0, 0}},   {&tree, 10, {0, 0, 200}},
                             {&tree, 10, {90, 0, 375}},    {&tree, 10, {-700, 0, 130}}, {&stand, 50, {110, 0, -35}},
                             {&stand, 50, {300, 0, -500}}};
    for (const Placed& p : placed) {
        // The footprint and a margin of a car's width round it.
        const float x0 = p.pos.x + p.mesh->boxMin.x * p.scale - 1, x1 = p.pos.x + p.mesh->boxMax.x * p.scale + 1;
        const float z0 = p.pos.z + p.mesh->boxMin.z * p.scale - 1, z1 = p.pos.z + p.mesh->boxMax.z * p.scale + 1;
        for (int i = 0; i <= 8; ++i)
            for (int k = 0; k <= 8; ++k) {
                const D3DXVECTOR3 at(x0 + (x1 - x0) * float(i) / 8, 0.8f, z0 + (z1 - z0) * float(k) / 8);
                EXPECT_FALSE(Hits(roadNode, at)) << "object at " << p.pos.x << ", " << p.pos.z;
            }
    }
}

// Looking down on the scenery models from above the centre line finds only the
// ground beneath the track: no tyre wall, hill or sky stands on it; and just
// beyond the road's edge (course 2) or the grass's (course 3) there is a wall.
// The probes run in the models' own units on nodes of scale 1, where even the
// narrow tops of the walls are large enough for the ray test, and where course
// 3's side model can have its squashed height (it is drawn with diag(150, 15, 150)).
TEST_F(CourseData, BackdropsLeaveTheTrackClearAndWallItIn) {
    struct Case {
        int course;
        const char* file;
        float yScale, ground, wall;
    };
    for (const Case& c : {Case{2, "obj1st@3.x", 150, -5.0f, datagen::kRoadEdge + 0.3f},
                          Case{3, "course2ndside.x", 15, -4.0f, datagen::kGrassEdge + 0.3f}}) {
        Mesh model;
        ASSERT_EQ(model.Load(DataFile(c.file).c_str(), 0, 1), 1);
        CNode node;
        node.Setup(&model, 0, 0, 0, 1);
        // The height of what a ray from high above (x, z) meets first, in world units.
        auto top = [&](const D3DXVECTOR3& p) {
            D3DXVECTOR3 hit;
            return Hits(node, D3DXVECTOR3(p.x / 150, 60.0f / c.yScale, p.z / 150), &hit) ? hit.y * c.yScale
                                                                                            : -1000.0f;
        };
        const std::vector<D3DXVECTOR3> line = datagen::CentreLine(c.course);
        int walls = 0, probes = 0;
        for (size_t i = 0; i < line.size(); ++i) {
            const D3DXVECTOR3 d = line[(i + 1) % line.size()] - line[i];
            D3DXVECTOR3 right(d.z, 0, -d.x);
            right /= D3DXVec3Length(&right);
            const float clear = c.course == 2 ? datagen::kRoadHalfWidth : datagen::kGrassHalfWidth;
            for (float lateral : {-clear, 0.0f, clear})
                ASSERT_NEAR(top(line[i] + right * lateral), c.ground, 0.01f)
                    << "course " << c.course << " at " << line[i].x << ", " << line[i].z << " + " << lateral;
            for (float side : {-1.0f, 1.0f}) {
                walls += top(line[i] + right * side * c.wall) > 0.5f;
                ++probes;
            }
        }
        EXPECT_GT(walls, probes * 95 / 100) << "course " << c.course;
    }
}

// What a race draws each frame stays within tens of thousands of triangles.
TEST_F(CourseData, CoursesDrawAModestNumberOfTriangles) {
    auto faces = [](const char* name) {
        Mesh m;
        EXPECT_EQ(m.Load(DataFile(name).c_str(), 0, 1), 1) << name;
        return m.mesh ? int(m.mesh->GetNumFaces()) : 0;
    };
    const int course2 = 2 * faces("course1st@5.x") + faces("obj1st@3.x") + 8 * faces("obj1st2@1.x") +
                        2 * faces("obj1st3@1.x");
    const int course3 = faces("course2nd.x") + faces("green2nd.x") + faces("course2ndside.x");
    EXPECT_GT(course2, 1000);
    EXPECT_LT(course2, 60000);
    EXPECT_GT(course3, 1000);
    EXPECT_LT(course3, 60000);
}

}  // namespace

// ---- seen from the car ---------------------------------------------------------------

// Each model course drawn as a race draws it, from the chase camera (one unit
// behind the car at its height 0.8) at the start and at three points round the
// lap; kept as courses-<course>-<n>.png with NOL_TEST_PNG_DIR.
class CourseViews : public CourseData {
protected:
    static int Red(uint32_t c) { return int((c >> 16) & 0xFF); }
    static int Green(uint32_t c) { return int((c >> 8) & 0xFF); }
    static int Blue(uint32_t c) { return int(c & 0xFF); }

    void DrawFrom(const D3DXVECTOR3& pos, const D3DXVECTOR2& forward, const std::vector<CNode*>& nodes,
                  const std::vector<std::pair<Mesh*, D3DXMATRIX>>& objects) {
        D3DXVECTOR2 f = forward / D3DXVec2Length(&forward);
        const D3DXVECTOR3 eye(pos.x - f.x, 0.8f, pos.z - f.y), at(pos.x, 0.8f, pos.z);
        SetCameraLookAt(eye, at, D3DXVECTOR3(0, 1, 0));
        ASSERT_EQ(BeginFrame(0xFF000000), 1);
        SetLighting(TRUE);
        SetZWrite(TRUE);
        SetTextureFilter(0, 2);
        for (CNode* n : nodes) n->Draw();
        for (auto& [mesh, world] : objects) mesh->Draw(world);
        EndFrame();
    }

    void ViewCourse(const CourseLayout& c, const std::vector<std::pair<const char*, D3DXMATRIX>>& scenery) {
        Place(c);
        ASSERT_FALSE(HasFatalFailure());
        SetDirectionalLight(D3DXVECTOR3(1, -1, -1), D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f});
        std::vector<std::unique_ptr<Mesh>> meshes;
        std::vector<std::pair<Mesh*, D3DXMATRIX>> objects;
        for (auto& [file, world] : scenery) {
            meshes.push_back(std::make_unique<Mesh>());
            ASSERT_EQ(meshes.back()->Load(DataFile(file).c_str(), 0, 1), 1);
            objects.push_back({meshes.back().get(), world});
        }
        // The gates, when they have been made.
        Mesh startMesh, checkMesh;
        CNode startNode, checkNode;
        std::vector<CNode*> nodes = {&roadNode};
        if (startMesh.Load(DataFile("objstart.x").c_str(), 0, 1) &&
            checkMesh.Load(DataFile("objcheck.x").c_str(), 0, 1)) {
            startNode.Setup(&startMesh, 0, 0, 0, 30);
            checkNode.Setup(&checkMesh, 0, 0, 0, 30);
            startNode.SetLocalPosition(c.startGate.x, c.startGate.y, c.startGate.z);
            checkNode.SetLocalPosition(c.checkGate.x, c.checkGate.y, c.checkGate.z);
            startNode.SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
            checkNode.SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
            nodes.push_back(&startNode);
            nodes.push_back(&checkNode);
        }
        nodes.push_back(&groundNode);

        const std::vector<D3DXVECTOR3> line = datagen::CentreLine(c.number);
        Overview(c, nodes, objects, line);
        for (int view = 0; view < 4; ++view) {
            const size_t i = line.size() * size_t(view) / 4;
            const D3DXVECTOR3& a = line[i];
            const D3DXVECTOR3& b = line[(i + 1) % line.size()];
            DrawFrom(a, D3DXVECTOR2(b.x - a.x, b.z - a.z), nodes, objects);
            if (HasFatalFailure()) return;
            const std::string name = "courses-" + std::to_string(c.number) + "-" + std::to_string(view);
            const std::vector<uint32_t> pixels = ReadBack(name.c_str());
            // Grey asphalt straight ahead below the horizon (unless a gate's plate
            // lies there), and blue sky above it.
            const uint32_t road = At(pixels, 320, 400), sky = At(pixels, 320, 60);
            const bool onGate = std::hypot(a.x - c.startGate.x, a.z - c.startGate.z) < 60 ||
                                std::hypot(a.x - c.checkGate.x, a.z - c.checkGate.z) < 60;
            if (!onGate) {
                EXPECT_LT(std::abs(Red(road) - Blue(road)), 24) << name;
                EXPECT_GT(Red(road), 40) << name;
                EXPECT_LT(Red(road), 160) << name;
            }
            EXPECT_GT(Blue(sky), Red(sky) + 20) << name;
        }
    }

    // The whole course from high above, north (+z) up, with a far plane far
    // enough for it: courses-<course>-map.png. The track is the grey in the
    // middle of the picture, the land round it green.
    void Overview(const CourseLayout& c, const std::vector<CNode*>& nodes,
                  const std::vector<std::pair<Mesh*, D3DXMATRIX>>& objects, const std::vector<D3DXVECTOR3>& line) {
        D3DXVECTOR3 low = line[0], high = line[0];
        for (const D3DXVECTOR3& p : line) {
            D3DXVec3Minimize(&low, &low, &p);
            D3DXVec3Maximize(&high, &high, &p);
        }
        const D3DXVECTOR3 centre = (low + high) * 0.5f;
        D3DXMATRIX projection, saved;
        GraphicsState.device->GetTransform(D3DTS_PROJECTION, &saved);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 4.0f / 3.0f, 10.0f, 5000.0f);
        GraphicsState.device->SetTransform(D3DTS_PROJECTION, &projection);
        SetCameraLookAt(centre + D3DXVECTOR3(0, 1700, 0), centre, D3DXVECTOR3(0, 0, 1));
        ASSERT_EQ(BeginFrame(0xFF000000), 1);
        SetLighting(TRUE);
        SetZWrite(TRUE);
        for (CNode* n : nodes) n->Draw();
        for (auto& [mesh, world] : objects) mesh->Draw(world);
        EndFrame();
        GraphicsState.device->SetTransform(D3DTS_PROJECTION, &saved);
        const std::string name = "courses-" + std::to_string(c.number) + "-map";
        const std::vector<uint32_t> pixels = ReadBack(name.c_str());
        // Somewhere on the line (the start) is road, not grass.
        D3DXVECTOR3 screen;
        D3DXMATRIX view, viewProjection;
        D3DXVECTOR3 eye = centre + D3DXVECTOR3(0, 1700, 0), up(0, 0, 1);
        D3DXMatrixLookAtLH(&view, &eye, &centre, &up);
        D3DXMatrixMultiply(&viewProjection, &view, &projection);
        D3DXVec3TransformCoord(&screen, &line[0], &viewProjection);
        const int x = int((screen.x + 1) * 320), y = int((1 - screen.y) * 240);
        const uint32_t start = At(pixels, x, y);
        EXPECT_LT(std::abs(Green(start) - Red(start)), 24) << "start at pixel " << x << ", " << y;
    }

    static D3DXMATRIX Placed(float scale, float x, float y, float z, float yScale = 0) {
        D3DXMATRIX m;
        D3DXMatrixScaling(&m, scale, yScale ? yScale : scale, scale);
        m._41 = x, m._42 = y, m._43 = z;
        return m;
    }
};

TEST_F(CourseViews, Course2FromTheChaseCamera) {
    ViewCourse(kCourse2, {{"obj1st@3.x", Placed(150, 0, 0, 0)},
                          {"obj1st2@1.x", Placed(10, 0.1f, 0, -50)},
                          {"obj1st2@1.x", Placed(10, 20, 0, -235)},
                          {"obj1st2@1.x", Placed(10, 200, 0, -60)},
                          {"obj1st2@1.x", Placed(10, 150, 0, -400)},
                          {"obj1st2@1.x", Placed(10, 800, 0, 0)},
                          {"obj1st2@1.x", Placed(10, 0, 0, 200)},
                          {"obj1st2@1.x", Placed(10, 90, 0, 375)},
                          {"obj1st2@1.x", Placed(10, -700, 0, 130)},
                          {"obj1st3@1.x", Placed(50, 110, 0, -35)},
                          {"obj1st3@1.x", Placed(50, 300, 0, -500)}});
}

TEST_F(CourseViews, Course3FromTheChaseCamera) {
    ViewCourse(kCourse3, {{"course2ndside.x", Placed(150, 0, 0, 0, 15)}});
}

// Course 2's tree and stand near the start, seen from the road a little way off:
// courses-scenery.png. The tree's canopy is green, the stand's seats coloured.
TEST_F(CourseViews, TreeAndStandUpClose) {
    Mesh tree, stand, backdrop;
    ASSERT_EQ(tree.Load(DataFile("obj1st2@1.x").c_str(), 0, 1), 1);
    ASSERT_EQ(stand.Load(DataFile("obj1st3@1.x").c_str(), 0, 1), 1);
    ASSERT_EQ(backdrop.Load(DataFile("obj1st@3.x").c_str(), 0, 1), 1);
    SetDirectionalLight(D3DXVECTOR3(1, -1, -1), D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f});
    // From the road south-west of them, looking north-east between the two.
    const D3DXVECTOR3 eye(-40, 6, -120), at(60, 4, -40);
    SetCameraLookAt(eye, at, D3DXVECTOR3(0, 1, 0));
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    SetLighting(TRUE);
    SetZWrite(TRUE);
    backdrop.Draw(Placed(150, 0, 0, 0));
    tree.Draw(Placed(10, 0.1f, 0, -50));
    stand.Draw(Placed(50, 110, 0, -35));
    EndFrame();
    const std::vector<uint32_t> pixels = ReadBack("courses-scenery");
    // Project the tree's canopy middle and the stand's middle onto the screen.
    auto pixel = [&](const D3DXVECTOR3& p) {
        D3DXMATRIX view, projection, both;
        D3DXMatrixLookAtLH(&view, &eye, &at, std::make_unique<D3DXVECTOR3>(0, 1, 0).get());
        GraphicsState.device->GetTransform(D3DTS_PROJECTION, &projection);
        D3DXMatrixMultiply(&both, &view, &projection);
        D3DXVECTOR3 s;
        D3DXVec3TransformCoord(&s, &p, &both);
        return At(pixels, int((s.x + 1) * 320), int((1 - s.y) * 240));
    };
    const uint32_t canopy = pixel({0.1f, 9, -50});
    EXPECT_GT(Green(canopy), Red(canopy) + 20);
    EXPECT_GT(Green(canopy), Blue(canopy) + 20);
    const uint32_t seats = pixel({110, 4, -35});
    EXPECT_NE(seats & 0xFFFFFF, 0u);
}
