// Direct3D set-up and release, and the render-state helpers every drawing part
// uses.
#pragma once

#include "render/graphics_state.h"

int InitDirect3D();
void FreeDirect3D();

int InitDevice(int width, int height);
void SelectAdapter();
int SelectDisplayMode();
D3DFORMAT SelectDepthStencilFormat(D3DFORMAT adapterFormat);
void ReportDeviceCaps();
void InitTransforms();
void InitRenderStates();
const char* FormatName(D3DFORMAT format);

void SetWorldMatrix(const D3DXMATRIX& m);
void SetBillboardWorld(float x, float y, float z);
void SetLighting(BOOL on);
void SetAmbient(D3DCOLOR colour);
void SetSpecular(BOOL on);
void SetShadeMode(DWORD mode);
void SetCulling(BOOL on);
void SetZEnable(BOOL on);
void SetZWrite(BOOL on);
void SetVertexFog(BOOL on, D3DCOLOR colour, float start, float end);
void SetTableFog(BOOL on, D3DCOLOR colour, float start, float end);
void SetAlphaBlend(BOOL on, DWORD src, DWORD dest);
void SetColorStage(DWORD stage, DWORD op, DWORD arg1, DWORD arg2);
void SetAlphaStage(DWORD stage, DWORD op, DWORD arg1, DWORD arg2);
void SetTextureFilter(DWORD stage, DWORD filter);
void SetDefaultMaterial();
