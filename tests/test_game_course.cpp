// Course set-up: what each course loads and places, what a number out of range
// leaves alone, and what switching between courses keeps.
#include <regex>

#include "game_fixture.h"

namespace {

class Courses : public GameTest {
protected:
    DWORD MagFilter() {
        DWORD value = 0;
        GraphicsState.device->GetTextureStageState(0, D3DTSS_MAGFILTER, &value);
        return value;
    }
    // The files the set-up loaded, in order.
    std::vector<std::string> LoadsOf(int number) {
        testing::internal::CaptureStderr();
        course.SetupCourse(number);
        const std::string log = testing::internal::GetCapturedStderr();
        std::vector<std::string> files;
        const std::regex load(R"(load\(([^)]*)\) \.\.\. ok)");
        for (auto it = std::sregex_iterator(log.begin(), log.end(), load); it != std::sregex_iterator(); ++it)
            files.push_back((*it)[1]);
        return files;
    }
};

TEST_F(Courses, EachCourseLoadsItsFilesInOrder) {
    using V = std::vector<std::string>;
    EXPECT_EQ(LoadsOf(1), (V{"env.x", "hf_tex72.bmp", "objstart.x", "objcheck.x"}));
    EXPECT_EQ(LoadsOf(2), (V{"env.x", "course1st@5.x", "course1st@5.x", "objstart.x", "objcheck.x", "obj1st@3.x",
                             "obj1st2@1.x", "obj1st3@1.x"}));
    EXPECT_EQ(LoadsOf(3),
              (V{"env.x", "green2nd.x", "course2nd.x", "objstart.x", "objcheck.x", "course2ndside.x"}));
}

TEST_F(Courses, ANumberOutOfRangeChangesNothing) {
    ASSERT_EQ(LoadsOf(2).size(), 8u);
    SetTextureFilter(0, 1);
    for (int number : {0, 4, -1}) {
        EXPECT_TRUE(LoadsOf(number).empty());
        EXPECT_EQ(MagFilter(), 1u) << "not even the texture filter";
        EXPECT_EQ(course.isTerrain, 0);
        EXPECT_EQ(course.lastObject, 10);
        EXPECT_EQ(course.startPos, D3DXVECTOR3(0, 1, -110));
        EXPECT_EQ(course.startHeading, 2.5f);
        EXPECT_EQ(course.roadMesh.name, "course1st@5.x");
    }
}

TEST_F(Courses, TheTerrainCourse) {
    course.SetupCourse(1);
    EXPECT_EQ(course.isTerrain, 1);
    EXPECT_EQ(course.wallHeight, 3.96875f);
    EXPECT_EQ(course.offRoadHeight, 0.0f);
    EXPECT_EQ(course.startPos, D3DXVECTOR3(360, -2.5f, 12));
    // Grid point (12, 4) is green 255, (4, 4) green 0: -4 + g / 32.
    EXPECT_FLOAT_EQ(course.GroundHeight(80, -80), 3.96875f);
    EXPECT_FLOAT_EQ(course.GroundHeight(-80, -80), -4.0f);
    EXPECT_FLOAT_EQ(course.GroundHeight(10, 5), course.terrain.GetHeight(10, 5) + 1.0f);
    EXPECT_EQ(course.startNode.GetLocalPosition(), D3DXVECTOR3(360, -10, 12));
    EXPECT_EQ(course.checkNode.GetLocalPosition(), D3DXVECTOR3(-370, -10, 8));
    EXPECT_EQ(course.startNode.GetLocalForward(), D3DXVECTOR3(0, 0, 30));
    EXPECT_EQ(course.checkNode.GetLocalForward(), D3DXVECTOR3(0, 0, 30));
    EXPECT_EQ(course.startNode.scale, 30.0f);
}

TEST_F(Courses, TheModelCoursesGatesFacePlusX) {
    for (int number : {2, 3}) {
        course.SetupCourse(number);
        EXPECT_EQ(course.isTerrain, 0);
        EXPECT_NEAR(course.startNode.GetLocalForward().x, 30.0f, 1e-4);
        EXPECT_NEAR(course.checkNode.GetLocalForward().z, 0.0f, 1e-4);
        EXPECT_NEAR(course.checkNode.GetLocalForward().x, 30.0f, 1e-4);
    }
    EXPECT_EQ(course.startNode.GetLocalPosition(), D3DXVECTOR3(80, -1, 300));
    EXPECT_EQ(course.checkNode.GetLocalPosition(), D3DXVECTOR3(-25, -1, -581));
    EXPECT_EQ(course.groundNode.scale, 170.0f);
    EXPECT_EQ(course.groundNode.GetLocalPosition(), D3DXVECTOR3(0, -1, 0));
}

TEST_F(Courses, SwitchingCoursesReplacesTheScenery) {
    course.SetupCourse(3);
    course.SetupCourse(2);
    EXPECT_EQ(course.lastObject, 10);
    EXPECT_EQ(course.objectMesh[0], &course.objectMeshes[0]);
    EXPECT_EQ(course.objectMeshes[0].name, "obj1st@3.x");
    EXPECT_EQ(course.objectMesh[8], &course.objectMeshes[1]);
    EXPECT_EQ(course.objectPos[8], D3DXVECTOR3(-700, 0, 130));
    EXPECT_EQ(course.objectMesh[10], &course.objectMeshes[9]);
    EXPECT_EQ(course.objectScale[10], 50.0f);
    // Course 2's ground is its road again, 10.1 lower.
    EXPECT_EQ(course.groundMesh.name, "course1st@5.x");
    EXPECT_EQ(course.groundNode.GetLocalPosition(), D3DXVECTOR3(0, -10.1f, 0));
    course.SetupCourse(3);
    EXPECT_EQ(course.lastObject, -1);
    EXPECT_EQ(course.objectMeshes[0].name, "course2ndside.x");
    EXPECT_EQ(course.objectScale[0], 150.0f);
    // The terrain course leaves the model courses' pieces as they were.
    course.SetupCourse(1);
    EXPECT_EQ(course.roadMesh.name, "course2nd.x");
    EXPECT_EQ(course.lastObject, -1);
}

TEST_F(Courses, EveryRaceStartsAtRestOnItsStartLine) {
    course.SetupCourse(3);
    car.SetupCar(&course);
    EXPECT_EQ(car.heading, 4.2f);
    car.velocity = D3DXVECTOR2(50, 50);
    car.engineForce = 1000;
    car.extraDrag = 45;
    car.totalFrames = 77;
    car.lap = 3;
    car.awaitCheckpoint = 0;
    // Course 1 has a heading of its own: along its road, not course 3's.
    course.SetupCourse(1);
    car.SetupCar(&course);
    EXPECT_EQ(car.heading, 0.0f);
    EXPECT_NEAR(car.carNode.GetLocalForward().z, 1.0f, 1e-6);
    EXPECT_EQ(car.pos, D3DXVECTOR3(360, -2.5f, 12));
    EXPECT_EQ(car.velocity, D3DXVECTOR2(0, 0));
    EXPECT_EQ(car.engineForce, 0.0f);
    EXPECT_EQ(car.extraDrag, 0.0f);
    EXPECT_EQ(car.totalFrames, 0);
    EXPECT_EQ(car.lap, 1);
    EXPECT_EQ(car.awaitCheckpoint, 1);
    EXPECT_EQ(car.currentCourse, &course);
}

}  // namespace
