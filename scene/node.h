// A placed model: local transform with one uniform scale, an optional parent,
// world-space queries, ray tests and five ways of drawing.
#pragma once

#include "d3dx8/d3dx8math.h"

class Mesh;
class Texture;

// A ray for CNode::Pick. The origin is relative to the node's world position.
struct Ray {
    D3DXVECTOR3 origin;
    D3DXVECTOR3 direction;
    D3DXVECTOR3* hit;  // required: the nearest hit, scaled by the node's scale
    float* triangle;   // optional: the hit triangle's corners, nine floats
};

class CNode {
public:
    CNode();
    virtual ~CNode();
    virtual void Draw();

    void Setup(Mesh* model, float x, float y, float z, float scale);
    void DrawTextured();
    void DrawAlpha();
    void DrawAlphaAdd();
    void DrawShadow(const D3DXMATRIX& shadow);
    void SetVisible(int flag) { visible = flag; }

    void SetLocalPosition(float x, float y, float z);
    void SetPosition(D3DXVECTOR3 v);
    void SetLocalMatrix(const D3DXMATRIX& m);
    D3DXMATRIX GetLocalMatrix() const { return local; }
    void SetScale(float s);
    void Scale(float f);
    void MoveLocal(D3DXVECTOR3 v);
    void MoveParent(D3DXVECTOR3 v);
    void MoveLocalWorldUnits(D3DXVECTOR3 v);
    void RotateX(float a);
    void RotateY(float a);
    void RotateZ(float a);
    void RotateParentX(float a);
    void RotateParentY(float a);
    void RotateParentZ(float a);
    void RotateAxis(const D3DXVECTOR3& axis, float a);
    void LookAt(const D3DXVECTOR3& target);
    void SetDirection(D3DXVECTOR3 forward, const D3DXVECTOR3& up);
    void TurnTo(const D3DXVECTOR3& target);
    void FaceCameraY();
    void FaceCameraZ();

    D3DXVECTOR3 GetLocalPosition() const;
    D3DXVECTOR3 GetLocalRight() const;
    D3DXVECTOR3 GetLocalUp() const;
    D3DXVECTOR3 GetLocalForward() const;
    D3DXMATRIX GetWorldMatrix() const;
    float GetWorldScale() const;
    D3DXVECTOR3 GetWorldPosition();
    D3DXVECTOR3 GetWorldRight();
    D3DXVECTOR3 GetWorldUp();
    D3DXVECTOR3 GetWorldForward();
    D3DXVECTOR3 GetScaledPosition() const;
    void GetWorldBox(D3DXVECTOR3 corners[8]);
    void GetWorldSphere(D3DXVECTOR3* centre, float* radius);
    bool HitSphere(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir);
    bool HitBox(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir);
    int Pick(const Ray& ray);
    bool IsOnScreen();

    Mesh* model = nullptr;
    CNode* parent = nullptr;
    D3DXMATRIX local;
    D3DXMATRIX previous;
    D3DXMATRIX work;
    float scale = 1.0f;
    float alphaOffset = 0.0f;
    float alpha = 0.5f;
    Texture* texture = nullptr;
    int visible = 0;
    D3DXVECTOR3 box[8];

private:
    // local = change · local (the node's own frame) or local · change (the
    // parent's), with the change built in work and local saved in previous.
    void PreMultiply();
    void PostMultiply();
    // Rebuilds the rotation rows, keeps the position and re-applies the scale.
    void SetRotationKeepingPosition(const D3DXMATRIX& rotation);
    void ReapplyScale();
    bool CanDraw() const;
};
