// Pixel formats of surfaces and textures: sizes, and conversion between the
// Direct3D memory layout and packed 0xAARRGGBB colours (the layout OpenGL reads
// and writes as GL_BGRA / GL_UNSIGNED_INT_8_8_8_8_REV).
#pragma once

#include <cstdint>

#include "d3d8/d3d8.h"

namespace nol::d3d8 {

// A colour format this layer stores, samples and renders to.
struct ColorFormatInfo {
    D3DFORMAT format;
    UINT bytesPerPixel;
    bool hasAlpha;  // false: alpha reads as 1
};

// Null for formats that are not colour formats of this layer.
const ColorFormatInfo* FindColorFormat(D3DFORMAT format);

// Depth-stencil formats this layer can make (D32 only where the GL offers it).
bool IsDepthFormat(D3DFORMAT format);
bool DepthFormatHasStencil(D3DFORMAT format);
// The GL internal format of a depth format, 0 for none.
unsigned GlDepthFormat(D3DFORMAT format);

// The formats a display (and so a back buffer) can have.
bool IsDisplayFormat(D3DFORMAT format);

// Bytes per row of a surface: whole pixels, rounded up to four bytes.
UINT SurfacePitch(const ColorFormatInfo& format, UINT width);

// Levels of a full mipmap chain, down to 1 x 1.
UINT FullChainLength(UINT width, UINT height);

// One pixel in the format's layout to 0xAARRGGBB and back. Channels narrower than
// eight bits widen by bit replication and narrow by rounding.
uint32_t ReadPixel(const ColorFormatInfo& format, const uint8_t* pixel);
void WritePixel(const ColorFormatInfo& format, uint8_t* pixel, uint32_t argb);

// Whole rows, count pixels each.
void RowToArgb(const ColorFormatInfo& format, const uint8_t* src, uint32_t* dst, UINT count);
void RowFromArgb(const ColorFormatInfo& format, const uint32_t* src, uint8_t* dst, UINT count);

}  // namespace nol::d3d8
