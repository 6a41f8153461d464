// Screen 7: sound buffers and streaming, seen from above. An engine hum loops in
// 3D, circling the listener (the triangle in the middle); B rings a bell, E puts
// the next standard effect on it (with gargle on, G switches its wave between
// triangle and square through its parameter interface); T starts and stops a
// tune that is made here, block by block, and streamed.
#include <cmath>
#include <cstdint>
#include <vector>

#include "d3dx8/d3dx8math.h"
#include "demo/screen.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "scene/shapes.h"
#include "sound/sound_buffer.h"
#include "sound/sound_device.h"
#include "sound/wave_stream.h"

namespace {

constexpr int kRate = 22050;
constexpr int kBlockSamples = kRate / 30;  // a frame's worth
constexpr int kBlocks = 8;
constexpr float kOrbit = 4.0f;      // metres from the listener
constexpr float kPixelsPerMetre = 36.0f;
constexpr int kCentreX = 320, kCentreY = 240;
const char* const kEffectNames[] = {"waves reverb", "I3DL2 reverb", "echo",       "chorus",    "flanger",
                                    "gargle",       "compressor",   "parametric EQ", "distortion"};
constexpr int kEffects = 9;

struct SoundScene {
    CSoundBuffer engine;
    CSoundBuffer bell;
    CWaveStream stream;
    int streaming = 0;
    int effect = -1;  // none
    DWORD gargleShape = DSFXGARGLE_WAVE_TRIANGLE;
    int frame = 0;
    long blocks = 0;     // streamed so far
    double tunePhase = 0;
    int16_t block[kBlockSamples];
};
SoundScene* scene = nullptr;

void Enter() {
    scene = new SoundScene;
    scene->engine.Load("data/demo_engine.wav");
    scene->bell.Load("data/demo_bell.wav");
    scene->engine.Play(1);
    SetListenerPosition(0, 0, 0);
    SetListenerOrientation(0, 0, 1, 0, 1, 0);
}

void Leave() {
    delete scene;
    scene = nullptr;
}

// The next frame of the tune: an arpeggio of eight notes a second.
void MakeBlock() {
    static const double kNotes[] = {261.63, 329.63, 392.00, 523.25, 392.00, 329.63};
    for (int i = 0; i < kBlockSamples; ++i) {
        const long n = scene->blocks * kBlockSamples + i;
        const double note = kNotes[(n / (kRate / 8)) % 6];
        const double within = double(n % (kRate / 8)) / (kRate / 8);
        scene->tunePhase += 6.283185307179586 * note / kRate;
        const double v = std::sin(scene->tunePhase) * (1.0 - within) * 0.25;
        scene->block[i] = int16_t(std::lround(v * 32767));
    }
}

void Stream() {
    if (GetKey(DIK_T) == KEY_PUSHED) {
        if (scene->streaming) {
            scene->stream.Free();
            scene->streaming = 0;
        } else {
            const WAVEFORMATEX format = MakeWaveFormat(kRate, 16, 1);
            scene->streaming = scene->stream.CreateSoundBuffer(&format, kBlockSamples * 2, kBlocks);
            scene->blocks = 0;
        }
    }
    if (!scene->streaming) return;
    MakeBlock();
    if (scene->stream.Enqueue(scene->block, sizeof scene->block)) ++scene->blocks;
}

constexpr int kGargle = 5;

void ToggleGargle() {
    IDirectSoundFXGargle8* gargle = nullptr;
    if (scene->effect != kGargle || !scene->bell.buffer8 ||
        FAILED(scene->bell.buffer8->GetObjectInPath(GUID_DSFX_STANDARD_GARGLE, 0, IID_IDirectSoundFXGargle8,
                                                    (void**)&gargle)))
        return;
    DSFXGargle p{};
    gargle->GetAllParameters(&p);
    p.dwWaveShape = p.dwWaveShape == DSFXGARGLE_WAVE_TRIANGLE ? DSFXGARGLE_WAVE_SQUARE : DSFXGARGLE_WAVE_TRIANGLE;
    if (gargle->SetAllParameters(&p) == DS_OK) scene->gargleShape = p.dwWaveShape;
    gargle->Release();
}

void Frame() {
    ++scene->frame;
    if (GetKey(DIK_B) == KEY_PUSHED) scene->bell.Play(0);
    if (GetKey(DIK_E) == KEY_PUSHED) {
        scene->effect = scene->effect + 1 < kEffects ? scene->effect + 1 : -1;
        scene->bell.Stop();  // effects are set on a stopped buffer
        scene->bell.SetEffect(scene->effect);
        scene->gargleShape = DSFXGARGLE_WAVE_TRIANGLE;  // a new effect starts at its defaults
    }
    if (GetKey(DIK_G) == KEY_PUSHED) ToggleGargle();
    Stream();

    // The engine circles the listener once every six seconds.
    const float angle = scene->frame * 6.2831853f / 180.0f;
    const float x = kOrbit * std::cos(angle), z = kOrbit * std::sin(angle);
    if (scene->engine.buffer3d) scene->engine.buffer3d->SetPosition(x, 0, z, DS3D_IMMEDIATE);

    SetLighting(FALSE);
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    if (GraphicsState.device) GraphicsState.device->SetTexture(0, nullptr);
    // The map: z up the screen, the orbit, the listener facing up, the engine.
    D3DXMATRIX flat;
    D3DXMatrixIdentity(&flat);
    SetWorldMatrix(flat);
    const int ex = kCentreX + int(x * kPixelsPerMetre), ey = kCentreY - int(z * kPixelsPerMetre);
    for (int k = 0; k < 72; ++k) {
        const float a = k * 6.2831853f / 72, b = (k + 1) * 6.2831853f / 72;
        const float r = kOrbit * kPixelsPerMetre;
        DrawLine2D(kCentreX + int(r * std::cos(a)), kCentreY - int(r * std::sin(a)), kCentreX + int(r * std::cos(b)),
                   kCentreY - int(r * std::sin(b)), 0xFF406080, 0);
    }
    FillTriangle2D(kCentreX, kCentreY, 14, 0xFFFFFFFF);
    FillRect2D(ex - 10, ey - 10, ex + 10, ey + 10, scene->engine.IsPlaying() ? 0xFFFF8020 : 0xFF603010);
    DrawLine2D(kCentreX, kCentreY, ex, ey, 0x80FF8020, 0x20FF8020);
    if (scene->bell.IsPlaying()) {
        // Rings spreading from the listener while the bell sounds.
        const int r = 20 + (scene->frame * 4) % 120;
        DrawRect2D(kCentreX - r, kCentreY - r, kCentreX + r, kCentreY + r, 0xFFFFE060);
    }
    if (scene->streaming) {
        // The last streamed block as a wave along the bottom.
        for (int i = 0; i + 7 < kBlockSamples; i += 7)
            DrawLine2D(20 + i * 600 / kBlockSamples, 400 - scene->block[i] / 600, 20 + (i + 7) * 600 / kBlockSamples,
                       400 - scene->block[i + 7] / 600, 0xFF60FF60, 0);
    }

    BeginText();
    DrawTextFormat(8, 8, "engine (3D%s): %s at %.1f, %.1f", SoundState.listener ? "" : " off",
                   scene->engine.IsPlaying() ? "playing" : "silent", x, z);
    DrawTextFormat(8, 28, "B: bell %s; E: effect %s%s", scene->bell.IsPlaying() ? "ringing" : "still",
                   scene->effect < 0 ? "none" : kEffectNames[scene->effect],
                   SoundState.effectsFlag ? "" : " (effects off)");
    if (scene->effect == kGargle)
        DrawTextFormat(8, 68, "G: gargle wave %s",
                       scene->gargleShape == DSFXGARGLE_WAVE_SQUARE ? "square" : "triangle");
    DrawTextFormat(8, 48, "T: streamed tune %s, %ld blocks", scene->streaming ? "on" : "off", scene->blocks);
    EndText();
}

}  // namespace

const DemoScreen kSoundScreen = {"Sound: 3D hum, bell with effects, streamed tune", Enter, Frame, Leave,
                                 nullptr};
