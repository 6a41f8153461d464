// demo_water.bmp: the floor of a tiled pool for the wave grid, whose ripples
// bend what it shows. Blue tiles in a checker with white grout, each carrying a
// coloured ring-edged spot: straight lines and circles show the slightest
// wobble. The grout is split between the tiles' edges, so the picture repeats
// without a seam.
#include <algorithm>
#include <cmath>
#include <vector>

#include "datagen/bitmap.h"
#include "datagen/generators.h"

namespace datagen {
namespace {

struct Colour {
    float r, g, b;
};

Colour Mix(const Colour& a, const Colour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

}  // namespace

bool WriteWaterTexture(const std::string& dir) {
    const int size = 256, tile = 32;
    const Colour tiles[2] = {{30, 105, 195}, {45, 165, 215}};
    const Colour spots[4] = {{250, 210, 60}, {240, 100, 80}, {80, 205, 120}, {175, 110, 225}};
    const Colour grout{235, 240, 245}, rim{20, 40, 90};
    std::vector<uint8_t> rgb(size_t(size) * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int i = x / tile, j = y / tile, u = x % tile, v = y % tile;
            Colour c = tiles[(i + j) % 2];
            // A spot in the middle of the tile, its edge a dark ring, drawn with
            // its coverage of the pixel so that the circle stays round.
            const float d = std::hypot(u - (tile - 1) / 2.0f, v - (tile - 1) / 2.0f);
            c = Mix(c, rim, std::clamp(10.5f - d, 0.0f, 1.0f));
            c = Mix(c, spots[(i + 2 * j) % 4], std::clamp(8.5f - d, 0.0f, 1.0f));
            if (u == 0 || u == tile - 1 || v == 0 || v == tile - 1) c = grout;
            uint8_t* out = &rgb[(size_t(y) * size + x) * 3];
            out[0] = uint8_t(std::lround(c.r));
            out[1] = uint8_t(std::lround(c.g));
            out[2] = uint8_t(std::lround(c.b));
        }
    return SaveBmp24(dir + "/demo_water.bmp", size, size, rgb);
}

}  // namespace datagen
