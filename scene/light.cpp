// The light in slot 0 and the shadow material.
#include "scene/light.h"

#include "render/graphics_state.h"

D3DLIGHT8 light{};
D3DMATERIAL8 shadowMaterial{{0.0f, 0.0f, 0.0f, 0.5f}, {}, {}, {}, 0.0f};

void SetDirectionalLight(const D3DXVECTOR3& direction, const D3DCOLORVALUE& colour) {
    light = D3DLIGHT8{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = colour;
    D3DXVECTOR3 normalised;
    D3DXVec3Normalize(&normalised, &direction);
    light.Direction = normalised;
    light.Range = 1000.0f;
    if (IDirect3DDevice8* device = GraphicsState.device) {
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
    }
}

void EnableLight(BOOL flag) {
    if (GraphicsState.device) GraphicsState.device->LightEnable(0, flag);
}

// The light vector points back towards the light, with w = 0 for a light at
// infinity.
D3DXMATRIX* GetShadowMatrix(D3DXMATRIX* out, const D3DXVECTOR3& point, const D3DXVECTOR3& normal) {
    D3DXVECTOR4 toLight(-light.Direction.x, -light.Direction.y, -light.Direction.z, 0.0f);
    D3DXPLANE plane;
    D3DXPlaneFromPointNormal(&plane, &point, &normal);
    return D3DXMatrixShadow(out, &toLight, &plane);
}

void SetShadowColor(float r, float g, float b, float a) { shadowMaterial.Diffuse = D3DCOLORVALUE{r, g, b, a}; }
