// One-call debug overlays: the frame rate, the camera, the keys, the mouse and the
// first joystick, drawn as text at a pixel position of the back buffer. Call them
// between BeginText and EndText, after the frame's input read; they keep no state.
#pragma once

void DrawFps(int x, int y);
void DrawCameraInfo(int x, int y);
void DrawKeyInfo(int x, int y);
void DrawMouseInfo(int x, int y);
void DrawJoystickInfo(int x, int y);
