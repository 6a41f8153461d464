// Immediate-mode shapes: each call fills a fresh vertex buffer, draws it with the
// device's current state (world transform, stage-0 texture, render states) and
// releases it. The 2D shapes take screen pixels; the 3D shapes lie in the plane
// z = const (y = const for DrawTexturedRectXZ) of the current world transform.
// Filled shapes are listed clockwise, so that the default culling keeps them.
// A second colour of 0 stands for the first.
#pragma once

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8math.h"

void DrawLine2D(int x1, int y1, int x2, int y2, D3DCOLOR colour1, D3DCOLOR colour2);
void DrawTriangle2D(int cx, int cy, int r, D3DCOLOR colour);
void FillTriangle2D(int cx, int cy, int r, D3DCOLOR colour);
void DrawRect2D(int x1, int y1, int x2, int y2, D3DCOLOR colour);
void FillRect2D(int x1, int y1, int x2, int y2, D3DCOLOR colour);
// A screen rectangle from (x1, y1) to (x2, y2) in pixels, textured with the
// texture window of GraphicsState (rectTexWindow).
void DrawTexturedRect2D(int x1, int y1, int x2, int y2, D3DCOLOR colour);

void DrawLine3D(float x1, float y1, float z1, float x2, float y2, float z2, D3DCOLOR colour1,
                D3DCOLOR colour2);
// Rectangles by centre, width and height at depth z.
void DrawRect3D(float cx, float cy, float z, float width, float height, D3DCOLOR colour);
void FillRect3D(float cx, float cy, float z, float width, float height, D3DCOLOR colour);
void DrawTexturedRect3D(float cx, float cy, float z, float width, float height, D3DCOLOR colour);
// A horizontal quad at height y, by centre, width (x) and depth (z).
void DrawTexturedRectXZ(float cx, float y, float cz, float width, float depth, D3DCOLOR colour);
// As DrawTexturedRect3D, with a second set of coordinates covering the whole of
// the second texture.
void DrawDualTexturedRect3D(float cx, float cy, float z, float width, float height, D3DCOLOR colour);
void FillHexagon3D(float cx, float cy, float z, float r, D3DCOLOR centreColour, D3DCOLOR rimColour);
void DrawCircle3D(float cx, float cy, float z, float r, D3DCOLOR colour);
void FillCircle3D(float cx, float cy, float z, float r, D3DCOLOR centreColour, D3DCOLOR rimColour);
// The twelve edges of a box whose corners are in CNode's box order.
void DrawBox3D(const D3DXVECTOR3 corners[8], D3DCOLOR colour);
