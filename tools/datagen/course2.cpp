// Course 2: a fast sweeping lap over open grassland. The road model is also the
// ground model, so its edge is the wall; the backdrop carries the grass, the
// tyre walls along the edge, the hills and the sky.
#include <cmath>

#include "datagen/courses.h"
#include "datagen/generators.h"

namespace datagen {
namespace {

constexpr float kScale = 150.0f;
// The grass lies well below the road (the road's sides are embankments): with a
// 16-bit depth buffer nearer layers would show through each other at a distance.
constexpr float kGrassY = -5.0f;
constexpr float kPickY = -6.0f;

}  // namespace

Track Course2Track() {
    // The start (0, -110) heading 2.5 rad and the checkpoint (230, 329) are on
    // the line; the bends keep clear of the trees and stands placed round it.
    const std::vector<D3DXVECTOR2> points = {
        {0, -110},  {120, -270}, {260, -320}, {450, -420},  {680, -330},  {730, -60},  {690, 230}, {470, 420},
        {230, 329}, {40, 270},   {-140, 340}, {-400, 320}, {-580, 140}, {-520, -110}, {-260, -60}};
    return Track(points, D3DXVECTOR2(std::sin(2.5f), std::cos(2.5f)), 8.0f);
}

bool WriteCourse2Road(const std::string& dir) {
    Model model;
    AddRoad(model, Course2Track(), {kScale, kScale}, kGrassY - 0.2f, kPickY);
    return model.Write(dir + "/course1st@5.x", "course1st");
}

bool WriteCourse2Backdrop(const std::string& dir) {
    Model model;
    const ModelScale scale{kScale, kScale};
    AddGroundPlane(model, scale, kGrassY, 1200.0f, 12, {0.32f, 0.62f, 0.26f, 1.0f});
    AddBarriers(model, Course2Track(), scale, kRoadEdge, kGrassY, 1.2f);
    AddHorizon(model, scale, {86.0f, 0.0f}, {860.0f, 600.0f}, kGrassY, kMeadows);
    AddMound(model, scale, {420.0f, 30.0f}, 220.0f, 45.0f, kGrassY, kMeadows);
    AddMound(model, scale, {-280.0f, 140.0f}, 130.0f, 30.0f, kGrassY, kMeadows);
    AddMound(model, scale, {-100.0f, 60.0f}, 70.0f, 18.0f, kGrassY, kMeadows);
    // Woods beside the lap, kept off the hills and clear of the stands.
    const std::vector<D3DXVECTOR3> avoid = {
        {420, 30, 230}, {-280, 140, 140}, {-100, 60, 80}, {110, -35, 45}, {300, -500, 45}};
    AddForest(model, scale, Course2Track(), {86.0f, 0.0f}, {860.0f, 600.0f}, kGrassY, 70.0f, avoid, 150, 2u);
    return model.Write(dir + "/obj1st@3.x", "obj1st");
}

// A conifer, drawn at scale 10: about 16 units tall and 9 across.
bool WriteTree(const std::string& dir) {
    Model model;
    const int bark = model.AddMaterial(Flat(0.40f, 0.26f, 0.14f));
    const int leaves = model.AddMaterial(Flat(0.12f, 0.42f, 0.16f));
    const int leavesLight = model.AddMaterial(Flat(0.20f, 0.52f, 0.20f));
    model.AddBox(bark, {-0.07f, -0.1f, -0.07f}, {0.07f, 0.45f, 0.07f});
    const int sides = 8;
    const float pi = 3.14159265f;
    // Three stacked cones: (bottom height, radius, top height).
    const float tiers[3][3] = {{0.3f, 0.45f, 1.0f}, {0.7f, 0.36f, 1.35f}, {1.05f, 0.26f, 1.65f}};
    for (int t = 0; t < 3; ++t) {
        const D3DXVECTOR3 tip(0, tiers[t][2], 0), middle(0, tiers[t][0], 0);
        for (int s = 0; s < sides; ++s) {
            const float a0 = 2 * pi * float(s) / sides, a1 = 2 * pi * float(s + 1) / sides;
            const D3DXVECTOR3 p0(tiers[t][1] * std::cos(a0), tiers[t][0], tiers[t][1] * std::sin(a0));
            const D3DXVECTOR3 p1(tiers[t][1] * std::cos(a1), tiers[t][0], tiers[t][1] * std::sin(a1));
            const int m = s % 2 ? leaves : leavesLight;
            const D3DXVECTOR3 out = (p0 + p1) * 0.5f;
            // Clockwise seen from outside: the tip, then round the base.
            D3DXVECTOR3 n;
            const D3DXVECTOR3 e1 = p0 - tip, e2 = p1 - tip;
            D3DXVec3Cross(&n, &e1, &e2);
            if (D3DXVec3Dot(&n, &out) >= 0)
                model.AddTriangle(m, tip, p0, p1);
            else
                model.AddTriangle(m, tip, p1, p0);
            // The underside closes the cone.
            if (D3DXVec3Dot(&n, &out) >= 0)
                model.AddTriangle(leaves, middle, p1, p0);
            else
                model.AddTriangle(leaves, middle, p0, p1);
        }
    }
    return model.Write(dir + "/obj1st2@1.x", "obj1st2");
}

// A small grandstand, drawn at scale 50: about 40 by 25 units and 17 tall, its
// open to -z with its seats stepping up towards the back.
bool WriteStand(const std::string& dir) {
    Model model;
    const int wall = model.AddMaterial(Flat(0.85f, 0.82f, 0.74f));
    const int seats[3] = {model.AddMaterial(Flat(0.15f, 0.35f, 0.80f)),
                          model.AddMaterial(Flat(0.90f, 0.75f, 0.10f)),
                          model.AddMaterial(Flat(0.80f, 0.15f, 0.15f))};
    const int roof = model.AddMaterial(Flat(0.55f, 0.57f, 0.60f));
    const int post = model.AddMaterial(Flat(0.30f, 0.30f, 0.32f));
    const float w = 0.4f, d = 0.25f;
    // Stepped seating, rising towards +z.
    for (int row = 0; row < 3; ++row) {
        const float z0 = -d + 0.15f * float(row), h = 0.06f + 0.07f * float(row);
        model.AddBox(seats[row], {-w, -0.02f, z0}, {w, h, z0 + 0.15f});
    }
    model.AddBox(wall, {-w, -0.02f, d - 0.05f}, {w, 0.30f, d});   // back wall
    model.AddBox(wall, {-w - 0.04f, -0.02f, -d}, {-w, 0.30f, d});  // end walls
    model.AddBox(wall, {w, -0.02f, -d}, {w + 0.04f, 0.30f, d});
    model.AddBox(post, {-w + 0.02f, -0.02f, -d + 0.02f}, {-w + 0.05f, 0.32f, -d + 0.05f});
    model.AddBox(post, {w - 0.05f, -0.02f, -d + 0.02f}, {w - 0.02f, 0.32f, -d + 0.05f});
    // A roof sloping down to the front, seen from both above and below.
    const D3DXVECTOR3 a(-w - 0.05f, 0.36f, d), b(w + 0.05f, 0.36f, d), c(w + 0.05f, 0.30f, -d - 0.05f),
        e(-w - 0.05f, 0.30f, -d - 0.05f);
    AddQuadFacing(model, roof, a, b, c, e, {0, 1, 0});
    AddQuadFacing(model, roof, a, b, c, e, {0, -1, 0});
    return model.Write(dir + "/obj1st3@1.x", "obj1st3");
}

}  // namespace datagen
