// The player's car, shared by car.x and the title model.
#pragma once

#include "datagen/model.h"

namespace datagen {

// Car dimensions in model units. The origin is the chase camera's height: the
// car stands on a road 0.8 below it, +z forward, its wheel contact points where
// the game tests the ground (0.25 to each side, 0.375 ahead and behind).
struct CarSize {
    static constexpr float kGround = -0.8f;
    static constexpr float kWheelX = 0.25f;
    static constexpr float kWheelZ = 0.375f;
    static constexpr float kWheelRadius = 0.14f;
    static constexpr float kWheelWidth = 0.1f;
    static constexpr float kHalfWidth = 0.27f;
    static constexpr float kRear = -0.48f;
    static constexpr float kFront = 0.5f;
    static constexpr float kRoof = -0.2f;
};

// Adds the car, moved by offset and scaled by scale about the origin.
void AddCar(Model& model, const D3DXVECTOR3& offset, float scale);

}  // namespace datagen
