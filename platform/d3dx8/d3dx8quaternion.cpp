// D3DX quaternion functions. A unit quaternion (sin(a/2)*axis, cos(a/2)) is the
// rotation by a about axis, matching D3DXMatrixRotationAxis.
#include "d3dx8/d3dx8math.h"

#include <cmath>

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out) {
    *out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    return out;
}

float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b) {
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

float D3DXQuaternionLength(const D3DXQUATERNION* q) { return std::sqrt(D3DXQuaternionDot(q, q)); }

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
    float len = D3DXQuaternionLength(q);
    *out = len == 0.0f ? D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f) : *q / len;
    return out;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                       const D3DXQUATERNION* q2) {
    // Hamilton product q2 * q1, so that the result applies q1 first.
    const D3DXQUATERNION& a = *q2;
    const D3DXQUATERNION& b = *q1;
    *out = D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                          a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                          a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis,
                                           float angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    float s = std::sin(angle / 2);
    *out = D3DXQUATERNION(n.x * s, n.y * s, n.z * s, std::cos(angle / 2));
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m) {
    // Recover the largest of w, x, y, z from the diagonal first, so that the
    // divisor is never small, then the others from the off-diagonal sums.
    const auto& a = m->m;
    float trace = a[0][0] + a[1][1] + a[2][2];
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        float s = 2.0f * std::sqrt(trace + 1.0f);  // 4w
        q = D3DXQUATERNION((a[1][2] - a[2][1]) / s, (a[2][0] - a[0][2]) / s,
                           (a[0][1] - a[1][0]) / s, 0.25f * s);
    } else if (a[0][0] >= a[1][1] && a[0][0] >= a[2][2]) {
        float s = 2.0f * std::sqrt(1.0f + a[0][0] - a[1][1] - a[2][2]);  // 4x
        q = D3DXQUATERNION(0.25f * s, (a[0][1] + a[1][0]) / s, (a[0][2] + a[2][0]) / s,
                           (a[1][2] - a[2][1]) / s);
    } else if (a[1][1] >= a[2][2]) {
        float s = 2.0f * std::sqrt(1.0f + a[1][1] - a[0][0] - a[2][2]);  // 4y
        q = D3DXQUATERNION((a[0][1] + a[1][0]) / s, 0.25f * s, (a[1][2] + a[2][1]) / s,
                           (a[2][0] - a[0][2]) / s);
    } else {
        float s = 2.0f * std::sqrt(1.0f + a[2][2] - a[0][0] - a[1][1]);  // 4z
        q = D3DXQUATERNION((a[0][2] + a[2][0]) / s, (a[1][2] + a[2][1]) / s, 0.25f * s,
                           (a[0][1] - a[1][0]) / s);
    }
    *out = q;
    return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* q1,
                                    const D3DXQUATERNION* q2, float t) {
    // q and -q are the same rotation: flip q2 onto q1's side to take the shorter arc.
    float cosom = D3DXQuaternionDot(q1, q2);
    float sign = 1.0f;
    if (cosom < 0.0f) {
        cosom = -cosom;
        sign = -1.0f;
    }
    float k1 = 1.0f - t;
    float k2 = t;
    // Nearly equal quaternions: sin(omega) is too small to divide by, and the
    // straight blend is as good.
    if (1.0f - cosom > 0.001f) {
        float omega = std::acos(cosom);
        float sinom = std::sin(omega);
        k1 = std::sin(k1 * omega) / sinom;
        k2 = std::sin(k2 * omega) / sinom;
    }
    *out = *q1 * k1 + *q2 * (sign * k2);
    return out;
}
