// The demo's windmill: a tower mill in five rigid parts, each a model of its own
// in its own frame, and the keys that move them. Units are metres of a mill a
// few units tall, y up, its sails on the -z side (towards a camera looking
// along +z), its origin on the ground at the tower's axis.
#pragma once

#include "d3dx8/d3dx8math.h"

namespace datagen {

struct WindmillSize {
    // The tower: a stone plinth (an octagonal prism) carrying a tapering body.
    static constexpr float kPlinthRadius = 0.95f;  // to the corners of the octagon
    static constexpr float kPlinthTop = 0.9f;
    static constexpr float kBodyRadius0 = 0.85f;   // at the plinth
    static constexpr float kBodyRadius1 = 0.55f;   // at the top
    static constexpr float kTowerTop = 3.0f;

    // The door hangs on a hinge at the left of the plinth's front face (seen
    // from the front); its own frame has the hinge as its y axis and the door
    // running towards +x.
    static constexpr float kDoorWidth = 0.38f;
    static constexpr float kDoorHeight = 0.66f;
    static constexpr float kDoorThickness = 0.035f;

    // The cap turns on the tower's top; its frame has its origin there.
    static constexpr float kCapRadius = 0.62f;
    static constexpr float kCapRing = 0.12f;   // height of its base ring
    static constexpr float kRidge = 0.62f;     // height of the roof's ridge
    static constexpr float kCapLength = 0.7f;  // the roof reaches this far ahead and behind

    // The sails turn on a shaft through the cap's front, tilted up at the front
    // so that the lower sails clear the tower. Their frame has its origin at the
    // hub, the sails in its xy plane and the shaft along -z.
    static constexpr float kShaftTilt = 0.1745329f;  // 10 degrees
    static constexpr float kShaftHeight = 0.3f;      // where the shaft leaves the cap's front, in the cap's frame
    static constexpr float kShaftOut = 0.45f;
    static constexpr float kHubOut = 0.4f;           // from there to the hub along the shaft
    static constexpr float kSailLength = 1.7f;       // hub to tip

    // The flag stands on the back of the ridge; its frame has the foot of its
    // pole as origin, the pennant streaming towards +z.
    static constexpr float kFlagBack = 0.5f;
};

// Where the parts' frames sit in their parent's frame, unturned: the door's
// hinge and the cap in the mill's, the hub and the flag's foot in the cap's.
D3DXVECTOR3 WindmillDoorHinge();
D3DXVECTOR3 WindmillCapOrigin();
D3DXVECTOR3 WindmillHub();
D3DXVECTOR3 WindmillFlagFoot();
// The shaft's direction in the cap's frame: forwards (-z) and a little up.
D3DXVECTOR3 WindmillShaft();

}  // namespace datagen
