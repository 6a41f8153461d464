// Particles live in camera-aligned axes around the emitter: Draw puts the whole
// cloud in a frame that faces the camera, so each particle is a plain square in
// its local x-y plane.
#include "scene/particles.h"

#include <new>
#include <utility>

#include "render/direct3d.h"
#include "render/vertex_buffer.h"
#include "scene/random.h"
#include "shell/frame_timer.h"
#include "shell/log.h"

namespace {

constexpr DWORD kParticleFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(sizeof(ParticleVertex) == 24);

// A value from a to b (either way round), one rand drawn.
float RealInRange(float a, float b) { return float(a + Rand15() * (b - a) / 32767.0); }

// A value from a up to but not including b, one rand drawn. Equal ends give a;
// ends given the wrong way round are read in order, as the real ranges are.
BYTE ByteInRange(BYTE a, BYTE b) {
    int lo = a, hi = b;
    if (hi < lo) std::swap(lo, hi);
    const int r = Rand15();
    return BYTE(hi == lo ? lo : lo + r % (hi - lo));
}

// The random draws happen in this order, which a seeded run reproduces.
void Birth(Particle& p, const ParticleParams& q, const CParticleSystem& system) {
    p.lifetime = RealInRange(q.lifetimeMin, q.lifetimeMax);
    p.age = 0;
    p.red = ByteInRange(q.redMin, q.redMax);
    p.green = ByteInRange(q.greenMin, q.greenMax);
    p.blue = ByteInRange(q.blueMin, q.blueMax);
    p.alpha = ByteInRange(q.alphaMin, q.alphaMax);
    p.alphaRate = RealInRange(q.alphaRateMin, q.alphaRateMax);
    p.size = RealInRange(q.sizeMin, q.sizeMax);
    p.sizeRate = RealInRange(q.sizeRateMin, q.sizeRateMax);
    p.position = D3DXVECTOR3(0, 0, 0);
    const float speed = RealInRange(q.speedMin, q.speedMax);
    const float z = RealInRange(system.rangeZ[0], system.rangeZ[1]);
    const float y = RealInRange(system.rangeY[0], system.rangeY[1]);
    const float x = RealInRange(system.rangeX[0], system.rangeX[1]);
    p.velocity = D3DXVECTOR3(x, y, z) * speed;
}

// Not a number counts as dead, so that Emit can replace it.
bool Alive(const Particle& p) { return p.age < p.lifetime; }

// The low byte of alpha truncated to an integer. Floats beyond the range of an
// int are multiples of 256, so their low byte is 0; not a number gives 0 too.
DWORD AlphaByte(float alpha) {
    if (!(alpha < 2147483648.0f) || alpha <= -2147483648.0f) return 0;
    return DWORD(int(alpha)) & 0xFF;
}

// Two triangles of a list, clockwise as the camera sees them.
ParticleVertex* AppendSquare(ParticleVertex* out, const Particle& p) {
    const float s = p.size, x = p.position.x, y = p.position.y, z = p.position.z;
    const D3DCOLOR c = AlphaByte(p.alpha) << 24 | DWORD(p.red) << 16 | DWORD(p.green) << 8 | p.blue;
    const float left = x - s, right = x + s, bottom = y - s, top = y + s;
    out[0] = {left, bottom, z, c, 0, 1};
    out[1] = {left, top, z, c, 0, 0};
    out[2] = {right, bottom, z, c, 1, 1};
    out[3] = {right, top, z, c, 1, 0};
    out[4] = out[2];
    out[5] = out[1];
    return out + 6;
}

// Rates are per second; the position is the closed form at the new age.
void Advance(Particle& p, double dt, const D3DXVECTOR3& acceleration) {
    p.age += dt;
    p.alpha += dt * p.alphaRate;
    p.size += dt * p.sizeRate;
    if (p.alpha < 0) p.alpha = 0;
    if (p.size < 0) p.size = 0;
    p.position = p.velocity * p.age + (acceleration * p.age) * p.age;
}

}  // namespace

CParticleSystem::~CParticleSystem() { Destroy(); }

void CParticleSystem::Create(int n, float x, float y, float z, const ParticleParams& params) {
    Destroy();
    if (n <= 0 || n > kMaxCount) {
        LogMessage("CParticleSystem::Create: %d particles refused (1 to %d)\n", n, kMaxCount);
        return;
    }
    particles = new (std::nothrow) Particle[n];
    vertices = new (std::nothrow) ParticleVertex[size_t(n) * 6];
    if (!particles || !vertices) {
        LogMessage("CParticleSystem::Create: out of memory for %d particles\n", n);
        Destroy();
        return;
    }
    count = n;
    emitter = D3DXVECTOR3(x, y, z);
    for (int i = 0; i < count; ++i) Birth(particles[i], params, *this);
}

void CParticleSystem::Emit(const ParticleParams& params) {
    for (int i = 0; i < count; ++i)
        if (!Alive(particles[i])) Birth(particles[i], params, *this);
}

int CParticleSystem::Draw() {
    if (count <= 0) return 0;
    // A frame rate that was never positive would give an endless step.
    const double dt = fps > 0 ? 1.0 / fps : 0.0;
    ParticleVertex* end = vertices;
    for (int i = 0; i < count; ++i) {
        Particle& p = particles[i];
        if (!Alive(p)) continue;
        end = AppendSquare(end, p);
        Advance(p, dt, acceleration);
    }
    if (end == vertices) return 1;
    if (!GraphicsState.device) return 0;

    D3DXMATRIX world = GraphicsState.invViewMatrix;
    world._41 = emitter.x;
    world._42 = emitter.y;
    world._43 = emitter.z;
    SetWorldMatrix(world);

    VertexBuffer buffer;
    buffer.Create(vertices, kParticleFvf, UINT(end - vertices) * sizeof(ParticleVertex));
    buffer.DrawTriangles();
    buffer.Release();
    return 0;
}

void CParticleSystem::SetRangeX(float min, float max) {
    rangeX[0] = min;
    rangeX[1] = max;
}

void CParticleSystem::SetRangeY(float min, float max) {
    rangeY[0] = min;
    rangeY[1] = max;
}

void CParticleSystem::SetRangeZ(float min, float max) {
    rangeZ[0] = min;
    rangeZ[1] = max;
}

void CParticleSystem::SetAcceleration(const D3DXVECTOR3& a) { acceleration = a; }

void CParticleSystem::Destroy() {
    delete[] particles;
    delete[] vertices;
    particles = nullptr;
    vertices = nullptr;
    count = 0;
}
