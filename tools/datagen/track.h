// A closed track laid along a smooth curve through control points in the ground
// plane, sampled densely: the centre line of a model course and the frame that
// the road, grass and barrier ribbons are built on.
#pragma once

#include <vector>

#include "d3dx8/d3dx8math.h"
#include "datagen/model.h"

namespace datagen {

struct TrackPoint {
    D3DXVECTOR2 pos;    // (x, z) in world units
    D3DXVECTOR2 right;  // unit, the driver's right: forward (fx, fz) turned to (fz, -fx)
};

class Track {
public:
    // points: (x, z) control points in driving order, the first being the start;
    // startDirection: the driving direction at the start, (x, z), any length.
    // The curve is a closed cubic Hermite spline with Catmull-Rom tangents except
    // at the start, sampled about `spacing` world units apart.
    Track(const std::vector<D3DXVECTOR2>& points, const D3DXVECTOR2& startDirection, float spacing);

    // Samples from the start round the lap; the last one leads back to the first.
    const std::vector<TrackPoint>& Samples() const { return samples_; }
    float Length() const;
    // The point `lateral` units to the driver's right of sample i, at height y.
    D3DXVECTOR3 Side(size_t i, float lateral, float y) const;

private:
    std::vector<TrackPoint> samples_;
};

// Everything a model file needs in world units is divided by its scale.
struct ModelScale {
    float xz = 1.0f;
    float y = 1.0f;
    D3DXVECTOR3 operator()(const D3DXVECTOR3& world) const {
        return {world.x / xz, world.y / y, world.z / xz};
    }
};

// A flat band along the whole track between two lateral offsets (inner < outer,
// to the driver's right), facing up. materialOf(i) picks the material of the
// segment from sample i to i + 1, or -1 to leave the segment out.
template <typename MaterialOf>
void AddBand(Model& model, const Track& track, const ModelScale& scale, float inner, float outer, float y,
             MaterialOf materialOf) {
    const size_t n = track.Samples().size();
    for (size_t i = 0; i < n; ++i) {
        const int material = materialOf(i);
        if (material < 0) continue;
        const size_t j = (i + 1) % n;
        // Clockwise from above with forward up the page: inner-near, inner-far,
        // outer-far, outer-near.
        model.AddQuad(material, scale(track.Side(i, inner, y)), scale(track.Side(j, inner, y)),
                      scale(track.Side(j, outer, y)), scale(track.Side(i, outer, y)));
    }
}

// A vertical wall along the track at one lateral offset between two heights,
// seen from the side that `facing` names: -1 the left (towards smaller
// offsets), +1 the right.
void AddTrackWall(Model& model, int material, const Track& track, const ModelScale& scale, float lateral,
                  float bottom, float top, int facing);

// A quad a-b-c-d whose winding is chosen so that its front faces `towards`.
void AddQuadFacing(Model& model, int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                   const D3DXVECTOR3& c, const D3DXVECTOR3& d, const D3DXVECTOR3& towards);

}  // namespace datagen
