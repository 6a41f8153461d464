// The camera is nothing but GraphicsState.viewMatrix. Multiplying the view on the
// right by a change changes the camera in its own frame (the inverse of the new
// view is the inverse change followed by the old camera matrix), hence the
// negated angles and the negated translation below. The change matrices are built
// in GraphicsState.cameraWork: rotations in the first, translations in the second.
#include "scene/camera.h"

#include "render/graphics_state.h"

namespace {

D3DXMATRIX& View() { return GraphicsState.viewMatrix; }

void ApplyRotation() { D3DXMatrixMultiply(&View(), &View(), &GraphicsState.cameraWork[0]); }

}  // namespace

void SetCameraLookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up) {
    D3DXMatrixLookAtLH(&View(), &eye, &at, &up);
}

void TurnCameraTo(const D3DXVECTOR3& target) {
    D3DXVECTOR3 eye = GetCameraPosition();
    D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&View(), &eye, &target, &up);
}

void SetCameraPosition(const D3DXVECTOR3& p) {
    D3DXVECTOR3 right = GetCameraRight(), up = GetCameraUp(), direction = GetCameraDirection();
    View()._41 = -D3DXVec3Dot(&right, &p);
    View()._42 = -D3DXVec3Dot(&up, &p);
    View()._43 = -D3DXVec3Dot(&direction, &p);
}

D3DXVECTOR3 GetCameraPosition() {
    const D3DXMATRIX& v = View();
    D3DXVECTOR3 right = GetCameraRight(), up = GetCameraUp(), direction = GetCameraDirection();
    return -(right * v._41 + up * v._42 + direction * v._43);
}

D3DXVECTOR3 GetCameraRight() { return D3DXVECTOR3(View()._11, View()._21, View()._31); }
D3DXVECTOR3 GetCameraUp() { return D3DXVECTOR3(View()._12, View()._22, View()._32); }
D3DXVECTOR3 GetCameraDirection() { return D3DXVECTOR3(View()._13, View()._23, View()._33); }

void PitchCamera(float angle) {
    D3DXMatrixRotationX(&GraphicsState.cameraWork[0], -angle);
    ApplyRotation();
}

void YawCamera(float angle) {
    D3DXMatrixRotationY(&GraphicsState.cameraWork[0], -angle);
    ApplyRotation();
}

void RollCamera(float angle) {
    D3DXMatrixRotationZ(&GraphicsState.cameraWork[0], -angle);
    ApplyRotation();
}

// Row 2 of the view is the world's y axis seen from the camera.
void TurnCamera(float angle) {
    D3DXVECTOR3 worldUp(View()._21, View()._22, View()._23);
    D3DXMatrixRotationAxis(&GraphicsState.cameraWork[0], &worldUp, angle);
    ApplyRotation();
}

void MoveCamera(const D3DXVECTOR3& v) {
    D3DXMatrixTranslation(&GraphicsState.cameraWork[1], -v.x, -v.y, -v.z);
    D3DXMatrixMultiply(&View(), &View(), &GraphicsState.cameraWork[1]);
}

D3DXVECTOR3 WorldToScreen(const D3DXVECTOR3& p) {
    D3DXVECTOR3 pixel;
    D3DXVec3TransformCoord(&pixel, &p, &GraphicsState.vpsMatrix);
    D3DXVECTOR3 offset = p - GetCameraPosition();
    D3DXVECTOR3 direction = GetCameraDirection();
    pixel.z = D3DXVec3Dot(&offset, &direction) >= 0.0f ? 0.0f : -1.0f;
    return pixel;
}

D3DXVECTOR3 ScreenToWorld(const D3DXVECTOR3& p) {
    D3DXVECTOR3 world;
    D3DXVec3TransformCoord(&world, &p, &GraphicsState.invVpsMatrix);
    return world;
}
