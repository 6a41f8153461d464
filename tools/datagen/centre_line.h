// The centre line of each course's track, in world coordinates, from the start
// line round the lap and back: the points a driver (or a test's autopilot) follows.
#pragma once

#include <vector>

#include "d3dx8/d3dx8math.h"

namespace datagen {

// course is 1, 2 or 3; any other number gives an empty line.
std::vector<D3DXVECTOR3> CentreLine(int course);

}  // namespace datagen
