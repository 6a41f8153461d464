#include "scene/intersect.h"

namespace {

// Smallest determinant accepted: below it the ray grazes the triangle's plane, or
// meets the back face (negative).
constexpr float kMinDeterminant = 0.0001f;

}  // namespace

bool IntersectTriangle(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir, const D3DXVECTOR3& A,
                       const D3DXVECTOR3& B, const D3DXVECTOR3& C, float* t, float* u, float* v) {
    D3DXVECTOR3 edge1 = B - A;
    D3DXVECTOR3 edge2 = C - A;

    D3DXVECTOR3 p;
    D3DXVec3Cross(&p, &dir, &edge2);
    float det = D3DXVec3Dot(&edge1, &p);
    if (!(det >= kMinDeterminant)) return false;

    // u and v are scaled by det until the end, which saves two divisions on misses.
    D3DXVECTOR3 s = origin - A;
    float uu = D3DXVec3Dot(&s, &p);
    if (uu < 0.0f || uu > det) return false;

    D3DXVECTOR3 q;
    D3DXVec3Cross(&q, &s, &edge1);
    float vv = D3DXVec3Dot(&dir, &q);
    if (vv < 0.0f || uu + vv > det) return false;

    float inv = 1.0f / det;
    *t = D3DXVec3Dot(&edge2, &q) * inv;
    *u = uu * inv;
    *v = vv * inv;
    return true;
}

bool PointInHexahedron(const D3DXVECTOR3 corners[8], const D3DXVECTOR3 points[8]) {
    // One plane per face, each wound so that its normal points into the solid.
    static const int kFaces[6][3] = {
        {0, 1, 2}, {2, 3, 7}, {4, 6, 7}, {0, 4, 5}, {0, 2, 6}, {1, 5, 7},
    };
    D3DXPLANE planes[6];
    for (int f = 0; f < 6; ++f)
        D3DXPlaneFromPoints(&planes[f], &corners[kFaces[f][0]], &corners[kFaces[f][1]],
                            &corners[kFaces[f][2]]);

    for (int i = 0; i < 8; ++i) {
        bool inside = true;
        for (const D3DXPLANE& plane : planes)
            if (D3DXPlaneDotCoord(&plane, &points[i]) < 0.0f) {
                inside = false;
                break;
            }
        if (inside) return true;
    }
    return false;
}
