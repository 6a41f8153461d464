// Keyboard and mouse fly-through. Speeds are tuned for 30 frames per second and
// scaled by 30 / fps, so the camera covers the same ground at any frame rate.
#include "input/input.h"
#include "scene/camera.h"
#include "shell/frame_timer.h"
#include "shell/window.h"

namespace {

bool Down(int key) { return GetKey(key) >= KEY_PUSHED; }

// W and S move along the view, D and A sideways; a later key overrides an earlier
// one on the same axis, and a diagonal keeps the speed of a straight move.
void MoveByKeys(float speed) {
    D3DXVECTOR3 m(0.0f, 0.0f, 0.0f);
    if (Down(DIK_W)) m.z = speed;
    if (Down(DIK_S)) m.z = -speed;
    if (Down(DIK_D)) m.x = speed;
    if (Down(DIK_A)) m.x = -speed;
    if (m.z != 0.0f && m.x != 0.0f) {
        m.z /= 1.4142135f;
        m.x /= 1.4142135f;
    }
    // Below one frame a second the scale would run away: stand still instead.
    if (fps >= 1.0f) MoveCamera(m * (30.0f / fps));
}

// Fixed by the first call to ControlCameraByMouse and kept from then on, even if
// the window changes size.
struct MouseLook {
    bool started = false;
    POINT last{0, 0};
    float kx = 0.0f;  // pixels per radian of turn: the window's width spans pi/3
    float ky = 0.0f;  // pixels per radian of pitch: its height spans pi/2
};
MouseLook mouseLook;

}  // namespace

void ControlCameraByKeys(float speed) {
    // fps is measured over whole frames and never reaches 0; the guard only keeps a
    // broken value from filling the view with infinities.
    if (fps > 0.0f) {
        float turn = speed / 10.0f * 30.0f / fps;
        if (Down(DIK_UP)) PitchCamera(-turn);
        if (Down(DIK_DOWN)) PitchCamera(turn);
        if (Down(DIK_LEFT)) YawCamera(-turn);
        if (Down(DIK_RIGHT)) YawCamera(turn);
    }
    MoveByKeys(speed);
}

void ControlCameraByMouse(float speed) {
    const int width = clientWidth, height = clientHeight;
    MouseLook& m = mouseLook;
    if (!m.started) {
        m.started = true;
        m.last = POINT{width / 2, height / 2};
        m.kx = width / 1.0471976f;
        m.ky = height / 1.5707964f;
    }
    POINT cursor = GetMousePos();
    // A window of no size at the first call leaves kx or ky at 0: no turning then.
    if (m.kx > 0.0f) TurnCamera((float)(m.last.x - cursor.x) / m.kx);
    if (m.ky > 0.0f) PitchCamera((float)(cursor.y - m.last.y) / m.ky);
    // Only the horizontal position is brought back to the middle; pitch is free.
    if (cursor.x < width * 0.25f || cursor.x > width * 0.75f) {
        cursor.x = width / 2;
        SetMousePos(width / 2, cursor.y);
    }
    m.last = cursor;
    MoveByKeys(speed);
}
