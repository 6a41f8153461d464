// The player's car: a model on a scene node, a heading, a position and a
// horizontal velocity moved by a small force-and-drag model once per race frame,
// the ground, wall and lap steps, and the chase camera.
#pragma once

#include "d3dx8/d3dx8math.h"
#include "render/mesh.h"
#include "scene/node.h"

class Course;

// Laps 1 to kLastLap are counted; element 0 of lapFrames is not used.
constexpr int kLapSlots = 10;
constexpr int kLastLap = kLapSlots - 1;

// The control inputs, written by the race frame's key mapping.
enum ThrottleInput { kThrottleNone = 0, kThrottleAccelerate = 1, kThrottleBrake = 2 };
enum SteerInput { kSteerNone = 0, kSteerRight = 1, kSteerLeft = 2 };
extern int throttleInput;
extern int steerInput;

class Car {
public:
    void SetupCar(Course* course);
    void DriveStep();
    // Pushes the car out of walls and sets the off-road drag (ground_lap.cpp).
    void GroundStep();
    // Counts a lap when the start gate is reached after the checkpoint.
    void LapStep();
    void DrawCar();
    // value with "%d\n" in textBuffer.
    const char* FormatNumber(int value);

    float heading = 0.0f;
    D3DXVECTOR3 pos{0, 0, 0};
    const float dt = 0.016666f;
    float engineForce = 0.0f;
    float drag = 0.0f;
    D3DXVECTOR2 velocity{0, 0};
    float extraDrag = 0.0f;
    // Single-precision pi widened to double: the wrap and the wheel geometry use it.
    const double pi = 3.1415927410125732;
    const float mass = 25.0f;
    float speed = 0.0f;
    float steerRate = 0.0f;
    Mesh carMesh;
    CNode carNode;
    int awaitCheckpoint = 1;
    int totalFrames = 0;
    int lapFrames[kLapSlots] = {};
    int lap = 1;
    // Set once the last countable lap is complete: the counters then stand still
    // and the display keeps the nine laps, while the car drives on.
    int finished = 0;
    Course* currentCourse = nullptr;
    char textBuffer[50] = {};
};
