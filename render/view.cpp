#include "render/view.h"

#include "render/graphics_state.h"

void SetViewMatrix(const D3DXMATRIX& view) { GraphicsState.viewMatrix = view; }

void RotateView(const D3DXMATRIX& rotation) {
    GraphicsStateRecord& g = GraphicsState;
    g.cameraWork[0] = rotation;
    D3DXMatrixMultiply(&g.viewMatrix, &g.viewMatrix, &g.cameraWork[0]);
}

void TranslateView(const D3DXMATRIX& translation) {
    GraphicsStateRecord& g = GraphicsState;
    g.cameraWork[1] = translation;
    D3DXMatrixMultiply(&g.viewMatrix, &g.viewMatrix, &g.cameraWork[1]);
}
