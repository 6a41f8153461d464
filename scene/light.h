// The one directional light (slot 0), and the planar shadow it casts.
#pragma once

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8math.h"

extern D3DLIGHT8 light;
extern D3DMATERIAL8 shadowMaterial;

void SetDirectionalLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& colour);
void EnableLight(BOOL flag);
D3DXMATRIX* GetShadowMatrix(D3DXMATRIX* out, const D3DXVECTOR3& point, const D3DXVECTOR3& normal);
void SetShadowColor(float r, float g, float b, float a);
