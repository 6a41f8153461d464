// The model courses (2 and 3): their tracks, and the pieces their files share.
#pragma once

#include "datagen/landscape.h"
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

// Tyre walls along both sides of the track at the given lateral distance.
void AddBarriers(Model& model, const Track& track, const ModelScale& scale, float lateral, float bottom,
                 float top);

}  // namespace datagen
