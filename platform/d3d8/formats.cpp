#include "d3d8/formats.h"

#include <algorithm>
#include <cstring>

#include "d3d8/gl_api.h"

namespace nol::d3d8 {

namespace {

const ColorFormatInfo kColorFormats[] = {
    {D3DFMT_A8R8G8B8, 4, true},  {D3DFMT_X8R8G8B8, 4, false}, {D3DFMT_R8G8B8, 3, false},
    {D3DFMT_R5G6B5, 2, false},   {D3DFMT_X1R5G5B5, 2, false}, {D3DFMT_A1R5G5B5, 2, true},
    {D3DFMT_A4R4G4B4, 2, true},
};

// n-bit channel value to eight bits, and back with rounding.
inline uint32_t Widen(uint32_t v, int bits) {
    switch (bits) {
        case 1: return v ? 255 : 0;
        case 4: return v * 17;
        case 5: return (v << 3) | (v >> 2);
        case 6: return (v << 2) | (v >> 4);
        default: return v;
    }
}

inline uint32_t Narrow(uint32_t v8, int bits) {
    uint32_t max = (1u << bits) - 1;
    return (v8 * max + 127) / 255;
}

inline uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline void Store16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

const ColorFormatInfo* FindColorFormat(D3DFORMAT format) {
    for (const auto& f : kColorFormats)
        if (f.format == format) return &f;
    return nullptr;
}

bool IsDepthFormat(D3DFORMAT format) {
    return format == D3DFMT_D16 || format == D3DFMT_D24S8 || format == D3DFMT_D24X8 ||
           format == D3DFMT_D32;
}

bool DepthFormatHasStencil(D3DFORMAT format) { return format == D3DFMT_D24S8; }

unsigned GlDepthFormat(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_D16: return GL_DEPTH_COMPONENT16;
        case D3DFMT_D24X8: return GL_DEPTH_COMPONENT24;
        case D3DFMT_D24S8: return GL_DEPTH24_STENCIL8;
        case D3DFMT_D32: return GL_DEPTH_COMPONENT32;
        default: return 0;
    }
}

bool IsDisplayFormat(D3DFORMAT format) {
    return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

UINT SurfacePitch(const ColorFormatInfo& format, UINT width) {
    return (width * format.bytesPerPixel + 3) & ~3u;
}

UINT FullChainLength(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

uint32_t ReadPixel(const ColorFormatInfo& format, const uint8_t* p) {
    switch (format.format) {
        case D3DFMT_A8R8G8B8:
            return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        case D3DFMT_X8R8G8B8:
        case D3DFMT_R8G8B8:
            return 0xFF000000u | uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        case D3DFMT_R5G6B5: {
            uint32_t v = Load16(p);
            return 0xFF000000u | Widen((v >> 11) & 31, 5) << 16 | Widen((v >> 5) & 63, 6) << 8 |
                   Widen(v & 31, 5);
        }
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5: {
            uint32_t v = Load16(p);
            uint32_t a = format.format == D3DFMT_A1R5G5B5 ? Widen(v >> 15, 1) : 255;
            return a << 24 | Widen((v >> 10) & 31, 5) << 16 | Widen((v >> 5) & 31, 5) << 8 |
                   Widen(v & 31, 5);
        }
        case D3DFMT_A4R4G4B4: {
            uint32_t v = Load16(p);
            return Widen(v >> 12, 4) << 24 | Widen((v >> 8) & 15, 4) << 16 |
                   Widen((v >> 4) & 15, 4) << 8 | Widen(v & 15, 4);
        }
        default: return 0;
    }
}

void WritePixel(const ColorFormatInfo& format, uint8_t* p, uint32_t argb) {
    uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    switch (format.format) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8:
            p[0] = uint8_t(b);
            p[1] = uint8_t(g);
            p[2] = uint8_t(r);
            p[3] = format.format == D3DFMT_X8R8G8B8 ? 0xFF : uint8_t(a);
            break;
        case D3DFMT_R8G8B8:
            p[0] = uint8_t(b);
            p[1] = uint8_t(g);
            p[2] = uint8_t(r);
            break;
        case D3DFMT_R5G6B5:
            Store16(p, Narrow(r, 5) << 11 | Narrow(g, 6) << 5 | Narrow(b, 5));
            break;
        case D3DFMT_X1R5G5B5:
            Store16(p, 0x8000u | Narrow(r, 5) << 10 | Narrow(g, 5) << 5 | Narrow(b, 5));
            break;
        case D3DFMT_A1R5G5B5:
            Store16(p, (a >= 128 ? 0x8000u : 0u) | Narrow(r, 5) << 10 | Narrow(g, 5) << 5 |
                           Narrow(b, 5));
            break;
        case D3DFMT_A4R4G4B4:
            Store16(p, Narrow(a, 4) << 12 | Narrow(r, 4) << 8 | Narrow(g, 4) << 4 | Narrow(b, 4));
            break;
        default: break;
    }
}

void RowToArgb(const ColorFormatInfo& format, const uint8_t* src, uint32_t* dst, UINT count) {
    for (UINT i = 0; i < count; ++i) dst[i] = ReadPixel(format, src + i * format.bytesPerPixel);
}

void RowFromArgb(const ColorFormatInfo& format, const uint32_t* src, uint8_t* dst, UINT count) {
    // A8R8G8B8 is the ARGB word itself in (little-endian) memory; X8R8G8B8 the same with its
    // unused byte set. Whole rows of these go at memory speed.
    if (format.format == D3DFMT_A8R8G8B8) {
        std::memcpy(dst, src, size_t(count) * 4);
        return;
    }
    if (format.format == D3DFMT_X8R8G8B8) {
        for (UINT i = 0; i < count; ++i) {
            const uint32_t p = src[i] | 0xFF000000u;
            std::memcpy(dst + size_t(i) * 4, &p, 4);
        }
        return;
    }
    for (UINT i = 0; i < count; ++i) WritePixel(format, dst + i * format.bytesPerPixel, src[i]);
}

}  // namespace nol::d3d8
