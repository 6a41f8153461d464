// The start and checkpoint gates, drawn at scale 30 and facing +z (course 1) or
// +x (courses 2 and 3).
#pragma once

namespace datagen {

// Gate dimensions in model units.
struct GateSize {
    // The chequered plate the lap test looks down on: a square, so a car crossing
    // it in any direction finds it, at least 48 world units across.
    static constexpr float kPlateHalf = 0.8f;
    // Above the gate's origin: on the model courses (gate 1.8 below the car) the
    // plate shows 0.2 above the road and still lies below the car; on course 1 it
    // is buried under the terrain.
    static constexpr float kPlateY = 0.04f;
    static constexpr int kSquares = 8;
    // The corner pylons and the frame across their tops. Course 1 sinks the
    // gate 10 units into the ground; its highest terrain is below y = 3.
    static constexpr float kPostRadius = 0.035f;
    static constexpr float kPostTop = 0.78f;
    static constexpr float kBeamBottom = 0.66f;
};

}  // namespace datagen
