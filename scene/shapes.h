// Immediate-mode shapes: each call fills a fresh vertex buffer, draws it with the
// device's current state and releases it.
#pragma once

#include "d3d8/d3d8.h"

// A screen rectangle from (x1, y1) to (x2, y2) in pixels, textured with the
// texture window of GraphicsState (rectTexWindow).
void DrawTexturedRect2D(int x1, int y1, int x2, int y2, D3DCOLOR colour);
