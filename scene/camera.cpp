// The camera is nothing but GraphicsState.viewMatrix, which it reads there and
// changes through the view operations of the rendering layer. Multiplying the view
// on the right by a change changes the camera in its own frame (the inverse of the
// new view is the inverse change followed by the old camera matrix), hence the
// negated angles and the negated translation below.
#include "scene/camera.h"

#include "render/graphics_state.h"
#include "render/view.h"

namespace {

const D3DXMATRIX& View() { return GraphicsState.viewMatrix; }

}  // namespace

void SetCameraLookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up) {
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    SetViewMatrix(view);
}

void TurnCameraTo(const D3DXVECTOR3& target) {
    D3DXVECTOR3 eye = GetCameraPosition();
    D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    SetViewMatrix(view);
}

void SetCameraPosition(const D3DXVECTOR3& p) {
    D3DXVECTOR3 right = GetCameraRight(), up = GetCameraUp(), direction = GetCameraDirection();
    D3DXMATRIX view = View();
    view._41 = -D3DXVec3Dot(&right, &p);
    view._42 = -D3DXVec3Dot(&up, &p);
    view._43 = -D3DXVec3Dot(&direction, &p);
    SetViewMatrix(view);
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
    D3DXMATRIX rotation;
    D3DXMatrixRotationX(&rotation, -angle);
    RotateView(rotation);
}

void YawCamera(float angle) {
    D3DXMATRIX rotation;
    D3DXMatrixRotationY(&rotation, -angle);
    RotateView(rotation);
}

void RollCamera(float angle) {
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, -angle);
    RotateView(rotation);
}

// Row 2 of the view is the world's y axis seen from the camera.
void TurnCamera(float angle) {
    D3DXVECTOR3 worldUp(View()._21, View()._22, View()._23);
    D3DXMATRIX rotation;
    D3DXMatrixRotationAxis(&rotation, &worldUp, angle);
    RotateView(rotation);
}

void MoveCamera(const D3DXVECTOR3& v) {
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, -v.x, -v.y, -v.z);
    TranslateView(translation);
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
