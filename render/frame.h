// The frame bracket: open, clear and set up a frame; close and present it,
// resetting the device when presenting fails.
#pragma once

#include "d3d8/d3d8.h"

int BeginFrame(D3DCOLOR colour);
HRESULT EndFrame();
