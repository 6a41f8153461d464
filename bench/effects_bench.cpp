// Processor time of the effects' Draw on the drawing thread: 10 000 particles (the
// step, 60 000 vertices, a temporary vertex buffer and the draw call) and the wave
// grid (its step, 2400 vertices, the buffer and the draw call).
//
// Each is measured three ways, to tell the effect's own work from the device's:
//   NoDevice  the step and the vertices only (no device: nothing is uploaded);
//   Memory    with a device whose vertex buffers are plain memory (allocation and
//             the copy, no driver);
//   Real      with the framework's device on OpenGL (needs DISPLAY or Xvfb).
// The CPU column is the drawing thread's own time (Google Benchmark measures the
// thread). The particles are a few pixels wide, so rasterising them (which
// llvmpipe does on threads of its own) stays small; frames are presented every
// 30 draws with the timer paused.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "render/direct3d.h"
#include "render/frame.h"
#include "render/vertex_buffer.h"
#include "scene/particles.h"
#include "scene/wave_grid.h"
#include "shell/frame_timer.h"
#include "shell/window.h"
#include "tests/d3d8_memory_fakes.h"
#include "win32/sdl_bridge.h"

namespace {

constexpr int kParticles = 10000;
constexpr int kDrawsPerFrame = 30;

enum class Target { NoDevice, Memory, Real };

bool StartRealDevice() {
    static int started = -1;
    if (started < 0) {
        static char arg0[] = "effects_bench", arg1[] = "-win";
        static char* argv[] = {arg0, arg1, nullptr};
        SetCommandLineArgs(2, argv);
        // Start-up's log lines go to standard error; keep the table readable.
        std::FILE* quiet = std::freopen("/dev/null", "w", stderr);
        (void)quiet;
        started = NolInitSdlVideo() && InitWindow(GetModuleHandleA(nullptr)) && InitDirect3D();
    }
    return started == 1;
}

// Puts the chosen device in GraphicsState for the length of one benchmark.
class DeviceScope {
public:
    DeviceScope(Target target, benchmark::State& state) : target_(target) {
        if (target == Target::Real) {
            if (!StartRealDevice()) {
                state.SkipWithError("no display or no device");
                return;
            }
            const D3DXVECTOR3 eye(0, 0, -30), at(0, 0, 0), up(0, 1, 0);
            D3DXMatrixLookAtLH(&GraphicsState.viewMatrix, &eye, &at, &up);
            BeginFrame(0xFF000000);
            SetLighting(FALSE);
            GraphicsState.device->SetTexture(0, nullptr);
        } else {
            saved_ = GraphicsState.device;
            if (target == Target::Memory) {
                memory_ = std::make_unique<MemoryDevice>();
                memory_->keepResources = false;  // memory stays flat however long it runs
            }
            GraphicsState.device = memory_.get();
            D3DXMatrixIdentity(&GraphicsState.invViewMatrix);
        }
        ok_ = true;
    }
    ~DeviceScope() {
        if (target_ == Target::Real) {
            if (ok_) EndFrame();
        } else {
            GraphicsState.device = saved_;
        }
    }
    bool ok() const { return ok_; }

    // Shows what was drawn, so that the device's queue does not grow without end.
    void Present(benchmark::State& state) {
        if (target_ != Target::Real) return;
        state.PauseTiming();
        EndFrame();
        BeginFrame(0xFF000000);
        state.ResumeTiming();
    }

private:
    Target target_;
    bool ok_ = false;
    IDirect3DDevice8* saved_ = nullptr;
    std::unique_ptr<MemoryDevice> memory_;
};

// A fountain: long-lived particles a few pixels wide, drifting out from the emitter.
ParticleParams Fountain() {
    ParticleParams p{};
    p.lifetimeMin = 1000, p.lifetimeMax = 2000;
    p.redMin = 128, p.redMax = 255, p.greenMin = 64, p.greenMax = 200, p.blueMin = 0, p.blueMax = 64;
    p.alphaMin = 128, p.alphaMax = 255;
    p.alphaRateMin = -1, p.alphaRateMax = 0;
    p.sizeMin = 0.02f, p.sizeMax = 0.05f;
    p.sizeRateMin = 0, p.sizeRateMax = 0.001f;
    p.speedMin = 0.1f, p.speedMax = 0.5f;
    return p;
}

void Particles(benchmark::State& state, Target target) {
    DeviceScope scope(target, state);
    if (!scope.ok()) return;
    frameTimer.fps = 30.0f;
    std::srand(1);
    CParticleSystem system;
    system.SetAcceleration(D3DXVECTOR3(0, -0.05f, 0));
    system.Create(kParticles, 0, 0, 0, Fountain());
    int draws = 0;
    for (auto _ : state) {
        if (system.Draw() != 0) state.SkipWithError("no particle alive");
        if (++draws % kDrawsPerFrame == 0) scope.Present(state);
    }
    state.SetItemsProcessed(state.iterations() * kParticles);
}

constexpr DWORD kParticleFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr UINT kParticleBytes = kParticles * 6 * sizeof(ParticleVertex);

// A system whose vertex array holds one frame of its particles.
void FillOnce(CParticleSystem& system) {
    std::srand(1);
    system.Create(kParticles, 0, 0, 0, Fountain());
    system.Draw();
}

// The device's share on its own: a buffer of 10 000 particles' vertices made,
// filled, drawn and let go, as each Draw does.
void ParticleBufferOnly(benchmark::State& state, Target target) {
    DeviceScope scope(target, state);
    if (!scope.ok()) return;
    CParticleSystem system;
    FillOnce(system);
    int draws = 0;
    for (auto _ : state) {
        VertexBuffer buffer;
        buffer.Create(system.vertices, kParticleFvf, kParticleBytes);
        buffer.DrawTriangles();
        buffer.Release();
        if (++draws % kDrawsPerFrame == 0) scope.Present(state);
    }
}

// What the driver takes to draw the same vertices from a buffer it already has:
// on llvmpipe the vertex shading and triangle set-up run on the drawing thread,
// the work a graphics card does elsewhere. Particles/Real less this is the
// effect's and the layer's own share.
void ParticleDrawOnly(benchmark::State& state, Target target) {
    DeviceScope scope(target, state);
    if (!scope.ok()) return;
    CParticleSystem system;
    FillOnce(system);
    VertexBuffer buffer;
    buffer.Create(system.vertices, kParticleFvf, kParticleBytes);
    int draws = 0;
    for (auto _ : state) {
        buffer.DrawTriangles();
        if (++draws % kDrawsPerFrame == 0) scope.Present(state);
    }
}

void WaveGrid(benchmark::State& state, Target target) {
    DeviceScope scope(target, state);
    if (!scope.ok()) return;
    auto grid = std::make_unique<CWaveGrid>();
    grid->Disturb(5, 5, 0.3f);
    if (target == Target::Real) SetWorldMatrix(GraphicsState.worldMatrix);
    int draws = 0;
    for (auto _ : state) {
        grid->Draw();
        if (++draws % kDrawsPerFrame == 0) scope.Present(state);
    }
}

}  // namespace

BENCHMARK_CAPTURE(Particles, NoDevice, Target::NoDevice)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Particles, Memory, Target::Memory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Particles, Real, Target::Real)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ParticleBufferOnly, Memory, Target::Memory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ParticleBufferOnly, Real, Target::Real)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ParticleDrawOnly, Real, Target::Real)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WaveGrid, NoDevice, Target::NoDevice)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WaveGrid, Memory, Target::Memory)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WaveGrid, Real, Target::Real)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
