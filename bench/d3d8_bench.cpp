// Draw-call throughput of the Direct3D stand-in and the cost of state changes that
// select another generated program. Needs a display (DISPLAY or Xvfb).
//
// Draws go to a 16 x 16 render target so that the numbers measure the layer and
// the driver, not the rasteriser; every batch of draws ends with a read-back,
// which waits for the GPU (or llvmpipe) to finish them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "bench_device.h"
#include "d3d8/d3d8.h"
#include "d3d8/d3d8_test_hooks.h"
#include "win32/sdl_bridge.h"
#include "win32/windows.h"

namespace {

struct Vertex {
    float x, y, z;
    D3DCOLOR color;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// One device for every benchmark, drawing into a small render target.
struct Bench {
    BenchDevice base;
    IDirect3DDevice8* device = nullptr;
    IDirect3DTexture8* target = nullptr;
    IDirect3DSurface8* surface = nullptr;
    IDirect3DVertexBuffer8* vb = nullptr;
    bool ok = false;

    Bench() {
        if (!base.Open("NOL_D3D_BENCH")) return;
        device = base.device;
        if (FAILED(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, base.format,
                                         D3DPOOL_DEFAULT, &target)) ||
            FAILED(target->GetSurfaceLevel(0, &surface)) ||
            FAILED(device->SetRenderTarget(surface, nullptr)))
            return;
        // Two triangles: the small batch.
        if (FAILED(device->CreateVertexBuffer(6 * sizeof(Vertex), D3DUSAGE_WRITEONLY, kFvf,
                                              D3DPOOL_MANAGED, &vb)))
            return;
        BYTE* data = nullptr;
        vb->Lock(0, 0, &data, 0);
        const Vertex quad[6] = {{-1, -1, 0.5f, 0xFFFF0000u}, {-1, 1, 0.5f, 0xFF00FF00u},
                                {1, 1, 0.5f, 0xFF0000FFu},   {-1, -1, 0.5f, 0xFFFF0000u},
                                {1, 1, 0.5f, 0xFF0000FFu},   {1, -1, 0.5f, 0xFFFFFFFFu}};
        std::memcpy(data, quad, sizeof quad);
        vb->Unlock();
        device->SetStreamSource(0, vb, sizeof(Vertex));
        device->SetVertexShader(kFvf);
        device->SetRenderState(D3DRS_LIGHTING, FALSE);
        device->BeginScene();
        ok = true;
    }

    // Waits for everything drawn so far.
    void Finish() {
        std::vector<uint32_t> pixels;
        UINT w = 0, h = 0;
        NolD3D8ReadSurface(device, surface, &pixels, &w, &h);
    }

    ~Bench() {
        if (device) device->EndScene();
        if (vb) vb->Release();
        if (surface) surface->Release();
        if (target) target->Release();
        base.Close();
    }
};

Bench& Shared() {
    static Bench bench;
    return bench;
}

constexpr int kBatch = 100;

void BM_DrawPrimitiveSmallBatch(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        b.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("draws; 2 triangles each from a managed vertex buffer");
}
BENCHMARK(BM_DrawPrimitiveSmallBatch)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_DrawPrimitiveUPSmallBatch(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    const Vertex tri[6] = {{-1, -1, 0.5f, 0xFFFF0000u}, {-1, 1, 0.5f, 0xFF00FF00u},
                           {1, 1, 0.5f, 0xFF0000FFu},   {-1, -1, 0.5f, 0xFFFF0000u},
                           {1, 1, 0.5f, 0xFF0000FFu},   {1, -1, 0.5f, 0xFFFFFFFFu}};
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) b.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, tri, sizeof(Vertex));
        b.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("draws; 2 triangles each from user memory");
    b.device->SetStreamSource(0, b.vb, sizeof(Vertex));  // the UP draws unset it
}
BENCHMARK(BM_DrawPrimitiveUPSmallBatch)->Unit(benchmark::kMicrosecond)->UseRealTime();

// World matrix changes between draws: uniforms only, same program.
void BM_DrawWithTransformChange(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    D3DMATRIX world{};
    world._11 = world._22 = world._33 = world._44 = 1.0f;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            world._41 = static_cast<float>(i % 3) * 0.01f;
            b.device->SetTransform(D3DTS_WORLD, &world);
            b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        }
        b.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("draws; SetTransform(WORLD) before each");
}
BENCHMARK(BM_DrawWithTransformChange)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Alternating between two states whose programs are already generated.
void BM_StateChangeBetweenCachedPrograms(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    b.device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    b.device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            b.device->SetRenderState(D3DRS_ALPHATESTENABLE, i & 1);
            b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        }
        b.Finish();
    }
    b.device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("draws; alpha test toggled before each (program switch)");
}
BENCHMARK(BM_StateChangeBetweenCachedPrograms)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A state never seen before: generate, compile and link a program, then draw.
void BM_StateChangeNeedingNewProgram(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    // Stage 0 colour operation and arguments give a few thousand distinct keys.
    const DWORD ops[] = {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE, D3DTOP_MODULATE2X,
                         D3DTOP_MODULATE4X, D3DTOP_ADD, D3DTOP_ADDSIGNED, D3DTOP_ADDSIGNED2X,
                         D3DTOP_SUBTRACT, D3DTOP_ADDSMOOTH, D3DTOP_BLENDDIFFUSEALPHA,
                         D3DTOP_BLENDFACTORALPHA, D3DTOP_BLENDCURRENTALPHA, D3DTOP_DOTPRODUCT3};
    const DWORD args[] = {D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTA_SPECULAR, D3DTA_TEMP,
                          D3DTA_DIFFUSE | D3DTA_COMPLEMENT, D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE};
    static size_t next = 0;
    const size_t total = std::size(ops) * std::size(args) * std::size(args);
    size_t before = NolD3D8ProgramCount(b.device);
    for (auto _ : state) {
        if (next >= total) {
            state.SkipWithError("ran out of distinct states");
            break;
        }
        size_t k = next++;
        b.device->SetTextureStageState(0, D3DTSS_COLOROP, ops[k % std::size(ops)]);
        b.device->SetTextureStageState(0, D3DTSS_COLORARG1, args[(k / std::size(ops)) % std::size(args)]);
        b.device->SetTextureStageState(0, D3DTSS_COLORARG2,
                                       args[k / (std::size(ops) * std::size(args))]);
        b.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2);
        b.Finish();
    }
    state.counters["programs"] = static_cast<double>(NolD3D8ProgramCount(b.device) - before);
    b.device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    b.device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    b.device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
}
BENCHMARK(BM_StateChangeNeedingNewProgram)->Unit(benchmark::kMillisecond)->Iterations(200)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
