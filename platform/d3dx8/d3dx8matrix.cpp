// D3DX matrix functions and the out-of-line D3DXMATRIX members. Every function
// builds its result in a local before storing it, so out may alias any input.
#include "d3dx8/d3dx8math.h"

#include <cmath>
#include <cstring>

#include "math/matrix.h"

// ---- D3DXMATRIX members --------------------------------------------------------

D3DXMATRIX::D3DXMATRIX(const float* f) { std::memcpy(&_11, f, sizeof(float) * 16); }

D3DXMATRIX::D3DXMATRIX(float f11, float f12, float f13, float f14,
                       float f21, float f22, float f23, float f24,
                       float f31, float f32, float f33, float f34,
                       float f41, float f42, float f43, float f44) {
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] += b.m[r][c];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& b) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] -= b.m[r][c];
    return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float s) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] *= s;
    return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& b) const {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (m[r][c] != b.m[r][c]) return false;
    return true;
}

// ---- Basic operations ----------------------------------------------------------

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    *out = D3DXMATRIX(1, 0, 0, 0,
                      0, 1, 0, 0,
                      0, 0, 1, 0,
                      0, 0, 0, 1);
    return out;
}

BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
    D3DXMATRIX id;
    return *m == *D3DXMatrixIdentity(&id) ? TRUE : FALSE;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    NolMatrixMultiply(out, *a, *b);
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = m->m[j][i];
    *out = r;
    return out;
}

// ---- Determinant and inverse ---------------------------------------------------

namespace {

// The 2x2 minors of the top two rows (s) and the bottom two rows (c), from which
// both the determinant and the adjugate are built. Double precision keeps the
// cancellation error of the expansion well below float resolution.
struct Minors {
    double s[6], c[6];
    double det;

    explicit Minors(const D3DXMATRIX& m) {
        auto a = [&](int r, int col) { return double(m.m[r][col]); };
        s[0] = a(0, 0) * a(1, 1) - a(0, 1) * a(1, 0);
        s[1] = a(0, 0) * a(1, 2) - a(0, 2) * a(1, 0);
        s[2] = a(0, 0) * a(1, 3) - a(0, 3) * a(1, 0);
        s[3] = a(0, 1) * a(1, 2) - a(0, 2) * a(1, 1);
        s[4] = a(0, 1) * a(1, 3) - a(0, 3) * a(1, 1);
        s[5] = a(0, 2) * a(1, 3) - a(0, 3) * a(1, 2);
        c[0] = a(2, 0) * a(3, 1) - a(2, 1) * a(3, 0);
        c[1] = a(2, 0) * a(3, 2) - a(2, 2) * a(3, 0);
        c[2] = a(2, 0) * a(3, 3) - a(2, 3) * a(3, 0);
        c[3] = a(2, 1) * a(3, 2) - a(2, 2) * a(3, 1);
        c[4] = a(2, 1) * a(3, 3) - a(2, 3) * a(3, 1);
        c[5] = a(2, 2) * a(3, 3) - a(2, 3) * a(3, 2);
        det = s[0] * c[5] - s[1] * c[4] + s[2] * c[3] + s[3] * c[2] - s[4] * c[1] + s[5] * c[0];
    }
};

}  // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) { return float(Minors(*m).det); }

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* det, const D3DXMATRIX* m) {
    Minors k(*m);
    if (det) *det = float(k.det);
    if (k.det == 0.0) return nullptr;

    auto a = [&](int r, int col) { return double(m->m[r][col]); };
    const double* s = k.s;
    const double* c = k.c;
    double adj[4][4] = {
        {a(1, 1) * c[5] - a(1, 2) * c[4] + a(1, 3) * c[3],
         -a(0, 1) * c[5] + a(0, 2) * c[4] - a(0, 3) * c[3],
         a(3, 1) * s[5] - a(3, 2) * s[4] + a(3, 3) * s[3],
         -a(2, 1) * s[5] + a(2, 2) * s[4] - a(2, 3) * s[3]},
        {-a(1, 0) * c[5] + a(1, 2) * c[2] - a(1, 3) * c[1],
         a(0, 0) * c[5] - a(0, 2) * c[2] + a(0, 3) * c[1],
         -a(3, 0) * s[5] + a(3, 2) * s[2] - a(3, 3) * s[1],
         a(2, 0) * s[5] - a(2, 2) * s[2] + a(2, 3) * s[1]},
        {a(1, 0) * c[4] - a(1, 1) * c[2] + a(1, 3) * c[0],
         -a(0, 0) * c[4] + a(0, 1) * c[2] - a(0, 3) * c[0],
         a(3, 0) * s[4] - a(3, 1) * s[2] + a(3, 3) * s[0],
         -a(2, 0) * s[4] + a(2, 1) * s[2] - a(2, 3) * s[0]},
        {-a(1, 0) * c[3] + a(1, 1) * c[1] - a(1, 2) * c[0],
         a(0, 0) * c[3] - a(0, 1) * c[1] + a(0, 2) * c[0],
         -a(3, 0) * s[3] + a(3, 1) * s[1] - a(3, 2) * s[0],
         a(2, 0) * s[3] - a(2, 1) * s[1] + a(2, 2) * s[0]},
    };
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = float(adj[i][j] / k.det);
    *out = r;
    return out;
}

// ---- Transforms ----------------------------------------------------------------

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
    *out = D3DXMATRIX(sx, 0, 0, 0,
                      0, sy, 0, 0,
                      0, 0, sz, 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    *out = D3DXMATRIX(1, 0, 0, 0,
                      0, 1, 0, 0,
                      0, 0, 1, 0,
                      x, y, z, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(1, 0, 0, 0,
                      0, c, s, 0,
                      0, -s, c, 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, 0, -s, 0,
                      0, 1, 0, 0,
                      s, 0, c, 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    *out = D3DXMATRIX(c, s, 0, 0,
                      -s, c, 0, 0,
                      0, 0, 1, 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    *out = D3DXMATRIX(t * n.x * n.x + c, t * n.x * n.y + s * n.z, t * n.x * n.z - s * n.y, 0,
                      t * n.x * n.y - s * n.z, t * n.y * n.y + c, t * n.y * n.z + s * n.x, 0,
                      t * n.x * n.z + s * n.y, t * n.y * n.z - s * n.x, t * n.z * n.z + c, 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
    float x = q->x, y = q->y, z = q->z, w = q->w;
    *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                      2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                      2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                      0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll) {
    // The product RotationZ(roll) * RotationX(pitch) * RotationY(yaw), multiplied out.
    float sy = std::sin(yaw), cy = std::cos(yaw);
    float sp = std::sin(pitch), cp = std::cos(pitch);
    float sr = std::sin(roll), cr = std::cos(roll);
    *out = D3DXMATRIX(cr * cy + sr * sp * sy, sr * cp, sr * sp * cy - cr * sy, 0,
                      cr * sp * sy - sr * cy, cr * cp, cr * sp * cy + sr * sy, 0,
                      cp * sy, -sp, cp * cy, 0,
                      0, 0, 0, 1);
    return out;
}

// ---- Cameras and projections ---------------------------------------------------

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    D3DXVECTOR3 xa, ya, za;
    D3DXVECTOR3 forward = *at - *eye;
    D3DXVec3Normalize(&za, &forward);
    D3DXVec3Normalize(&xa, D3DXVec3Cross(&xa, up, &za));
    D3DXVec3Cross(&ya, &za, &xa);
    *out = D3DXMATRIX(xa.x, ya.x, za.x, 0,
                      xa.y, ya.y, za.y, 0,
                      xa.z, ya.z, za.z, 0,
                      -D3DXVec3Dot(&xa, eye), -D3DXVec3Dot(&ya, eye), -D3DXVec3Dot(&za, eye), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                       float zf) {
    float ys = 1.0f / std::tan(fovy / 2);
    float xs = ys / aspect;
    float q = zf / (zf - zn);
    *out = D3DXMATRIX(xs, 0, 0, 0,
                      0, ys, 0, 0,
                      0, 0, q, 1,
                      0, 0, -zn * q, 0);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf) {
    float q = 1.0f / (zf - zn);
    *out = D3DXMATRIX(2 / w, 0, 0, 0,
                      0, 2 / h, 0, 0,
                      0, 0, q, 0,
                      0, 0, -zn * q, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixShadow(D3DXMATRIX* out, const D3DXVECTOR4* light, const D3DXPLANE* plane) {
    // M = d*I - P (x) L with P the normalised plane and d = P . L: a point p goes to
    // d*p - (P . p)*L, which lies on the plane.
    D3DXPLANE p;
    D3DXPlaneNormalize(&p, plane);
    float d = D3DXPlaneDot(&p, light);
    const float* pv = p;
    const float* lv = *light;
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = (i == j ? d : 0.0f) - pv[i] * lv[j];
    *out = r;
    return out;
}
