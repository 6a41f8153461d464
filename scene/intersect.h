// Ray and point tests used for picking and collision.
#pragma once

#include "d3dx8/d3dx8math.h"

// One-sided ray/triangle test. A hit needs the triangle's front face (A, B, C
// clockwise as seen along dir) toward the ray; triangles seen from behind and rays
// nearly parallel to the plane are rejected. On a hit, *t, *u, *v receive the ray
// parameter and the barycentric pair: A + u*(B - A) + v*(C - A) = origin + t*dir.
// t may be negative (the triangle lies behind the origin); the caller decides.
bool IntersectTriangle(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir, const D3DXVECTOR3& A,
                       const D3DXVECTOR3& B, const D3DXVECTOR3& C, float* t, float* u, float* v);

// Whether any of the eight points lies inside (or on) the convex solid whose corners
// are given in box-corner order: corner k takes its x from the minimum side when
// bit 2 of k is set, y when bit 1 is set, z when bit 0 is set.
bool PointInHexahedron(const D3DXVECTOR3 corners[8], const D3DXVECTOR3 points[8]);
