#include "scene/lens_flare.h"

#include "render/direct3d.h"
#include "render/graphics_state.h"
#include "scene/camera.h"
#include "scene/random.h"
#include "scene/shapes.h"

namespace {

// Cosines of the angle between the view and the light: the flare shows above the
// first, gains alpha from the second, and the flash may show above the third.
// All in float: looking straight at the light, 1 - 0.9f gives the full 140 .. 220
// and a flash of 100, where 1 - 0.9 in double falls just short of them.
constexpr float kFlareFrom = 0.76f;
constexpr float kBrightFrom = 0.9f;
constexpr float kFlashFrom = 0.85f;

// The square's colour: alpha 192 + extra (extra 0 .. 63), RGB (FF, E0, 80).
D3DCOLOR SquareColour(int extra) { return (static_cast<D3DCOLOR>(extra) << 24) - 0x3F001F80u; }

// The elements' alpha in the top byte: 0 until the view is within about 26
// degrees of the light, then rising to 140 .. 220 (random) straight at it. The
// first random number only decides the sign, as m alone would, but it is drawn
// all the same: the generator's sequence depends on it.
D3DCOLOR FlareAlpha(float m) {
    float a = 0;
    if ((1400 + Rand15() * 800 / 32767) * (m - kBrightFrom) >= 0)
        a = (1400 + Rand15() * 800 / 32767) * (m - kBrightFrom);
    return static_cast<D3DCOLOR>(static_cast<int>(a)) << 24;
}

void MoveOn(D3DXVECTOR3& p, const D3DXVECTOR3& step) {
    p -= step;
    SetBillboardWorld(p.x, p.y, p.z);
}

}  // namespace

void DrawLensFlare(D3DXVECTOR3 p, float size, int flash) {
    if (!GraphicsState.device) return;
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    SetBillboardWorld(p.x, p.y, p.z);
    DrawTexturedRect3D(0, 0, 0, size, size, SquareColour(Rand15() % 64));

    const D3DXVECTOR3 toLight = p - GetCameraPosition();
    const D3DXVECTOR3 direction = GetCameraDirection();
    // The elements step from the light toward the viewer.
    const D3DXVECTOR3 h = toLight / 5 - direction * 5;
    D3DXVECTOR3 towardLight, view;
    D3DXVec3Normalize(&towardLight, &toLight);
    D3DXVec3Normalize(&view, &direction);
    const float m = D3DXVec3Dot(&towardLight, &view);
    if (!(m > kFlareFrom)) {
        SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        return;
    }

    const D3DCOLOR t = FlareAlpha(m);
    GraphicsState.device->SetTexture(0, nullptr);
    MoveOn(p, h);
    FillCircle3D(0, 0, 0, size / 10, t, t + 0x00804000u);
    MoveOn(p, h);
    FillHexagon3D(0, 0, 0, size / 8, t, t + 0x00806000u);
    MoveOn(p, h);
    FillCircle3D(0, 0, 0, size / 13, t, t + 0x08001040u);
    MoveOn(p, h);
    FillCircle3D(0, 0, 0, size / 7, t, t + 0x08006020u);
    MoveOn(p, h);
    FillCircle3D(0, 0, 0, size / 20, t + 0x00008040u, t);
    MoveOn(p, h);
    FillCircle3D(0, 0, 0, size / 2, 0, t + 0x00002000u);
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);

    if (flash && m > kFlashFrom) {
        float f = (m - kBrightFrom) * 1000;
        if (f < 0) f = 0;
        // The fixed picture size, whatever the back buffer's.
        FillRect2D(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, (static_cast<D3DCOLOR>(static_cast<int>(f)) << 24) | 0x00FFFFFFu);
    }
}
