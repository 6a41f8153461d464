// Screen 2: one keyframe animation played four ways side by side: forwards and
// backwards, looping and once. A play-once copy holds its end pose for a moment
// when it reports its end, then starts again.
#include <cstring>

#include "d3dx8/d3dx8math.h"
#include "demo/screen.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "scene/animation.h"
#include "scene/camera.h"

namespace {

constexpr const char* kFile = "data/demo_windmill.txt";
constexpr float kSpeed = 0.25f;   // key frames per frame
constexpr int kHoldFrames = 45;   // how long a finished play-once copy rests

struct Player {
    const char* direction;
    const char* mode;
    float x;
    float speed;
    int loop;
    int hold = 0;  // frames left to show the end pose
};

struct AnimationScene {
    CAnimation animations[4];
    Player players[4] = {
        {"forwards", "looping", -7.5f, kSpeed, 1},
        {"backwards", "looping", -2.5f, -kSpeed, 1},
        {"forwards", "once", 2.5f, kSpeed, 0},
        {"backwards", "once", 7.5f, -kSpeed, 0},
    };
};
AnimationScene* scene = nullptr;

// Backwards from the end, forwards from the start.
float StartTime(const CAnimation& a, const Player& p) {
    return p.speed < 0 ? static_cast<float>(a.keyCount) - 0.001f : 0.0f;
}

void Enter() {
    scene = new AnimationScene;
    for (int i = 0; i < 4; ++i) {
        CAnimation& a = scene->animations[i];
        const Player& p = scene->players[i];
        a.Load(kFile);
        a.speed = p.speed;
        a.time = StartTime(a, p);
        D3DXMatrixTranslation(&a.placement.local, p.x, 0, 0);
    }
    SetCameraLookAt(D3DXVECTOR3(0, 4, -19.5f), D3DXVECTOR3(0, 2.2f, 0), D3DXVECTOR3(0, 1, 0));
}

void Leave() {
    delete scene;
    scene = nullptr;
}

void Play(CAnimation& a, Player& p) {
    if (p.hold > 0) {
        // The end pose: the last key forwards, the first key backwards.
        a.time = p.speed > 0 ? static_cast<float>(a.keyCount - 1) : 0.0f;
        a.Play(0);
        if (--p.hold == 0) a.time = StartTime(a, p);
        return;
    }
    if (a.Play(p.loop) == 1) p.hold = kHoldFrames;
}

void Frame() {
    SetLighting(TRUE);
    SetZEnable(TRUE);
    SetZWrite(TRUE);
    SetAlphaBlend(FALSE, D3DBLEND_ONE, D3DBLEND_ZERO);
    for (int i = 0; i < 4; ++i) Play(scene->animations[i], scene->players[i]);

    BeginText();
    for (const Player& p : scene->players) {
        // Centred under the mill, at about eight pixels a character.
        const D3DXVECTOR3 at = WorldToScreen(D3DXVECTOR3(p.x, -0.4f, 0));
        const int x = static_cast<int>(at.x), y = static_cast<int>(at.y);
        DrawTextAt(x - 4 * static_cast<int>(std::strlen(p.direction)), y, p.direction);
        DrawTextAt(x - 4 * static_cast<int>(std::strlen(p.mode)), y + 18, p.mode);
    }
    const CAnimation& first = scene->animations[0];
    DrawTextFormat(8, 8, "%d parts, %d keys, %.2f keys a frame", first.partCount, first.keyCount, kSpeed);
    EndText();
}

}  // namespace

const DemoScreen kAnimationScreen = {"Keyframe animation: forwards, backwards, looping, once", Enter, Frame,
                                     Leave, nullptr};
