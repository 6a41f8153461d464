#include "datagen/centre_line.h"

#include "datagen/courses.h"

namespace datagen {
namespace {

// The samples of a model course's track at the height of the road surface.
std::vector<D3DXVECTOR3> OnRoad(const Track& track) {
    std::vector<D3DXVECTOR3> line;
    for (const TrackPoint& s : track.Samples()) line.push_back({s.pos.x, 0.0f, s.pos.y});
    return line;
}

}  // namespace

std::vector<D3DXVECTOR3> CentreLine(int course) {
    switch (course) {
        case 2:
            return OnRoad(Course2Track());
        case 3:
            return OnRoad(Course3Track());
        default:
            return {};
    }
}

}  // namespace datagen
