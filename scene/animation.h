// A rigid multi-part object played from a keyframe text file: each part's mesh has
// a position and an orientation at every key; Play draws every part between two
// neighbouring keys and advances the time, forwards or backwards, once or looping.
#pragma once

#include "d3dx8/d3dx8math.h"
#include "scene/node.h"

class Mesh;

struct AnimationKey {
    D3DXVECTOR3 position;
    D3DXQUATERNION rotation;
};

class CAnimation {
public:
    CAnimation();
    ~CAnimation();
    CAnimation(const CAnimation&) = delete;
    CAnimation& operator=(const CAnimation&) = delete;

    // 1 when the file was read, 0 when it could not be opened (the object left empty).
    int Load(const char* path);
    void Free();
    // The pose between key records a and b (indices into keys) at blend t.
    D3DXMATRIX GetPose(int a, int b, float t) const;
    // Draws every part at the current time, then advances it; 1 when a play-once
    // animation has just run past its end.
    int Play(int loop);

    Mesh* parts = nullptr;          // partCount models
    AnimationKey* keys = nullptr;   // keyCount x partCount records, key-major
    CNode placement;                // its local matrix places the whole object
    int partCount = 0;
    int keyCount = 0;
    float time = 0.0f;              // in key frames
    float speed = 0.05f;            // key frames per Play; negative plays backwards
};
