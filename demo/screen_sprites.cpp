// Screen 6: sprites and a render target. The windmill turns in a 256 x 256 target
// texture, which is then drawn as a tilted picture; sprites of the sun and of the
// particle dot bounce across the screen, turning, and light up red while their
// hit rectangles overlap.
#include <cmath>

#include "demo/screen.h"
#include "render/direct3d.h"
#include "render/render_target.h"
#include "render/sprite.h"
#include "render/text.h"
#include "render/texture.h"
#include "scene/animation.h"
#include "scene/camera.h"
#include "scene/shapes.h"

namespace {

constexpr int kTargetSize = 256;
constexpr int kBouncers = 6;

struct Bouncer {
    Sprite sprite;
    float dx, dy, spin;
};

struct SpritesScene {
    Texture sun;
    Texture dot;
    RenderTarget target;
    CAnimation windmill;
    Bouncer bouncers[kBouncers];
    int frame = 0;
    int overlaps = 0;
};
SpritesScene* scene = nullptr;

void Enter() {
    scene = new SpritesScene;
    scene->sun.Load("data/demo_sun.bmp", 0, 1);
    scene->dot.Load("data/demo_particle.bmp", 0, 1);
    scene->target.Create(kTargetSize, kTargetSize);
    scene->windmill.Load("data/demo_windmill.txt");
    scene->windmill.speed = 0.3f;
    for (int i = 0; i < kBouncers; ++i) {
        Bouncer& b = scene->bouncers[i];
        b.sprite.SetImage(i % 2 ? &scene->dot : &scene->sun);
        b.sprite.SetPosition(40.0f + 90.0f * i, 60.0f + 50.0f * (i % 3));
        b.sprite.SetScale(0.6f + 0.1f * i, 0.6f + 0.1f * i);
        b.dx = 1.5f + 0.7f * i;
        b.dy = 2.5f - 0.5f * i;
        b.spin = 0.02f * (i + 1) * (i % 2 ? -1 : 1);
    }
    SetCameraLookAt(D3DXVECTOR3(0, 3, -9), D3DXVECTOR3(0, 2.5f, 0), D3DXVECTOR3(0, 1, 0));
}

void Leave() {
    delete scene;
    scene = nullptr;
}

// The windmill into the target, before the screen's own frame opens.
void Prepare() {
    ++scene->frame;
    if (!scene->target.Begin(0xFF203858)) return;
    SetLighting(TRUE);
    SetZEnable(TRUE);
    SetAlphaBlend(FALSE, D3DBLEND_ONE, D3DBLEND_ZERO);
    scene->windmill.Play(1);
    scene->target.End();
}

void Move(Bouncer& b) {
    UINT w = 0, h = 0;
    b.sprite.image->GetSize(&w, &h);
    D3DXVECTOR2& p = b.sprite.position;
    p.x += b.dx;
    p.y += b.dy;
    const float right = 640.0f - w * b.sprite.scale.x, bottom = 440.0f - h * b.sprite.scale.y;
    if (p.x < 0 || p.x > right) b.dx = -b.dx;
    if (p.y < 0 || p.y > bottom) b.dy = -b.dy;
    b.sprite.rotation += b.spin;
}

void Frame() {
    // The target's picture on a 3D quad that turns to and fro.
    SetLighting(FALSE);
    SetZEnable(FALSE);
    SetAlphaBlend(FALSE, D3DBLEND_ONE, D3DBLEND_ZERO);
    SetTextureFilter(0, D3DTEXF_LINEAR);
    D3DXMATRIX turn, at;
    D3DXMatrixRotationY(&turn, 0.5f * std::sin(scene->frame * 0.02f));
    D3DXMatrixTranslation(&at, 0, 2.5f, 0);
    SetWorldMatrix(turn * at);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, scene->target.texture);
    DrawTexturedRect3D(0, 0, 0, 5.0f, 5.0f, 0xFFFFFFFF);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, nullptr);
    DrawRect3D(0, 0, 0, 5.0f, 5.0f, 0xFFFFFFFF);

    // The bouncing sprites, added onto the picture.
    for (Bouncer& b : scene->bouncers) Move(b);
    scene->overlaps = 0;
    for (int i = 0; i < kBouncers; ++i) {
        bool hit = false;
        for (int j = 0; j < kBouncers; ++j)
            if (j != i && scene->bouncers[i].sprite.HitTest(scene->bouncers[j].sprite)) hit = true;
        scene->bouncers[i].sprite.SetColour(hit ? 0xFFFF4040 : 0xFFFFFFFF);
        scene->overlaps += hit;
    }
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    Sprite::BeginSprites();
    for (Bouncer& b : scene->bouncers) b.sprite.Draw();
    Sprite::EndSprites();
    SetTextureFilter(0, D3DTEXF_POINT);
    SetZEnable(TRUE);

    BeginText();
    DrawTextFormat(8, 8, "render target %dx%d%s; %d of %d sprites overlapping", kTargetSize, kTargetSize,
                   scene->target.created ? "" : " (not available)", scene->overlaps, kBouncers);
    EndText();
}

}  // namespace

const DemoScreen kSpritesScreen = {"Sprites and a render target", Enter, Frame, Leave, Prepare};
