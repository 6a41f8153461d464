// The bitmaps of course 1: its height map (green level per grid point) and the
// texture laid over it, both drawn from the track of course1_track.h.
#pragma once

#include <cstdint>
#include <vector>

namespace datagen {

constexpr int kCourse1Grid = 64;         // grid points along each axis
constexpr double kCourse1Cell = 20.0;    // world units between grid points
constexpr int kCourse1TexelsPerCell = 32;
constexpr int kCourse1TextureSize = kCourse1Grid * kCourse1TexelsPerCell;

// Green levels, row-major, row 0 at -z: below 128 road, 128..254 rough, 255 wall.
std::vector<uint8_t> Course1GreenLevels();

}  // namespace datagen
