// A decoded image as the texture loaders take it: its pixels as 0xAARRGGBB, row 0
// on top, with the Direct3D format nearest to the file's data.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d8/d3d8.h"
#include "win32/windows.h"

namespace nol::d3dx8 {

// File data formats that Direct3D 8 names and this layer's format list leaves
// out (it holds only the formats its device can store).
constexpr D3DFORMAT kFormatP8 = static_cast<D3DFORMAT>(41);
constexpr D3DFORMAT kFormatL8 = static_cast<D3DFORMAT>(50);
constexpr D3DFORMAT kFormatA8L8 = static_cast<D3DFORMAT>(51);

// Larger images are refused rather than decoded into gigabytes.
constexpr unsigned kMaxImageSide = 16384;

enum class ImageKind { Bmp, Png, Jpg, Tga, Ppm };

struct Image {
    ImageKind kind = ImageKind::Bmp;
    unsigned width = 0;
    unsigned height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;  // nearest to the file's data
    bool hasAlpha = false;              // false: every pixel's alpha is 0xFF
    std::vector<uint32_t> argb;         // width x height, row 0 on top
    std::vector<PALETTEENTRY> palette;  // the file's palette, palettised images only
};

// A channel of the given width to eight bits: wider ones keep their high bits,
// narrower ones repeat theirs (5 bits abcde become abcdeabc), as the device's own
// format conversion does.
uint32_t WidenChannel(uint32_t value, unsigned bits);

}  // namespace nol::d3dx8
