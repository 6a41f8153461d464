// Small named operations over the device's states.
#include <cstring>

#include "render/direct3d.h"

namespace {

IDirect3DDevice8* Device() { return GraphicsState.device; }

// Fog distances are passed as the bit patterns of their floats.
DWORD FloatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void SetFog(BOOL on, D3DCOLOR colour, float start, float end, D3DRENDERSTATETYPE modeState) {
    Device()->SetRenderState(D3DRS_FOGENABLE, on);
    if (!on) return;
    Device()->SetRenderState(D3DRS_FOGCOLOR, colour);
    Device()->SetRenderState(modeState, D3DFOG_LINEAR);
    Device()->SetRenderState(D3DRS_FOGSTART, FloatBits(start));
    Device()->SetRenderState(D3DRS_FOGEND, FloatBits(end));
}

}  // namespace

void SetWorldMatrix(const D3DXMATRIX& m) { Device()->SetTransform(D3DTS_WORLD, &m); }

void SetBillboardWorld(float x, float y, float z) {
    D3DXMATRIX m = GraphicsState.invViewMatrix;
    m._41 = x;
    m._42 = y;
    m._43 = z;
    Device()->SetTransform(D3DTS_WORLD, &m);
}

void SetLighting(BOOL on) { Device()->SetRenderState(D3DRS_LIGHTING, on); }

void SetAmbient(D3DCOLOR colour) { Device()->SetRenderState(D3DRS_AMBIENT, colour); }

void SetSpecular(BOOL on) { Device()->SetRenderState(D3DRS_SPECULARENABLE, on); }

void SetShadeMode(DWORD mode) { Device()->SetRenderState(D3DRS_SHADEMODE, mode); }

void SetCulling(BOOL on) { Device()->SetRenderState(D3DRS_CULLMODE, on ? D3DCULL_CCW : D3DCULL_NONE); }

void SetZEnable(BOOL on) { Device()->SetRenderState(D3DRS_ZENABLE, on); }

void SetZWrite(BOOL on) { Device()->SetRenderState(D3DRS_ZWRITEENABLE, on); }

void SetVertexFog(BOOL on, D3DCOLOR colour, float start, float end) {
    SetFog(on, colour, start, end, D3DRS_FOGVERTEXMODE);
}

void SetTableFog(BOOL on, D3DCOLOR colour, float start, float end) {
    SetFog(on, colour, start, end, D3DRS_FOGTABLEMODE);
}

void SetAlphaBlend(BOOL on, DWORD src, DWORD dest) {
    Device()->SetRenderState(D3DRS_ALPHABLENDENABLE, on);
    if (!on) return;
    Device()->SetRenderState(D3DRS_SRCBLEND, src);
    Device()->SetRenderState(D3DRS_DESTBLEND, dest);
}

void SetColorStage(DWORD stage, DWORD op, DWORD arg1, DWORD arg2) {
    Device()->SetTextureStageState(stage, D3DTSS_COLOROP, op);
    Device()->SetTextureStageState(stage, D3DTSS_COLORARG1, arg1);
    Device()->SetTextureStageState(stage, D3DTSS_COLORARG2, arg2);
}

void SetAlphaStage(DWORD stage, DWORD op, DWORD arg1, DWORD arg2) {
    Device()->SetTextureStageState(stage, D3DTSS_ALPHAOP, op);
    Device()->SetTextureStageState(stage, D3DTSS_ALPHAARG1, arg1);
    Device()->SetTextureStageState(stage, D3DTSS_ALPHAARG2, arg2);
}

void SetTextureFilter(DWORD stage, DWORD filter) {
    Device()->SetTextureStageState(stage, D3DTSS_MAGFILTER, filter);
    Device()->SetTextureStageState(stage, D3DTSS_MINFILTER, filter);
    Device()->SetTextureStageState(stage, D3DTSS_MIPFILTER, filter);
}

void SetDefaultMaterial() {
    D3DMATERIAL8 m{};
    m.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    m.Ambient = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1.0f};
    Device()->SetMaterial(&m);
}
