// What an immediate-mode shape costs: each call makes a vertex buffer, fills it,
// draws it and lets it go. Side by side with DrawPrimitiveUP of the same
// vertices (built the same way each call), which is what the shape would cost
// without a buffer of its own. Needs a display (DISPLAY or Xvfb).
//
// Draws go to a 16 x 16 render target, so that the numbers measure the layers and
// the driver rather than the rasteriser; every batch ends with a read-back of it,
// which waits for the device to finish the batch.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bench_device.h"
#include "d3d8/d3d8_test_hooks.h"
#include "render/graphics_state.h"
#include "scene/shapes.h"
#include "win32/log_sink.h"

namespace {

struct ScreenVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
};
struct WorldVertex {
    float x, y, z;
    D3DCOLOR colour;
};

struct Bench {
    BenchDevice base;
    IDirect3DTexture8* target = nullptr;
    IDirect3DSurface8* surface = nullptr;
    bool ok = false;

    Bench() {
        NolSetLogSink([](const char*) {});
        if (!base.Open("NOL_SHAPES_BENCH")) return;
        IDirect3DDevice8* d = base.device;
        if (FAILED(d->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, base.format, D3DPOOL_DEFAULT, &target)) ||
            FAILED(target->GetSurfaceLevel(0, &surface)) || FAILED(d->SetRenderTarget(surface, nullptr)))
            return;
        GraphicsState.device = d;
        // Identity world, view and projection: world shapes are in clip space.
        D3DMATRIX identity{};
        identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
        d->SetTransform(D3DTS_WORLD, &identity);
        d->SetTransform(D3DTS_VIEW, &identity);
        d->SetTransform(D3DTS_PROJECTION, &identity);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
        d->SetRenderState(D3DRS_ZENABLE, FALSE);
        d->BeginScene();
        ok = true;
    }
    ~Bench() {
        if (ok) base.device->EndScene();
        GraphicsState.device = nullptr;
        if (surface) surface->Release();
        if (target) target->Release();
        base.Close();
    }
    void Finish() {
        std::vector<uint32_t> pixels;
        UINT w = 0, h = 0;
        NolD3D8ReadSurface(base.device, surface, &pixels, &w, &h);
    }
};

Bench& Shared() {
    static Bench bench;
    return bench;
}

constexpr int kBatch = 100;
constexpr D3DCOLOR kColour = 0xFF40C080u;
constexpr float kRadius = 0.5f;

void BM_FillRect2D(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) FillRect2D(2 + i % 7, 2, 14, 14, kColour);
        b.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("calls; 4 vertices in a buffer of their own each");
}
BENCHMARK(BM_FillRect2D)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FillRect2DAsDrawPrimitiveUP(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            const float x1 = static_cast<float>(2 + i % 7);
            const ScreenVertex v[4] = {{x1, 14, 0, 1, kColour}, {x1, 2, 0, 1, kColour},
                                       {14, 2, 0, 1, kColour}, {14, 14, 0, 1, kColour}};
            b.base.device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
            b.base.device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, v, sizeof(ScreenVertex));
        }
        b.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("calls; the same 4 vertices from user memory");
}
BENCHMARK(BM_FillRect2DAsDrawPrimitiveUP)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FillCircle3D(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) FillCircle3D(0.01f * (i % 7), 0, 0.5f, kRadius, kColour, 0);
        b.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("calls; 38 vertices in a buffer of their own each");
}
BENCHMARK(BM_FillCircle3D)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FillCircle3DAsDrawPrimitiveUP(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            const float cx = 0.01f * (i % 7), cy = 0;
            WorldVertex v[38];
            v[0] = {cx, cy, 0.5f, kColour};
            for (int k = 0; k < 36; ++k) {
                const float a = (36 - k) * D3DX_PI / 18;
                v[k + 1] = {cx + kRadius * std::cos(a), cy + kRadius * std::sin(a), 0.5f, kColour};
            }
            v[37] = v[1];
            b.base.device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
            b.base.device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 36, v, sizeof(WorldVertex));
        }
        b.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("calls; the same 38 vertices from user memory");
}
BENCHMARK(BM_FillCircle3DAsDrawPrimitiveUP)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
