#include "datagen/centre_line.h"

#include "datagen/course1_track.h"
#include "datagen/courses.h"

namespace datagen {
namespace {

// Course 1's road lies at the start's height all round: the car's origin rides
// 2.5 units below zero there.
constexpr float kCourse1CarHeight = -2.5f;

std::vector<D3DXVECTOR3> Course1() {
    std::vector<D3DXVECTOR3> line;
    for (const Course1Point& p : Course1Track()) line.emplace_back(float(p.x), kCourse1CarHeight, float(p.z));
    return line;
}

// The samples of a model course's track at the height of the road surface.
std::vector<D3DXVECTOR3> OnRoad(const Track& track) {
    std::vector<D3DXVECTOR3> line;
    for (const TrackPoint& s : track.Samples()) line.push_back({s.pos.x, 0.0f, s.pos.y});
    return line;
}

}  // namespace

std::vector<D3DXVECTOR3> CentreLine(int course) {
    switch (course) {
    case 1: return Course1();
    case 2: return OnRoad(Course2Track());
    case 3: return OnRoad(Course3Track());
    default: return {};
    }
}

}  // namespace datagen
