// The one camera: its view matrix in GraphicsState, moved and turned in its own
// frame, flown with the keyboard or the mouse, and the projections between world
// points and screen pixels.
#pragma once

#include "d3dx8/d3dx8math.h"

// The view looks from eye toward at, with up as the upward hint.
void SetCameraLookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up);
// Looks from where the camera is toward target, world y up.
void TurnCameraTo(const D3DXVECTOR3& target);
// Moves the camera to p, keeping its orientation.
void SetCameraPosition(const D3DXVECTOR3& p);

// Position and axes, read back from the view matrix.
D3DXVECTOR3 GetCameraPosition();
D3DXVECTOR3 GetCameraRight();
D3DXVECTOR3 GetCameraUp();
D3DXVECTOR3 GetCameraDirection();

// Turns about the camera's own axes: pitch about its right axis (positive tilts the
// view down), yaw about its up axis (positive turns right), roll about its
// viewing direction.
void PitchCamera(float angle);
void YawCamera(float angle);
void RollCamera(float angle);
// Turns about the world's up axis; positive turns the view left.
void TurnCamera(float angle);
// Moves by v.x to the camera's right, v.y up and v.z forward.
void MoveCamera(const D3DXVECTOR3& v);

// A world point in pixels (x, y) of the camera as the current frame began; z is 0
// for a point in front of or level with the camera and -1 for one behind it.
D3DXVECTOR3 WorldToScreen(const D3DXVECTOR3& p);
// A pixel (x, y) at projection depth z (0 near .. 1 far) back in the world.
D3DXVECTOR3 ScreenToWorld(const D3DXVECTOR3& p);

// Fly-through controls, once per frame. speed is world units per frame at 30
// frames per second; both scale with the measured frame rate.
// Arrow keys turn (speed / 10 radians per frame), W S A D move.
void ControlCameraByKeys(float speed);
// The mouse turns the view, W S A D move; the cursor is kept within the middle
// half of the window's width.
void ControlCameraByMouse(float speed);
