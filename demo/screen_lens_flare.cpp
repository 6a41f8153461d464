// Screen 5: a sun low over the water and its lens flare. The mouse turns the
// camera (W S A D move it); left alone for a few seconds, the camera sweeps
// slowly to and fro across the sun. F switches the screen flash.
#include <cmath>

#include "d3dx8/d3dx8math.h"
#include "demo/screen.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "render/texture.h"
#include "scene/camera.h"
#include "scene/lens_flare.h"
#include "scene/shapes.h"

namespace {

const D3DXVECTOR3 kSun(0.0f, 12.0f, 60.0f);
constexpr float kSunSize = 14.0f;
constexpr int kIdleFrames = 90;
constexpr float kSweep = 0.008f;   // radians a frame at the fastest
constexpr float kSweepRate = 0.02f;

struct FlareScene {
    Texture sun;
    Texture water;
    int flash = 1;
    int idle = 0;
    int sweep = 0;
    POINT lastCursor{-1, -1};
};
FlareScene* scene = nullptr;

float SunCosine() {
    D3DXVECTOR3 toSun = kSun - GetCameraPosition(), view = GetCameraDirection();
    D3DXVec3Normalize(&toSun, &toSun);
    D3DXVec3Normalize(&view, &view);
    return D3DXVec3Dot(&toSun, &view);
}

void Enter() {
    scene = new FlareScene;
    scene->sun.Load("data/demo_sun.bmp", 0, 1);
    scene->water.Load("data/demo_water.bmp", 0, 1);
    // The first mouse turn measures from the middle of the window: take it now,
    // then aim a little to the left of the sun.
    ControlCameraByMouse(0.0f);
    SetCameraLookAt(D3DXVECTOR3(0, 2, -20), kSun + D3DXVECTOR3(-6, -3, 0), D3DXVECTOR3(0, 1, 0));
    scene->lastCursor = GetMousePos();
}

void Leave() {
    delete scene;
    scene = nullptr;
}

void Turn() {
    const POINT cursor = GetMousePos();
    if (cursor.x != scene->lastCursor.x || cursor.y != scene->lastCursor.y) scene->idle = 0;
    ControlCameraByMouse(0.2f);
    scene->lastCursor = GetMousePos();
    if (++scene->idle > kIdleFrames) TurnCamera(kSweep * std::cos(kSweepRate * scene->sweep++));
}

void Frame() {
    Turn();
    if (GetKey(DIK_F) == KEY_PUSHED) scene->flash = !scene->flash;

    // The water: one large quad, textured many times over.
    SetLighting(FALSE);
    SetAlphaBlend(FALSE, D3DBLEND_ONE, D3DBLEND_ZERO);
    SetTextureFilter(0, D3DTEXF_LINEAR);
    const RectTexWindow whole = GraphicsState.rectTexWindow;
    GraphicsState.rectTexWindow = RectTexWindow{0, 12, 0, 12};
    D3DXMATRIX ground;
    D3DXMatrixIdentity(&ground);
    SetWorldMatrix(ground);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, scene->water.GetTexture());
    DrawTexturedRectXZ(0, -1.0f, 40.0f, 240.0f, 200.0f, 0xFF6080A0);
    GraphicsState.rectTexWindow = whole;

    // The flare draws over everything, the sun's texture on stage 0.
    SetZEnable(FALSE);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, scene->sun.GetTexture());
    DrawLensFlare(kSun, kSunSize, scene->flash);
    SetZEnable(TRUE);
    SetTextureFilter(0, D3DTEXF_POINT);

    BeginText();
    DrawTextFormat(8, 8, "mouse turns the view; F: flash %s; cos to the sun %.3f", scene->flash ? "on" : "off",
                   SunCosine());
    EndText();
}

}  // namespace

const DemoScreen kLensFlareScreen = {"Lens flare: the mouse turns the view across the sun", Enter, Frame, Leave,
                                     nullptr};
