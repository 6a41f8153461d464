// The land round the model courses: ground, hills and sky, mounds and woods.
#pragma once

#include <cstdint>
#include <vector>

#include "datagen/model.h"
#include "datagen/track.h"

namespace datagen {

// The colours of the land round a course.
struct Landscape {
    D3DCOLORVALUE nearHills, farHills, rock, mound;
};
constexpr Landscape kMeadows{{0.25f, 0.50f, 0.22f, 1}, {0.35f, 0.55f, 0.45f, 1}, {0.50f, 0.46f, 0.40f, 1},
                             {0.28f, 0.55f, 0.24f, 1}};
constexpr Landscape kDryHills{{0.62f, 0.52f, 0.30f, 1}, {0.66f, 0.58f, 0.46f, 1}, {0.60f, 0.42f, 0.32f, 1},
                              {0.58f, 0.52f, 0.32f, 1}};

// Hills and a sky curtain on a squarish ring round the course, in world units:
// centre (x, z), half-sizes (x, z), rising from the ground at height `base`. The sky is
// emissive, so it reads the same under any light.
void AddHorizon(Model& model, const ModelScale& scale, const D3DXVECTOR2& centre, const D3DXVECTOR2& radii,
                float base, const Landscape& land);

// A low grassy hill inside the lap, from the ground at `base` to `height`: it
// shortens the views across the course.
void AddMound(Model& model, const ModelScale& scale, const D3DXVECTOR2& centre, float radius, float height,
              float base, const Landscape& land);

// Up to `count` small conifers scattered inside the ring of hills (centre and
// half-sizes as for AddHorizon), standing on `base`, at least `clearance` from
// the centre line and outside every circle (x, z, radius) of `avoid`. Their
// trunks are crossed two-sided cards; the seed picks the places.
void AddForest(Model& model, const ModelScale& scale, const Track& track, const D3DXVECTOR2& centre,
               const D3DXVECTOR2& radii, float base, float clearance, const std::vector<D3DXVECTOR3>& avoid,
               int count, uint32_t seed);

// A square of ground in two shades of a colour at height y, `cells` a side.
void AddGroundPlane(Model& model, const ModelScale& scale, float y, float half, int cells,
                    const D3DCOLORVALUE& colour);

}  // namespace datagen
