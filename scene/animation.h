// A rigid multi-part object played from a keyframe text file: each part's mesh has
// a position and an orientation at every key; Play draws every part between two
// neighbouring keys and advances the time, forwards or backwards, once or looping.
//
// Playback: played forwards, the pose at time T lies between key trunc(T) and the
// next one (after the last: the first when looping, the last held when not).
// Played backwards it lies between key trunc(T) and the one before it (before the
// first: the last when looping, the first held when not), and a whole T shows
// the earlier key. The
// key pair and blend are kept in one record shared by every animation object: a
// Play with speed exactly 0 shows the pair and blend of the last Play of any of
// them. A Play whose time names no key of this animation (no keys at all, a time
// the owner set outside 0..keyCount, a shared pair from a longer animation) draws
// nothing; the time still advances and wraps as always, and with no keys a
// play-once animation reports its end on every call.
#pragma once

#include "d3dx8/d3dx8math.h"
#include "scene/animation_file.h"
#include "scene/node.h"

class Mesh;

class CAnimation {
public:
    CAnimation();
    ~CAnimation();
    CAnimation(const CAnimation&) = delete;
    CAnimation& operator=(const CAnimation&) = delete;

    // 1 when the file was read, 0 when it could not be opened or read (the object
    // left empty). What a damaged file gives is told in animation_file.h; each
    // fault is logged with the file's name.
    int Load(const char* path);
    void Free();
    // The pose between key records a and b (indices into keys) at blend t; the
    // identity when either index is outside the keys.
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

private:
    // Sets the shared key pair and blend for the current time; false, leaving
    // them as they were, when the time names no key.
    bool ChooseKeys(int loop) const;
    // Moves the time on by speed and wraps it; 1 when a play-once animation ran past an end.
    int Advance(int loop);
};
