// demo_windmill_sails.x and demo_windmill_flag.x: the four latticed sails round
// their hub, red and cream in turn, and the pennant on its pole.
#include <cmath>

#include "datagen/demo_windmill.h"
#include "datagen/generators.h"
#include "datagen/solids.h"

namespace datagen {

using W = WindmillSize;

bool WriteWindmillSails(const std::string& dir) {
    Model model;
    const int stockWood = model.AddMaterial(Matte(0.32f, 0.2f, 0.11f));
    const int red = model.AddMaterial(Matte(0.8f, 0.13f, 0.1f));
    const int cream = model.AddMaterial(Matte(0.93f, 0.88f, 0.75f));
    const int hub = model.AddMaterial(Shiny(0.18f, 0.18f, 0.2f, 0.6f, 25.0f));

    AddCylinder(model, hub, hub, {0, 0, 0.06f}, {0, 0, -0.12f}, 0.13f, 16);
    const float length = W::kSailLength, inner = 0.35f, width = 0.34f;
    const float pi = 3.14159265f;
    for (int blade = 0; blade < 4; ++blade) {
        // u along the blade; v the way it moves as the sails turn (anticlockwise
        // seen from the front); the cloth trails it, on the -v side.
        const float a = pi / 4 + blade * pi / 2;
        const D3DXVECTOR3 u(std::cos(a), std::sin(a), 0), v(-std::sin(a), std::cos(a), 0), w(0, 0, 1);
        const float mid = (inner + length) / 2, half = (length - inner) / 2;
        AddHexahedron(model, stockWood, Block(u * (length / 2) + w * -0.05f, u * (length / 2), v * 0.035f, w * 0.035f));
        AddHexahedron(model, blade % 2 ? cream : red,
                      Block(u * mid - v * (width / 2 + 0.03f) + w * -0.05f, u * half, v * (width / 2), w * 0.008f));
        // The lattice over the cloth: bars across and a rail along its edge.
        for (int bar = 0; bar <= 5; ++bar)
            AddHexahedron(model, stockWood,
                          Block(u * (inner + bar * (length - inner) / 5) - v * (width / 2 + 0.03f) + w * -0.066f,
                                u * 0.015f, v * (width / 2 + 0.01f), w * 0.008f));
        AddHexahedron(model, stockWood,
                      Block(u * mid - v * (width + 0.03f) + w * -0.062f, u * half, v * 0.015f, w * 0.012f));
    }
    return model.Write(dir + "/demo_windmill_sails.x", "demo_windmill_sails");
}

bool WriteWindmillFlag(const std::string& dir) {
    Model model;
    const int pole = model.AddMaterial(Shiny(0.85f, 0.85f, 0.88f, 0.6f, 25.0f));
    const int blue = model.AddMaterial(Matte(0.1f, 0.3f, 0.85f));
    const int yellow = model.AddMaterial(Matte(1.0f, 0.82f, 0.1f));
    const int gold = model.AddMaterial(Shiny(0.95f, 0.75f, 0.2f, 0.9f, 40.0f));

    const float height = 0.5f;
    AddCylinder(model, pole, pole, {0, 0, 0}, {0, height, 0}, 0.018f, 8);
    model.AddBox(gold, {-0.03f, height, -0.03f}, {0.03f, height + 0.06f, 0.03f});
    // The pennant, blue over yellow, seen from both sides: each half once per
    // side, a hair apart.
    const D3DXVECTOR3 top(0, height - 0.02f, 0), middle(0, height - 0.11f, 0), bottom(0, height - 0.2f, 0);
    const D3DXVECTOR3 tip(0, height - 0.11f, 0.45f);
    for (float side : {-1.0f, 1.0f}) {
        const D3DXVECTOR3 off(0.002f * side, 0, 0);
        AddFacingTriangle(model, blue, top + off, middle + off, tip + off, {side, 0, 0});
        AddFacingTriangle(model, yellow, middle + off, bottom + off, tip + off, {side, 0, 0});
    }
    return model.Write(dir + "/demo_windmill_flag.x", "demo_windmill_flag");
}

}  // namespace datagen
