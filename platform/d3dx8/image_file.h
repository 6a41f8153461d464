// Image files read by the texture loaders: any kind they read, decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "d3dx8/image.h"

namespace nol::d3dx8 {

// False for data that is not a complete image of a kind the loaders read; with
// why given, a false result says there what is wrong, in a few English words.
bool DecodeImage(const uint8_t* data, size_t size, Image* out, std::string* why = nullptr);

}  // namespace nol::d3dx8
