// Screen 3: particles. A fountain on the left, whose dead particles are born again
// every frame, and a burst on the right, which fades out, rests and fires again.
#include "demo/screen.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "render/texture.h"
#include "scene/camera.h"
#include "scene/particles.h"

namespace {

constexpr int kFountainCount = 800;
constexpr int kBurstCount = 400;
constexpr int kRestFrames = 10;

// Lifetimes from short to long, so that the first jet, all born together, soon
// breaks up into a steady stream.
const ParticleParams kFountain = {
    0.3f, 2.6f,                    // lifetime
    120, 200, 160, 230, 230, 255,  // a cold blue-white
    200, 255,                      // alpha
    -110.0f, -80.0f,               // alpha rate
    0.08f, 0.14f,                  // size
    0.02f, 0.08f,                  // size rate
    3.2f, 4.0f,                    // speed
};

const ParticleParams kBurst = {
    1.6f, 2.6f,                    // lifetime
    230, 255, 100, 200, 20, 60,    // orange to yellow
    255, 255,                      // alpha
    -150.0f, -100.0f,              // alpha rate
    0.12f, 0.22f,                  // size
    -0.04f, 0.0f,                  // size rate
    1.2f, 2.4f,                    // speed
};

struct ParticlesScene {
    Texture sprite;
    CParticleSystem fountain;
    CParticleSystem burst;
    int rest = 0;
    int bursts = 0;
};
ParticlesScene* scene = nullptr;

void Fire() {
    scene->burst.Create(kBurstCount, 3.0f, 0.5f, 0.0f, kBurst);
    ++scene->bursts;
}

void Enter() {
    scene = new ParticlesScene;
    scene->sprite.Load("data/demo_particle.bmp", 0, 1);
    scene->fountain.SetRangeX(-0.25f, 0.25f);
    scene->fountain.SetRangeY(0.85f, 1.0f);
    scene->fountain.SetRangeZ(-0.25f, 0.25f);
    scene->fountain.SetAcceleration(D3DXVECTOR3(0, -1.6f, 0));
    scene->fountain.Create(kFountainCount, -2.5f, -3.0f, 0.0f, kFountain);
    scene->burst.SetAcceleration(D3DXVECTOR3(0, -0.6f, 0));
    Fire();
    SetCameraLookAt(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 1, 0));
}

void Leave() {
    delete scene;
    scene = nullptr;
}

void Frame() {
    SetLighting(FALSE);
    SetZWrite(FALSE);
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    SetColorStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    SetTextureFilter(0, D3DTEXF_LINEAR);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, scene->sprite.GetTexture());

    scene->fountain.Emit(kFountain);
    scene->fountain.Draw();
    if (scene->rest > 0) {
        if (--scene->rest == 0) Fire();
    } else if (scene->burst.Draw() == 1) {
        scene->rest = kRestFrames;  // every particle has died
    }

    if (GraphicsState.device) GraphicsState.device->SetTexture(0, nullptr);
    SetTextureFilter(0, D3DTEXF_POINT);
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    SetZWrite(TRUE);
    BeginText();
    DrawTextFormat(8, 8, "fountain: %d particles, reborn as they die", kFountainCount);
    DrawTextFormat(400, 8, "burst %d: %d particles", scene->bursts, kBurstCount);
    EndText();
}

}  // namespace

const DemoScreen kParticlesScreen = {"Particles: a fountain and a burst", Enter, Frame, Leave, nullptr};
