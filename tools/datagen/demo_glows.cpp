// demo_particle.bmp and demo_sun.bmp: round glows on black for additive drawing.
// Their alpha follows their brightness, so they also work where the source's
// alpha scales what is added, and blend away to nothing at their edges either
// way.
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "datagen/bitmap.h"
#include "datagen/generators.h"

namespace datagen {
namespace {

struct Glow {
    float r, g, b;  // 0 to 1
};

// A square image from a function of the distance from its centre (1 a pixel
// inside the middle of each edge, so that the edges can be wholly dark) and the
// angle round it.
std::vector<uint32_t> Radial(int size, const std::function<Glow(float, float)>& at) {
    std::vector<uint32_t> argb(size_t(size) * size);
    const float centre = (size - 1) / 2.0f, half = size / 2.0f - 1.0f;
    auto byte = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (x - centre) / half, dy = (y - centre) / half;
            const Glow c = at(std::sqrt(dx * dx + dy * dy), std::atan2(dy, dx));
            const uint32_t r = byte(c.r), g = byte(c.g), b = byte(c.b);
            argb[size_t(y) * size + x] = std::max({r, g, b}) << 24 | r << 16 | g << 8 | b;
        }
    return argb;
}

float Smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

}  // namespace

bool WriteParticleSprite(const std::string& dir) {
    const int size = 64;
    // White, falling smoothly from the middle to nothing at the inscribed circle.
    const auto dot = [](float r, float) {
        const float f = r < 1.0f ? (1.0f - r * r) * (1.0f - r * r) : 0.0f;
        return Glow{f, f, f};
    };
    return SaveBmp32(dir + "/demo_particle.bmp", size, size, Radial(size, dot));
}

bool WriteSunTexture(const std::string& dir) {
    const int size = 128;
    const float disc = 0.3f;
    // A yellow-white disc with a soft rim, in a warm glow with four faint rays.
    const auto sun = [disc](float r, float angle) {
        const float inside = 1.0f - Smoothstep(disc - 0.03f, disc + 0.02f, r);
        const float fade = r < 1.0f ? std::pow((1.0f - r) / (1.0f - disc), 2.0f) : 0.0f;
        const float rays = std::pow(std::max(0.0f, std::cos(4.0f * angle)), 16.0f) * (r < 1.0f ? 1.0f - r : 0.0f);
        const float glow = std::min(1.0f, 0.7f * fade + 0.5f * rays);
        return Glow{inside + (1.0f - inside) * glow, inside * 0.97f + (1.0f - inside) * glow * 0.8f,
                    inside * 0.85f + (1.0f - inside) * glow * 0.4f};
    };
    return SaveBmp32(dir + "/demo_sun.bmp", size, size, Radial(size, sun));
}

}  // namespace datagen
