// The camera's view in GraphicsState. viewMatrix and the camera work matrices are
// written here and nowhere else: cameras change the view through these, and the
// next BeginFrame puts it on the device and derives the other matrices from it.
#pragma once

#include "d3dx8/d3dx8math.h"

void SetViewMatrix(const D3DXMATRIX& view);
// Changes in the camera's own frame, multiplied onto the view from the right and
// kept in cameraWork: rotations in the first, translations in the second.
void RotateView(const D3DXMATRIX& rotation);
void TranslateView(const D3DXMATRIX& translation);
