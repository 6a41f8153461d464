// car.x: a small red hatchback with a white stripe over the roof and bonnet,
// glass all round, four wheels with silver hubs, headlights and tail lights.
// Seen from the chase camera (a unit behind the origin, level with it) only the
// roof, the stripe, the bonnet and the tops of the front wheels show, so those
// carry the contrast.
#include "datagen/car.h"

#include "datagen/generators.h"
#include "datagen/solids.h"

namespace datagen {
namespace {

struct Placed {
    D3DXVECTOR3 offset;
    float scale;
    D3DXVECTOR3 operator()(float x, float y, float z) const { return offset + scale * D3DXVECTOR3(x, y, z); }
    Hexahedron operator()(Hexahedron h) const {
        for (D3DXVECTOR3& p : h.corner) p = offset + scale * p;
        return h;
    }
};

}  // namespace

void AddCar(Model& model, const D3DXVECTOR3& offset, float scale) {
    using S = CarSize;
    const Placed at{offset, scale};
    const int paint = model.AddMaterial(Shiny(0.85f, 0.08f, 0.06f, 0.6f, 20.0f));
    const int stripe = model.AddMaterial(Shiny(0.95f, 0.95f, 0.92f, 0.5f, 20.0f));
    const int glass = model.AddMaterial(Shiny(0.12f, 0.18f, 0.28f, 0.9f, 40.0f));
    const int tyre = model.AddMaterial(Matte(0.07f, 0.07f, 0.07f));
    const int hub = model.AddMaterial(Shiny(0.75f, 0.75f, 0.78f, 0.8f, 30.0f));
    const int trim = model.AddMaterial(Matte(0.15f, 0.15f, 0.16f));
    const int headlight = model.AddMaterial(Glowing(1.0f, 1.0f, 0.85f, 0.9f));
    const int taillight = model.AddMaterial(Glowing(1.0f, 0.1f, 0.05f, 0.8f));

    const float sill = S::kGround + 0.12f;  // underside of the body
    const float belt = -0.47f;              // top of the rear body, foot of the glass
    const float nose = -0.53f;              // top of the bonnet at the front
    const float bonnetStart = 0.15f;

    // Rear body (with the boot) and the sloping bonnet.
    const Hexahedron rear = at(Frustum(sill, S::kHalfWidth, S::kRear, bonnetStart, belt, S::kHalfWidth - 0.01f,
                                       S::kRear + 0.01f, bonnetStart));
    Hexahedron bonnet = Frustum(sill, S::kHalfWidth, bonnetStart, S::kFront, nose, S::kHalfWidth - 0.02f,
                                bonnetStart, S::kFront - 0.03f);
    for (int k : {2, 3}) bonnet.corner[k].y = belt;  // the bonnet rises to meet the windscreen
    bonnet = at(bonnet);
    AddHexahedron(model, paint, rear);
    AddHexahedron(model, paint, bonnet);

    // Cabin: glass panels on body-coloured pillars, the roof narrower than its foot.
    const Hexahedron cabin = at(Frustum(belt - 0.02f, S::kHalfWidth - 0.02f, -0.38f, bonnetStart, S::kRoof,
                                        S::kHalfWidth - 0.07f, -0.24f, -0.02f));
    AddHexahedron(model, paint, cabin);
    const float lift = 0.004f * scale;
    AddSidePanel(model, glass, cabin, 2, true, 0.08f, 0.08f, 0.1f, 0.1f, lift);   // windscreen
    AddSidePanel(model, glass, cabin, 2, false, 0.08f, 0.08f, 0.1f, 0.12f, lift);  // rear window
    for (bool right : {false, true}) {
        AddSidePanel(model, glass, cabin, 0, right, 0.1f, 0.12f, 0.07f, 0.53f, lift);  // rear side window
        AddSidePanel(model, glass, cabin, 0, right, 0.1f, 0.12f, 0.51f, 0.08f, lift);  // front side window
    }
    // The racing stripe over roof, bonnet and boot.
    const float stripeInset = 0.5f - 0.055f / (2 * (S::kHalfWidth - 0.07f));
    AddSidePanel(model, stripe, cabin, 1, true, 0.0f, 0.0f, stripeInset, stripeInset, lift);
    const float bonnetInset = 0.5f - 0.055f / (2 * (S::kHalfWidth - 0.02f));
    AddSidePanel(model, stripe, bonnet, 1, true, 0.0f, 0.0f, bonnetInset, bonnetInset, lift);
    AddSidePanel(model, stripe, rear, 1, true, 0.0f, 0.63f, bonnetInset, bonnetInset, lift);

    // Lights, grille and bumpers.
    const float lampY0 = 0.35f, lampY1 = 0.25f;  // insets from the bottom and top of the front and back
    AddSidePanel(model, headlight, bonnet, 2, true, 0.07f, 0.68f, lampY0 + 0.1f, lampY1, lift);
    AddSidePanel(model, headlight, bonnet, 2, true, 0.68f, 0.07f, lampY0 + 0.1f, lampY1, lift);
    AddSidePanel(model, trim, bonnet, 2, true, 0.38f, 0.38f, lampY0 + 0.1f, lampY1 + 0.05f, lift);
    AddSidePanel(model, taillight, rear, 2, false, 0.05f, 0.72f, lampY0 + 0.2f, 0.08f, lift);
    AddSidePanel(model, taillight, rear, 2, false, 0.72f, 0.05f, lampY0 + 0.2f, 0.08f, lift);
    AddHexahedron(model, trim, at(Frustum(sill - 0.01f, S::kHalfWidth + 0.005f, S::kFront - 0.03f, S::kFront + 0.03f,
                                          sill + 0.07f, S::kHalfWidth + 0.005f, S::kFront - 0.03f,
                                          S::kFront + 0.03f)));
    AddHexahedron(model, trim, at(Frustum(sill - 0.01f, S::kHalfWidth + 0.005f, S::kRear - 0.03f, S::kRear + 0.03f,
                                          sill + 0.07f, S::kHalfWidth + 0.005f, S::kRear - 0.03f,
                                          S::kRear + 0.03f)));

    // Wheels: tyres standing on the ground, hubs on their outer faces.
    const float wheelY = S::kGround + S::kWheelRadius;
    for (float side : {-1.0f, 1.0f}) {
        for (float end : {-1.0f, 1.0f}) {
            const float inner = side * (S::kWheelX - S::kWheelWidth / 2);
            const float outer = side * (S::kWheelX + S::kWheelWidth / 2);
            const float z = end * S::kWheelZ;
            AddCylinder(model, tyre, tyre, at(inner, wheelY, z), at(outer, wheelY, z), scale * S::kWheelRadius, 16);
            AddDisc(model, hub, at(outer + side * 0.003f, wheelY, z), D3DXVECTOR3(side, 0, 0),
                    scale * S::kWheelRadius * 0.55f, 12);
        }
    }
}

bool WriteCar(const std::string& dir) {
    Model model;
    AddCar(model, D3DXVECTOR3(0, 0, 0), 1.0f);
    return model.Write(dir + "/car.x", "car");
}

}  // namespace datagen
