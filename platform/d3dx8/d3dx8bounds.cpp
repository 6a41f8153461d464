// Ray probes against bounding spheres and boxes. The volumes are solid: a ray that
// starts inside (or on the surface) meets them in any direction, and one whose
// meeting points all lie behind its start (negative ray parameter) does not.
#include "d3dx8/d3dx8math.h"

#include <algorithm>
#include <limits>
#include <utility>

BOOL D3DXSphereBoundProbe(const D3DXVECTOR3* centre, float radius, const D3DXVECTOR3* rayPos,
                          const D3DXVECTOR3* rayDir) {
    // Points pos + t*dir with |pos + t*dir - centre|^2 = r^2: a*t^2 + 2b*t + c = 0.
    D3DXVECTOR3 rel = *rayPos - *centre;
    float a = D3DXVec3LengthSq(rayDir);
    float b = D3DXVec3Dot(&rel, rayDir);
    float c = D3DXVec3LengthSq(&rel) - radius * radius;
    if (c <= 0.0f) return TRUE;    // starts inside or on the sphere
    if (b >= 0.0f) return FALSE;   // outside and not heading toward the centre
    return b * b - a * c >= 0.0f;  // the line meets the sphere, ahead of the start
}

BOOL D3DXBoxBoundProbe(const D3DXVECTOR3* min, const D3DXVECTOR3* max, const D3DXVECTOR3* rayPos,
                       const D3DXVECTOR3* rayDir) {
    // Clip the ray's parameter range against the three slabs.
    float tNear = -std::numeric_limits<float>::infinity();
    float tFar = std::numeric_limits<float>::infinity();
    for (int i = 0; i < 3; ++i) {
        float lo = (&min->x)[i], hi = (&max->x)[i];
        float p = (&rayPos->x)[i], d = (&rayDir->x)[i];
        if (d == 0.0f) {
            // Parallel to this slab: inside it everywhere or nowhere.
            if (p < lo || p > hi) return FALSE;
            continue;
        }
        float t1 = (lo - p) / d, t2 = (hi - p) / d;
        if (t1 > t2) std::swap(t1, t2);
        tNear = std::max(tNear, t1);
        tFar = std::min(tFar, t2);
        if (tNear > tFar) return FALSE;
    }
    return tFar >= 0.0f ? TRUE : FALSE;
}
