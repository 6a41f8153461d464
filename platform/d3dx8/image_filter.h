// Resizing 0xAARRGGBB pixel blocks with the D3DX filters, for texture levels
// made from images and for the levels of a mipmap chain.
#pragma once

#include <cstdint>
#include <vector>

#include "win32/windows.h"

namespace nol::d3dx8 {

struct Pixels {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint32_t> argb;  // row 0 on top
};

// A filter value the loaders accept: one of NONE .. BOX, plus MIRROR and DITHER
// flags.
bool IsValidFilter(DWORD filter);

// src resized to width x height with filter (a valid one).
Pixels Resample(const Pixels& src, unsigned width, unsigned height, DWORD filter);

}  // namespace nol::d3dx8
