// A bright light seen through a lens: the light's own texture (set on stage 0 by
// the caller) as a camera-facing square at position, and, when the camera looks
// nearly at it, a row of coloured discs toward the viewer and an optional flash
// over the screen. Leaves source-alpha blending, the last billboard world
// transform and no texture on stage 0 behind.
#pragma once

#include "d3dx8/d3dx8math.h"

void DrawLensFlare(D3DXVECTOR3 position, float size, int flash);
