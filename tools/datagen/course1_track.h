// Course 1's track, the one shape that both of its bitmaps are drawn from: a closed
// centre line in the ground plane and the widths measured from it.
#pragma once

#include <vector>

namespace datagen {

struct Course1Point {
    double x, z;  // world position
    double s;     // distance along the line from the start line
};

// The terrain course's layout, in world units.
constexpr double kCourse1StartX = 360.0, kCourse1StartZ = 12.0;   // the car starts heading +z
constexpr double kCourse1CheckX = -370.0, kCourse1CheckZ = 8.0;   // passed heading -z
constexpr double kCourse1RoadHalfWidth = 32.0;  // centre line to the road's edge
constexpr double kCourse1WallDistance = 72.0;   // grid points this far off the line are wall

// The centre line sampled every two units or so, starting at the start line and
// running round the lap; the last point is just short of the first again.
const std::vector<Course1Point>& Course1Track();
// Length of one lap along the centre line.
double Course1LapLength();

}  // namespace datagen
