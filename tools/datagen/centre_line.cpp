#include "datagen/centre_line.h"

#include "datagen/course1_track.h"

namespace datagen {
namespace {

// Course 1's road lies at the start's height all round: the car's origin rides
// 2.5 units below zero there.
constexpr float kCourse1CarHeight = -2.5f;

std::vector<D3DXVECTOR3> Course1() {
    std::vector<D3DXVECTOR3> line;
    for (const TrackPoint& p : Course1Track()) line.emplace_back(float(p.x), kCourse1CarHeight, float(p.z));
    return line;
}

}  // namespace

std::vector<D3DXVECTOR3> CentreLine(int course) {
    switch (course) {
    case 1: return Course1();
    default: return {};
    }
}

}  // namespace datagen
