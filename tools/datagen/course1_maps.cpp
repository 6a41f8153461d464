// hf_bump7.bmp and hf_tex72.bmp. The height map is sampled at grid points; the
// texture lies over the whole grid with 32 texels per cell, drawn with point
// filtering, so everything it shows is decided per texel from the same distance
// to the centre line that decides the heights.
#include "datagen/course1_maps.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "datagen/bitmap.h"
#include "datagen/course1_track.h"
#include "datagen/generators.h"

namespace datagen {
namespace {

constexpr double kHalfExtent = kCourse1Grid * kCourse1Cell * 0.5;  // the grid is centred on the origin
constexpr uint8_t kRoadLevel = 48;   // ground height -2.5, the start's height
constexpr uint8_t kWallLevel = 255;  // the only level that counts as wall
constexpr double kFlatHalfWidth = 16.0;  // the road is flat this far out, then rises to its edge
constexpr int kEdgeWall = 2;  // grid points at the map's edge that are wall whatever the track

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x85EBCA6Bu;
    h ^= h >> 16;
    return h;
}

double Random01(int x, int y, uint32_t seed) { return (Hash(uint32_t(x), uint32_t(y), seed) & 0xFFFF) / 65535.0; }

// Smooth noise in 0..1 with features about `scale` units across.
double ValueNoise(double x, double z, double scale, uint32_t seed) {
    const double fx = x / scale + 1000.0, fz = z / scale + 1000.0;
    const int ix = int(std::floor(fx)), iz = int(std::floor(fz));
    double tx = fx - ix, tz = fz - iz;
    tx = tx * tx * (3 - 2 * tx);
    tz = tz * tz * (3 - 2 * tz);
    const double a = Random01(ix, iz, seed), b = Random01(ix + 1, iz, seed);
    const double c = Random01(ix, iz + 1, seed), d = Random01(ix + 1, iz + 1, seed);
    return (a + (b - a) * tx) * (1 - tz) + (c + (d - c) * tx) * tz;
}

// Nearest point of the centre line: its unsigned distance, the side (positive to
// the driver's right), and the distance along the lap there.
struct Nearest {
    double distance = 1e30;
    double lateral = 0.0;
    double s = 0.0;
};

void Consider(Nearest& n, const Course1Point& a, const Course1Point& b, double segment, double x, double z) {
    const double dx = b.x - a.x, dz = b.z - a.z;
    const double length2 = dx * dx + dz * dz;
    double t = length2 > 0 ? ((x - a.x) * dx + (z - a.z) * dz) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double px = a.x + dx * t - x, pz = a.z + dz * t - z;
    const double distance = std::sqrt(px * px + pz * pz);
    if (distance < n.distance) {
        n.distance = distance;
        // The right of a heading (dx, dz) is (dz, -dx).
        n.lateral = ((x - a.x) * dz - (z - a.z) * dx) >= 0 ? distance : -distance;
        n.s = a.s + t * segment;
    }
}

Nearest NearestOnTrack(double x, double z) {
    const auto& track = Course1Track();
    Nearest n;
    for (size_t i = 0; i < track.size(); ++i) {
        const Course1Point& a = track[i];
        Course1Point b = track[(i + 1) % track.size()];
        const double segment = (i + 1 < track.size() ? b.s : Course1LapLength()) - a.s;
        Consider(n, a, b, segment, x, z);
    }
    return n;
}

double GridX(int i) { return (i - kCourse1Grid / 2) * kCourse1Cell; }

uint8_t GreenLevel(int i, int j) {
    const int last = kCourse1Grid - 1;
    if (i < kEdgeWall || j < kEdgeWall || i > last - kEdgeWall || j > last - kEdgeWall) return kWallLevel;
    const double x = GridX(i), z = GridX(j);
    const double d = NearestOnTrack(x, z).distance;
    const double edge = kCourse1RoadHalfWidth;
    if (d < edge) {
        // Level 128 falls at the edge itself, so that the interpolated ground
        // crosses from road to rough where the texture draws the kerb.
        const double level = kRoadLevel + std::max(0.0, d - kFlatHalfWidth) * (128.0 - kRoadLevel) / (edge - kFlatHalfWidth);
        return uint8_t(std::min(127.0, std::floor(level)));
    }
    if (d < kCourse1WallDistance) {
        // Grass banks rising towards the walls, so that the track reads as a
        // valley from the low chase camera.
        const double level = 140.0 + (d - edge) * 3.2 + (ValueNoise(x, z, 60.0, 7) - 0.5) * 40.0;
        return uint8_t(std::clamp(level, 128.0, 250.0));
    }
    return kWallLevel;
}

// The green level interpolated between grid points as the ground's height is.
double BilinearLevel(const std::vector<uint8_t>& levels, double x, double z) {
    const double fx = std::clamp(x / kCourse1Cell + kCourse1Grid / 2, 0.0, kCourse1Grid - 1.0);
    const double fz = std::clamp(z / kCourse1Cell + kCourse1Grid / 2, 0.0, kCourse1Grid - 1.0);
    const int i = int(fx), j = int(fz);
    const int i1 = std::min(i + 1, kCourse1Grid - 1), j1 = std::min(j + 1, kCourse1Grid - 1);
    const double tx = fx - i, tz = fz - j;
    auto at = [&](int a, int b) { return double(levels[size_t(b) * kCourse1Grid + a]); };
    return (at(i, j) + (at(i1, j) - at(i, j)) * tx) * (1 - tz) + (at(i, j1) + (at(i1, j1) - at(i, j1)) * tx) * tz;
}

struct Rgb {
    double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Rgb Shade(const Rgb& c, double k) { return {c.r * k, c.g * k, c.b * k}; }

// Distance along the lap from a to b, wrapped into -lap/2 .. lap/2.
double AlongLap(double a, double b) {
    const double lap = Course1LapLength();
    double d = std::fmod(b - a, lap);
    if (d > lap / 2) d -= lap;
    if (d < -lap / 2) d += lap;
    return d;
}

Rgb TexelColour(const std::vector<uint8_t>& levels, const Nearest& n, double checkS, double x, double z, int u, int v) {
    const double edge = kCourse1RoadHalfWidth;
    const double grain = Random01(u, v, 11) - 0.5;  // per-texel speckle
    const double d = n.distance;
    if (d < edge - 3.0) {
        Rgb asphalt = Shade({132, 132, 138}, 1.0 + 0.08 * grain + 0.22 * (ValueNoise(x, z, 14.0, 3) - 0.5) +
                                                          0.10 * (ValueNoise(x, z, 4.0, 19) - 0.5));
        const Rgb white{250, 250, 240};
        const double fromStart = AlongLap(0.0, n.s), fromCheck = AlongLap(checkS, n.s);
        if (std::fabs(fromStart) < 5.0) {
            // Chequered start line, squares of 2.5 units.
            const int a = int(std::floor(fromStart / 2.5 + 100)), b = int(std::floor(n.lateral / 2.5 + 100));
            return (a + b) % 2 ? Rgb{250, 250, 250} : Rgb{30, 30, 30};
        }
        if (std::fabs(fromCheck) < 2.0) return {255, 215, 40};
        if (d < 0.5 && std::fmod(n.s, 20.0) < 10.0) return white;  // dashed centre line
        if (std::fabs(d - (edge - 5.0)) < 0.6) return white;     // solid edge lines
        return asphalt;
    }
    if (d < edge + 0.5) {
        // Kerbs, red and white blocks of 5 units.
        const bool red = int(std::floor(n.s / 5.0)) % 2 == 0;
        return Shade(red ? Rgb{235, 40, 32} : Rgb{250, 250, 245}, 1.0 + 0.05 * grain);
    }
    // Grass, mown in diagonal stripes, turning to rock where the ground rises
    // into the walls.
    const bool stripe = int(std::floor((x + z) / 24.0 + 1000)) % 2 == 0;
    Rgb grass = stripe ? Rgb{92, 170, 58} : Rgb{110, 190, 70};
    grass = Shade(grass, 1.0 + 0.12 * grain + 0.25 * (ValueNoise(x, z, 30.0, 5) - 0.5));
    const double rockNoise = ValueNoise(x, z, 9.0, 13) - 0.5 + 0.5 * (ValueNoise(x, z, 3.0, 17) - 0.5);
    const Rgb rock = Shade({168, 152, 132}, 1.0 + 0.18 * grain + 0.5 * rockNoise);
    const double rockiness = std::clamp((BilinearLevel(levels, x, z) - 244.0) / 11.0, 0.0, 1.0);
    return Mix(grass, rock, rockiness);
}

}  // namespace

std::vector<uint8_t> Course1GreenLevels() {
    std::vector<uint8_t> levels(size_t(kCourse1Grid) * kCourse1Grid);
    for (int j = 0; j < kCourse1Grid; ++j)
        for (int i = 0; i < kCourse1Grid; ++i) levels[size_t(j) * kCourse1Grid + i] = GreenLevel(i, j);
    return levels;
}

bool WriteTerrainHeights(const std::string& dir) {
    const std::vector<uint8_t> levels = Course1GreenLevels();
    std::vector<uint8_t> rgb;
    rgb.reserve(levels.size() * 3);
    // Grey, so that the height image reads as one.
    for (uint8_t g : levels) rgb.insert(rgb.end(), {g, g, g});
    return SaveBmp24(dir + "/hf_bump7.bmp", kCourse1Grid, kCourse1Grid, rgb);
}

bool WriteTerrainTexture(const std::string& dir) {
    const int size = kCourse1TextureSize;
    const double texel = kCourse1Cell / kCourse1TexelsPerCell;
    const std::vector<uint8_t> levels = Course1GreenLevels();

    // Nearest centre-line point of every texel close enough to show road or kerb,
    // found segment by segment over each segment's neighbourhood.
    std::vector<Nearest> nearest(size_t(size) * size);
    const auto& track = Course1Track();
    const double reach = kCourse1RoadHalfWidth + 4.0;
    for (size_t k = 0; k < track.size(); k += 2) {
        const Course1Point& a = track[k];
        const size_t next = std::min(k + 2, track.size());
        const Course1Point b = next < track.size() ? track[next] : track.front();
        const double segment = (next < track.size() ? b.s : Course1LapLength()) - a.s;
        const int u0 = std::max(0, int((std::min(a.x, b.x) - reach + kHalfExtent) / texel));
        const int u1 = std::min(size - 1, int((std::max(a.x, b.x) + reach + kHalfExtent) / texel));
        const int v0 = std::max(0, int((std::min(a.z, b.z) - reach + kHalfExtent) / texel));
        const int v1 = std::min(size - 1, int((std::max(a.z, b.z) + reach + kHalfExtent) / texel));
        for (int v = v0; v <= v1; ++v)
            for (int u = u0; u <= u1; ++u)
                Consider(nearest[size_t(v) * size + u], a, b, segment, (u + 0.5) * texel - kHalfExtent,
                         (v + 0.5) * texel - kHalfExtent);
    }

    const double checkS = NearestOnTrack(kCourse1CheckX, kCourse1CheckZ).s;
    std::vector<uint8_t> rgb(size_t(size) * size * 3);
    for (int v = 0; v < size; ++v) {
        for (int u = 0; u < size; ++u) {
            const double x = (u + 0.5) * texel - kHalfExtent, z = (v + 0.5) * texel - kHalfExtent;
            const Rgb c = TexelColour(levels, nearest[size_t(v) * size + u], checkS, x, z, u, v);
            uint8_t* out = &rgb[(size_t(v) * size + u) * 3];
            out[0] = uint8_t(std::clamp(c.r, 0.0, 255.0));
            out[1] = uint8_t(std::clamp(c.g, 0.0, 255.0));
            out[2] = uint8_t(std::clamp(c.b, 0.0, 255.0));
        }
    }
    return SaveBmp24(dir + "/hf_tex72.bmp", size, size, rgb);
}

}  // namespace datagen
