// The car's driving step on its own: force, drag, grip, steering and the heading
// wrap, with the numbers the handling is tuned to.
#include <gtest/gtest.h>

#include <cmath>

#include "game/car.h"

namespace {

class CarDrive : public ::testing::Test {
protected:
    void SetUp() override {
        throttleInput = kThrottleNone;
        steerInput = kSteerNone;
    }
    void Drive(int frames, int throttle, int steer = kSteerNone) {
        throttleInput = throttle;
        steerInput = steer;
        for (int i = 0; i < frames; ++i) car.DriveStep();
    }
    Car car;
};

TEST_F(CarDrive, AtRestNothingMovesButTheFramesAreCounted) {
    Drive(5, kThrottleNone);
    EXPECT_EQ(car.pos, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(car.velocity, D3DXVECTOR2(0, 0));
    EXPECT_EQ(car.totalFrames, 5);
    EXPECT_EQ(car.lapFrames[1], 5);
    EXPECT_EQ(car.lapFrames[0], 0);
    EXPECT_EQ(car.lapFrames[2], 0);
}

TEST_F(CarDrive, ThrottleFromRestGivesTwoThirdsThenApproachesTopSpeed) {
    Drive(1, kThrottleAccelerate);
    EXPECT_NEAR(car.speed, 1000 * 0.016666 / 25, 1e-5);
    EXPECT_NEAR(car.speed, 0.667, 0.001);
    // Heading 0 drives along +z.
    EXPECT_NEAR(car.velocity.x, 0.0f, 1e-6);
    EXPECT_NEAR(car.pos.z, car.velocity.y * 0.016666f, 1e-7);
    Drive(3000, kThrottleAccelerate);
    EXPECT_NEAR(car.speed, 200.0f, 0.05f);
    EXPECT_NEAR(car.speed * car.dt, 3.33f, 0.01f);
}

TEST_F(CarDrive, OffRoadDragHoldsTheCarToTwenty) {
    car.extraDrag = 45.0f;
    Drive(600, kThrottleAccelerate);
    EXPECT_NEAR(car.speed, 20.0f, 0.01f);
}

TEST_F(CarDrive, BrakingWithTheEngineOffTakesFourPerCentAFrame) {
    car.velocity = D3DXVECTOR2(0, 100);
    Drive(1, kThrottleBrake);
    EXPECT_NEAR(car.velocity.y / 100.0f, 1 - 0.016666 * 55 / 25, 1e-5);
    EXPECT_NEAR(car.velocity.y / 100.0f, 0.963f, 0.001f);
}

TEST_F(CarDrive, BrakingWhileTheThrottleWasHeldKeepsTheEngineForce) {
    Drive(10, kThrottleAccelerate);
    // X pressed with Z still down, then Z released with X held: the engine's
    // 1000 stays, so the car settles at 1000 / 55 instead of stopping.
    Drive(2000, kThrottleBrake);
    EXPECT_EQ(car.engineForce, 1000.0f);
    EXPECT_NEAR(car.speed, 1000.0f / 55.0f, 0.01f);
    Drive(1, kThrottleNone);
    EXPECT_EQ(car.engineForce, 0.0f);
}

TEST_F(CarDrive, SteeringAtRestTurnsTheHeadingOnly) {
    Drive(10, kThrottleNone, kSteerRight);
    EXPECT_NEAR(car.heading, 10 * 0.9 * 0.016666, 1e-5);
    EXPECT_EQ(car.velocity, D3DXVECTOR2(0, 0));
    Drive(20, kThrottleNone, kSteerLeft);
    EXPECT_NEAR(car.heading, -10 * 0.9 * 0.016666, 1e-5);
}

TEST_F(CarDrive, GripBendsThePathTwoPerCentOfTheSidewaysVelocityAFrame) {
    // Moving along +x with the car pointing along +z: all of it is sideways.
    car.velocity = D3DXVECTOR2(10, 0);
    Drive(1, kThrottleNone);
    const float afterDrag = 10 * (1 - 0.016666f * 5 / 25);
    EXPECT_NEAR(car.velocity.x, afterDrag * 0.98f, 1e-4);
    EXPECT_NEAR(car.velocity.y, 0.0f, 1e-5);
    // Along the heading nothing is lost to grip.
    car.velocity = D3DXVECTOR2(0, 10);
    Drive(1, kThrottleNone);
    EXPECT_NEAR(car.velocity.y, afterDrag, 1e-4);
    EXPECT_NEAR(car.velocity.x, 0.0f, 1e-5);
}

// A quarter turn: the side direction is exactly +z, so a velocity exactly along
// +x has nothing to lose to grip. The velocity's angle, pi/2, rounded to float
// would be 4e-8 off and push it sideways by 2 per cent of that.
TEST_F(CarDrive, GripTakesNothingFromAVelocityWithoutASidewaysPart) {
    car.heading = float(car.pi / 2);
    car.velocity = D3DXVECTOR2(10, 0);
    Drive(1, kThrottleNone);
    EXPECT_NEAR(car.velocity.y, 0.0f, 1e-12);
    EXPECT_NEAR(car.pos.z, 0.0f, 1e-12);
}

TEST_F(CarDrive, HeadingWrapsPastPiToMinusPi) {
    car.heading = 3.14f;
    Drive(1, kThrottleNone, kSteerRight);
    const double expected = double(float(3.14 + 0.9f * 0.016666f)) - 2 * 3.1415927410125732;
    EXPECT_NEAR(car.heading, expected, 1e-6);
    EXPECT_LT(car.heading, -3.1f);
    car.heading = -3.14f;
    Drive(1, kThrottleNone, kSteerLeft);
    EXPECT_GT(car.heading, 3.1f);
    // Exactly the widened pi is not past it.
    car.heading = float(car.pi);
    Drive(1, kThrottleNone);
    EXPECT_EQ(car.heading, float(car.pi));
}

TEST_F(CarDrive, FormatNumberEndsInALineBreak) {
    EXPECT_STREQ(car.FormatNumber(0), "0\n");
    EXPECT_STREQ(car.FormatNumber(-2147483647 - 1), "-2147483648\n");
    EXPECT_EQ(car.FormatNumber(42), car.textBuffer);
}

}  // namespace
