// The car's set-up, driving step, draw step and the chase camera.
#include "game/car.h"

#include <cmath>
#include <cstdio>

#include "game/course.h"
#include "render/direct3d.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "win32/windows.h"

int throttleInput = 0;
int steerInput = 0;

namespace {

constexpr float kEngineForce = 1000.0f;
constexpr float kRollingDrag = 5.0f;
constexpr float kBrakeDrag = 55.0f;
constexpr float kSteerRate = 0.9f;
constexpr double kGrip = 0.02;
constexpr float kModelCourseHeight = 0.8f;
constexpr float kShadowDrop = 0.5f;

}  // namespace

void Car::SetupCar(Course* course) {
    SetCurrentDirectoryA("data");
    carMesh.Load("car.x", 0, 1);
    carNode.Setup(&carMesh, pos.x, pos.y, pos.z, 1.0f);
    currentCourse = course;
    pos = course->startPos;
    carNode.RotateY(course->startHeading);
    heading = course->startHeading;
    // Every race starts at rest, whatever the car was doing when Q was pressed.
    velocity = D3DXVECTOR2(0, 0);
    engineForce = 0.0f;
    extraDrag = 0.0f;
    awaitCheckpoint = 1;
    totalFrames = 0;
    for (int& frames : lapFrames) frames = 0;
    lap = 1;
    finished = 0;
}

void Car::DriveStep() {
    steerRate = steerInput == kSteerRight ? kSteerRate : steerInput == kSteerLeft ? -kSteerRate : 0.0f;
    heading += steerRate * dt;
    if (heading > pi)
        heading -= 2 * pi;
    else if (heading < -pi)
        heading += 2 * pi;

    if (throttleInput == kThrottleBrake) {
        // The engine keeps the force it had: braking while Z is still held brakes
        // against the engine.
        drag = extraDrag + kBrakeDrag;
    } else if (throttleInput == kThrottleAccelerate) {
        engineForce = kEngineForce;
        drag = extraDrag + kRollingDrag;
    } else {
        engineForce = 0.0f;
        drag = extraDrag + kRollingDrag;
    }

    const D3DXVECTOR2 direction(float(std::sin(double(heading))), float(std::cos(double(heading))));
    velocity += (dt / mass) * (engineForce * direction - drag * velocity);
    speed = D3DXVec2Length(&velocity);

    // Grip: two per cent of the sideways part of the velocity goes each frame.
    const double side = heading - pi / 2;
    // In double: the float overload's error alone would make a sideways part
    // out of a velocity that has none.
    const double along = std::atan2(double(velocity.x), double(velocity.y));
    const double loss = std::cos(along - side) * (speed * kGrip);
    velocity.x -= float(loss * std::sin(side));
    velocity.y -= float(loss * std::cos(side));

    pos.x += velocity.x * dt;
    pos.z += velocity.y * dt;

    if (!finished) {
        totalFrames += 1;
        lapFrames[lap] += 1;
    }
}

void Car::DrawCar() {
    D3DXMATRIX shadow;
    GetShadowMatrix(&shadow, D3DXVECTOR3(0, pos.y - kShadowDrop, 0), D3DXVECTOR3(0, 1, 0));

    carNode.SetLocalPosition(pos.x, pos.y, pos.z);
    carNode.RotateY(steerRate * dt);

    // The view serves the next frame: BeginFrame installs it.
    const D3DXVECTOR3 centre = carNode.GetLocalPosition();
    const D3DXVECTOR3 forward = carNode.GetLocalForward();
    SetCameraLookAt(centre - forward, centre, D3DXVECTOR3(0, 1, 0));

    if (currentCourse && currentCourse->isTerrain == 1) {
        const D3DXVECTOR3 eye = GetCameraPosition();
        pos.y = currentCourse->GroundHeight(eye.x, eye.z);
    } else {
        pos.y = kModelCourseHeight;
    }

    SetLighting(TRUE);
    SetZWrite(TRUE);
    carNode.SetLocalPosition(pos.x, pos.y, pos.z);
    carNode.DrawShadow(shadow);
    carNode.Draw();
}

const char* Car::FormatNumber(int value) {
    std::snprintf(textBuffer, sizeof textBuffer, "%d\n", value);
    return textBuffer;
}
