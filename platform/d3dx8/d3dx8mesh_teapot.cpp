// The Utah teapot: Martin Newell's 32 bicubic Bezier patches over 306 control
// points (public domain), each patch cut into 6 x 6 quads.
//
// The data has z up and the spout toward +x, 3.15 units tall. Here y is up (x, z,
// y: swapping two axes also turns the right-handed data left-handed without
// mirroring the shape) and the height is centred on the origin. Normals come from
// the patches' derivatives; vertices that meet at the same point with nearly the
// same normal are shared, so smooth seams stay smooth and creases stay sharp.
// Triangles that collapse (at the lid's and the bottom's centres) are dropped.
#include <cmath>
#include <cstring>
#include <new>
#include <unordered_map>

#include "d3dx8/d3dx8mesh_object.h"

namespace {

// Control point numbers of each patch, row by row.
const uint16_t kPatches[32][16] = {
    // rim
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
    {3, 16, 17, 18, 7, 19, 20, 21, 11, 22, 23, 24, 15, 25, 26, 27},
    {18, 28, 29, 30, 21, 31, 32, 33, 24, 34, 35, 36, 27, 37, 38, 39},
    {30, 40, 41, 0, 33, 42, 43, 4, 36, 44, 45, 8, 39, 46, 47, 12},
    // body
    {12, 13, 14, 15, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59},
    {15, 25, 26, 27, 51, 60, 61, 62, 55, 63, 64, 65, 59, 66, 67, 68},
    {27, 37, 38, 39, 62, 69, 70, 71, 65, 72, 73, 74, 68, 75, 76, 77},
    {39, 46, 47, 12, 71, 78, 79, 48, 74, 80, 81, 52, 77, 82, 83, 56},
    {56, 57, 58, 59, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95},
    {59, 66, 67, 68, 87, 96, 97, 98, 91, 99, 100, 101, 95, 102, 103, 104},
    {68, 75, 76, 77, 98, 105, 106, 107, 101, 108, 109, 110, 104, 111, 112, 113},
    {77, 82, 83, 56, 107, 114, 115, 84, 110, 116, 117, 88, 113, 118, 119, 92},
    // handle
    {120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132, 133, 134, 135},
    {123, 136, 137, 120, 127, 138, 139, 124, 131, 140, 141, 128, 135, 142, 143, 132},
    {132, 133, 134, 135, 144, 145, 146, 147, 148, 149, 150, 151, 68, 152, 153, 154},
    {135, 142, 143, 132, 147, 155, 156, 144, 151, 157, 158, 148, 154, 159, 160, 68},
    // spout
    {161, 162, 163, 164, 165, 166, 167, 168, 169, 170, 171, 172, 173, 174, 175, 176},
    {164, 177, 178, 161, 168, 179, 180, 165, 172, 181, 182, 169, 176, 183, 184, 173},
    {173, 174, 175, 176, 185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 196},
    {176, 183, 184, 173, 188, 197, 198, 185, 192, 199, 200, 189, 196, 201, 202, 193},
    // lid
    {203, 203, 203, 203, 206, 207, 208, 209, 210, 210, 210, 210, 211, 212, 213, 214},
    {203, 203, 203, 203, 209, 216, 217, 218, 210, 210, 210, 210, 214, 219, 220, 221},
    {203, 203, 203, 203, 218, 223, 224, 225, 210, 210, 210, 210, 221, 226, 227, 228},
    {203, 203, 203, 203, 225, 229, 230, 206, 210, 210, 210, 210, 228, 231, 232, 211},
    {211, 212, 213, 214, 233, 234, 235, 236, 237, 238, 239, 240, 241, 242, 243, 244},
    {214, 219, 220, 221, 236, 245, 246, 247, 240, 248, 249, 250, 244, 251, 252, 253},
    {221, 226, 227, 228, 247, 254, 255, 256, 250, 257, 258, 259, 253, 260, 261, 262},
    {228, 231, 232, 211, 256, 263, 264, 233, 259, 265, 266, 237, 262, 267, 268, 241},
    // bottom
    {269, 269, 269, 269, 278, 279, 280, 281, 274, 275, 276, 277, 270, 271, 272, 273},
    {269, 269, 269, 269, 281, 288, 289, 290, 277, 285, 286, 287, 273, 282, 283, 284},
    {269, 269, 269, 269, 290, 297, 298, 299, 287, 294, 295, 296, 284, 291, 292, 293},
    {269, 269, 269, 269, 299, 304, 305, 278, 296, 302, 303, 274, 293, 300, 301, 270},
};

const float kPoints[306][3] = {
    {1.4f, 0.0f, 2.4f}, {1.4f, -0.784f, 2.4f}, {0.784f, -1.4f, 2.4f}, {0.0f, -1.4f, 2.4f},
    {1.3375f, 0.0f, 2.53125f}, {1.3375f, -0.749f, 2.53125f}, {0.749f, -1.3375f, 2.53125f},
    {0.0f, -1.3375f, 2.53125f}, {1.4375f, 0.0f, 2.53125f}, {1.4375f, -0.805f, 2.53125f},
    {0.805f, -1.4375f, 2.53125f}, {0.0f, -1.4375f, 2.53125f}, {1.5f, 0.0f, 2.4f}, {1.5f, -0.84f, 2.4f},
    {0.84f, -1.5f, 2.4f}, {0.0f, -1.5f, 2.4f}, {-0.784f, -1.4f, 2.4f}, {-1.4f, -0.784f, 2.4f},
    {-1.4f, 0.0f, 2.4f}, {-0.749f, -1.3375f, 2.53125f}, {-1.3375f, -0.749f, 2.53125f},
    {-1.3375f, 0.0f, 2.53125f}, {-0.805f, -1.4375f, 2.53125f}, {-1.4375f, -0.805f, 2.53125f},
    {-1.4375f, 0.0f, 2.53125f}, {-0.84f, -1.5f, 2.4f}, {-1.5f, -0.84f, 2.4f}, {-1.5f, 0.0f, 2.4f},
    {-1.4f, 0.784f, 2.4f}, {-0.784f, 1.4f, 2.4f}, {0.0f, 1.4f, 2.4f}, {-1.3375f, 0.749f, 2.53125f},
    {-0.749f, 1.3375f, 2.53125f}, {0.0f, 1.3375f, 2.53125f}, {-1.4375f, 0.805f, 2.53125f},
    {-0.805f, 1.4375f, 2.53125f}, {0.0f, 1.4375f, 2.53125f}, {-1.5f, 0.84f, 2.4f}, {-0.84f, 1.5f, 2.4f},
    {0.0f, 1.5f, 2.4f}, {0.784f, 1.4f, 2.4f}, {1.4f, 0.784f, 2.4f}, {0.749f, 1.3375f, 2.53125f},
    {1.3375f, 0.749f, 2.53125f}, {0.805f, 1.4375f, 2.53125f}, {1.4375f, 0.805f, 2.53125f},
    {0.84f, 1.5f, 2.4f}, {1.5f, 0.84f, 2.4f}, {1.75f, 0.0f, 1.875f}, {1.75f, -0.98f, 1.875f},
    {0.98f, -1.75f, 1.875f}, {0.0f, -1.75f, 1.875f}, {2.0f, 0.0f, 1.35f}, {2.0f, -1.12f, 1.35f},
    {1.12f, -2.0f, 1.35f}, {0.0f, -2.0f, 1.35f}, {2.0f, 0.0f, 0.9f}, {2.0f, -1.12f, 0.9f},
    {1.12f, -2.0f, 0.9f}, {0.0f, -2.0f, 0.9f}, {-0.98f, -1.75f, 1.875f}, {-1.75f, -0.98f, 1.875f},
    {-1.75f, 0.0f, 1.875f}, {-1.12f, -2.0f, 1.35f}, {-2.0f, -1.12f, 1.35f}, {-2.0f, 0.0f, 1.35f},
    {-1.12f, -2.0f, 0.9f}, {-2.0f, -1.12f, 0.9f}, {-2.0f, 0.0f, 0.9f}, {-1.75f, 0.98f, 1.875f},
    {-0.98f, 1.75f, 1.875f}, {0.0f, 1.75f, 1.875f}, {-2.0f, 1.12f, 1.35f}, {-1.12f, 2.0f, 1.35f},
    {0.0f, 2.0f, 1.35f}, {-2.0f, 1.12f, 0.9f}, {-1.12f, 2.0f, 0.9f}, {0.0f, 2.0f, 0.9f},
    {0.98f, 1.75f, 1.875f}, {1.75f, 0.98f, 1.875f}, {1.12f, 2.0f, 1.35f}, {2.0f, 1.12f, 1.35f},
    {1.12f, 2.0f, 0.9f}, {2.0f, 1.12f, 0.9f}, {2.0f, 0.0f, 0.45f}, {2.0f, -1.12f, 0.45f},
    {1.12f, -2.0f, 0.45f}, {0.0f, -2.0f, 0.45f}, {1.5f, 0.0f, 0.225f}, {1.5f, -0.84f, 0.225f},
    {0.84f, -1.5f, 0.225f}, {0.0f, -1.5f, 0.225f}, {1.5f, 0.0f, 0.15f}, {1.5f, -0.84f, 0.15f},
    {0.84f, -1.5f, 0.15f}, {0.0f, -1.5f, 0.15f}, {-1.12f, -2.0f, 0.45f}, {-2.0f, -1.12f, 0.45f},
    {-2.0f, 0.0f, 0.45f}, {-0.84f, -1.5f, 0.225f}, {-1.5f, -0.84f, 0.225f}, {-1.5f, 0.0f, 0.225f},
    {-0.84f, -1.5f, 0.15f}, {-1.5f, -0.84f, 0.15f}, {-1.5f, 0.0f, 0.15f}, {-2.0f, 1.12f, 0.45f},
    {-1.12f, 2.0f, 0.45f}, {0.0f, 2.0f, 0.45f}, {-1.5f, 0.84f, 0.225f}, {-0.84f, 1.5f, 0.225f},
    {0.0f, 1.5f, 0.225f}, {-1.5f, 0.84f, 0.15f}, {-0.84f, 1.5f, 0.15f}, {0.0f, 1.5f, 0.15f},
    {1.12f, 2.0f, 0.45f}, {2.0f, 1.12f, 0.45f}, {0.84f, 1.5f, 0.225f}, {1.5f, 0.84f, 0.225f},
    {0.84f, 1.5f, 0.15f}, {1.5f, 0.84f, 0.15f}, {-1.6f, 0.0f, 2.025f}, {-1.6f, -0.3f, 2.025f},
    {-1.5f, -0.3f, 2.25f}, {-1.5f, 0.0f, 2.25f}, {-2.3f, 0.0f, 2.025f}, {-2.3f, -0.3f, 2.025f},
    {-2.5f, -0.3f, 2.25f}, {-2.5f, 0.0f, 2.25f}, {-2.7f, 0.0f, 2.025f}, {-2.7f, -0.3f, 2.025f},
    {-3.0f, -0.3f, 2.25f}, {-3.0f, 0.0f, 2.25f}, {-2.7f, 0.0f, 1.8f}, {-2.7f, -0.3f, 1.8f},
    {-3.0f, -0.3f, 1.8f}, {-3.0f, 0.0f, 1.8f}, {-1.5f, 0.3f, 2.25f}, {-1.6f, 0.3f, 2.025f},
    {-2.5f, 0.3f, 2.25f}, {-2.3f, 0.3f, 2.025f}, {-3.0f, 0.3f, 2.25f}, {-2.7f, 0.3f, 2.025f},
    {-3.0f, 0.3f, 1.8f}, {-2.7f, 0.3f, 1.8f}, {-2.7f, 0.0f, 1.575f}, {-2.7f, -0.3f, 1.575f},
    {-3.0f, -0.3f, 1.35f}, {-3.0f, 0.0f, 1.35f}, {-2.5f, 0.0f, 1.125f}, {-2.5f, -0.3f, 1.125f},
    {-2.65f, -0.3f, 0.9375f}, {-2.65f, 0.0f, 0.9375f}, {-2.0f, -0.3f, 0.9f}, {-1.9f, -0.3f, 0.6f},
    {-1.9f, 0.0f, 0.6f}, {-3.0f, 0.3f, 1.35f}, {-2.7f, 0.3f, 1.575f}, {-2.65f, 0.3f, 0.9375f},
    {-2.5f, 0.3f, 1.125f}, {-1.9f, 0.3f, 0.6f}, {-2.0f, 0.3f, 0.9f}, {1.7f, 0.0f, 1.425f},
    {1.7f, -0.66f, 1.425f}, {1.7f, -0.66f, 0.6f}, {1.7f, 0.0f, 0.6f}, {2.6f, 0.0f, 1.425f},
    {2.6f, -0.66f, 1.425f}, {3.1f, -0.66f, 0.825f}, {3.1f, 0.0f, 0.825f}, {2.3f, 0.0f, 2.1f},
    {2.3f, -0.25f, 2.1f}, {2.4f, -0.25f, 2.025f}, {2.4f, 0.0f, 2.025f}, {2.7f, 0.0f, 2.4f},
    {2.7f, -0.25f, 2.4f}, {3.3f, -0.25f, 2.4f}, {3.3f, 0.0f, 2.4f}, {1.7f, 0.66f, 0.6f},
    {1.7f, 0.66f, 1.425f}, {3.1f, 0.66f, 0.825f}, {2.6f, 0.66f, 1.425f}, {2.4f, 0.25f, 2.025f},
    {2.3f, 0.25f, 2.1f}, {3.3f, 0.25f, 2.4f}, {2.7f, 0.25f, 2.4f}, {2.8f, 0.0f, 2.475f},
    {2.8f, -0.25f, 2.475f}, {3.525f, -0.25f, 2.49375f}, {3.525f, 0.0f, 2.49375f}, {2.9f, 0.0f, 2.475f},
    {2.9f, -0.15f, 2.475f}, {3.45f, -0.15f, 2.5125f}, {3.45f, 0.0f, 2.5125f}, {2.8f, 0.0f, 2.4f},
    {2.8f, -0.15f, 2.4f}, {3.2f, -0.15f, 2.4f}, {3.2f, 0.0f, 2.4f}, {3.525f, 0.25f, 2.49375f},
    {2.8f, 0.25f, 2.475f}, {3.45f, 0.15f, 2.5125f}, {2.9f, 0.15f, 2.475f}, {3.2f, 0.15f, 2.4f},
    {2.8f, 0.15f, 2.4f}, {0.0f, 0.0f, 3.15f}, {0.0f, -0.002f, 3.15f}, {0.002f, 0.0f, 3.15f},
    {0.8f, 0.0f, 3.15f}, {0.8f, -0.45f, 3.15f}, {0.45f, -0.8f, 3.15f}, {0.0f, -0.8f, 3.15f},
    {0.0f, 0.0f, 2.85f}, {0.2f, 0.0f, 2.7f}, {0.2f, -0.112f, 2.7f}, {0.112f, -0.2f, 2.7f},
    {0.0f, -0.2f, 2.7f}, {-0.002f, 0.0f, 3.15f}, {-0.45f, -0.8f, 3.15f}, {-0.8f, -0.45f, 3.15f},
    {-0.8f, 0.0f, 3.15f}, {-0.112f, -0.2f, 2.7f}, {-0.2f, -0.112f, 2.7f}, {-0.2f, 0.0f, 2.7f},
    {0.0f, 0.002f, 3.15f}, {-0.8f, 0.45f, 3.15f}, {-0.45f, 0.8f, 3.15f}, {0.0f, 0.8f, 3.15f},
    {-0.2f, 0.112f, 2.7f}, {-0.112f, 0.2f, 2.7f}, {0.0f, 0.2f, 2.7f}, {0.45f, 0.8f, 3.15f},
    {0.8f, 0.45f, 3.15f}, {0.112f, 0.2f, 2.7f}, {0.2f, 0.112f, 2.7f}, {0.4f, 0.0f, 2.55f},
    {0.4f, -0.224f, 2.55f}, {0.224f, -0.4f, 2.55f}, {0.0f, -0.4f, 2.55f}, {1.3f, 0.0f, 2.55f},
    {1.3f, -0.728f, 2.55f}, {0.728f, -1.3f, 2.55f}, {0.0f, -1.3f, 2.55f}, {1.3f, 0.0f, 2.4f},
    {1.3f, -0.728f, 2.4f}, {0.728f, -1.3f, 2.4f}, {0.0f, -1.3f, 2.4f}, {-0.224f, -0.4f, 2.55f},
    {-0.4f, -0.224f, 2.55f}, {-0.4f, 0.0f, 2.55f}, {-0.728f, -1.3f, 2.55f}, {-1.3f, -0.728f, 2.55f},
    {-1.3f, 0.0f, 2.55f}, {-0.728f, -1.3f, 2.4f}, {-1.3f, -0.728f, 2.4f}, {-1.3f, 0.0f, 2.4f},
    {-0.4f, 0.224f, 2.55f}, {-0.224f, 0.4f, 2.55f}, {0.0f, 0.4f, 2.55f}, {-1.3f, 0.728f, 2.55f},
    {-0.728f, 1.3f, 2.55f}, {0.0f, 1.3f, 2.55f}, {-1.3f, 0.728f, 2.4f}, {-0.728f, 1.3f, 2.4f},
    {0.0f, 1.3f, 2.4f}, {0.224f, 0.4f, 2.55f}, {0.4f, 0.224f, 2.55f}, {0.728f, 1.3f, 2.55f},
    {1.3f, 0.728f, 2.55f}, {0.728f, 1.3f, 2.4f}, {1.3f, 0.728f, 2.4f}, {0.0f, 0.0f, 0.0f},
    {1.5f, 0.0f, 0.15f}, {1.5f, 0.84f, 0.15f}, {0.84f, 1.5f, 0.15f}, {0.0f, 1.5f, 0.15f},
    {1.5f, 0.0f, 0.075f}, {1.5f, 0.84f, 0.075f}, {0.84f, 1.5f, 0.075f}, {0.0f, 1.5f, 0.075f},
    {1.425f, 0.0f, 0.0f}, {1.425f, 0.798f, 0.0f}, {0.798f, 1.425f, 0.0f}, {0.0f, 1.425f, 0.0f},
    {-0.84f, 1.5f, 0.15f}, {-1.5f, 0.84f, 0.15f}, {-1.5f, 0.0f, 0.15f}, {-0.84f, 1.5f, 0.075f},
    {-1.5f, 0.84f, 0.075f}, {-1.5f, 0.0f, 0.075f}, {-0.798f, 1.425f, 0.0f}, {-1.425f, 0.798f, 0.0f},
    {-1.425f, 0.0f, 0.0f}, {-1.5f, -0.84f, 0.15f}, {-0.84f, -1.5f, 0.15f}, {0.0f, -1.5f, 0.15f},
    {-1.5f, -0.84f, 0.075f}, {-0.84f, -1.5f, 0.075f}, {0.0f, -1.5f, 0.075f}, {-1.425f, -0.798f, 0.0f},
    {-0.798f, -1.425f, 0.0f}, {0.0f, -1.425f, 0.0f}, {0.84f, -1.5f, 0.15f}, {1.5f, -0.84f, 0.15f},
    {0.84f, -1.5f, 0.075f}, {1.5f, -0.84f, 0.075f}, {0.798f, -1.425f, 0.0f}, {1.425f, -0.798f, 0.0f},
};

constexpr int kDivisions = 6;
constexpr float kHalfHeight = 1.575f;

struct Vec {
    double x, y, z;
    Vec operator+(const Vec& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec operator*(double s) const { return {x * s, y * s, z * s}; }
};
Vec Cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(const Vec& a, const Vec& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

void Bernstein(double t, double b[4], double d[4]) {
    double s = 1.0 - t;
    b[0] = s * s * s;
    b[1] = 3.0 * t * s * s;
    b[2] = 3.0 * t * t * s;
    b[3] = t * t * t;
    d[0] = -3.0 * s * s;
    d[1] = 3.0 * s * s - 6.0 * t * s;
    d[2] = 6.0 * t * s - 3.0 * t * t;
    d[3] = 3.0 * t * t;
}

// Position and outward normal of a patch at (u along the rows, v along the
// columns), in the data's own axes. The data's patches all face the same way:
// dP/dv x dP/du points out of the pot.
void Evaluate(const uint16_t* patch, double u, double v, Vec* position, Vec* normal) {
    double bu[4], du[4], bv[4], dv[4];
    Bernstein(u, bu, du);
    Bernstein(v, bv, dv);
    Vec p{0, 0, 0}, pu{0, 0, 0}, pv{0, 0, 0};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            const float* c = kPoints[patch[i * 4 + j]];
            Vec q{c[0], c[1], c[2]};
            p = p + q * (bu[i] * bv[j]);
            pu = pu + q * (du[i] * bv[j]);
            pv = pv + q * (bu[i] * dv[j]);
        }
    *position = p;
    *normal = Cross(pv, pu);
}

struct Corner {
    D3DXVECTOR3 position;
    Vec normal;  // summed over the patch points that share this vertex
};

}  // namespace

HRESULT WINAPI D3DXCreateTeapot(IDirect3DDevice8* device, LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency) {
    if (adjacency) *adjacency = nullptr;
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    try {
        std::vector<Corner> corners;
        // Vertices by exact position: seams between patches evaluate to the same
        // bits on both sides.
        std::unordered_multimap<uint64_t, uint32_t> byPosition;
        auto hashOf = [](const D3DXVECTOR3& p) {
            uint32_t b[3];
            std::memcpy(b, &p, sizeof b);
            return (uint64_t(b[0]) * 0x9E3779B97F4A7C15ull) ^ (uint64_t(b[1]) << 21) ^ (uint64_t(b[2]) << 42) ^ b[2];
        };
        auto vertexFor = [&](const D3DXVECTOR3& p, const Vec& n) -> uint32_t {
            const uint64_t h = hashOf(p);
            auto range = byPosition.equal_range(h);
            for (auto it = range.first; it != range.second; ++it) {
                Corner& c = corners[it->second];
                if (std::memcmp(&c.position, &p, sizeof p) != 0) continue;
                double len = std::sqrt(Dot(c.normal, c.normal));
                if (len > 0.0 && Dot(c.normal, n) / len > 0.99) {
                    c.normal = c.normal + n;
                    return it->second;
                }
            }
            corners.push_back(Corner{p, n});
            byPosition.emplace(h, static_cast<uint32_t>(corners.size() - 1));
            return static_cast<uint32_t>(corners.size() - 1);
        };

        std::vector<uint32_t> faces;
        constexpr int kSide = kDivisions + 1;
        for (const uint16_t* patch : kPatches) {
            uint32_t grid[kSide][kSide];
            for (int i = 0; i < kSide; ++i)
                for (int j = 0; j < kSide; ++j) {
                    double u = double(i) / kDivisions, v = double(j) / kDivisions;
                    Vec p, n;
                    Evaluate(patch, u, v, &p, &n);
                    // Where a patch edge collapses to a point the derivatives give
                    // no normal; the one a little way inside the patch stands in.
                    for (double step = 1e-4; Dot(n, n) < 1e-12 && step < 0.5; step *= 4.0) {
                        Vec q;
                        Evaluate(patch, u + (0.5 - u) * step, v + (0.5 - v) * step, &q, &n);
                    }
                    double len = std::sqrt(Dot(n, n));
                    Vec unit = len > 0.0 ? n * (1.0 / len) : Vec{0, 0, 0};
                    D3DXVECTOR3 position(float(p.x), float(p.z - kHalfHeight), float(p.y));
                    grid[i][j] = vertexFor(position, Vec{unit.x, unit.z, unit.y});
                }
            for (int i = 0; i < kDivisions; ++i)
                for (int j = 0; j < kDivisions; ++j) {
                    const uint32_t a = grid[i][j], b = grid[i][j + 1], c = grid[i + 1][j], d = grid[i + 1][j + 1];
                    faces.insert(faces.end(), {a, b, c, b, d, c});
                }
        }

        std::vector<nol::d3dx8::ShapeVertex> vertices(corners.size());
        for (size_t i = 0; i < corners.size(); ++i) {
            const Vec& n = corners[i].normal;
            double len = std::sqrt(Dot(n, n));
            Vec unit = len > 0.0 ? n * (1.0 / len) : Vec{0, 1, 0};
            vertices[i] = nol::d3dx8::ShapeVertex{corners[i].position, D3DXVECTOR3(float(unit.x), float(unit.y), float(unit.z))};
        }
        // Drop collapsed triangles; wind the rest clockwise seen from outside, that
        // is with (B - A) x (C - A) along the vertex normals.
        std::vector<uint16_t> indices;
        indices.reserve(faces.size());
        for (size_t t = 0; t < faces.size(); t += 3) {
            uint32_t a = faces[t], b = faces[t + 1], c = faces[t + 2];
            if (a == b || b == c || a == c) continue;
            auto vec = [&](uint32_t k) {
                const D3DXVECTOR3& p = vertices[k].position;
                return Vec{p.x, p.y, p.z};
            };
            auto nrm = [&](uint32_t k) {
                const D3DXVECTOR3& n = vertices[k].normal;
                return Vec{n.x, n.y, n.z};
            };
            Vec geometric = Cross(vec(b) - vec(a), vec(c) - vec(a));
            if (Dot(geometric, geometric) < 1e-20) continue;
            if (Dot(geometric, nrm(a) + nrm(b) + nrm(c)) < 0.0) std::swap(b, c);
            indices.insert(indices.end(), {uint16_t(a), uint16_t(b), uint16_t(c)});
        }
        return nol::d3dx8::MakeShapeMesh(device, vertices, indices, mesh, adjacency);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
