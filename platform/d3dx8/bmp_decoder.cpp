#include "d3dx8/bmp_decoder.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <new>

namespace nol::d3dx8 {

namespace {

enum Compression : uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,  // on OS/2 2.x headers: Huffman 1D
    kJpeg = 4,       // on OS/2 2.x headers: 24-bit run lengths
    kPng = 5,
    kAlphaBitFields = 6,
};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", v);
    return text;
}

bool Refuse(std::string* why, const std::string& reason) {
    if (why) *why = reason;
    return false;
}

// One channel's bit field: where it sits and how wide it is; 0 bits when absent.
struct Field {
    uint32_t mask = 0;
    unsigned shift = 0, bits = 0;

    uint32_t Read(uint32_t raw, uint32_t absent) const {
        return bits ? WidenChannel((raw & mask) >> shift, bits) : absent;
    }
};

// Everything the headers say, checked for consistency with the file's length.
struct Layout {
    unsigned width = 0, height = 0;
    bool topDown = false;
    unsigned bits = 0;
    uint32_t compression = kRgb;
    uint32_t masks[4] = {};  // red, green, blue, alpha
    bool masked = false;     // 16 and 32 bits: the masks above apply
    size_t paletteAt = 0, paletteEntries = 0, entryBytes = 4;
    size_t pixelsAt = 0;
};

std::string Claim(const Layout& l, size_t size) {
    return "image claims " + std::to_string(l.width) + " x " + std::to_string(l.height) + " but holds " +
           std::to_string(size) + " bytes";
}

// Which headers this is, and its fields; pixel data and palette located.
bool ReadHeaders(const uint8_t* d, size_t n, Layout* l, std::string* why) {
    if (n < 18) return Refuse(why, "BMP header is cut short");
    const uint32_t headerSize = Le32(d + 14);
    const size_t headerEnd = 14 + size_t(headerSize);
    const bool core = headerSize == 12;
    const bool windows = headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
                         headerSize == 124;
    const bool os2 = !windows && headerSize >= 16 && headerSize <= 64;
    if (!core && !windows && !os2) return Refuse(why, "BMP header of " + std::to_string(headerSize) + " bytes is not read");
    if (n < headerEnd) return Refuse(why, "BMP header is cut short");

    int64_t width, height;
    if (core) {
        width = Le16(d + 18);
        height = Le16(d + 20);
        l->bits = Le16(d + 24);
        l->entryBytes = 3;
    } else {
        width = static_cast<int32_t>(Le32(d + 18));
        height = static_cast<int32_t>(Le32(d + 22));
        l->bits = Le16(d + 28);
        // Shorter OS/2 2.x headers leave out the fields from the compression on.
        auto field = [&](size_t at) { return at + 4 <= headerEnd ? Le32(d + at) : 0u; };
        l->compression = field(30);
        l->paletteEntries = field(46);
    }
    if (width <= 0) return Refuse(why, "BMP width " + std::to_string(width) + " is not positive");
    l->topDown = height < 0;
    if (height < 0) height = -height;
    if (height == 0) return Refuse(why, "BMP has no rows");
    if (width > kMaxImageSide || height > kMaxImageSide)
        return Refuse(why, "image claims " + std::to_string(width) + " x " + std::to_string(height) +
                               ", more than " + std::to_string(kMaxImageSide) + " on a side");
    l->width = static_cast<unsigned>(width);
    l->height = static_cast<unsigned>(height);

    const uint32_t c = l->compression;
    if (os2 && c == kBitFields) return Refuse(why, "OS/2 BMP with Huffman 1D compression is not read");
    if (os2 && c == kJpeg) return Refuse(why, "OS/2 BMP with 24-bit run-length compression is not read");
    if (os2 && c > kJpeg) return Refuse(why, "OS/2 BMP compression " + std::to_string(c) + " is not read");
    if (c == kJpeg) return Refuse(why, "BMP holding a JPEG image is not read");
    if (c == kPng) return Refuse(why, "BMP holding a PNG image is not read");
    if (c > kAlphaBitFields) return Refuse(why, "BMP compression " + std::to_string(c) + " is not read");

    const unsigned b = l->bits;
    const bool fits = (c == kRgb && (b == 1 || b == 2 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32)) ||
                      (c == kRle8 && b == 8) || (c == kRle4 && b == 4) ||
                      ((c == kBitFields || c == kAlphaBitFields) && (b == 16 || b == 32));
    if (!fits)
        return Refuse(why, "BMP of " + std::to_string(b) + " bits per pixel with compression " + std::to_string(c) +
                               " is not read");
    if (l->topDown && (c == kRle8 || c == kRle4)) return Refuse(why, "top-down BMP cannot be run-length encoded");

    // Bit fields sit inside V2 and later headers, or right after a plain 40-byte
    // one (three masks, four with alpha bit fields).
    l->paletteAt = headerEnd;
    if (c == kBitFields || c == kAlphaBitFields) {
        const unsigned count = c == kAlphaBitFields ? 4 : 3;
        size_t at = 54;
        if (headerSize == 40) {
            at = headerEnd;
            l->paletteAt = headerEnd + 4 * count;
            if (n < l->paletteAt) return Refuse(why, "BMP bit fields are cut short");
        }
        const unsigned present = headerSize == 40 ? count : headerSize >= 56 ? 4 : 3;
        for (unsigned k = 0; k < present; ++k) l->masks[k] = Le32(d + at + 4 * k);
        l->masked = true;
    } else if (b == 16) {
        l->masks[0] = 0x7C00, l->masks[1] = 0x03E0, l->masks[2] = 0x001F;
        l->masked = true;
    } else if (b == 32) {  // the fourth byte of plain 32-bit pixels is not alpha
        l->masks[0] = 0xFF0000, l->masks[1] = 0xFF00, l->masks[2] = 0xFF;
        l->masked = true;
    }

    const uint32_t offset = Le32(d + 10);
    if (offset < l->paletteAt) return Refuse(why, "BMP pixel data would start inside its header");
    if (offset > n) return Refuse(why, "BMP pixel data would start beyond the end of the file");
    l->pixelsAt = offset;

    // A palette of the entries said (all that the depth allows when it says 0),
    // trimmed to the room before the pixels that some writers leave.
    if (b <= 8) {
        const size_t most = size_t(1) << b;
        if (l->paletteEntries == 0 || l->paletteEntries > most) l->paletteEntries = most;
        const size_t room = (offset - l->paletteAt) / l->entryBytes;
        if (l->paletteEntries > room) l->paletteEntries = room;
        if (l->paletteEntries == 0) return Refuse(why, "BMP has no palette");
    } else {
        l->paletteEntries = 0;
    }

    // The bytes the claimed size needs at least: every row for uncompressed data,
    // and for run lengths one pair of bytes per 255 pixels.
    const uint64_t present = n - offset;
    if (c == kRle8 || c == kRle4) {
        if (uint64_t(l->width) * l->height > present / 2 * 255) return Refuse(why, Claim(*l, n));
    } else {
        const uint64_t stride = (uint64_t(l->width) * b + 31) / 32 * 4;
        const uint64_t lastRow = (uint64_t(l->width) * b + 7) / 8;
        if (stride * (l->height - 1) + lastRow > present) return Refuse(why, Claim(*l, n));
    }
    return true;
}

// The channel masks: each a contiguous run of bits, inside the pixel, none
// sharing a bit with another, and some colour among them.
bool CheckMasks(const Layout& l, Field fields[4], std::string* why) {
    static const char* const names[4] = {"red", "green", "blue", "alpha"};
    const uint64_t inside = l.bits == 32 ? 0xFFFFFFFFu : (1u << l.bits) - 1;
    for (unsigned k = 0; k < 4; ++k) {
        const uint32_t m = l.masks[k];
        fields[k] = Field{};
        if (!m) continue;
        if (m & ~inside)
            return Refuse(why, std::string("BMP ") + names[k] + " mask " + Hex(m) + " lies outside its " +
                                   std::to_string(l.bits) + "-bit pixels");
        const unsigned shift = static_cast<unsigned>(std::countr_zero(m));
        const uint32_t run = m >> shift;
        if (run & (run + 1)) return Refuse(why, std::string("BMP ") + names[k] + " mask " + Hex(m) + " is not contiguous");
        fields[k] = Field{m, shift, static_cast<unsigned>(std::popcount(run))};
        for (unsigned other = 0; other < k; ++other)
            if (m & l.masks[other]) return Refuse(why, "BMP channel masks overlap");
    }
    if (!(l.masks[0] | l.masks[1] | l.masks[2])) return Refuse(why, "BMP bit fields hold no colour");
    return true;
}

// The Direct3D format that names the masks, or the 32-bit one that holds them.
D3DFORMAT FormatOf(const Layout& l) {
    const uint32_t r = l.masks[0], g = l.masks[1], b = l.masks[2], a = l.masks[3];
    if (l.bits == 16) {
        if (r == 0x7C00 && g == 0x03E0 && b == 0x001F) return a == 0x8000 ? D3DFMT_A1R5G5B5 : a ? D3DFMT_A8R8G8B8 : D3DFMT_X1R5G5B5;
        if (r == 0xF800 && g == 0x07E0 && b == 0x001F && !a) return D3DFMT_R5G6B5;
        if (r == 0x0F00 && g == 0x00F0 && b == 0x000F) return a == 0xF000 ? D3DFMT_A4R4G4B4 : a ? D3DFMT_A8R8G8B8 : D3DFMT_X4R4G4B4;
    }
    return a ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

std::string BadIndex(unsigned index, size_t entries) {
    return "BMP pixel names palette entry " + std::to_string(index) + " of " + std::to_string(entries);
}

// Uncompressed rows, bottom-up unless the header said otherwise.
bool DecodeRows(const uint8_t* d, const Layout& l, const Field fields[4], const std::vector<uint32_t>& palette,
                Image* out, std::string* why) {
    const size_t stride = (size_t(l.width) * l.bits + 31) / 32 * 4;
    const unsigned b = l.bits;
    for (unsigned r = 0; r < l.height; ++r) {
        const uint8_t* row = d + l.pixelsAt + size_t(r) * stride;
        uint32_t* dst = out->argb.data() + size_t(l.topDown ? r : l.height - 1 - r) * l.width;
        for (unsigned x = 0; x < l.width; ++x) {
            if (b <= 8) {
                const size_t bit = size_t(x) * b;
                const unsigned index = (row[bit / 8] >> (8 - b - bit % 8)) & ((1u << b) - 1);
                if (index >= palette.size()) return Refuse(why, BadIndex(index, palette.size()));
                dst[x] = palette[index];
            } else if (b == 24) {
                const uint8_t* p = row + size_t(x) * 3;
                dst[x] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
            } else {
                const uint32_t raw = b == 16 ? Le16(row + size_t(x) * 2) : Le32(row + size_t(x) * 4);
                dst[x] = fields[3].Read(raw, 0xFF) << 24 | fields[0].Read(raw, 0) << 16 |
                         fields[1].Read(raw, 0) << 8 | fields[2].Read(raw, 0);
            }
        }
    }
    return true;
}

// Run-length encoded indices (8 or 4 bits), bottom-up. Pixels the runs skip keep
// palette entry 0; runs past the row's end are cut off. Each pair of bytes writes
// at most 255 pixels, so the work stays in proportion to the file.
bool DecodeRuns(const uint8_t* d, size_t n, const Layout& l, const std::vector<uint32_t>& palette, Image* out,
                std::string* why) {
    const bool four = l.compression == kRle4;
    std::fill(out->argb.begin(), out->argb.end(), palette[0]);
    size_t at = l.pixelsAt;
    unsigned x = 0, y = 0;  // y counts rows from the bottom
    auto put = [&](unsigned index) {
        if (index >= palette.size()) return Refuse(why, BadIndex(index, palette.size()));
        if (x < l.width && y < l.height) out->argb[size_t(l.height - 1 - y) * l.width + x] = palette[index];
        ++x;
        return true;
    };
    while (true) {
        if (n - at < 2) return Refuse(why, "BMP run-length data ends before its end marker");
        const uint8_t count = d[at], value = d[at + 1];
        at += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count; ++k)
                if (!put(four ? (k % 2 ? value & 15u : value >> 4u) : value)) return false;
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // move right and up
            if (n - at < 2) return Refuse(why, "BMP run-length data ends before its end marker");
            x += d[at];
            y += d[at + 1];
            at += 2;
        } else {  // a literal stretch, padded to a whole 16-bit word
            const size_t bytes = four ? (value + 1u) / 2 : value;
            if (n - at < bytes) return Refuse(why, "BMP run-length data ends before its end marker");
            for (unsigned k = 0; k < value; ++k) {
                const uint8_t byte = d[at + (four ? k / 2 : k)];
                if (!put(four ? (k % 2 ? byte & 15u : byte >> 4u) : byte)) return false;
            }
            at += bytes + (bytes & 1);
            if (at > n) at = n;
        }
        if (y > l.height) y = l.height;  // keeps the counters from wrapping on long files
        if (x > l.width) x = l.width;
    }
}

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Image* out, std::string* why) {
    *out = Image{};
    Layout l;
    if (!ReadHeaders(data, size, &l, why)) return false;
    Field fields[4];
    if (l.masked && !CheckMasks(l, fields, why)) return false;

    std::vector<uint32_t> palette;
    try {
        for (size_t k = 0; k < l.paletteEntries; ++k) {
            const uint8_t* e = data + l.paletteAt + k * l.entryBytes;
            palette.push_back(0xFF000000u | uint32_t(e[2]) << 16 | uint32_t(e[1]) << 8 | e[0]);
            out->palette.push_back(PALETTEENTRY{e[2], e[1], e[0], 0xFF});
        }
        out->argb.resize(size_t(l.width) * l.height);
    } catch (const std::bad_alloc&) {
        *out = Image{};
        return Refuse(why, "no memory for a " + std::to_string(l.width) + " x " + std::to_string(l.height) + " image");
    }

    const bool runs = l.compression == kRle8 || l.compression == kRle4;
    if (!(runs ? DecodeRuns(data, size, l, palette, out, why) : DecodeRows(data, l, fields, palette, out, why))) {
        *out = Image{};
        return false;
    }
    out->kind = ImageKind::Bmp;
    out->width = l.width;
    out->height = l.height;
    out->format = l.bits <= 8 ? kFormatP8 : l.bits == 24 ? D3DFMT_R8G8B8 : FormatOf(l);
    out->hasAlpha = l.masked && l.masks[3] != 0;
    return true;
}

}  // namespace nol::d3dx8
