// End to end on the generated courses: the real frames, keys through the input
// layer, an autopilot following each course's centre line for two laps; then Q
// and Enter start the same course again at its start line.
#include <libgen.h>

#include <cstdio>

#include "autopilot.h"
#include "datagen/centre_line.h"
#include "game_fixture.h"

namespace {

// Two laps at 30 to 90 seconds each, at 30 frames a second, with room for a
// cautious driver: 3 minutes of frames.
constexpr int kFrameBudget = 2 * 90 * 30;

class Autodrive : public FrameworkDevice, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        InstallFake(&input);
        ASSERT_EQ(InitDirectInput(), 1);
        // The game enters "data" below the working directory.
        std::string dataDir = NOL_DATA_DIR;
        ASSERT_TRUE(FileExists(dataDir + "/car.x")) << "no generated data in " << dataDir;
        ASSERT_EQ(chdir((dataDir + "/..").c_str()), 0);
        GameStart();
    }
    void TearDown() override {
        FreeInput();
        InstallFake(nullptr);
        FrameworkDevice::TearDown();
    }
    void Frame(const std::vector<int>& keys) {
        std::fill(input.keyboard.state.begin(), input.keyboard.state.end(), 0);
        for (int key : keys) input.keyboard.state[key] = 0x80;
        UpdateInput();
        GameFrame();
    }
    FakeDirectInput input;
};

TEST_P(Autodrive, TwoLapsThenBackToTheSelectionAndAgain) {
    const int number = GetParam();
    const auto line = datagen::CentreLine(number);
    ASSERT_GT(line.size(), 10u);
    for (int i = 1; i < number; ++i) {
        Frame({DIK_RIGHT});
        Frame({});
    }
    ASSERT_EQ(courseNumber, number);
    Frame({DIK_RETURN});
    ASSERT_EQ(gameState, kRace);

    Autopilot pilot(line);
    int frames = 0, wallFrames = 0, roughFrames = 0;
    float top = 0.0f;
    while (car.lap < 3 && frames < kFrameBudget) {
        const D3DXVECTOR2 before = car.velocity;
        Frame(pilot.Keys(car));
        ++frames;
        top = std::max(top, car.speed);
        roughFrames += car.extraDrag > 0;
        // The ground step slowing the car by a fifth or more: a wall.
        wallFrames += D3DXVec2Length(&car.velocity) < 0.81f * D3DXVec2Length(&before) && car.speed > 1.0f;
        if (frames % 900 == 0)
            std::printf("course %d frame %d lap %d pos (%.1f %.1f) speed %.1f line %zu safe %.1f slip %.2f\n", number, frames, car.lap,
                        car.pos.x, car.pos.z, car.speed, pilot.Index(), pilot.safe, pilot.slip);
    }
    std::printf("course %d: two laps in %d frames (laps %d and %d frames), top speed %.1f, %d frames at a wall, %d off the road\n",
                number, frames, car.lapFrames[1], car.lapFrames[2], top, wallFrames, roughFrames);
    ReadBack((std::string("game-course") + std::to_string(number)).c_str());
    ASSERT_EQ(car.lap, 3) << "within " << kFrameBudget << " frames";
    EXPECT_EQ(car.totalFrames, frames);
    EXPECT_EQ(car.lapFrames[1] + car.lapFrames[2] + car.lapFrames[3], frames);

    Frame({DIK_Q});
    EXPECT_EQ(gameState, kSelection);
    Frame({});
    Frame({DIK_RETURN});
    Frame({});
    EXPECT_EQ(courseNumber, number);
    EXPECT_EQ(car.totalFrames, 1);
    EXPECT_EQ(car.lap, 1);
    EXPECT_NEAR(car.pos.x, course.startPos.x, 0.05f);
    EXPECT_NEAR(car.pos.z, course.startPos.z, 0.05f);
}

INSTANTIATE_TEST_SUITE_P(Courses, Autodrive, ::testing::Values(1, 2, 3));

}  // namespace
