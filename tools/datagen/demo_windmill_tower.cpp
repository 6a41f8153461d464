// demo_windmill_tower.x and demo_windmill_door.x: the mill's fixed tower, a
// stone plinth with a dark doorway under a whitewashed octagonal body with
// windows, and the plank door that swings open on its hinge.
#include <cmath>

#include "datagen/demo_windmill.h"
#include "datagen/generators.h"
#include "datagen/solids.h"

namespace datagen {
namespace {

using W = WindmillSize;
constexpr int kSides = 8;

// The apothem of the tower's octagon: how far a face's middle lies from the axis.
float Apothem(float radius) { return radius * std::cos(3.14159265f / kSides); }

// The body's corner radius at height y.
float BodyRadius(float y) {
    return W::kBodyRadius0 + (W::kBodyRadius1 - W::kBodyRadius0) * (y - W::kPlinthTop) / (W::kTowerTop - W::kPlinthTop);
}

// A window on face `face` of the body (face i runs from corner i to corner i + 1),
// centred across it, between heights y0 and y1, lifted off the wall.
void AddWindow(Model& model, int glass, int sill, int face, float halfWidth, float y0, float y1) {
    auto at = [&](float s, float y) {
        const D3DXVECTOR3 a = PrismCorner(face, kSides, BodyRadius(y), y);
        const D3DXVECTOR3 b = PrismCorner(face + 1, kSides, BodyRadius(y), y);
        const D3DXVECTOR3 p = a + s * (b - a);
        const D3DXVECTOR3 out(p.x, 0, p.z);
        return p + 0.01f * out / std::sqrt(out.x * out.x + out.z * out.z);
    };
    const D3DXVECTOR3 mid = (at(0.5f, y0) + at(0.5f, y1)) / 2.0f;
    const D3DXVECTOR3 outward(mid.x, 0, mid.z);
    const float s0 = 0.5f - halfWidth, s1 = 0.5f + halfWidth;
    AddFacingQuad(model, glass, at(s0, y0), at(s1, y0), at(s1, y1), at(s0, y1), outward);
    // A sill under the window, standing out of the wall.
    const D3DXVECTOR3 a = at(s0 - 0.04f, y0), b = at(s1 + 0.04f, y0);
    const D3DXVECTOR3 out = 0.05f * outward / std::sqrt(outward.x * outward.x + outward.z * outward.z);
    AddHexahedron(model, sill,
                  Block((a + b) / 2.0f - D3DXVECTOR3(0, 0.025f, 0), (b - a) / 2.0f, {0, 0.025f, 0}, out));
}

}  // namespace

D3DXVECTOR3 WindmillDoorHinge() {
    return D3DXVECTOR3(-W::kDoorWidth / 2, 0.0f, -Apothem(W::kPlinthRadius) - 0.006f);
}

bool WriteWindmillTower(const std::string& dir) {
    Model model;
    const int stone = model.AddMaterial(Matte(0.55f, 0.5f, 0.45f));
    const int whitewash = model.AddMaterial(Matte(0.93f, 0.9f, 0.82f));
    const int band = model.AddMaterial(Matte(0.3f, 0.22f, 0.15f));
    const int glass = model.AddMaterial(Shiny(0.12f, 0.16f, 0.3f, 0.8f, 30.0f));
    const int dark = model.AddMaterial(Matte(0.05f, 0.04f, 0.03f));

    AddPrism(model, stone, stone, 0.0f, W::kPlinthRadius, W::kPlinthTop, W::kPlinthRadius, kSides);
    AddPrism(model, whitewash, whitewash, W::kPlinthTop, W::kBodyRadius0, W::kTowerTop, W::kBodyRadius1, kSides);
    // A wooden band where the body meets the plinth.
    AddPrism(model, band, band, W::kPlinthTop - 0.04f, W::kPlinthRadius + 0.03f, W::kPlinthTop + 0.04f,
             W::kPlinthRadius + 0.03f, kSides);

    // The doorway behind the door, on the plinth's front face.
    const float front = -Apothem(W::kPlinthRadius) - 0.003f;
    const float halfDoor = W::kDoorWidth / 2 + 0.01f;
    AddFacingQuad(model, dark, {-halfDoor, 0.0f, front}, {halfDoor, 0.0f, front},
                  {halfDoor, W::kDoorHeight + 0.02f, front}, {-halfDoor, W::kDoorHeight + 0.02f, front}, {0, 0, -1});

    // Windows up the front (faces 7 and its neighbours) and on both sides.
    AddWindow(model, glass, band, 7, 0.16f, 1.35f, 1.7f);
    AddWindow(model, glass, band, 7, 0.14f, 2.15f, 2.45f);
    AddWindow(model, glass, band, 1, 0.16f, 1.75f, 2.05f);
    AddWindow(model, glass, band, 5, 0.16f, 1.75f, 2.05f);
    AddWindow(model, glass, band, 3, 0.14f, 1.35f, 1.65f);
    return model.Write(dir + "/demo_windmill_tower.x", "demo_windmill_tower");
}

bool WriteWindmillDoor(const std::string& dir) {
    Model model;
    const int planks = model.AddMaterial(Matte(0.45f, 0.26f, 0.12f));
    const int iron = model.AddMaterial(Shiny(0.12f, 0.12f, 0.13f, 0.5f, 20.0f));
    const int brass = model.AddMaterial(Shiny(0.85f, 0.65f, 0.2f, 0.9f, 40.0f));
    const float w = W::kDoorWidth, h = W::kDoorHeight, t = W::kDoorThickness;
    // The door's back lies on its hinge line (z = 0); its front faces -z.
    model.AddBox(planks, {0.0f, 0.0f, -t}, {w, h, 0.0f});
    // Three iron straps across it, and a ring handle on the side away from the hinge.
    for (float y : {0.1f * h, 0.5f * h, 0.88f * h})
        model.AddBox(iron, {0.01f, y - 0.02f, -t - 0.012f}, {w - 0.02f, y + 0.02f, -t});
    model.AddBox(brass, {w - 0.09f, 0.42f * h, -t - 0.04f}, {w - 0.05f, 0.46f * h, -t});
    return model.Write(dir + "/demo_windmill_door.x", "demo_windmill_door");
}

}  // namespace datagen
