// demo_windmill_cap.x: the mill's turning cap, a gabled roof on a wooden ring
// with the sails' shaft leaving its front and the tail pole, which the miller
// pushes to turn the cap, reaching down its back.
#include <cmath>

#include "datagen/demo_windmill.h"
#include "datagen/generators.h"
#include "datagen/solids.h"

namespace datagen {

using W = WindmillSize;

D3DXVECTOR3 WindmillCapOrigin() { return D3DXVECTOR3(0.0f, W::kTowerTop, 0.0f); }

D3DXVECTOR3 WindmillShaft() { return D3DXVECTOR3(0.0f, std::sin(W::kShaftTilt), -std::cos(W::kShaftTilt)); }

D3DXVECTOR3 WindmillHub() {
    return D3DXVECTOR3(0.0f, W::kShaftHeight, -W::kShaftOut) + W::kHubOut * WindmillShaft();
}

D3DXVECTOR3 WindmillFlagFoot() { return D3DXVECTOR3(0.0f, W::kRidge, W::kFlagBack); }

bool WriteWindmillCap(const std::string& dir) {
    Model model;
    const int wood = model.AddMaterial(Matte(0.42f, 0.28f, 0.16f));
    const int roof = model.AddMaterial(Matte(0.6f, 0.14f, 0.1f));
    const int gable = model.AddMaterial(Matte(0.85f, 0.8f, 0.68f));
    const int shaft = model.AddMaterial(Shiny(0.2f, 0.18f, 0.16f, 0.4f, 15.0f));

    AddPrism(model, wood, wood, 0.0f, W::kCapRadius, W::kCapRing, W::kCapRadius, 8);

    // The roof: two slopes from the eaves to the ridge, gables at both ends and
    // a soffit under the overhang.
    const float r = W::kCapRadius, y0 = W::kCapRing, y1 = W::kRidge, z = W::kCapLength;
    const D3DXVECTOR3 leftBack(-r, y0, z), leftFront(-r, y0, -z), rightBack(r, y0, z), rightFront(r, y0, -z);
    const D3DXVECTOR3 ridgeBack(0, y1, z), ridgeFront(0, y1, -z);
    AddFacingQuad(model, roof, leftFront, ridgeFront, ridgeBack, leftBack, {-(y1 - y0), r, 0});
    AddFacingQuad(model, roof, rightFront, ridgeFront, ridgeBack, rightBack, {y1 - y0, r, 0});
    AddFacingTriangle(model, gable, leftFront, ridgeFront, rightFront, {0, 0, -1});
    AddFacingTriangle(model, gable, leftBack, ridgeBack, rightBack, {0, 0, 1});
    AddFacingQuad(model, wood, leftFront, rightFront, rightBack, leftBack, {0, -1, 0});

    // The shaft from inside the roof to just through the hub.
    const D3DXVECTOR3 d = WindmillShaft();
    const D3DXVECTOR3 out(0.0f, W::kShaftHeight, -W::kShaftOut);
    AddCylinder(model, shaft, shaft, out - 0.3f * d, WindmillHub() + 0.06f * d, 0.06f, 12);

    // The tail pole down the back, with its cart wheel on the ground's side.
    const D3DXVECTOR3 poleTop(0.0f, 0.2f, 0.55f), poleEnd(0.0f, -1.25f, 1.55f);
    AddCylinder(model, wood, wood, poleTop, poleEnd, 0.04f, 8);
    AddCylinder(model, wood, shaft, poleEnd - D3DXVECTOR3(0.05f, 0, 0), poleEnd + D3DXVECTOR3(0.05f, 0, 0), 0.14f, 12);
    return model.Write(dir + "/demo_windmill_cap.x", "demo_windmill_cap");
}

}  // namespace datagen
