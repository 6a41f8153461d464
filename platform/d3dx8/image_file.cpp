// Decoding image files: bitmaps by bmp_decoder, the other kinds with SDL2_image.
// The header of each kind is read here as well: it says which Direct3D format
// describes the data, whether the pixels carry alpha, how large the picture claims
// to be, whether the bytes present can hold that much (checked before the decoder
// allocates for it), and (JPEG, PNG, TGA) whether the file is complete, which
// those decoders do not report: they pad a cut file instead.
#include "d3dx8/image_file.h"

#include "d3dx8/bmp_decoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace nol::d3dx8 {

namespace {

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]); }

// What a file's header says about its pixels.
struct HeaderInfo {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool alpha = false;
    uint64_t width = 0, height = 0;  // as the header claims
    // The least the claimed size takes (decoded bytes, or pixels) against the most
    // the file's bytes can stand for in the same unit; in double, as a huge claim
    // overflows integers.
    double need = 0, most = 0;
};

bool Refuse(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return false;
}

std::string Claim(const HeaderInfo& h, size_t size) {
    return "image claims " + std::to_string(h.width) + " x " + std::to_string(h.height) + " but holds " +
           std::to_string(size) + " bytes";
}

bool IsPng(const uint8_t* d, size_t n) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return n >= 8 && std::memcmp(d, sig, 8) == 0;
}
bool IsBmp(const uint8_t* d, size_t n) { return n >= 2 && d[0] == 'B' && d[1] == 'M'; }
bool IsJpg(const uint8_t* d, size_t n) { return n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF; }
bool IsPpm(const uint8_t* d, size_t n) { return n >= 2 && d[0] == 'P' && d[1] >= '1' && d[1] <= '6'; }

// Deflate turns one byte into at most about 1032.
constexpr double kMostInflation = 1032;
// Every 8 x 8 block of a JPEG scan costs at least one bit: 512 pixels a byte;
// twice that leaves room for any encoder.
constexpr double kMostJpegPixelsPerByte = 1024;

// The chunks must run whole up to IEND: the decoder may take a cut file for
// a picture.
bool PngHeader(const uint8_t* d, size_t n, HeaderInfo* h, std::string* why) {
    if (n < 33 || std::memcmp(d + 12, "IHDR", 4) != 0) return Refuse(why, "PNG header is damaged");
    const uint8_t depth = d[24], colourType = d[25];
    h->width = Be32(d + 16);
    h->height = Be32(d + 20);
    bool transparency = false, seenData = false, complete = false;
    double dataBytes = 0;
    for (size_t at = 8; at + 12 <= n;) {
        const uint32_t length = Be32(d + at);
        if (length > n - at - 12) break;
        const uint8_t* type = d + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) seenData = true, dataBytes += length;
        if (std::memcmp(type, "tRNS", 4) == 0 && !seenData) transparency = true;
        if (std::memcmp(type, "IEND", 4) == 0) {
            complete = seenData;
            break;
        }
        at += size_t(length) + 12;
    }
    if (!complete) return Refuse(why, "PNG file is cut short");
    unsigned channels;
    switch (colourType) {
        case 0: h->format = transparency ? kFormatA8L8 : kFormatL8, channels = 1; break;
        case 2: h->format = transparency ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8, channels = 3; break;
        case 3: h->format = kFormatP8, channels = 1; break;
        case 4: h->format = kFormatA8L8, channels = 2; break;
        case 6: h->format = D3DFMT_A8R8G8B8, channels = 4; break;
        default: return Refuse(why, "PNG colour type " + std::to_string(colourType) + " is not read");
    }
    h->alpha = transparency || colourType == 4 || colourType == 6;
    // Each row: a filter byte and its samples.
    h->need = double(h->height) * (1 + std::ceil(double(h->width) * channels * depth / 8));
    h->most = dataBytes * kMostInflation;
    return true;
}

// Whether the pixel data (raw, or run-length packets) is all there: the
// decoder pads a cut file silently. The walk stops at the file's end, so it
// costs no more than the bytes present.
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

// TGA has no signature: a header that makes sense is all there is. False for
// one that does not; a cut file is caught later by TgaComplete.
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
    return true;
}

// "P6 <width> <height> <maxval>" and one white-space character, with comments
// running from '#' to the line end; bitmaps (P1, P4) have no maxval.
bool PpmHeader(const uint8_t* d, size_t n, HeaderInfo* h, std::string* why) {
    const char kind = static_cast<char>(d[1]);
    const bool bitmap = kind == '1' || kind == '4';
    h->format = (kind == '3' || kind == '6') ? D3DFMT_R8G8B8 : kFormatL8;
    size_t at = 2;
    uint64_t maxValue = 1;
    uint64_t* fields[3] = {&h->width, &h->height, &maxValue};
    for (uint64_t* field : fields) {
        if (field == &maxValue && bitmap) break;
        while (at < n && (std::isspace(d[at]) || d[at] == '#')) {
            if (d[at] == '#')
                while (at < n && d[at] != '\n') ++at;
            else
                ++at;
        }
        if (at >= n || !std::isdigit(d[at])) return Refuse(why, "PNM header is damaged");
        for (*field = 0; at < n && std::isdigit(d[at]) && *field <= 0xFFFFFF; ++at) *field = *field * 10 + (d[at] - '0');
    }
    ++at;  // the white space ending the header
    const double pixels = double(h->width) * double(h->height);
    const double samples = (kind == '3' || kind == '6') ? 3 : 1;
    const double sampleBytes = maxValue > 255 ? 2 : 1;
    // Text samples take at least a character each; binary ones their full size.
    switch (kind) {
        case '4': h->need = std::ceil(double(h->width) / 8) * double(h->height); break;
        case '5':
        case '6': h->need = pixels * samples * sampleBytes; break;
        default: h->need = pixels * samples; break;
    }
    h->most = at < n ? double(n - at) : 0;
    return true;
}

// Walks the JPEG markers: the file is whole when an end-of-image marker follows
// the last scan. One-component frames are greyscale.
bool JpgHeader(const uint8_t* d, size_t n, HeaderInfo* h, std::string* why) {
    h->format = D3DFMT_R8G8B8;
    size_t at = 2;
    while (at + 1 < n) {
        if (d[at] != 0xFF) return Refuse(why, "JPEG file is damaged");
        const uint8_t marker = d[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD9) {  // end of image
            h->need = double(h->width) * double(h->height);
            h->most = double(n) * kMostJpegPixelsPerByte;
            return true;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (at + 4 > n) break;
        const size_t length = size_t(d[at + 2]) << 8 | d[at + 3];
        if (length < 2) return Refuse(why, "JPEG file is damaged");
        if (at + 2 + length > n) break;
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
    return Refuse(why, "JPEG file is cut short");
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

uint32_t Channel(uint32_t raw, Uint32 mask, Uint8 shift, Uint8 loss) {
    if (!mask) return 0xFF;
    return WidenChannel((raw & mask) >> shift, 8u - loss);
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

bool DecodeImage(const uint8_t* data, size_t size, Image* out, std::string* why) {
    *out = Image{};
    if (!data || size == 0) return Refuse(why, "file is empty");
    if (size > static_cast<size_t>(INT32_MAX)) return Refuse(why, "file is too large");
    if (IsBmp(data, size)) return DecodeBmp(data, size, out, why);

    HeaderInfo header;
    ImageKind kind;
    if (IsPng(data, size)) {
        kind = ImageKind::Png;
        if (!PngHeader(data, size, &header, why)) return false;
    } else if (IsJpg(data, size)) {
        kind = ImageKind::Jpg;
        if (!JpgHeader(data, size, &header, why)) return false;
    } else if (IsPpm(data, size)) {
        kind = ImageKind::Ppm;
        if (!PpmHeader(data, size, &header, why)) return false;
    } else if (TgaHeader(data, size, &header)) {
        kind = ImageKind::Tga;
    } else {
        return Refuse(why, "unknown image format");
    }

    // Refused before the decoder allocates anything for it.
    if (header.width == 0 || header.height == 0) return Refuse(why, "image has no pixels");
    if (header.width > kMaxImageSide || header.height > kMaxImageSide)
        return Refuse(why, "image claims " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                               ", more than " + std::to_string(kMaxImageSide) + " on a side");
    if (header.need > header.most || (kind == ImageKind::Tga && !TgaComplete(data, size)))
        return Refuse(why, Claim(header, size));

    SurfacePtr surface = Decode(kind, data, size);
    if (!surface) return Refuse(why, std::string("SDL_image: ") + IMG_GetError());
    if (surface->w <= 0 || surface->h <= 0 || static_cast<unsigned>(surface->w) > kMaxImageSide ||
        static_cast<unsigned>(surface->h) > kMaxImageSide)
        return Refuse(why, "decoded image has an unexpected size");
    bool converted;
    try {
        converted = ToArgb(surface.get(), out);
    } catch (const std::bad_alloc&) {
        *out = Image{};
        return Refuse(why, "no memory for a " + std::to_string(surface->w) + " x " + std::to_string(surface->h) +
                               " image");
    }
    if (!converted) {
        *out = Image{};
        return Refuse(why, "image names colours its palette does not hold");
    }

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

}  // namespace nol::d3dx8
