// The debug overlays over a small scene: the frame rate, the camera (the arrow keys
// turn it, W S A D move it), the keys, the mouse and the first joystick, all live.
#include <cmath>

#include "d3dx8/d3dx8math.h"
#include "demo/screen.h"
#include "input/input.h"
#include "input/overlays.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "scene/camera.h"
#include "scene/shapes.h"

namespace {

int joystickWas = 0;
int frame = 0;

void Enter() {
    // The joystick overlay shows the controller only while it is polled.
    joystickWas = InputState.joystickEnabled;
    EnableJoystick(1);
    SetCameraLookAt(D3DXVECTOR3(0, 3, -12), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
}

void Leave() { EnableJoystick(joystickWas); }

// Something to look at while the camera moves: a ring of turning hexagons on a
// floor of lines.
void DrawScene() {
    SetLighting(FALSE);
    D3DXMATRIX identity;
    SetWorldMatrix(*D3DXMatrixIdentity(&identity));
    for (int i = -5; i <= 5; ++i) {
        DrawLine3D(i * 2.0f, -1, -10, i * 2.0f, -1, 10, 0xFF406040, 0);
        DrawLine3D(-10, -1, i * 2.0f, 10, -1, i * 2.0f, 0xFF406040, 0);
    }
    // The hexagons turn right round: both their sides are drawn.
    if (GraphicsState.device) GraphicsState.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    for (int i = 0; i < 8; ++i) {
        const float a = i * 0.7853982f;
        D3DXMATRIX turn, at;
        D3DXMatrixRotationY(&turn, a + frame * 0.02f);
        D3DXMatrixTranslation(&at, 6 * std::cos(a), 0.5f, 6 * std::sin(a));
        SetWorldMatrix(turn * at);
        FillHexagon3D(0, 0, 0, 0.8f, 0xFFFFC040, 0xFF4060FF);
    }
    if (GraphicsState.device) GraphicsState.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void Frame() {
    ++frame;
    ControlCameraByKeys(1.0f);
    DrawScene();
    BeginText();
    DrawFps(8, 8);
    DrawCameraInfo(8, 28);
    DrawKeyInfo(8, 48);
    DrawMouseInfo(8, 68);
    DrawJoystickInfo(8, 88);
    EndText();
}

}  // namespace

const DemoScreen kOverlaysScreen = {"debug overlays: arrows turn, W S A D move, the mouse and a pad show", Enter,
                                    Frame, Leave, nullptr};
