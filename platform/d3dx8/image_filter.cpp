// Every filter but NONE is separable: each destination column (and row) is a
// weighted sum of source columns (rows), and the weights per axis decide the
// filter. POINT takes one source texel, LINEAR two, and the averaging filters
// every texel the destination texel covers.
#include "d3dx8/image_filter.h"

#include <algorithm>
#include <cmath>

#include "d3dx8/d3dx8tex.h"

namespace nol::d3dx8 {

namespace {

struct Tap {
    unsigned index;
    float weight;
};

// Weights of one destination index: taps[first .. first + count).
struct AxisWeights {
    std::vector<Tap> taps;
    std::vector<unsigned> first;
    std::vector<unsigned> count;
};

unsigned Address(long i, unsigned n, bool mirror) {
    const long size = static_cast<long>(n);
    if (mirror) {
        long m = ((i % (2 * size)) + 2 * size) % (2 * size);
        return static_cast<unsigned>(m < size ? m : 2 * size - 1 - m);
    }
    return static_cast<unsigned>(((i % size) + size) % size);
}

AxisWeights Weights(unsigned from, unsigned to, DWORD kind, bool mirror) {
    AxisWeights w;
    const double scale = static_cast<double>(from) / to;
    const bool average = (kind == D3DX_FILTER_TRIANGLE || kind == D3DX_FILTER_BOX) && to < from;
    const bool linear = kind == D3DX_FILTER_LINEAR || ((kind == D3DX_FILTER_TRIANGLE || kind == D3DX_FILTER_BOX) && to > from);
    for (unsigned d = 0; d < to; ++d) {
        w.first.push_back(static_cast<unsigned>(w.taps.size()));
        if (to == from) {
            w.taps.push_back({d, 1.0f});
        } else if (average) {
            // The source span [d * scale, (d + 1) * scale), each texel by its overlap.
            const double lo = d * scale, hi = (d + 1) * scale;
            for (long s = static_cast<long>(std::floor(lo)); s < static_cast<long>(std::ceil(hi)); ++s) {
                const double overlap = std::min<double>(hi, s + 1) - std::max<double>(lo, s);
                if (overlap > 0) w.taps.push_back({Address(s, from, mirror), static_cast<float>(overlap / scale)});
            }
        } else if (linear) {
            const double centre = (d + 0.5) * scale - 0.5;
            const long s = static_cast<long>(std::floor(centre));
            const float t = static_cast<float>(centre - s);
            w.taps.push_back({Address(s, from, mirror), 1.0f - t});
            w.taps.push_back({Address(s + 1, from, mirror), t});
        } else {  // point
            const unsigned s = std::min(from - 1, static_cast<unsigned>((d + 0.5) * scale));
            w.taps.push_back({s, 1.0f});
        }
        w.count.push_back(static_cast<unsigned>(w.taps.size()) - w.first.back());
    }
    return w;
}

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

bool IsValidFilter(DWORD filter) {
    const DWORD kind = filter & 0xFFFF;
    const DWORD flags = filter & ~DWORD(0xFFFF);
    return kind >= D3DX_FILTER_NONE && kind <= D3DX_FILTER_BOX &&
           (flags & ~DWORD(D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER)) == 0;
}

Pixels Resample(const Pixels& src, unsigned width, unsigned height, DWORD filter) {
    Pixels out;
    out.width = width;
    out.height = height;
    if (width == src.width && height == src.height) {
        out.argb = src.argb;
        return out;
    }
    out.argb.assign(size_t(width) * height, 0u);
    if (src.width == 0 || src.height == 0 || width == 0 || height == 0) return out;
    const DWORD kind = filter & 0xFFFF;
    if (kind == D3DX_FILTER_NONE) {
        // Copied to the top left; whatever the image does not cover stays 0.
        const unsigned w = std::min(width, src.width), h = std::min(height, src.height);
        for (unsigned y = 0; y < h; ++y)
            std::copy_n(src.argb.begin() + ptrdiff_t(y) * src.width, w, out.argb.begin() + ptrdiff_t(y) * width);
        return out;
    }

    const AxisWeights wx = Weights(src.width, width, kind, (filter & D3DX_FILTER_MIRROR_U) != 0);
    const AxisWeights wy = Weights(src.height, height, kind, (filter & D3DX_FILTER_MIRROR_V) != 0);
    // Columns first, into floats, then rows.
    std::vector<float> across(size_t(width) * src.height * 4, 0.0f);
    for (unsigned y = 0; y < src.height; ++y) {
        const uint32_t* row = src.argb.data() + size_t(y) * src.width;
        for (unsigned x = 0; x < width; ++x) {
            float* acc = &across[(size_t(y) * width + x) * 4];
            for (unsigned k = 0; k < wx.count[x]; ++k) {
                const Tap& t = wx.taps[wx.first[x] + k];
                const uint32_t p = row[t.index];
                for (int c = 0; c < 4; ++c) acc[c] += t.weight * static_cast<float>((p >> (8 * c)) & 0xFF);
            }
        }
    }
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (unsigned k = 0; k < wy.count[y]; ++k) {
                const Tap& t = wy.taps[wy.first[y] + k];
                const float* p = &across[(size_t(t.index) * width + x) * 4];
                for (int c = 0; c < 4; ++c) acc[c] += t.weight * p[c];
            }
            uint32_t v = 0;
            for (int c = 0; c < 4; ++c) v |= uint32_t(ToByte(acc[c])) << (8 * c);
            out.argb[size_t(y) * width + x] = v;
        }
    }
    return out;
}

}  // namespace nol::d3dx8
