// Reading back one pixel of whatever the device is drawing into.
#pragma once

#include "d3d8/d3d8.h"

// The pixel at (x, y) of the current render target as an opaque 0xFFRRGGBB; 0 off
// the screen, when it cannot be read, or in a format it does not know.
D3DCOLOR ReadScreenPixel(int x, int y);

// One pixel in a surface format to 0xFFRRGGBB (0 for formats not handled).
D3DCOLOR ScreenPixelColour(D3DFORMAT format, const BYTE* pixel);
