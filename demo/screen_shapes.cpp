// Screen 1: every immediate-mode shape. The 2D ones on the left in pixels; the 3D
// ones on the right, each rocking about its vertical axis so that its filled
// faces turn but never show their backs (culling stays on).
#include <cmath>

#include "d3dx8/d3dx8math.h"
#include "demo/screen.h"
#include "render/direct3d.h"
#include "render/texture.h"
#include "scene/camera.h"
#include "scene/shapes.h"

namespace {

struct ShapesScene {
    Texture water;
    Texture sun;
    int frame = 0;
};
ShapesScene* scene = nullptr;

void Enter() {
    scene = new ShapesScene;
    scene->water.Load("data/demo_water.bmp", 0, 1);
    scene->sun.Load("data/demo_sun.bmp", 0, 1);
    SetCameraLookAt(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
}

void Leave() {
    delete scene;
    scene = nullptr;
}

void SetStage0(IDirect3DTexture8* texture) {
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, texture);
}

void DrawShapes2D() {
    SetStage0(nullptr);
    // Lines fanning out, each fading from one colour to another.
    for (int i = 0; i < 8; ++i)
        DrawLine2D(30, 40 + i * 6, 150, 30 + i * 14, 0xFFFF4040, i % 2 ? 0xFF40A0FF : 0);
    DrawTriangle2D(210, 80, 40, 0xFFFFFF00);
    FillTriangle2D(280, 80, 40, 0xFF30D060);
    DrawRect2D(30, 150, 140, 230, 0xFF00FFFF);
    FillRect2D(160, 150, 290, 230, 0xFFB040FF);
    SetStage0(scene->water.GetTexture());
    DrawTexturedRect2D(30, 250, 290, 430, 0xFFFFFFFF);
    SetStage0(nullptr);
}

// The world transform of one 3D shape: rocking by up to 60 degrees, at (x, y).
void Place(float x, float y, float phase) {
    D3DXMATRIX turn, at;
    D3DXMatrixRotationY(&turn, 1.05f * std::sin(scene->frame * 0.03f + phase));
    D3DXMatrixTranslation(&at, x, y, 0);
    SetWorldMatrix(turn * at);
}

void DrawShapes3D() {
    Place(1.2f, 2.6f, 0.0f);
    DrawLine3D(-0.7f, -0.5f, 0, 0.7f, 0.5f, 0, 0xFFFFFFFF, 0xFFFF0000);
    Place(2.8f, 2.6f, 0.4f);
    DrawRect3D(0, 0, 0, 1.2f, 0.9f, 0xFF00FF80);
    Place(4.4f, 2.6f, 0.8f);
    FillRect3D(0, 0, 0, 1.2f, 0.9f, 0xFFFF8000);

    Place(1.2f, 0.8f, 1.2f);
    DrawCircle3D(0, 0, 0, 0.6f, 0xFFFFFF80);
    Place(2.8f, 0.8f, 1.6f);
    FillCircle3D(0, 0, 0, 0.6f, 0xFFFFFFFF, 0xFF2040FF);
    Place(4.4f, 0.8f, 2.0f);
    FillHexagon3D(0, 0, 0, 0.6f, 0xFFFFE000, 0xFFFF2000);

    SetStage0(scene->water.GetTexture());
    Place(1.2f, -1.0f, 2.4f);
    DrawTexturedRect3D(0, 0, 0, 1.2f, 1.2f, 0xFFFFFFFF);
    // Stage 1 adds the sun over the water, with the whole of its texture.
    if (GraphicsState.device) GraphicsState.device->SetTexture(1, scene->sun.GetTexture());
    SetColorStage(1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
    Place(2.8f, -1.0f, 2.8f);
    DrawDualTexturedRect3D(0, 0, 0, 1.2f, 1.2f, 0xFFFFFFFF);
    SetColorStage(1, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT);
    if (GraphicsState.device) GraphicsState.device->SetTexture(1, nullptr);

    // A floor tile seen from above the camera's eye line.
    D3DXMATRIX tilt, at;
    D3DXMatrixRotationX(&tilt, -0.5f);
    D3DXMatrixTranslation(&at, 4.4f, -1.4f, 0);
    SetWorldMatrix(tilt * at);
    DrawTexturedRectXZ(0, 0, 0, 1.2f, 1.2f, 0xFFFFFFFF);
    SetStage0(nullptr);

    // A box turning the whole way round: its edges have no back to cull.
    D3DXMATRIX spin, tip, where;
    D3DXMatrixRotationY(&spin, scene->frame * 0.02f);
    D3DXMatrixRotationX(&tip, 0.4f);
    D3DXMatrixTranslation(&where, 2.8f, -3.0f, 0);
    SetWorldMatrix(spin * tip * where);
    D3DXVECTOR3 corners[8];
    for (int k = 0; k < 8; ++k)
        corners[k] = D3DXVECTOR3(k & 4 ? -0.6f : 0.6f, k & 2 ? -0.4f : 0.4f, k & 1 ? -0.5f : 0.5f);
    DrawBox3D(corners, 0xFF80FF80);
}

void Frame() {
    ++scene->frame;
    SetLighting(FALSE);
    SetZEnable(FALSE);
    SetAlphaBlend(FALSE, D3DBLEND_ONE, D3DBLEND_ZERO);
    SetColorStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    DrawShapes2D();
    DrawShapes3D();
    SetZEnable(TRUE);
}

}  // namespace

const DemoScreen kShapesScreen = {"Shapes in 2D (left) and 3D (right)",
                                  Enter, Frame, Leave, nullptr};
