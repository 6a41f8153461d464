// What sets the two model courses apart: their files, scales and places. The
// set-up steps themselves are Course::SetupModelCourse's.
#pragma once

#include <span>

#include "d3d8/d3d8types.h"

// Element of Course::objectMeshes that a scenery model is loaded into.
struct SceneryModel {
    int element;
    const char* file;
};

// A placed scenery object: the element it shows, its uniform scale and place.
struct SceneryObject {
    int element;
    float scale;
    D3DVECTOR pos;
};

struct ModelCourse {
    const char* groundFile;
    const char* roadFile;
    float groundScale;
    D3DVECTOR groundPos;
    D3DVECTOR startGate;
    D3DVECTOR checkGate;
    D3DVECTOR startPos;
    float startHeading;
    std::span<const SceneryModel> models;  // loaded in this order
    std::span<const SceneryObject> objects;
    int lastObject;  // -1: object 0 alone, flattened to 15 units high
};

// Course 2: road and ground are one model, so leaving the road is hitting a wall.
inline constexpr SceneryModel kFirstModelCourseModels[] = {{0, "obj1st@3.x"}, {1, "obj1st2@1.x"}, {9, "obj1st3@1.x"}};
inline constexpr SceneryObject kFirstModelCourseObjects[] = {
    {0, 150, {0, 0, 0}},     {1, 10, {0.1f, 0, -50}}, {1, 10, {20, 0, -235}}, {1, 10, {200, 0, -60}},
    {1, 10, {150, 0, -400}}, {1, 10, {800, 0, 0}},    {1, 10, {0, 0, 200}},   {1, 10, {90, 0, 375}},
    {1, 10, {-700, 0, 130}}, {9, 50, {110, 0, -35}},  {9, 50, {300, 0, -500}}};
inline constexpr ModelCourse kFirstModelCourse = {
    .groundFile = "course1st@5.x",
    .roadFile = "course1st@5.x",
    .groundScale = 150.0f,
    .groundPos = {0, -10.1f, 0},
    .startGate = {1, -1, -110},
    .checkGate = {230, -1, 329},
    .startPos = {0, 1, -110},
    .startHeading = 2.5f,
    .models = kFirstModelCourseModels,
    .objects = kFirstModelCourseObjects,
    .lastObject = 10,
};

// Course 3: its side barriers are one model, drawn flattened.
inline constexpr SceneryModel kSecondModelCourseModels[] = {{0, "course2ndside.x"}};
inline constexpr SceneryObject kSecondModelCourseObjects[] = {{0, 150, {0, 0, 0}}};
inline constexpr ModelCourse kSecondModelCourse = {
    .groundFile = "green2nd.x",
    .roadFile = "course2nd.x",
    .groundScale = 170.0f,
    .groundPos = {0, -1, 0},
    .startGate = {80, -1, 300},
    .checkGate = {-25, -1, -581},
    .startPos = {80, 0, 300},
    .startHeading = 4.2f,
    .models = kSecondModelCourseModels,
    .objects = kSecondModelCourseObjects,
    .lastObject = -1,
};
