// Vector, matrix, quaternion, plane and ray helpers against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "d3dx8/d3dx8math.h"
#include "scene/intersect.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kEps = 1e-5f;

testing::AssertionResult MatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float eps = kEps) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(a.m[r][c] - b.m[r][c]) <= eps))
                return testing::AssertionFailure()
                       << "element _" << r + 1 << c + 1 << ": " << a.m[r][c] << " vs " << b.m[r][c];
    return testing::AssertionSuccess();
}

testing::AssertionResult VecNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float eps = kEps) {
    if (std::fabs(a.x - b.x) <= eps && std::fabs(a.y - b.y) <= eps && std::fabs(a.z - b.z) <= eps)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs ("
                                       << b.x << ", " << b.y << ", " << b.z << ")";
}

// q and -q are the same rotation.
testing::AssertionResult SameRotation(const D3DXQUATERNION& a, const D3DXQUATERNION& b) {
    float dot = std::fabs(D3DXQuaternionDot(&a, &b));
    if (std::fabs(dot - 1.0f) <= kEps) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ", " << a.w
                                       << ") vs (" << b.x << ", " << b.y << ", " << b.z << ", "
                                       << b.w << ")";
}

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
}

D3DXVECTOR3 Coord(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
    D3DXVECTOR3 r;
    return *D3DXVec3TransformCoord(&r, &v, &m);
}

}  // namespace

TEST(MathTypes, OperatorsAndLayout) {
    static_assert(sizeof(D3DXMATRIX) == 64 && sizeof(D3DXVECTOR3) == 12);
    D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(m._23, 7.0f);
    EXPECT_EQ(m.m[2][1], 10.0f);
    EXPECT_EQ(m(3, 0), 13.0f);
    EXPECT_EQ(static_cast<const float*>(m)[4], 5.0f);

    D3DXVECTOR3 a(1, 2, 3), b(4, -5, 6);
    EXPECT_EQ(a + b, D3DXVECTOR3(5, -3, 9));
    EXPECT_EQ(a - b, D3DXVECTOR3(-3, 7, -3));
    EXPECT_EQ(2.0f * a, D3DXVECTOR3(2, 4, 6));
    EXPECT_EQ(-a, D3DXVECTOR3(-1, -2, -3));
    EXPECT_NE(a, b);
    a += b;
    a -= D3DXVECTOR3(1, 1, 1);
    EXPECT_EQ(a, D3DXVECTOR3(4, -4, 8));
    EXPECT_EQ(D3DXVECTOR2(1, 2) * 3.0f, D3DXVECTOR2(3, 6));
    EXPECT_EQ(D3DXVECTOR4(2, 4, 6, 8) / 2.0f, D3DXVECTOR4(1, 2, 3, 4));

    // Division multiplies by the reciprocal rounded to float, which differs from a
    // true division in the last bit for 5/3.
    D3DXVECTOR3 d(5, 7, 10);
    d /= 3.0f;
    EXPECT_EQ(d.x, 5.0f * (1.0f / 3.0f));
    EXPECT_NE(d.x, 5.0f / 3.0f);
    EXPECT_EQ((D3DXVECTOR3(5, 7, 10) / 3.0f).y, 7.0f * (1.0f / 3.0f));

    // Division by zero is not guarded.
    D3DXVECTOR3 z = D3DXVECTOR3(1, -2, 0) / 0.0f;
    EXPECT_EQ(z.x, std::numeric_limits<float>::infinity());
    EXPECT_EQ(z.y, -std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(z.z));

    EXPECT_EQ(D3DCOLOR_ARGB(0x12, 0x34, 0x56, 0x78), 0x12345678u);
    EXPECT_EQ(D3DCOLOR_XRGB(0x34, 0x56, 0x78), 0xFF345678u);
    EXPECT_EQ(D3DCOLOR_RGBA(0x34, 0x56, 0x78, 0x12), 0x12345678u);
}

TEST(MathVectors, LengthCrossNormalizeTransform) {
    D3DXVECTOR3 a(1, 2, 3), b(4, 5, 6), r;
    EXPECT_EQ(D3DXVec3Dot(&a, &b), 32.0f);
    EXPECT_EQ(*D3DXVec3Cross(&r, &a, &b), D3DXVECTOR3(-3, 6, -3));
    D3DXVec3Cross(&a, &a, &b);  // out aliases the first input
    EXPECT_EQ(a, D3DXVECTOR3(-3, 6, -3));
    D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
    EXPECT_EQ(*D3DXVec3Cross(&r, &x, &y), D3DXVECTOR3(0, 0, 1));

    D3DXVECTOR3 v(3, 0, 4);
    EXPECT_EQ(D3DXVec3Length(&v), 5.0f);
    D3DXVec3Normalize(&v, &v);
    EXPECT_TRUE(VecNear(v, D3DXVECTOR3(0.6f, 0, 0.8f)));
    D3DXVECTOR2 v2(-3, 4);
    EXPECT_EQ(D3DXVec2Length(&v2), 5.0f);
    D3DXVec2Normalize(&v2, &v2);
    EXPECT_NEAR(v2.x, -0.6f, kEps);

    D3DXVECTOR3 lerp, p(1, 2, 3), q(3, 6, -1);
    EXPECT_EQ(*D3DXVec3Lerp(&lerp, &p, &q, 0.25f), D3DXVECTOR3(1.5f, 3, 2));

    // TransformNormal ignores the translation row; TransformCoord divides by w.
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 10, 20, 30);
    EXPECT_EQ(*D3DXVec3TransformNormal(&r, &x, &t), D3DXVECTOR3(1, 0, 0));
    EXPECT_EQ(Coord(x, t), D3DXVECTOR3(11, 20, 30));
    D3DXMATRIX w = t;
    w._14 = 1;  // w = x + 1
    w._44 = 1;
    D3DXVECTOR3 pt(3, 1, 1);
    EXPECT_TRUE(VecNear(Coord(pt, w), D3DXVECTOR3(13.0f / 4, 21.0f / 4, 31.0f / 4)));
    D3DXVECTOR4 h;
    D3DXVec3Transform(&h, &pt, &w);
    EXPECT_EQ(h, D3DXVECTOR4(13, 21, 31, 4));
}

TEST(MathMatrix, MultiplyOrderAndAliasing) {
    const D3DXMATRIX a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    D3DXMATRIX t;
    D3DXMatrixTranslation(&t, 1, 2, 3);
    // A * T adds w times the translation to every row; T * A mixes A's rows.
    const D3DXMATRIX at(5, 10, 15, 4, 13, 22, 31, 8, 21, 34, 47, 12, 29, 46, 63, 16);
    const D3DXMATRIX ta(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 51, 58, 65, 72);
    EXPECT_EQ(a * t, at);
    EXPECT_EQ(t * a, ta);

    D3DXMATRIX m = a;
    D3DXMatrixMultiply(&m, &m, &t);
    EXPECT_EQ(m, at);
    m = t;
    D3DXMatrixMultiply(&m, &a, &m);
    EXPECT_EQ(m, at);
    m = a;
    m *= t;
    EXPECT_EQ(m, at);
    m = t;
    EXPECT_EQ(*D3DXMatrixMultiply(&m, &m, &m), t * t);
    EXPECT_EQ(m._41, 2.0f);

    D3DXMATRIX tr;
    D3DXMatrixTranspose(&tr, &a);
    EXPECT_EQ(tr._12, 5.0f);
    EXPECT_EQ(tr._41, 4.0f);
    EXPECT_EQ(Identity() * 2.0f - Identity(), Identity());
}

TEST(MathMatrix, InverseAndDeterminant) {
    D3DXMATRIX s, r, t, inv;
    D3DXMatrixScaling(&s, 2, 3, 4);
    float det = 0;
    ASSERT_NE(D3DXMatrixInverse(&inv, &det, &s), nullptr);
    EXPECT_FLOAT_EQ(det, 24.0f);
    EXPECT_TRUE(MatrixNear(inv, D3DXMATRIX(0.5f, 0, 0, 0, 0, 1.0f / 3, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1)));

    // An affine transform and a general one with a projective column.
    D3DXMatrixRotationYawPitchRoll(&r, 0.3f, -1.1f, 2.0f);
    D3DXMatrixTranslation(&t, 5, -7, 9);
    const D3DXMATRIX affine = s * r * t;
    const D3DXMATRIX general(2, 1, 0, 1, -1, 3, 2, 0, 0.5f, 0, 1, 2, 4, -2, 1, 3);
    for (const D3DXMATRIX& m : {affine, general}) {
        ASSERT_EQ(D3DXMatrixInverse(&inv, nullptr, &m), &inv);
        EXPECT_TRUE(MatrixNear(inv * m, Identity()));
        EXPECT_TRUE(MatrixNear(m * inv, Identity()));
    }
    EXPECT_NEAR(D3DXMatrixDeterminant(&general), -28.5f, 1e-4f);

    // out may alias the input.
    D3DXMATRIX m = general;
    D3DXMatrixInverse(&m, nullptr, &m);
    EXPECT_TRUE(MatrixNear(m * general, Identity()));

    // A singular matrix has no inverse: null, and out is left alone.
    const D3DXMATRIX singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 0, 0, 0, 1, 1);
    D3DXMATRIX untouched = Identity();
    det = 1;
    EXPECT_EQ(D3DXMatrixInverse(&untouched, &det, &singular), nullptr);
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(untouched, Identity());
}

TEST(MathMatrix, RotationConventions) {
    D3DXMATRIX m;
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    // Row vectors, left-handed: a positive angle turns +z toward +x about y,
    // +y toward +z about x, +x toward +y about z.
    D3DXMatrixRotationY(&m, kPi / 2);
    EXPECT_TRUE(VecNear(Coord(z, m), x));
    EXPECT_TRUE(VecNear(Coord(x, m), -z));
    D3DXMatrixRotationX(&m, kPi / 2);
    EXPECT_TRUE(VecNear(Coord(y, m), z));
    D3DXMatrixRotationZ(&m, kPi / 2);
    EXPECT_TRUE(VecNear(Coord(x, m), y));

    // 120 degrees about (1, 1, 1) cycles the axes.
    D3DXVECTOR3 diag(1, 1, 1);
    D3DXMatrixRotationAxis(&m, &diag, 2 * kPi / 3);
    EXPECT_TRUE(VecNear(Coord(x, m), y));
    EXPECT_TRUE(VecNear(Coord(y, m), z));

    // The axis is normalised first.
    D3DXVECTOR3 axis5(3, 0, 4), unit(0.6f, 0, 0.8f), z5(0, 0, 5);
    D3DXMATRIX byUnit, rz;
    D3DXMatrixRotationAxis(&m, &axis5, 0.7f);
    D3DXMatrixRotationAxis(&byUnit, &unit, 0.7f);
    EXPECT_TRUE(MatrixNear(m, byUnit));
    D3DXMatrixRotationAxis(&m, &z5, 0.7f);
    EXPECT_TRUE(MatrixNear(m, *D3DXMatrixRotationZ(&rz, 0.7f)));

    // Yaw, pitch, roll: roll about z first, then pitch about x, then yaw about y.
    D3DXMATRIX rx, ry;
    D3DXMatrixRotationYawPitchRoll(&m, 0.4f, -0.9f, 1.3f);
    D3DXMatrixRotationZ(&rz, 1.3f);
    D3DXMatrixRotationX(&rx, -0.9f);
    D3DXMatrixRotationY(&ry, 0.4f);
    EXPECT_TRUE(MatrixNear(m, rz * rx * ry));
    D3DXMatrixRotationYawPitchRoll(&m, kPi / 2, 0, 0);
    EXPECT_TRUE(MatrixNear(m, ry = *D3DXMatrixRotationY(&ry, kPi / 2)));
}

TEST(MathQuaternion, MatrixConversions) {
    D3DXQUATERNION q;
    D3DXVECTOR3 yAxis(0, 2, 0);
    D3DXQuaternionRotationAxis(&q, &yAxis, 1.0f);
    EXPECT_NEAR(q.y, std::sin(0.5f), kEps);
    EXPECT_NEAR(q.w, std::cos(0.5f), kEps);
    D3DXMATRIX m, expected;
    D3DXMatrixRotationQuaternion(&m, &q);
    EXPECT_TRUE(MatrixNear(m, *D3DXMatrixRotationY(&expected, 1.0f)));

    // Round trips through every branch of the matrix-to-quaternion conversion:
    // small angles (w largest) and near half turns about each axis.
    D3DXMATRIX cases[5];
    D3DXMatrixRotationYawPitchRoll(&cases[0], 0.5f, 0.2f, -0.3f);
    D3DXMatrixRotationX(&cases[1], 0.95f * kPi);
    D3DXMatrixRotationY(&cases[2], -0.95f * kPi);
    D3DXMatrixRotationZ(&cases[3], 0.95f * kPi);
    D3DXVECTOR3 oblique(1, -2, 0.5f);
    D3DXMatrixRotationAxis(&cases[4], &oblique, kPi);
    for (const D3DXMATRIX& c : cases) {
        D3DXQuaternionRotationMatrix(&q, &c);
        EXPECT_NEAR(D3DXQuaternionLength(&q), 1.0f, kEps);
        EXPECT_TRUE(MatrixNear(*D3DXMatrixRotationQuaternion(&m, &q), c));
    }

    // Multiplication composes in matrix order: q1 * q2 applies q1 first.
    D3DXQUATERNION q1, q2;
    D3DXVECTOR3 ax1(1, 0, 0), ax2(0, 1, 1);
    D3DXQuaternionRotationAxis(&q1, &ax1, 0.8f);
    D3DXQuaternionRotationAxis(&q2, &ax2, -1.2f);
    D3DXMATRIX m1, m2;
    D3DXMatrixRotationQuaternion(&m1, &q1);
    D3DXMatrixRotationQuaternion(&m2, &q2);
    const D3DXQUATERNION both = q1 * q2;
    EXPECT_TRUE(MatrixNear(*D3DXMatrixRotationQuaternion(&m, &both), m1 * m2));
}

TEST(MathQuaternion, Slerp) {
    D3DXQUATERNION id, quarter, eighth, r;
    D3DXQuaternionIdentity(&id);
    D3DXVECTOR3 yAxis(0, 1, 0);
    D3DXQuaternionRotationAxis(&quarter, &yAxis, kPi / 2);
    D3DXQuaternionRotationAxis(&eighth, &yAxis, kPi / 4);

    EXPECT_TRUE(SameRotation(*D3DXQuaternionSlerp(&r, &id, &quarter, 0), id));
    EXPECT_TRUE(SameRotation(*D3DXQuaternionSlerp(&r, &id, &quarter, 1), quarter));
    D3DXQuaternionSlerp(&r, &id, &quarter, 0.5f);
    EXPECT_NEAR(r.y, eighth.y, kEps);
    EXPECT_NEAR(r.w, eighth.w, kEps);

    // -quarter is the same rotation; the shorter arc still passes through 45 degrees
    // rather than the long way round through 225.
    D3DXQUATERNION negQuarter = -quarter;
    EXPECT_TRUE(SameRotation(*D3DXQuaternionSlerp(&r, &id, &negQuarter, 0.5f), eighth));
    EXPECT_NEAR(D3DXQuaternionLength(&r), 1.0f, kEps);

    // Equal and nearly equal quaternions are blended linearly instead of dividing
    // by a vanishing sin(angle).
    D3DXQUATERNION a, b;
    D3DXVECTOR3 axis(1, 2, 3);
    D3DXQuaternionRotationAxis(&a, &axis, 0.7f);
    D3DXQuaternionSlerp(&r, &a, &a, 0.3f);
    EXPECT_NEAR(r.x, a.x, kEps);
    EXPECT_NEAR(r.y, a.y, kEps);
    EXPECT_NEAR(r.z, a.z, kEps);
    EXPECT_NEAR(r.w, a.w, kEps);
    D3DXQuaternionRotationAxis(&b, &axis, 0.703f);
    D3DXQuaternionSlerp(&r, &a, &b, 0.25f);
    EXPECT_NEAR(r.x, 0.75f * a.x + 0.25f * b.x, 1e-7f);
    EXPECT_NEAR(r.w, 0.75f * a.w + 0.25f * b.w, 1e-7f);
}

TEST(MathMatrix, CameraAndProjection) {
    // Eye on +x looking at the origin: the view's z axis is -x, its x axis +z.
    D3DXMATRIX view;
    D3DXVECTOR3 eye(5, 0, 0), at(0, 0, 0), up(0, 3, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    EXPECT_TRUE(MatrixNear(view, D3DXMATRIX(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 5, 1)));
    EXPECT_TRUE(VecNear(Coord(eye, view), D3DXVECTOR3(0, 0, 0)));

    // An oblique camera: the eye goes to the origin and the target onto +z.
    D3DXVECTOR3 eye2(1, 2, -3), at2(4, 6, -3), up2(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye2, &at2, &up2);
    EXPECT_TRUE(VecNear(Coord(eye2, view), D3DXVECTOR3(0, 0, 0)));
    EXPECT_TRUE(VecNear(Coord(at2, view), D3DXVECTOR3(0, 0, 5)));

    D3DXMATRIX proj;
    D3DXMatrixPerspectiveFovLH(&proj, kPi / 2, 2.0f, 1.0f, 11.0f);
    EXPECT_TRUE(MatrixNear(proj, D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0)));
    // Near plane to depth 0, far plane to 1, the frustum's edges to +-1.
    EXPECT_TRUE(VecNear(Coord(D3DXVECTOR3(2, 1, 1), proj), D3DXVECTOR3(1, 1, 0)));
    EXPECT_TRUE(VecNear(Coord(D3DXVECTOR3(-22, 0, 11), proj), D3DXVECTOR3(-1, 0, 1)));

    D3DXMATRIX ortho;
    D3DXMatrixOrthoLH(&ortho, 640, 480, 2, 10);
    EXPECT_TRUE(VecNear(Coord(D3DXVECTOR3(320, -240, 10), ortho), D3DXVECTOR3(1, -1, 1)));
    EXPECT_TRUE(VecNear(Coord(D3DXVECTOR3(0, 0, 2), ortho), D3DXVECTOR3(0, 0, 0)));
}

TEST(MathMatrix, ShadowFlattensOntoPlane) {
    // The plane y = 1, given unnormalised.
    const D3DXPLANE ground(0, 2, 0, -2);
    D3DXMATRIX shadow;

    // Directional light: the point slides along -light until y = 1.
    D3DXVECTOR4 sun(1, 1, 0, 0);
    D3DXMatrixShadow(&shadow, &sun, &ground);
    EXPECT_TRUE(VecNear(Coord(D3DXVECTOR3(3, 5, 2), shadow), D3DXVECTOR3(-1, 1, 2)));

    // Point light at (0, 10, 0): the point is projected from the light.
    D3DXVECTOR4 lamp(0, 10, 0, 1);
    D3DXMatrixShadow(&shadow, &lamp, &ground);
    EXPECT_TRUE(VecNear(Coord(D3DXVECTOR3(2, 4, 1), shadow), D3DXVECTOR3(3, 1, 1.5f)));

    // A tilted plane and oblique lights: every point lands on the plane.
    D3DXPLANE tilted;
    D3DXVECTOR3 onPlane(0, 1, 0), normal(3, 3, 0);
    D3DXPlaneFromPointNormal(&tilted, &onPlane, &normal);
    D3DXPlaneNormalize(&tilted, &tilted);
    for (const D3DXVECTOR4& light : {D3DXVECTOR4(0.2f, 1, -0.5f, 0), D3DXVECTOR4(-4, 9, 2, 1)}) {
        D3DXMatrixShadow(&shadow, &light, &tilted);
        for (const D3DXVECTOR3& p : {D3DXVECTOR3(1, 2, 3), D3DXVECTOR3(-2, 5, 0.5f), D3DXVECTOR3(4, 0, -1)}) {
            D3DXVECTOR3 s = Coord(p, shadow);
            EXPECT_NEAR(D3DXPlaneDotCoord(&tilted, &s), 0.0f, 1e-4f);
        }
    }
}

TEST(MathPlane, FromPointsAndPointNormal) {
    D3DXPLANE p;
    D3DXVECTOR3 p1(0, 2, 0), p2(0, 2, 3), p3(1, 2, 0);
    D3DXPlaneFromPoints(&p, &p1, &p2, &p3);
    EXPECT_NEAR(p.a, 0, kEps);
    EXPECT_NEAR(p.b, 1, kEps);
    EXPECT_NEAR(p.c, 0, kEps);
    EXPECT_NEAR(p.d, -2, kEps);
    D3DXVECTOR3 above(7, 5, -1);
    EXPECT_NEAR(D3DXPlaneDotCoord(&p, &above), 3, kEps);
    // The opposite winding flips the normal.
    D3DXPlaneFromPoints(&p, &p1, &p3, &p2);
    EXPECT_NEAR(D3DXPlaneDotCoord(&p, &above), -3, kEps);

    D3DXVECTOR3 point(1, 2, 3), normal(0, 2, 0);
    EXPECT_EQ(*D3DXPlaneFromPointNormal(&p, &point, &normal), D3DXPLANE(0, 2, 0, -4));
    EXPECT_EQ(*D3DXPlaneNormalize(&p, &p), D3DXPLANE(0, 1, 0, -2));
}

TEST(MathBounds, SphereAndBoxProbes) {
    const D3DXVECTOR3 centre(0, 0, 10);
    auto sphere = [&](D3DXVECTOR3 pos, D3DXVECTOR3 dir) {
        return D3DXSphereBoundProbe(&centre, 2, &pos, &dir) != FALSE;
    };
    EXPECT_TRUE(sphere({0, 0, 0}, {0, 0, 1}));
    EXPECT_TRUE(sphere({0, 0, 0}, {0.1f, 0.1f, 7}));  // direction of any length
    EXPECT_FALSE(sphere({0, 0, 0}, {0, 0, -1}));      // sphere behind the start
    EXPECT_FALSE(sphere({0, 0, 0}, {1, 0, 0}));
    EXPECT_FALSE(sphere({0, 3, 0}, {0, 0, 1}));       // passes beside it
    EXPECT_TRUE(sphere({0, 1, 9}, {0, 0, -1}));       // starts inside
    EXPECT_TRUE(sphere({0, 0, 10}, {0, 0, 0}));

    const D3DXVECTOR3 lo(-1, -1, -1), hi(1, 1, 1);
    auto box = [&](D3DXVECTOR3 pos, D3DXVECTOR3 dir) {
        return D3DXBoxBoundProbe(&lo, &hi, &pos, &dir) != FALSE;
    };
    EXPECT_TRUE(box({0, 0, -5}, {0, 0, 1}));
    EXPECT_FALSE(box({0, 0, -5}, {0, 0, -1}));        // box behind the start
    EXPECT_FALSE(box({5, 5, -5}, {0, 0, 1}));         // parallel, outside the slabs
    EXPECT_TRUE(box({-5, -5, -5}, {1, 1, 1}));
    EXPECT_TRUE(box({-5, 0.5f, -5}, {1, 0, 1.2f}));
    EXPECT_FALSE(box({-5, 0, -5}, {1, 0, 2.5f}));     // crosses z's slab before x's
    EXPECT_TRUE(box({0, 0, 0}, {1, 0, 0}));           // starts inside
    EXPECT_TRUE(box({0.5f, 0.5f, 0.5f}, {0, 0, 0}));
}

TEST(Intersect, TriangleHitsFrontFacesOnly) {
    const D3DXVECTOR3 A(1, 1, 1), B(3, 1, 1), C(1, 5, 1);
    const D3DXVECTOR3 down(0, 0, -1);
    float t = 0, u = 0, v = 0;

    ASSERT_TRUE(IntersectTriangle(D3DXVECTOR3(2, 2, 4), down, A, B, C, &t, &u, &v));
    EXPECT_FLOAT_EQ(t, 3);
    EXPECT_FLOAT_EQ(u, 0.5f);
    EXPECT_FLOAT_EQ(v, 0.25f);

    // Behind the origin: still a hit, with negative t.
    ASSERT_TRUE(IntersectTriangle(D3DXVECTOR3(2, 2, -1), down, A, B, C, &t, &u, &v));
    EXPECT_FLOAT_EQ(t, -2);

    // The opposite winding is a back face; outside the edges is a miss.
    EXPECT_FALSE(IntersectTriangle(D3DXVECTOR3(2, 2, 4), down, A, C, B, &t, &u, &v));
    EXPECT_FALSE(IntersectTriangle(D3DXVECTOR3(2.5f, 4, 4), down, A, B, C, &t, &u, &v));
    EXPECT_FALSE(IntersectTriangle(D3DXVECTOR3(0.5f, 2, 4), down, A, B, C, &t, &u, &v));
    // A ray in the triangle's plane.
    EXPECT_FALSE(IntersectTriangle(D3DXVECTOR3(0, 2, 1), D3DXVECTOR3(1, 0, 0), A, B, C, &t, &u, &v));

    // With unit edges along x and y, det equals -dir.z exactly, so the threshold can
    // be met exactly (as a float) and missed by one step.
    const D3DXVECTOR3 O(0, 0, 0), X(1, 0, 0), Y(0, 1, 0);
    const float threshold = 0.0001f;
    ASSERT_TRUE(IntersectTriangle(D3DXVECTOR3(0.25f, 0.25f, 1), D3DXVECTOR3(0, 0, -threshold), O, X, Y,
                                  &t, &u, &v));
    EXPECT_FLOAT_EQ(t, 1 / threshold);
    EXPECT_FLOAT_EQ(u, 0.25f);
    const float below = std::nextafter(threshold, 0.0f);
    EXPECT_FALSE(IntersectTriangle(D3DXVECTOR3(0.25f, 0.25f, 1), D3DXVECTOR3(0, 0, -below), O, X, Y,
                                   &t, &u, &v));
}

TEST(Intersect, PointInHexahedron) {
    // Corner k takes x, y, z from the minimum when bits 2, 1, 0 of k are set.
    auto corners = [](const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, D3DXVECTOR3 out[8]) {
        for (int k = 0; k < 8; ++k)
            out[k] = D3DXVECTOR3(k & 4 ? lo.x : hi.x, k & 2 ? lo.y : hi.y, k & 1 ? lo.z : hi.z);
    };
    D3DXVECTOR3 box[8];
    corners(D3DXVECTOR3(-1, -1, -1), D3DXVECTOR3(1, 2, 3), box);

    D3DXVECTOR3 pts[8];
    for (int i = 0; i < 8; ++i) pts[i] = D3DXVECTOR3(5.0f + i, 0, 0);
    EXPECT_FALSE(PointInHexahedron(box, pts));
    // Just outside each face in turn.
    const D3DXVECTOR3 outside[6] = {{1.01f, 0, 0}, {-1.01f, 0, 0}, {0, 2.01f, 0},
                                    {0, -1.01f, 0}, {0, 0, 3.01f}, {0, 0, -1.01f}};
    for (int i = 0; i < 6; ++i) pts[i] = outside[i];
    EXPECT_FALSE(PointInHexahedron(box, pts));
    pts[7] = D3DXVECTOR3(0.9f, 1.9f, -0.9f);  // one of eight inside
    EXPECT_TRUE(PointInHexahedron(box, pts));
    pts[7] = D3DXVECTOR3(1, 0, 0);  // on a face counts as inside
    EXPECT_TRUE(PointInHexahedron(box, pts));

    // The same test on a rotated, moved box.
    D3DXMATRIX r, t;
    D3DXMatrixRotationYawPitchRoll(&r, 0.7f, 0.3f, -0.2f);
    D3DXMatrixTranslation(&t, 10, -4, 2);
    const D3DXMATRIX world = r * t;
    for (D3DXVECTOR3& c : box) c = Coord(c, world);
    for (int i = 0; i < 8; ++i) pts[i] = Coord(i < 6 ? outside[i] : D3DXVECTOR3(0, 0, 10), world);
    EXPECT_FALSE(PointInHexahedron(box, pts));
    pts[3] = Coord(D3DXVECTOR3(0.5f, 1.5f, 2.5f), world);
    EXPECT_TRUE(PointInHexahedron(box, pts));
}
