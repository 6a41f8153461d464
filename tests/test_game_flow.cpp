// The game as the player meets it: the selection screen, the keys, the race
// display, Q and Enter again; frames run through the real input read and drawn
// on the device, checked in the read-back picture.
#include "game_fixture.h"

namespace {

class Flow : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        if (!Ready()) return;
        GameStart();
    }
    // Lit text pixels (the font is white) in a rectangle of the picture.
    int TextPixels(const std::vector<uint32_t>& p, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint32_t c = At(p, x, y);
                n += ((c >> 16) & 0xFF) > 0xC0 && ((c >> 8) & 0xFF) > 0xC0 && (c & 0xFF) > 0xC0;
            }
        return n;
    }
    int Count(const std::vector<uint32_t>& p, int x0, int y0, int x1, int y1, bool (*is)(uint32_t)) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += is(At(p, x, y));
        return n;
    }
    // The title model's red in the middle of the picture.
    int TitlePixels(const std::vector<uint32_t>& p) {
        return Count(p, 270, 200, 370, 280, [](uint32_t c) { return R(c) > 60 && G(c) < R(c) / 2; });
    }
    static int R(uint32_t c) { return (c >> 16) & 0xFF; }
    static int G(uint32_t c) { return (c >> 8) & 0xFF; }
    static int B(uint32_t c) { return c & 0xFF; }
};

TEST_F(Flow, TheSelectionScreenShowsTheTitleAndTheCourse) {
    Frame();
    const auto p = ReadBack("game-selection");
    ASSERT_EQ(width, 640u);
    // The title model (red) in the middle, nothing lit at the edges.
    EXPECT_GT(TitlePixels(p), 4000);
    EXPECT_EQ(Count(p, 0, 100, 100, 290, [](uint32_t c) { return (c & 0xFFFFFF) != 0; }), 0);
    // "Select Corse with cursor key and push Enter" from (160, 300).
    EXPECT_GT(TextPixels(p, 160, 300, 480, 316), 150);
    EXPECT_EQ(TextPixels(p, 0, 300, 158, 340), 0);
    // "Course" at (190, 320) and the number at (250, 320).
    EXPECT_GT(TextPixels(p, 190, 320, 240, 336), 40);
    const int one = TextPixels(p, 250, 320, 262, 336);
    EXPECT_GT(one, 5);
    EXPECT_EQ(TextPixels(p, 264, 316, 640, 340), 0);
    EXPECT_EQ(TextPixels(p, 0, 0, 640, 298), 0);
    // The title turns 0.03 a frame.
    const float yaw0 = std::atan2(titleNode.GetLocalForward().x, titleNode.GetLocalForward().z);
    Frame();
    const float yaw1 = std::atan2(titleNode.GetLocalForward().x, titleNode.GetLocalForward().z);
    EXPECT_NEAR(yaw1 - yaw0, 0.03f, 1e-5);
    EXPECT_EQ(titleNode.GetLocalPosition(), D3DXVECTOR3(3, 0, 0));
}

TEST_F(Flow, CursorKeysPickACourseOnePressAtATime) {
    Frame({DIK_LEFT});
    EXPECT_EQ(courseNumber, 1);
    Frame();
    for (int i = 0; i < 5; ++i) Frame({DIK_RIGHT});
    EXPECT_EQ(courseNumber, 2) << "held: one step";
    Frame();
    Frame({DIK_RIGHT});
    EXPECT_EQ(courseNumber, 3);
    Frame();
    Frame({DIK_RIGHT});
    EXPECT_EQ(courseNumber, 3);
    const auto three = ReadBack(nullptr);
    Frame();
    Frame({DIK_LEFT});
    EXPECT_EQ(courseNumber, 2);
    const auto two = ReadBack(nullptr);
    // The number drawn follows.
    int differ = 0;
    for (int y = 320; y < 336; ++y)
        for (int x = 250; x < 262; ++x) differ += At(three, x, y) != At(two, x, y);
    EXPECT_GT(differ, 5);
    EXPECT_EQ(gameState, kSelection);
}

TEST_F(Flow, EnterStartsTheRaceFromTheNextFrameAndQGoesBack) {
    Frame({DIK_RIGHT});
    Frame();
    Frame({DIK_RETURN});
    EXPECT_EQ(gameState, kRace);
    EXPECT_EQ(car.pos, D3DXVECTOR3(0, 1, -110));
    // The frame of the press still shows the selection.
    auto p = ReadBack("game-enter-frame");
    EXPECT_GT(TextPixels(p, 160, 300, 480, 316), 150);
    EXPECT_EQ(TextPixels(p, 0, 0, 150, 40), 0);

    Frame();
    p = ReadBack("game-first-race-frame");
    EXPECT_EQ(car.totalFrames, 1);
    EXPECT_EQ(car.lap, 1);
    EXPECT_EQ(car.lapFrames[1], 1);
    // "Tota Frame" and 1; one line "Lap" 1 1 at y = 18; nothing below it.
    EXPECT_GT(TextPixels(p, 0, 0, 90, 16), 60);
    EXPECT_GT(TextPixels(p, 100, 0, 110, 16), 5);
    EXPECT_GT(TextPixels(p, 0, 18, 30, 34), 20);
    EXPECT_GT(TextPixels(p, 40, 18, 48, 34), 5);
    EXPECT_GT(TextPixels(p, 50, 18, 60, 34), 5);
    EXPECT_EQ(TextPixels(p, 0, 36, 200, 60), 0);
    EXPECT_EQ(TextPixels(p, 160, 300, 480, 340), 0);

    for (int i = 0; i < 20; ++i) Frame({DIK_Z});
    EXPECT_EQ(car.totalFrames, 21);
    EXPECT_GT(car.speed, 10.0f);
    Frame({DIK_Q});
    EXPECT_EQ(gameState, kSelection);
    EXPECT_EQ(car.totalFrames, 22) << "the frame of the Q still races";
    Frame();
    EXPECT_EQ(courseNumber, 2);
    Frame({DIK_RETURN});
    Frame();
    EXPECT_EQ(car.totalFrames, 1);
    EXPECT_EQ(car.lap, 1);
    EXPECT_NEAR(car.pos.x, 0.0f, 0.01f);
    EXPECT_NEAR(car.pos.z, -110.0f, 0.01f);
    EXPECT_LT(car.speed, 1.0f) << "a new race starts at rest";
}

// After a race the camera looks along +x at the title again, whichever course
// the chase camera was following.
TEST_F(Flow, BackFromARaceTheSelectionShowsTheTitle) {
    for (int number : {1, 2}) {
        SCOPED_TRACE(number);
        if (number == 2) Frame({DIK_RIGHT});
        Frame();
        Frame({DIK_RETURN});
        for (int i = 0; i < 10; ++i) Frame({DIK_Z});
        Frame({DIK_Q});
        ASSERT_EQ(gameState, kSelection);
        Frame();
        const auto p = ReadBack(number == 1 ? "game-back-from-course1" : "game-back-from-course2");
        EXPECT_GT(TitlePixels(p), 4000);
        EXPECT_EQ(Count(p, 0, 100, 100, 290, [](uint32_t c) { return (c & 0xFFFFFF) != 0; }), 0);
        EXPECT_GT(TextPixels(p, 160, 300, 480, 316), 150);
    }
}

TEST_F(Flow, RaceKeysMapToThrottleAndSteering) {
    Frame({DIK_RETURN});
    struct Case {
        std::initializer_list<int> keys;
        int throttle, steer;
    } cases[] = {{{}, 0, 0},
                 {{DIK_Z}, 1, 0},
                 {{DIK_X}, 2, 0},
                 {{DIK_Z, DIK_X}, 2, 0},
                 {{DIK_RIGHT}, 0, 1},
                 {{DIK_LEFT}, 0, 2},
                 {{DIK_LEFT, DIK_RIGHT, DIK_Z}, 1, 1}};
    for (const Case& c : cases) {
        Frame(c.keys);
        EXPECT_EQ(throttleInput, c.throttle);
        EXPECT_EQ(steerInput, c.steer);
    }
    EXPECT_EQ(gameState, kRace);
    Frame({DIK_Q});
    Frame({DIK_Q});  // held: already back, and no further
    EXPECT_EQ(gameState, kSelection);
}

TEST_F(Flow, LapLinesAre18PixelsApart) {
    Frame({DIK_RIGHT});
    Frame();
    Frame({DIK_RETURN});
    Frame();
    for (int lap = 0; lap < 3; ++lap) {
        car.pos = D3DXVECTOR3(230, 1, 329);
        Frame();
        car.pos = D3DXVECTOR3(0, 1, -110);
        Frame();
    }
    EXPECT_EQ(car.lap, 4);
    const auto p = ReadBack("game-four-laps");
    for (int line = 1; line <= 4; ++line) {
        SCOPED_TRACE(line);
        EXPECT_GT(TextPixels(p, 0, 18 * line, 30, 18 * line + 16), 20);
        EXPECT_GT(TextPixels(p, 40, 18 * line, 48, 18 * line + 16), 5);
    }
    EXPECT_EQ(TextPixels(p, 0, 18 * 5, 200, 18 * 5 + 20), 0);
}

TEST_F(Flow, TheCarAndItsShadowStandInFrontOfTheCamera) {
    Frame({DIK_RIGHT});
    Frame();
    Frame({DIK_RETURN});
    // Turned at rest to heading 0.79 (from 2.5), the light falls from the
    // car's left: the shadow lies beside it.
    for (int i = 0; i < 114; ++i) Frame({DIK_LEFT});
    Frame();
    EXPECT_NEAR(car.heading, 2.5f - 114 * 0.015f, 1e-3);
    const auto p = ReadBack("game-car");
    // The red car low in the middle, on the grey road.
    const int body = Count(p, 160, 240, 480, 480, [](uint32_t c) { return R(c) > 80 && G(c) < R(c) / 3; });
    EXPECT_GT(body, 3000);
    EXPECT_EQ(Count(p, 0, 240, 100, 480, [](uint32_t c) { return R(c) > 80 && G(c) < R(c) / 3; }), 0);
    // The shadow is drawn before the course, so it stays black where it lies
    // over the road: to the car's right, under the horizon.
    const int rightShadow = Count(p, 320, 300, 640, 480, [](uint32_t c) { return (c & 0xFFFFFF) == 0; });
    const int leftShadow = Count(p, 0, 300, 320, 480, [](uint32_t c) { return (c & 0xFFFFFF) == 0; });
    EXPECT_GT(rightShadow, 500);
    EXPECT_LT(leftShadow, rightShadow / 4);
}

}  // namespace
