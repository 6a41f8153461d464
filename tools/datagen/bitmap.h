// Writing generated images as Windows bitmaps, through SDL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// A 24-bit bitmap from rows of r, g, b bytes, the top row first.
bool SaveBmp24(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

// A 32-bit bitmap that keeps its alpha (bit fields with an alpha mask) from
// 0xAARRGGBB pixels, the top row first.
bool SaveBmp32(const std::string& path, int width, int height, const std::vector<uint32_t>& argb);

}  // namespace datagen
