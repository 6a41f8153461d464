// A cloud of camera-facing square particles around one emitter: random lifetime,
// colour, opacity, size and velocity from ranges, a parabola under one shared
// acceleration, constant fading and growth. Draw once per frame; Emit revives the
// dead ones.
#pragma once

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8math.h"

struct ParticleParams {
    float lifetimeMin, lifetimeMax;
    BYTE redMin, redMax, greenMin, greenMax, blueMin, blueMax;
    BYTE alphaMin, alphaMax;
    float alphaRateMin, alphaRateMax;
    float sizeMin, sizeMax;
    float sizeRateMin, sizeRateMax;
    float speedMin, speedMax;
};

struct Particle {
    float lifetime;
    float age;
    BYTE red, green, blue;
    float alpha;
    float alphaRate;
    float size;
    float sizeRate;
    D3DXVECTOR3 position;
    D3DXVECTOR3 velocity;
};

// D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1.
struct ParticleVertex {
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};

class CParticleSystem {
public:
    CParticleSystem() = default;
    ~CParticleSystem();
    CParticleSystem(const CParticleSystem&) = delete;
    CParticleSystem& operator=(const CParticleSystem&) = delete;

    void Create(int count, float x, float y, float z, const ParticleParams& params);
    void Emit(const ParticleParams& params);
    // 0 when at least one particle was drawn (or there are none), 1 when all are dead.
    int Draw();
    void SetRangeX(float min, float max);
    void SetRangeY(float min, float max);
    void SetRangeZ(float min, float max);
    void SetAcceleration(const D3DXVECTOR3& a);
    void Destroy();

    // The most particles whose vertices (6 x 24 bytes each) one vertex buffer can hold.
    static constexpr int kMaxCount = int(0xFFFFFFFFu / (6 * sizeof(ParticleVertex)));

    Particle* particles = nullptr;
    ParticleVertex* vertices = nullptr;  // 6 x count, rebuilt by each Draw
    int count = 0;
    D3DXVECTOR3 emitter{0, 0, 0};
    D3DXVECTOR3 acceleration{0, 0, 0};
    float rangeX[2] = {-1, 1};
    float rangeY[2] = {-1, 1};
    float rangeZ[2] = {-1, 1};
};
