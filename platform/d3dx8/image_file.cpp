// Decoding image files with SDL2_image. The header of each kind is read here as
// well: it says which Direct3D format describes the data, whether the pixels carry
// alpha, how large the picture claims to be, and (JPEG, PNG, TGA) whether the file
// is complete, which those decoders do not report: they pad a cut file instead.
#include "d3dx8/image_file.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace d3dx8 {

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]); }

// What a file's header says about its pixels.
struct HeaderInfo {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool alpha = false;
    uint64_t width = 0, height = 0;  // as the header claims, 0 when it does not say
};

bool IsPng(const uint8_t* d, size_t n) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return n >= 8 && std::memcmp(d, sig, 8) == 0;
}
bool IsBmp(const uint8_t* d, size_t n) { return n >= 2 && d[0] == 'B' && d[1] == 'M'; }
bool IsJpg(const uint8_t* d, size_t n) { return n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF; }
bool IsPpm(const uint8_t* d, size_t n) { return n >= 2 && d[0] == 'P' && d[1] >= '1' && d[1] <= '6'; }

bool BmpHeader(const uint8_t* d, size_t n, HeaderInfo* h) {
    if (n < 26) return false;
    const uint32_t headerSize = Le32(d + 14);
    unsigned bits;
    uint32_t compression = 0;
    uint32_t gMask = 0, aMask = 0;
    if (headerSize == 12) {  // OS/2 core header
        bits = Le16(d + 24);
        h->width = Le16(d + 18);
        h->height = Le16(d + 20);
    } else {
        if (headerSize < 40 || n < 54) return false;
        bits = Le16(d + 28);
        h->width = static_cast<uint64_t>(std::abs(static_cast<int64_t>(static_cast<int32_t>(Le32(d + 18)))));
        h->height = static_cast<uint64_t>(std::abs(static_cast<int64_t>(static_cast<int32_t>(Le32(d + 22)))));
        compression = Le32(d + 30);
        // Masks count only with bit-field compression; they sit inside V2 and later
        // headers, and right after a plain 40-byte one.
        const bool bitFields = compression == 3 || compression == 6;
        if (bitFields && n >= 66) gMask = Le32(d + 58);
        if (bitFields && (headerSize >= 56 || compression == 6) && n >= 70) aMask = Le32(d + 66);
    }
    switch (bits) {
        case 1:
        case 4:
        case 8: h->format = kFormatP8; break;
        case 16:
            if (aMask == 0x8000) h->format = D3DFMT_A1R5G5B5;
            else if (aMask == 0xF000) h->format = D3DFMT_A4R4G4B4;
            else h->format = gMask == 0x07E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
            break;
        case 24: h->format = D3DFMT_R8G8B8; break;
        case 32: h->format = aMask ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8; break;
        default: return false;
    }
    h->alpha = aMask != 0 && bits >= 16;
    return true;
}

// The chunks must run whole up to IEND: the decoder may take a cut file for
// a picture.
bool PngHeader(const uint8_t* d, size_t n, HeaderInfo* h) {
    if (n < 33 || std::memcmp(d + 12, "IHDR", 4) != 0) return false;
    const uint8_t colourType = d[25];
    h->width = Be32(d + 16);
    h->height = Be32(d + 20);
    bool transparency = false, seenData = false, complete = false;
    for (size_t at = 8; at + 12 <= n;) {
        const uint32_t length = Be32(d + at);
        if (length > n - at - 12) break;
        const uint8_t* type = d + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) seenData = true;
        if (std::memcmp(type, "tRNS", 4) == 0 && !seenData) transparency = true;
        if (std::memcmp(type, "IEND", 4) == 0) {
            complete = seenData;
            break;
        }
        at += size_t(length) + 12;
    }
    if (!complete) return false;
    switch (colourType) {
        case 0: h->format = transparency ? kFormatA8L8 : kFormatL8; break;
        case 2: h->format = transparency ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8; break;
        case 3: h->format = kFormatP8; break;
        case 4: h->format = kFormatA8L8; break;
        case 6: h->format = D3DFMT_A8R8G8B8; break;
        default: return false;
    }
    h->alpha = transparency || colourType == 4 || colourType == 6;
    return true;
}

// Whether the pixel data (raw, or run-length packets) is all there: the
// decoder pads a cut file silently.
bool TgaComplete(const uint8_t* d, size_t n) {
    const uint8_t mapType = d[1], type = d[2];
    const size_t mapBytes = mapType ? size_t(Le16(d + 5)) * ((d[7] + 7u) / 8) : 0;
    const size_t bpp = (d[16] + 7u) / 8;
    const uint64_t pixels = uint64_t(Le16(d + 12)) * Le16(d + 14);
    size_t at = 18 + size_t(d[0]) + mapBytes;
    if (at > n) return false;
    if (type < 8) return (n - at) / bpp >= pixels;
    for (uint64_t count = 0; count < pixels;) {
        if (at >= n) return false;
        const uint8_t packet = d[at++];
        const size_t run = (packet & 0x7F) + 1u;
        const size_t bytes = (packet & 0x80) ? bpp : run * bpp;
        if (bytes > n - at) return false;
        at += bytes;
        count += run;
    }
    return true;
}

// TGA has no signature: a header that makes sense is all there is.
bool TgaHeader(const uint8_t* d, size_t n, HeaderInfo* h) {
    if (n < 18) return false;
    const uint8_t mapType = d[1], type = d[2], mapDepth = d[7], depth = d[16];
    const uint8_t alphaBits = d[17] & 15;
    if (mapType > 1 || Le16(d + 12) == 0 || Le16(d + 14) == 0) return false;
    h->width = Le16(d + 12);
    h->height = Le16(d + 14);
    switch (type) {
        case 1:
        case 9:
            if (mapType != 1 || depth != 8 || Le16(d + 5) == 0) return false;
            h->format = kFormatP8;
            h->alpha = mapDepth == 32;
            break;
        case 2:
        case 10:
            if (depth == 15 || depth == 16) h->format = alphaBits ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
            else if (depth == 24) h->format = D3DFMT_R8G8B8;
            else if (depth == 32) h->format = alphaBits ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
            else return false;
            h->alpha = alphaBits != 0 && depth != 24;
            break;
        case 3:
        case 11:
            if (depth != 8) return false;
            h->format = kFormatL8;
            break;
        default: return false;
    }
    return TgaComplete(d, n);
}

// "P6 <width> <height> ...", with comments running from '#' to the line end.
bool PpmHeader(const uint8_t* d, size_t n, HeaderInfo* h) {
    h->format = (d[1] == '3' || d[1] == '6') ? D3DFMT_R8G8B8 : kFormatL8;
    size_t at = 2;
    uint64_t* sizes[2] = {&h->width, &h->height};
    for (uint64_t* size : sizes) {
        while (at < n && (std::isspace(d[at]) || d[at] == '#')) {
            if (d[at] == '#')
                while (at < n && d[at] != '\n') ++at;
            else
                ++at;
        }
        if (at >= n || !std::isdigit(d[at])) return false;
        for (*size = 0; at < n && std::isdigit(d[at]) && *size <= kMaxImageSide; ++at) *size = *size * 10 + (d[at] - '0');
    }
    return true;
}

// Walks the JPEG markers: the file is whole when an end-of-image marker follows
// the last scan. One-component frames are greyscale.
bool JpgHeader(const uint8_t* d, size_t n, HeaderInfo* h) {
    h->format = D3DFMT_R8G8B8;
    size_t at = 2;
    while (at + 1 < n) {
        if (d[at] != 0xFF) return false;
        const uint8_t marker = d[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9) return true;  // end of image
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (at + 4 > n) return false;
        const size_t length = size_t(d[at + 2]) << 8 | d[at + 3];
        if (length < 2 || at + 2 + length > n) return false;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 8) {
            h->height = size_t(d[at + 5]) << 8 | d[at + 6];
            h->width = size_t(d[at + 7]) << 8 | d[at + 8];
            if (d[at + 9] == 1) h->format = kFormatL8;
        }
        at += 2 + length;
        if (marker == 0xDA) {
            // Entropy-coded data: a 0xFF is followed by 0x00 (stuffing) or a restart
            // marker unless a real marker starts there.
            while (at + 1 < n && !(d[at] == 0xFF && d[at + 1] != 0x00 && (d[at + 1] < 0xD0 || d[at + 1] > 0xD7)))
                ++at;
        }
    }
    return false;
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

SurfacePtr Decode(ImageKind kind, const uint8_t* data, size_t size) {
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    if (!rw) return nullptr;
    SDL_Surface* s = nullptr;
    switch (kind) {
        case ImageKind::Bmp: s = IMG_LoadBMP_RW(rw); break;
        case ImageKind::Png: s = IMG_LoadPNG_RW(rw); break;
        case ImageKind::Jpg: s = IMG_LoadJPG_RW(rw); break;
        case ImageKind::Tga: s = IMG_LoadTGA_RW(rw); break;
        case ImageKind::Ppm: s = IMG_LoadPNM_RW(rw); break;
    }
    SDL_RWclose(rw);
    return SurfacePtr(s);
}

// The palette index of pixel x in a row of an indexed surface of 1, 2, 4 or 8 bits.
unsigned IndexAt(const SDL_PixelFormat* f, const uint8_t* row, unsigned x) {
    const unsigned bits = f->BitsPerPixel;
    if (bits >= 8) return row[x];
    const unsigned perByte = 8 / bits, mask = (1u << bits) - 1;
    const unsigned slot = x % perByte;
    const bool lsbFirst = SDL_PIXELORDER(f->format) == SDL_BITMAPORDER_4321;
    const unsigned shift = lsbFirst ? slot * bits : 8 - bits - slot * bits;
    return (row[x / perByte] >> shift) & mask;
}

// An n-bit channel to eight bits by repeating its bits (5 bits abcde become
// abcdeabc), as the device's own format conversion does.
uint32_t Widen(uint32_t value, unsigned bits) {
    if (bits >= 8) return value & 0xFF;
    if (bits == 0) return 0xFF;
    uint32_t out = 0;
    unsigned filled = 0;
    while (filled < 8) {
        out = out << bits | value;
        filled += bits;
    }
    return (out >> (filled - 8)) & 0xFF;
}

uint32_t Channel(uint32_t raw, Uint32 mask, Uint8 shift, Uint8 loss) {
    if (!mask) return 0xFF;
    return Widen((raw & mask) >> shift, 8u - loss);
}

uint32_t RawPixel(const uint8_t* p, unsigned bytes) {
    uint32_t v = 0;
    for (unsigned i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}

// Every pixel to 0xAARRGGBB, exactly: palette colours as they are, narrower
// channels widened by bit replication. A colour-keyed pixel (SDL's form of a
// transparent palette entry or colour) becomes transparent.
bool ToArgb(SDL_Surface* s, Image* out) {
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return false;
    const SDL_PixelFormat* f = s->format;
    Uint32 key = 0;
    const bool keyed = SDL_GetColorKey(s, &key) == 0;
    const unsigned w = static_cast<unsigned>(s->w), h = static_cast<unsigned>(s->h);
    out->argb.resize(size_t(w) * h);
    const bool indexed = SDL_ISPIXELFORMAT_INDEXED(f->format) && f->palette;
    const unsigned bytes = f->BytesPerPixel;
    bool ok = true;
    for (unsigned y = 0; y < h && ok; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(s->pixels) + size_t(y) * s->pitch;
        uint32_t* dst = out->argb.data() + size_t(y) * w;
        for (unsigned x = 0; x < w; ++x) {
            uint32_t raw;
            Uint8 r, g, b, a;
            if (indexed) {
                raw = IndexAt(f, row, x);
                if (raw >= static_cast<unsigned>(f->palette->ncolors)) {
                    ok = false;
                    break;
                }
                const SDL_Color& c = f->palette->colors[raw];
                r = c.r, g = c.g, b = c.b, a = c.a;
            } else if (bytes >= 1 && bytes <= 4) {
                raw = RawPixel(row + size_t(x) * bytes, bytes);
                r = static_cast<Uint8>(Channel(raw, f->Rmask, f->Rshift, f->Rloss));
                g = static_cast<Uint8>(Channel(raw, f->Gmask, f->Gshift, f->Gloss));
                b = static_cast<Uint8>(Channel(raw, f->Bmask, f->Bshift, f->Bloss));
                a = static_cast<Uint8>(Channel(raw, f->Amask, f->Ashift, f->Aloss));
            } else {
                ok = false;
                break;
            }
            dst[x] = keyed && raw == key ? 0u : D3DCOLOR_ARGB(a, r, g, b);
        }
    }
    if (indexed) {
        const SDL_Palette* p = f->palette;
        out->palette.resize(static_cast<size_t>(p->ncolors));
        for (int i = 0; i < p->ncolors; ++i)
            out->palette[static_cast<size_t>(i)] = {p->colors[i].r, p->colors[i].g, p->colors[i].b, p->colors[i].a};
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    return ok;
}

}  // namespace

bool DecodeImage(const uint8_t* data, size_t size, Image* out) {
    *out = Image{};
    if (!data || size == 0 || size > static_cast<size_t>(INT32_MAX)) return false;
    HeaderInfo header;
    ImageKind kind;
    if (IsBmp(data, size)) {
        kind = ImageKind::Bmp;
        if (!BmpHeader(data, size, &header)) return false;
    } else if (IsPng(data, size)) {
        kind = ImageKind::Png;
        if (!PngHeader(data, size, &header)) return false;
    } else if (IsJpg(data, size)) {
        kind = ImageKind::Jpg;
        if (!JpgHeader(data, size, &header)) return false;  // also: cut short
    } else if (IsPpm(data, size)) {
        kind = ImageKind::Ppm;
        if (!PpmHeader(data, size, &header)) return false;
    } else if (TgaHeader(data, size, &header)) {
        kind = ImageKind::Tga;
    } else {
        return false;
    }

    // Refused before the decoder allocates anything for it.
    if (header.width > kMaxImageSide || header.height > kMaxImageSide) return false;
    SurfacePtr surface = Decode(kind, data, size);
    if (!surface || surface->w <= 0 || surface->h <= 0) return false;
    if (static_cast<unsigned>(surface->w) > kMaxImageSide || static_cast<unsigned>(surface->h) > kMaxImageSide)
        return false;
    if (!ToArgb(surface.get(), out)) return false;

    out->kind = kind;
    out->width = static_cast<unsigned>(surface->w);
    out->height = static_cast<unsigned>(surface->h);
    out->format = header.format;
    out->hasAlpha = header.alpha;
    // Formats without alpha read as opaque, whatever the decoder made of spare bits.
    if (!out->hasAlpha)
        for (uint32_t& p : out->argb) p |= 0xFF000000u;
    return true;
}

}  // namespace d3dx8
