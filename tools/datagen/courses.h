// The model courses (2 and 3): their tracks, and the pieces their files share.
#pragma once

#include <cstdint>
#include <vector>

#include "datagen/model.h"
#include "datagen/track.h"

namespace datagen {

// Road cross-section, in world units from the centre line.
constexpr float kAsphaltHalfWidth = 20.0f;
constexpr float kRoadHalfWidth = 22.0f;  // asphalt plus kerb: always driven on
constexpr float kRoadEdge = 23.5f;       // a gravel shoulder, where the wall or the grass begins
// Course 3's grass run-off is driven on to this distance from the centre line;
// its tyre wall stands at the edge.
constexpr float kGrassHalfWidth = 42.0f;
constexpr float kGrassEdge = 43.5f;

// The game's ray test ignores triangles whose determinant (twice the area seen
// along the ray, in model units, times the length of the ray's direction there)
// is below 0.0001; a node of scale s shrinks both, so at scale 150 a triangle must
// cover about 170 square world units to be found. Finely cut surfaces are drawn
// for the eye, and each course piece carries beneath them a coarse layer of large
// triangles that the rays find. The layers lie metres apart, because the depth
// buffer may have only 16 bits.

// The surfaces a downward ray must find lie a little below the origin of the
// first frame's ray (the start position's height), in world units.
constexpr float kRoadY = -0.05f;

// A plain coloured material, lit.
inline Material Flat(float r, float g, float b) {
    Material m;
    m.diffuse = {r, g, b, 1.0f};
    return m;
}

Track Course2Track();
Track Course3Track();

// The driving surface: kerbs, asphalt with edge lines and a dashed centre line,
// a gravel shoulder and skirts down to `skirtBottom` on both sides (vertical, so
// never hit by a downward ray); under it at pickY the layer the rays find.
void AddRoad(Model& model, const Track& track, const ModelScale& scale, float skirtBottom, float pickY);

// A band of large up-facing triangles from -halfWidth to +halfWidth at height y,
// each segment long enough that even its inner edge on a bend is at least
// minLength: the surface the game's ray test finds.
void AddPickLayer(Model& model, int material, const Track& track, const ModelScale& scale, float halfWidth,
                  float y, float minLength);

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

// Tyre walls along both sides of the track at the given lateral distance.
void AddBarriers(Model& model, const Track& track, const ModelScale& scale, float lateral, float bottom,
                 float top);

}  // namespace datagen
