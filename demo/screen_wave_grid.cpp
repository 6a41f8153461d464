// Screen 4: the wave grid, a textured pond seen at an angle. A click (or a held
// button) disturbs the water where the pointer is; a drop falls now and then.
#include <cstdlib>

#include "d3dx8/d3dx8math.h"
#include "demo/screen.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "render/texture.h"
#include "scene/camera.h"
#include "scene/wave_grid.h"

namespace {

constexpr float kWidth = 10.0f;
constexpr float kDepth = 7.5f;
constexpr float kTilt = 1.0f;  // radians about x: the far edge leans away
constexpr float kClick = 0.08f;
constexpr float kDrop = 0.05f;
constexpr int kDropFrames = 50;

struct WaveScene {
    Texture water;
    CWaveGrid grid;
    D3DXMATRIX world;
    int frame = 0;
    int clicks = 0;
    float lastX = -1, lastY = -1;  // grid-local point of the last click
};
WaveScene* scene = nullptr;

void Enter() {
    scene = new WaveScene;
    scene->water.Load("data/demo_water.bmp", 0, 1);
    scene->grid.Init(0, 0, 0, kWidth, kDepth, 0.002f);
    scene->grid.SetDamping(0.995f);
    D3DXMatrixRotationX(&scene->world, kTilt);
    SetCameraLookAt(D3DXVECTOR3(0, 0, -9.5f), D3DXVECTOR3(0, -0.4f, 0), D3DXVECTOR3(0, 1, 0));
}

void Leave() {
    delete scene;
    scene = nullptr;
}

// Where the ray through pixel (x, y) meets the grid's plane, in grid-local units
// from its origin corner; false when it runs parallel to the plane or away.
bool PixelOnGrid(int x, int y, float* gx, float* gy) {
    const D3DXVECTOR3 nearPoint = ScreenToWorld(D3DXVECTOR3((float)x, (float)y, 0.0f));
    const D3DXVECTOR3 farPoint = ScreenToWorld(D3DXVECTOR3((float)x, (float)y, 1.0f));
    D3DXMATRIX toGrid;
    if (!D3DXMatrixInverse(&toGrid, nullptr, &scene->world)) return false;
    D3DXVECTOR3 a, b;
    D3DXVec3TransformCoord(&a, &nearPoint, &toGrid);
    D3DXVec3TransformCoord(&b, &farPoint, &toGrid);
    const float dz = b.z - a.z;
    if (dz == 0.0f) return false;
    const float t = -a.z / dz;
    if (t < 0.0f) return false;
    *gx = a.x + (b.x - a.x) * t - scene->grid.originX;
    *gy = a.y + (b.y - a.y) * t - scene->grid.originY;
    return true;
}

void Frame() {
    ++scene->frame;
    if (GetMouseButton(0) >= KEY_PUSHED) {
        float gx, gy;
        // The grid ignores points outside itself.
        if (PixelOnGrid(GetMouseX(), GetMouseY(), &gx, &gy)) {
            scene->grid.Disturb(gx, gy, kClick);
            scene->lastX = gx;
            scene->lastY = gy;
            if (GetMouseButton(0) == KEY_PUSHED) ++scene->clicks;
        }
    }
    if (scene->frame % kDropFrames == 1)
        scene->grid.Disturb(std::rand() % 1000 * kWidth / 1000.0f, std::rand() % 1000 * kDepth / 1000.0f, kDrop);

    SetLighting(FALSE);
    SetAlphaBlend(FALSE, D3DBLEND_ONE, D3DBLEND_ZERO);
    SetTextureFilter(0, D3DTEXF_LINEAR);
    SetWorldMatrix(scene->world);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, scene->water.GetTexture());
    scene->grid.Draw();
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, nullptr);
    SetTextureFilter(0, D3DTEXF_POINT);

    BeginText();
    DrawTextFormat(8, 8, "click or drag on the water: %d clicks", scene->clicks);
    if (scene->lastX >= 0) DrawTextFormat(8, 28, "last: %.2f, %.2f on the grid", scene->lastX, scene->lastY);
    EndText();
}

}  // namespace

const DemoScreen kWaveGridScreen = {"Wave grid: click on the water to make ripples", Enter, Frame, Leave,
                                    nullptr};
