// Scene nodes: placement, world-space queries and drawing.
#include "scene/node.h"

#include <cmath>

#include "render/graphics_state.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "scene/camera.h"
#include "scene/light.h"

namespace {

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

D3DXVECTOR3 Row(const D3DXMATRIX& m, int row) { return D3DXVECTOR3(m.m[row][0], m.m[row][1], m.m[row][2]); }

void SetRow(D3DXMATRIX& m, int row, const D3DXVECTOR3& v) {
    m.m[row][0] = v.x;
    m.m[row][1] = v.y;
    m.m[row][2] = v.z;
    m.m[row][3] = 0.0f;
}

D3DXVECTOR3 Normalised(const D3DXVECTOR3& v) {
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, &v);
    return n;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    D3DXVECTOR3 c;
    D3DXVec3Cross(&c, &a, &b);
    return c;
}

// atan(a / b), with the undefined 0 / 0 read as 0 rather than producing NaN.
float AtanRatio(float a, float b) { return (a == 0.0f && b == 0.0f) ? 0.0f : std::atan(a / b); }

// The turn about y that points +z along (dx, dz); straight ahead or behind
// (dx = 0) reads as the dx < 0 side, which callers that care handle first.
float YawToward(float dx, float dz) {
    return dx > 0.0f ? D3DX_PI / 2 - AtanRatio(dz, dx) : -AtanRatio(dz, dx) - D3DX_PI / 2;
}

}  // namespace

CNode::CNode() : local(Identity()), previous(Identity()), work(Identity()) {
    for (auto& corner : box) corner = D3DXVECTOR3(0, 0, 0);
}

CNode::~CNode() = default;

bool CNode::CanDraw() const { return model && visible; }

void CNode::Setup(Mesh* m, float x, float y, float z, float s) {
    model = m;
    D3DXMatrixScaling(&local, s, s, s);
    scale = s;
    SetLocalPosition(x, y, z);
    visible = 1;
    D3DXVECTOR3 lo = m ? m->boxMin : D3DXVECTOR3(0, 0, 0);
    D3DXVECTOR3 hi = m ? m->boxMax : D3DXVECTOR3(0, 0, 0);
    for (int k = 0; k < 8; ++k)
        box[k] = D3DXVECTOR3((k & 4) ? lo.x : hi.x, (k & 2) ? lo.y : hi.y, (k & 1) ? lo.z : hi.z);
}

void CNode::Draw() {
    if (CanDraw()) model->Draw(GetWorldMatrix());
}

// Without a texture the subsets draw untextured.
void CNode::DrawTextured() {
    if (CanDraw()) model->DrawWithTexture(GetWorldMatrix(), texture ? texture->texture : nullptr);
}

void CNode::DrawAlpha() {
    if (CanDraw()) model->DrawWithAlpha(GetWorldMatrix(), alpha);
}

void CNode::DrawAlphaAdd() {
    if (CanDraw()) model->DrawWithAlphaOffset(GetWorldMatrix(), alphaOffset);
}

void CNode::DrawShadow(const D3DXMATRIX& shadow) {
    if (CanDraw()) model->DrawWithMaterial(GetWorldMatrix() * shadow, shadowMaterial);
}

// ---- placement ---------------------------------------------------------------

void CNode::PreMultiply() {
    previous = local;
    local = work * local;
}

void CNode::PostMultiply() {
    previous = local;
    local = local * work;
}

void CNode::SetLocalPosition(float x, float y, float z) {
    local._41 = x;
    local._42 = y;
    local._43 = z;
}

void CNode::SetPosition(D3DXVECTOR3 v) {
    if (parent) v /= parent->GetWorldScale();
    SetLocalPosition(v.x, v.y, v.z);
}

void CNode::SetLocalMatrix(const D3DXMATRIX& m) {
    local = m;
    scale = 1.0f;
}

void CNode::SetScale(float s) {
    float f = s / scale;
    D3DXMatrixScaling(&work, f, f, f);
    PreMultiply();
    scale = s;
}

void CNode::Scale(float f) {
    D3DXMatrixScaling(&work, f, f, f);
    PreMultiply();
    scale *= f;
}

void CNode::MoveLocal(D3DXVECTOR3 v) {
    v /= scale;
    D3DXMatrixTranslation(&work, v.x, v.y, v.z);
    PreMultiply();
}

void CNode::MoveParent(D3DXVECTOR3 v) {
    v /= scale;
    D3DXMatrixTranslation(&work, v.x, v.y, v.z);
    PostMultiply();
}

void CNode::MoveLocalWorldUnits(D3DXVECTOR3 v) {
    v /= GetWorldScale();
    D3DXMatrixTranslation(&work, v.x, v.y, v.z);
    PreMultiply();
}

void CNode::RotateX(float a) {
    D3DXMatrixRotationX(&work, a);
    PreMultiply();
}

void CNode::RotateY(float a) {
    D3DXMatrixRotationY(&work, a);
    PreMultiply();
}

void CNode::RotateZ(float a) {
    D3DXMatrixRotationZ(&work, a);
    PreMultiply();
}

void CNode::RotateParentX(float a) {
    D3DXMatrixRotationX(&work, a);
    PostMultiply();
}

void CNode::RotateParentY(float a) {
    D3DXMatrixRotationY(&work, a);
    PostMultiply();
}

void CNode::RotateParentZ(float a) {
    D3DXMatrixRotationZ(&work, a);
    PostMultiply();
}

void CNode::RotateAxis(const D3DXVECTOR3& axis, float a) {
    D3DXMatrixRotationAxis(&work, &axis, a);
    PreMultiply();
}

void CNode::ReapplyScale() {
    float s = scale;
    scale = 1.0f;
    SetScale(s);
}

void CNode::LookAt(const D3DXVECTOR3& target) {
    D3DXVECTOR3 forward = Normalised(target - GetWorldPosition());
    D3DXVECTOR3 right = Normalised(Cross(D3DXVECTOR3(0, 1, 0), forward));
    D3DXVECTOR3 up = Normalised(Cross(forward, right));
    SetRow(local, 0, right);
    SetRow(local, 1, up);
    SetRow(local, 2, forward);
    local._44 = 1.0f;
    ReapplyScale();
}

void CNode::SetDirection(D3DXVECTOR3 forward, const D3DXVECTOR3& up) {
    forward = Normalised(forward);
    D3DXVECTOR3 right = Normalised(Cross(up, forward));
    D3DXVECTOR3 newUp = Normalised(Cross(forward, right));
    SetRow(local, 0, right);
    SetRow(local, 1, newUp);
    SetRow(local, 2, forward);
    local._44 = 1.0f;
    ReapplyScale();
}

void CNode::SetRotationKeepingPosition(const D3DXMATRIX& rotation) {
    previous = local;
    local = rotation;
    local._41 = previous._41;
    local._42 = previous._42;
    local._43 = previous._43;
    local._44 = 1.0f;
    ReapplyScale();
}

void CNode::TurnTo(const D3DXVECTOR3& target) {
    D3DXVECTOR3 d = target - GetWorldPosition();
    const bool alongZ = !(d.x > 0.0f || d.x < 0.0f);  // straight ahead or behind (or not a number)
    const float yaw = alongZ ? (d.z >= 0.0f ? 0.0f : -D3DX_PI) : YawToward(d.x, d.z);
    D3DXMATRIX rotation;
    D3DXMatrixRotationYawPitchRoll(&rotation, yaw, 0.0f, 0.0f);
    SetRotationKeepingPosition(rotation);
}

void CNode::FaceCameraY() {
    D3DXVECTOR3 d = GetCameraPosition() - GetWorldPosition();
    D3DXMATRIX rotation;
    D3DXMatrixRotationY(&rotation, YawToward(d.x, d.z));
    SetRotationKeepingPosition(rotation);
}

void CNode::FaceCameraZ() {
    D3DXVECTOR3 d = GetCameraPosition() - GetWorldPosition();
    float angle = d.x > 0.0f ? AtanRatio(d.y, d.x) - D3DX_PI / 2 : AtanRatio(d.y, d.x) + D3DX_PI / 2;
    D3DXMATRIX rotation;
    D3DXMatrixRotationZ(&rotation, angle);
    SetRotationKeepingPosition(rotation);
}

// ---- queries -------------------------------------------------------------------

D3DXVECTOR3 CNode::GetLocalPosition() const { return Row(local, 3); }
D3DXVECTOR3 CNode::GetLocalRight() const { return Row(local, 0); }
D3DXVECTOR3 CNode::GetLocalUp() const { return Row(local, 1); }
D3DXVECTOR3 CNode::GetLocalForward() const { return Row(local, 2); }

D3DXMATRIX CNode::GetWorldMatrix() const { return parent ? local * parent->GetWorldMatrix() : local; }

float CNode::GetWorldScale() const { return parent ? scale * parent->GetWorldScale() : scale; }

D3DXVECTOR3 CNode::GetWorldPosition() {
    if (!parent) return GetLocalPosition();
    work = GetWorldMatrix();
    return Row(work, 3);
}

D3DXVECTOR3 CNode::GetWorldRight() {
    if (!parent) return GetLocalRight();
    work = GetWorldMatrix();
    return Row(work, 0);
}

D3DXVECTOR3 CNode::GetWorldUp() {
    if (!parent) return GetLocalUp();
    work = GetWorldMatrix();
    return Row(work, 1);
}

D3DXVECTOR3 CNode::GetWorldForward() {
    if (!parent) return GetLocalForward();
    work = GetWorldMatrix();
    return Row(work, 2);
}

D3DXVECTOR3 CNode::GetScaledPosition() const {
    return parent ? GetLocalPosition() * parent->GetWorldScale() : GetLocalPosition();
}

void CNode::GetWorldBox(D3DXVECTOR3 corners[8]) {
    work = GetWorldMatrix();
    for (int k = 0; k < 8; ++k) D3DXVec3TransformCoord(&corners[k], &box[k], &work);
}

void CNode::GetWorldSphere(D3DXVECTOR3* centre, float* radius) {
    D3DXVECTOR3 position = GetWorldPosition();
    *centre = model ? model->sphereCentre + position : position;
    *radius = model ? model->sphereRadius * scale : 0.0f;
}

bool CNode::HitSphere(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir) {
    D3DXVECTOR3 centre;
    float radius;
    GetWorldSphere(&centre, &radius);
    return D3DXSphereBoundProbe(&centre, radius, &origin, &dir) != FALSE;
}

bool CNode::HitBox(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir) {
    if (!model) return false;
    D3DXVECTOR3 w = GetWorldPosition();
    D3DXVECTOR3 r = GetWorldRight(), u = GetWorldUp(), f = GetWorldForward();
    D3DXVECTOR3 rel = origin - w;
    D3DXVECTOR3 o(D3DXVec3Dot(&rel, &r), D3DXVec3Dot(&rel, &u), D3DXVec3Dot(&rel, &f));
    D3DXVECTOR3 d(D3DXVec3Dot(&dir, &r), D3DXVec3Dot(&dir, &u), D3DXVec3Dot(&dir, &f));
    D3DXVECTOR3 lo = model->boxMin * scale, hi = model->boxMax * scale;
    return D3DXBoxBoundProbe(&lo, &hi, &o, &d) != FALSE;
}

bool CNode::IsOnScreen() {
    auto visibleAt = [](const D3DXVECTOR3& p) {
        D3DXVECTOR3 s = WorldToScreen(p);
        // The picture's own rectangle: a larger or smaller window does not move it.
        return s.z >= 0.0f && s.y >= 0.0f && s.y <= SCREEN_HEIGHT && s.x >= 0.0f &&
               s.x <= SCREEN_WIDTH;
    };
    if (visibleAt(GetWorldPosition())) return true;
    D3DXVECTOR3 corners[8];
    GetWorldBox(corners);
    for (const auto& c : corners)
        if (visibleAt(c)) return true;
    return false;
}
