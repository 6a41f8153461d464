#include "render/view.h"

#include "render/graphics_state.h"

void SetViewMatrix(const D3DXMATRIX& view) { GraphicsState.viewMatrix = view; }

namespace {

// The change is kept in its work slot, then multiplied onto the view.
void ChangeView(int slot, const D3DXMATRIX& change) {
    GraphicsStateRecord& g = GraphicsState;
    g.cameraWork[slot] = change;
    D3DXMatrixMultiply(&g.viewMatrix, &g.viewMatrix, &g.cameraWork[slot]);
}

}  // namespace

void RotateView(const D3DXMATRIX& rotation) { ChangeView(0, rotation); }

void TranslateView(const D3DXMATRIX& translation) { ChangeView(1, translation); }
