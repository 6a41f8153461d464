#include "input/overlays.h"

#include <cstdio>
#include <cstring>

#include "input/input.h"
#include "render/text.h"
#include "scene/camera.h"
#include "shell/frame_timer.h"

// Each overlay formats into a fixed buffer of its own, with a bounded call: a
// value too long for it (a frame rate of millions, a camera far out) is cut, never
// written past the end.

void DrawFps(int x, int y) {
    char text[8];
    std::snprintf(text, sizeof text, "%.1f", fps);
    DrawTextAt(x, y, text);
}

void DrawCameraInfo(int x, int y) {
    const D3DXVECTOR3 p = GetCameraPosition();
    const D3DXVECTOR3 d = GetCameraDirection();
    char text[80];
    std::snprintf(text, sizeof text, "%.1f (%.1f, %.1f, %.1f)->(%.1f,%.1f,%.1f)", fps, p.x, p.y, p.z, d.x, d.y, d.z);
    DrawTextAt(x, y, text);
}

void DrawKeyInfo(int x, int y) {
    char text[256];
    std::snprintf(text, sizeof text, "Up=%d Down=%d Left=%d Right=%d Z=%d X=%d C=%d", GetKey(DIK_UP),
                  GetKey(DIK_DOWN), GetKey(DIK_LEFT), GetKey(DIK_RIGHT), GetKey(DIK_Z), GetKey(DIK_X),
                  GetKey(DIK_C));
    DrawTextAt(x, y, text);
}

void DrawMouseInfo(int x, int y) {
    char text[256];
    std::snprintf(text, sizeof text, "X=%d Y=%d Left=%d Right=%d Middle=%d Wheel=%d", GetMouseX(), GetMouseY(),
                  GetMouseButton(0), GetMouseButton(1), GetMouseButton(2), GetMouseWheel());
    DrawTextAt(x, y, text);
}

void DrawJoystickInfo(int x, int y) {
    char text[256];
    std::snprintf(text, sizeof text, "Up=%d Down=%d Left=%d Right=%d\n", GetJoystick(0, JOY_UP),
                  GetJoystick(0, JOY_DOWN), GetJoystick(0, JOY_LEFT), GetJoystick(0, JOY_RIGHT));
    for (int i = 0; i < 8; ++i) {
        char item[8];
        std::snprintf(item, sizeof item, "B%d=%d ", i, GetJoystick(0, JOY_BUTTON0 + i));
        std::strncat(text, item, sizeof text - std::strlen(text) - 1);
    }
    std::strncat(text, "\n", sizeof text - std::strlen(text) - 1);
    DrawTextAt(x, y, text);
}
