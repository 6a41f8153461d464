// Image files written by the tests themselves: BMP and TGA by hand (every depth,
// palettes, run-length encoding), PNG and JPEG through SDL2_image.
#pragma once

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace images {

inline void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

struct Bmp {
    Bmp(int w, int h, int b) : width(w), height(h), bits(b) {}
    int width = 0, height = 0;
    int bits = 24;                  // 1, 4, 8, 16 (X1R5G5B5), 24, 32
    std::vector<uint32_t> palette;  // 0x00RRGGBB, for bits <= 8
    std::vector<uint32_t> pixels;   // row 0 on top: indices for bits <= 8, else 0xAARRGGBB
    bool rle = false;               // RLE8 for 8 bits, RLE4 for 4 bits
    bool topDown = false;
    bool alphaMask = false;         // 32 bits: a V4 header with bit fields and an alpha mask
};

// One row of indices as RLE8 or RLE4: runs of equal indices, and absolute runs
// for stretches of three or more differing ones.
inline void EncodeRleRow(std::vector<uint8_t>& out, const uint32_t* row, int width, bool four) {
    int x = 0;
    while (x < width) {
        int run = 1;
        while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
        if (run >= 2) {
            out.push_back(uint8_t(run));
            out.push_back(uint8_t(four ? (row[x] << 4 | row[x]) : row[x]));
            x += run;
            continue;
        }
        int lit = 1;
        while (x + lit < width && lit < 255 && !(x + lit + 1 < width && row[x + lit] == row[x + lit + 1])) ++lit;
        if (lit < 3) {
            out.push_back(1);
            out.push_back(uint8_t(four ? row[x] << 4 : row[x]));
            ++x;
            continue;
        }
        out.push_back(0);
        out.push_back(uint8_t(lit));
        size_t start = out.size();
        if (four) {
            for (int i = 0; i < lit; i += 2)
                out.push_back(uint8_t(row[x + i] << 4 | (i + 1 < lit ? row[x + i + 1] : 0)));
        } else {
            for (int i = 0; i < lit; ++i) out.push_back(uint8_t(row[x + i]));
        }
        if ((out.size() - start) & 1) out.push_back(0);  // absolute runs end on a word
        x += lit;
    }
    out.push_back(0);
    out.push_back(0);  // end of line
}

inline std::vector<uint8_t> EncodeBmp(const Bmp& b) {
    const bool v4 = b.bits == 32 && b.alphaMask;
    const uint32_t headerSize = v4 ? 108 : 40;
    const uint32_t paletteBytes = b.bits <= 8 ? 4u * (1u << b.bits) : 0;
    std::vector<uint8_t> data;
    const int stride = ((b.width * b.bits + 31) / 32) * 4;
    for (int r = 0; r < b.height; ++r) {
        const int y = b.topDown ? r : b.height - 1 - r;
        const uint32_t* row = &b.pixels[size_t(y) * b.width];
        if (b.rle) {
            EncodeRleRow(data, row, b.width, b.bits == 4);
            continue;
        }
        std::vector<uint8_t> line(size_t(stride), 0);
        for (int x = 0; x < b.width; ++x) {
            const uint32_t p = row[x];
            switch (b.bits) {
                case 1: line[x / 8] |= uint8_t((p & 1) << (7 - x % 8)); break;
                case 4: line[x / 2] |= uint8_t((p & 15) << (x % 2 ? 0 : 4)); break;
                case 8: line[x] = uint8_t(p); break;
                case 16: {
                    uint32_t v = ((p >> 19) & 31) << 10 | ((p >> 11) & 31) << 5 | ((p >> 3) & 31);
                    line[x * 2] = uint8_t(v), line[x * 2 + 1] = uint8_t(v >> 8);
                    break;
                }
                case 24: line[x * 3] = uint8_t(p), line[x * 3 + 1] = uint8_t(p >> 8), line[x * 3 + 2] = uint8_t(p >> 16); break;
                case 32: for (int k = 0; k < 4; ++k) line[x * 4 + k] = uint8_t(p >> (8 * k)); break;
            }
        }
        data.insert(data.end(), line.begin(), line.end());
    }
    if (b.rle) {
        data.push_back(0);
        data.push_back(1);  // end of bitmap
    }

    std::vector<uint8_t> out;
    const uint32_t offset = 14 + headerSize + paletteBytes;
    out.push_back('B');
    out.push_back('M');
    Put32(out, offset + uint32_t(data.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, headerSize);
    Put32(out, uint32_t(b.width));
    Put32(out, uint32_t(b.topDown ? -b.height : b.height));
    Put16(out, 1);
    Put16(out, uint32_t(b.bits));
    Put32(out, b.rle ? (b.bits == 8 ? 1 : 2) : v4 ? 3 : 0);
    Put32(out, uint32_t(data.size()));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, b.bits <= 8 ? (1u << b.bits) : 0);
    Put32(out, 0);
    if (v4) {
        Put32(out, 0x00FF0000);
        Put32(out, 0x0000FF00);
        Put32(out, 0x000000FF);
        Put32(out, 0xFF000000);
        Put32(out, 0x73524742);  // sRGB colour space
        for (int i = 0; i < 12; ++i) Put32(out, 0);
    }
    for (uint32_t i = 0; i < paletteBytes / 4; ++i) Put32(out, i < b.palette.size() ? b.palette[i] & 0xFFFFFF : 0);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

inline bool WriteBmp(const std::string& path, const Bmp& b) { return WriteBytes(path, EncodeBmp(b)); }

struct Tga {
    Tga(int w, int h, int b) : width(w), height(h), bits(b) {}
    int width = 0, height = 0;
    int bits = 24;                  // 8 (grey or colour-mapped), 16 (A1R5G5B5), 24, 32
    bool mapped = false;            // 8 bits: colour-mapped with palette
    std::vector<uint32_t> palette;  // 0x00RRGGBB, 24-bit entries
    std::vector<uint32_t> pixels;   // row 0 on top: grey levels or indices (8 bits), else 0xAARRGGBB
    bool rle = false;
    int alphaBits = 0;              // 1 for 16 bits, 8 for 32 bits with alpha
};

inline std::vector<uint8_t> EncodeTga(const Tga& t) {
    std::vector<uint8_t> out;
    const int type = (t.bits == 8 ? (t.mapped ? 1 : 3) : 2) + (t.rle ? 8 : 0);
    out.push_back(0);                    // no image id
    out.push_back(t.mapped ? 1 : 0);     // colour map
    out.push_back(uint8_t(type));
    Put16(out, 0);
    Put16(out, t.mapped ? uint32_t(t.palette.size()) : 0);
    out.push_back(t.mapped ? 24 : 0);
    Put32(out, 0);                       // origin
    Put16(out, uint32_t(t.width));
    Put16(out, uint32_t(t.height));
    out.push_back(uint8_t(t.bits));
    out.push_back(uint8_t(0x20 | t.alphaBits));  // rows from the top
    for (uint32_t c : t.palette) {
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c >> 16));
    }
    const int bytes = t.bits == 15 ? 2 : t.bits / 8;
    auto pixel = [&](uint32_t p) {
        std::vector<uint8_t> v;
        if (t.bits == 8) {
            v.push_back(uint8_t(p));
        } else if (t.bits == 16) {
            uint32_t w = (p >> 24 ? 0x8000u : 0u) | ((p >> 19) & 31) << 10 | ((p >> 11) & 31) << 5 | ((p >> 3) & 31);
            v = {uint8_t(w), uint8_t(w >> 8)};
        } else {
            for (int k = 0; k < bytes; ++k) v.push_back(uint8_t(p >> (8 * k)));
        }
        return v;
    };
    for (int y = 0; y < t.height; ++y) {
        const uint32_t* row = &t.pixels[size_t(y) * t.width];
        for (int x = 0; x < t.width;) {
            if (!t.rle) {
                auto v = pixel(row[x++]);
                out.insert(out.end(), v.begin(), v.end());
                continue;
            }
            int run = 1;
            while (x + run < t.width && run < 128 && row[x + run] == row[x]) ++run;
            if (run >= 2) {
                out.push_back(uint8_t(0x80 | (run - 1)));
                auto v = pixel(row[x]);
                out.insert(out.end(), v.begin(), v.end());
            } else {
                out.push_back(0);  // a raw packet of one
                auto v = pixel(row[x]);
                out.insert(out.end(), v.begin(), v.end());
            }
            x += run;
        }
    }
    return out;
}

inline bool WriteTga(const std::string& path, const Tga& t) { return WriteBytes(path, EncodeTga(t)); }

// 0xAARRGGBB pixels, row 0 on top, as a PNG with alpha, or without (colour
// type 2) when alpha is false.
inline bool WritePng(const std::string& path, int w, int h, const std::vector<uint32_t>& argb, bool alpha) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb.data()), w, h, 32, w * 4,
                                                        SDL_PIXELFORMAT_ARGB8888);
    if (!s) return false;
    SDL_Surface* saved = alpha ? s : SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_RGB24, 0);
    bool ok = saved && IMG_SavePNG(saved, path.c_str()) == 0;
    if (saved && saved != s) SDL_FreeSurface(saved);
    SDL_FreeSurface(s);
    return ok;
}

// Palette indices with an 8-bit palette (0x00RRGGBB) as a colour-type-3 PNG.
inline bool WritePalettePng(const std::string& path, int w, int h, const std::vector<uint8_t>& indices,
                            const std::vector<uint32_t>& palette) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 8, SDL_PIXELFORMAT_INDEX8);
    if (!s) return false;
    std::vector<SDL_Color> colours;
    for (uint32_t c : palette) colours.push_back({uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255});
    SDL_SetPaletteColors(s->format->palette, colours.data(), 0, int(colours.size()));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) static_cast<uint8_t*>(s->pixels)[y * s->pitch + x] = indices[size_t(y) * w + x];
    bool ok = IMG_SavePNG(s, path.c_str()) == 0;
    SDL_FreeSurface(s);
    return ok;
}

inline bool WriteJpg(const std::string& path, int w, int h, const std::vector<uint32_t>& argb, int quality) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb.data()), w, h, 32, w * 4,
                                                        SDL_PIXELFORMAT_ARGB8888);
    if (!s) return false;
    bool ok = IMG_SaveJPG(s, path.c_str(), quality) == 0;
    SDL_FreeSurface(s);
    return ok;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

}  // namespace images
