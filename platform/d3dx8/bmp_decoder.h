// Windows and OS/2 bitmaps decoded here rather than by SDL_image: palettised
// (1, 2, 4, 8 bits, run-length encoded or not), 16, 24 and 32 bits, and bit-field
// masks of any layout. What it cannot honour it refuses, with the reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "d3dx8/image.h"

namespace nol::d3dx8 {

// False, with *why saying what is wrong, for a file that is not a whole bitmap
// this decoder reads. The claimed size is checked against the bytes present
// before anything is allocated for the pixels.
bool DecodeBmp(const uint8_t* data, size_t size, Image* out, std::string* why);

}  // namespace nol::d3dx8
