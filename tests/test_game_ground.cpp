// The ground step (walls and rough ground under the four wheels) and the lap
// step (the gates under the car), on the real Course and Car with small data.
#include <cmath>

#include "game_fixture.h"

namespace {

class Ground : public GameTest {
protected:
    // The car on course number, at pos, pointing along heading.
    void Place(int number, D3DXVECTOR3 pos, float heading) {
        course.SetupCourse(number);
        course.startHeading = heading;
        car.SetupCar(&course);
        car.pos = pos;
    }
};

constexpr float kPi = 3.14159265f;

// Head-on into a wall along +x: the slab of course 2 ends at x = 300, the
// terrain's wall starts at x = 80. Front wheels 0.075 in: two passes back.
TEST_F(Ground, HeadOnIntoAWallIsPushedStraightBackAndSlowed) {
    for (int number : {2, 1}) {
        SCOPED_TRACE(number);
        const float edge = number == 2 ? 300.0f : 80.0f;
        Place(number, D3DXVECTOR3(edge - 0.3f, 0.8f, 10.0f), kPi / 2);
        car.velocity = D3DXVECTOR2(100, 0);
        car.GroundStep();
        EXPECT_NEAR(car.pos.x, edge - 0.3f - 2 * 2 * 0.03f, 1e-4);
        EXPECT_NEAR(car.pos.z, 10.0f, 1e-4);
        EXPECT_NEAR(car.velocity.x, 100 * 0.8f * 0.8f, 1e-3);
        // Clear now: a second step leaves it where it is.
        const D3DXVECTOR3 freed = car.pos;
        car.GroundStep();
        EXPECT_EQ(car.pos, freed);
    }
}

// Pointing along the diagonal, one corner alone crosses the slab's edge at
// x = -300: the rear left wheel when heading +x+z, the front right when heading
// the other way; both push the car along +x, the way back to the middle.
TEST_F(Ground, OneWheelInAWallPushesTheCarAlongItsAwayDirection) {
    for (float heading : {kPi / 4, -3 * kPi / 4}) {
        SCOPED_TRACE(heading);
        Place(2, D3DXVECTOR3(-299.7f, 0.8f, 0.0f), heading);
        car.velocity = D3DXVECTOR2(10, 10);
        car.GroundStep();
        // Corner 0.442 out of the middle: 0.142 in the wall; 0.0424 a pass.
        EXPECT_NEAR(car.pos.x, -299.7f + 4 * 0.03f * std::sqrt(2.0f), 1e-3);
        EXPECT_NEAR(car.pos.z, 0.0f, 1e-3);
        EXPECT_NEAR(car.velocity.x, 10 * std::pow(0.8f, 4), 1e-4);
    }
}

// Where every wheel stays in the wall the four pushes cancel out, so only the
// slowdown shows how many passes ran: 250 on the terrain; on a model course the
// turn that meets the limit slows the car once more.
TEST_F(Ground, ThePassLimitEndsTheLoopAfter250Passes) {
    struct Case {
        int number;
        int slowdowns;
    } cases[] = {{1, 250}, {2, 251}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        Place(c.number, D3DXVECTOR3(0, 0.8f, -110), 0);
        if (c.number == 1)
            course.wallHeight = -100.0f;  // the whole terrain is wall
        else
            course.groundNode.model = nullptr;  // every ray misses
        car.velocity = D3DXVECTOR2(0, 200);
        car.GroundStep();
        const double slowed = std::pow(0.8, c.slowdowns);
        EXPECT_NEAR(car.velocity.y / 200.0, slowed, slowed * 1e-3);
        EXPECT_NEAR(car.pos.x, 0.0f, 1e-4);
        EXPECT_NEAR(car.pos.z, -110.0f, 1e-4);
    }
}

// A ground model with a diagonal slot that the front right wheel alone stands
// in: its push, along -F - R, moves the whole car down the slot, so the wheel
// never gets out and the distance counts the pushes.
TEST_F(Ground, AWheelThatCannotGetOutIsPushed250Times) {
    Place(2, D3DXVECTOR3(0, 0.8f, 0), 0);
    datagen::Model slotted;
    const int mat = slotted.AddMaterial(datagen::Material{});
    const float l = 20.0f, w = 0.1f;  // ground where |x - z| >= w
    slotted.AddTriangle(mat, {l, 0, l - w}, {l, 0, -l}, {-l + w, 0, -l});
    slotted.AddTriangle(mat, {-l, 0, l}, {l - w, 0, l}, {-l, 0, -l + w});
    ASSERT_TRUE(slotted.Write("slotted.x", "slotted"));  // in "data", where set-up went
    course.groundMesh.Load("slotted.x", 0, 1);
    course.groundNode.Setup(&course.groundMesh, 0, 0, 0, 1.0f);
    // Heading 0: F is +z, R is +x; the front right wheel at (0, 0) on the slot's
    // middle, the others at x - z = 0.75, -0.5 and 0.25, on the ground.
    car.pos = D3DXVECTOR3(-0.25f, 0.8f, -0.375f);
    car.velocity = D3DXVECTOR2(0, 100);
    car.GroundStep();
    EXPECT_NEAR(car.pos.x, -0.25f - 250 * 0.03f, 1e-3);
    EXPECT_NEAR(car.pos.z, -0.375f - 250 * 0.03f, 1e-3);
    EXPECT_NEAR(car.velocity.y / 100.0, std::pow(0.8, 251), std::pow(0.8, 251) * 1e-3);
}

TEST_F(Ground, RoughGroundUnderAnyWheelAddsDrag) {
    // Terrain: road below z = 72.8, rough beyond (heights cross 0 there).
    Place(1, D3DXVECTOR3(0, 0, 72.0f), 0);
    car.GroundStep();
    EXPECT_EQ(car.extraDrag, 0.0f);
    car.pos = D3DXVECTOR3(0, 0, 72.5f);  // front wheels at 72.875
    car.GroundStep();
    EXPECT_EQ(car.extraDrag, 45.0f);
    // Model course 3: the road slab (300 half-width) lies on a ground slab of
    // 340: between them is grass.
    Place(3, D3DXVECTOR3(0, 0.8f, 0), 0);
    car.GroundStep();
    EXPECT_EQ(car.extraDrag, 0.0f);
    car.pos = D3DXVECTOR3(310, 0.8f, 0);
    car.GroundStep();
    EXPECT_EQ(car.extraDrag, 45.0f);
    EXPECT_EQ(car.pos, D3DXVECTOR3(310, 0.8f, 0));  // grass is no wall
}

TEST_F(Ground, OnRoughGroundTheCarTopsOutAtTwenty) {
    Place(1, D3DXVECTOR3(60, 0, 110), -kPi / 2);
    throttleInput = kThrottleAccelerate;
    steerInput = kSteerNone;
    for (int i = 0; i < 300; ++i) {
        car.DriveStep();
        car.GroundStep();
    }
    EXPECT_NEAR(car.speed, 20.0f, 0.01f);
    EXPECT_LT(car.pos.x, 0.0f);
}

// Course 2's gates: start at (1, -1, -110), checkpoint at (230, -1, 329).
class Laps : public Ground {
protected:
    void SetUp() override {
        Ground::SetUp();
        if (!Ready()) return;
        Place(2, D3DXVECTOR3(0, 1, -110), 2.5f);
    }
    void At(const D3DXVECTOR3& p) {
        car.pos = p;
        car.LapStep();
    }
    void Lap() {
        At(checkpoint);
        At(between);
        At(start);
    }
    const D3DXVECTOR3 start{0, 1, -110}, checkpoint{230, 1, 329}, between{100, 1, 100};
};

TEST_F(Laps, ALapCountsAtTheStartGateAfterTheCheckpointOnly) {
    At(start);
    At(between);
    At(start);
    EXPECT_EQ(car.lap, 1) << "start gate before the checkpoint";
    At(checkpoint);
    At(checkpoint);
    At(between);
    At(checkpoint);
    EXPECT_EQ(car.lap, 1) << "checkpoint again";
    At(start);
    EXPECT_EQ(car.lap, 2);
    At(start);
    At(start);
    EXPECT_EQ(car.lap, 2) << "standing on the start gate counts once";
    Lap();
    EXPECT_EQ(car.lap, 3);
}

TEST_F(Laps, AfterTheNinthLapTheCountersStopAndTheCarDrivesOn) {
    throttleInput = kThrottleAccelerate;
    for (int lap = 1; lap <= 8; ++lap) {
        car.DriveStep();
        Lap();
    }
    EXPECT_EQ(car.lap, 9);
    EXPECT_EQ(car.finished, 0);
    car.DriveStep();
    Lap();  // the ninth lap ends
    EXPECT_EQ(car.lap, 9);
    EXPECT_EQ(car.finished, 1);
    const int total = car.totalFrames;
    int laps[kLapSlots];
    std::copy(car.lapFrames, car.lapFrames + kLapSlots, laps);
    EXPECT_EQ(total, 9);
    for (int i = 0; i < 5; ++i) {
        car.DriveStep();
        Lap();
    }
    EXPECT_EQ(car.totalFrames, total);
    EXPECT_TRUE(std::equal(laps, laps + kLapSlots, car.lapFrames));
    EXPECT_EQ(car.lap, 9);
    EXPECT_GT(car.speed, 3.0f) << "the car still drives";
    // A new race counts again.
    car.SetupCar(&course);
    EXPECT_EQ(car.finished, 0);
    car.DriveStep();
    EXPECT_EQ(car.totalFrames, 1);
}

}  // namespace
