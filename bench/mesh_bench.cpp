// ID3DXMesh::OptimizeInplace on a 50 000-triangle mesh, as a model load runs it
// (COMPACT | ATTRSORT | VERTEXCACHE with the loader's adjacency), and the vertex
// cache it achieves. Needs a display (DISPLAY or Xvfb) for the device whose
// buffers the mesh lives in.
//
// The mesh: a 200 x 125 grid of quads in eight material bands, its faces shuffled
// as an exporter might leave them. Each iteration puts the shuffled faces back
// (not timed) and optimises.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "bench_device.h"
#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8mesh.h"
#include "win32/sdl_bridge.h"
#include "win32/windows.h"

namespace {

struct Vertex {
    float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
constexpr int kColumns = 200, kRows = 125;  // 2 x 200 x 125 = 50 000 triangles
constexpr DWORD kMaterials = 8;

// Misses per triangle of a 16-entry FIFO vertex cache.
double Acmr(const uint16_t* indices, size_t count) {
    std::vector<int> fifo(16, -1);
    size_t next = 0, misses = 0;
    for (size_t i = 0; i < count; ++i) {
        if (std::find(fifo.begin(), fifo.end(), int(indices[i])) != fifo.end()) continue;
        ++misses;
        fifo[next++ % fifo.size()] = indices[i];
    }
    return double(misses) / double(count / 3);
}

struct Bench {
    BenchDevice base;
    IDirect3DDevice8* device = nullptr;
    ID3DXMesh* mesh = nullptr;
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
    std::vector<DWORD> attributes;
    std::vector<DWORD> adjacency;
    bool ok = false;

    Bench() {
        if (!base.Open("NOL_MESH_BENCH")) return;
        device = base.device;
        MakeGrid();
        const DWORD faces = DWORD(attributes.size()), count = DWORD(vertices.size());
        if (FAILED(D3DXCreateMeshFVF(faces, count, D3DXMESH_SYSTEMMEM, kFvf, device, &mesh))) return;
        Restore();
        adjacency.resize(size_t(faces) * 3);
        ok = SUCCEEDED(mesh->GenerateAdjacency(0.0f, adjacency.data()));
    }

    void MakeGrid() {
        for (int r = 0; r <= kRows; ++r)
            for (int c = 0; c <= kColumns; ++c)
                vertices.push_back(Vertex{float(c), 0, float(r), 0, 1, 0, c / float(kColumns), r / float(kRows)});
        struct Face {
            uint16_t i[3];
            DWORD material;
        };
        std::vector<Face> faces;
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c) {
                auto at = [&](int rr, int cc) { return uint16_t(rr * (kColumns + 1) + cc); };
                DWORD material = DWORD(r) * kMaterials / kRows;
                faces.push_back({{at(r, c), at(r + 1, c), at(r, c + 1)}, material});
                faces.push_back({{at(r, c + 1), at(r + 1, c), at(r + 1, c + 1)}, material});
            }
        std::shuffle(faces.begin(), faces.end(), std::mt19937(7));
        for (const Face& f : faces) {
            indices.insert(indices.end(), f.i, f.i + 3);
            attributes.push_back(f.material);
        }
    }

    // The unoptimised faces, back in the mesh.
    void Restore() {
        BYTE* bytes = nullptr;
        mesh->LockVertexBuffer(0, &bytes);
        std::memcpy(bytes, vertices.data(), vertices.size() * sizeof(Vertex));
        mesh->UnlockVertexBuffer();
        mesh->LockIndexBuffer(0, &bytes);
        std::memcpy(bytes, indices.data(), indices.size() * sizeof(uint16_t));
        mesh->UnlockIndexBuffer();
        DWORD* a = nullptr;
        mesh->LockAttributeBuffer(0, &a);
        std::memcpy(a, attributes.data(), attributes.size() * sizeof(DWORD));
        mesh->UnlockAttributeBuffer();
    }

    double MeshAcmr() {
        BYTE* bytes = nullptr;
        mesh->LockIndexBuffer(D3DLOCK_READONLY, &bytes);
        double acmr = Acmr(reinterpret_cast<const uint16_t*>(bytes), size_t(mesh->GetNumFaces()) * 3);
        mesh->UnlockIndexBuffer();
        return acmr;
    }

    ~Bench() {
        if (mesh) mesh->Release();
        base.Close();
    }
};

Bench& Shared() {
    static Bench bench;
    return bench;
}

void Optimise(benchmark::State& state, DWORD flags, bool withAdjacency) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    std::vector<DWORD> adjacencyOut(b.adjacency.size());
    double before = 0, after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        b.Restore();
        before = b.MeshAcmr();
        state.ResumeTiming();
        HRESULT hr = b.mesh->OptimizeInplace(flags, withAdjacency ? b.adjacency.data() : nullptr,
                                             adjacencyOut.data(), nullptr, nullptr);
        if (FAILED(hr)) return state.SkipWithError("OptimizeInplace failed");
    }
    after = b.MeshAcmr();
    state.counters["acmr_before"] = before;
    state.counters["acmr_after"] = after;
    state.SetItemsProcessed(state.iterations() * int64_t(b.mesh->GetNumFaces()));
}

void BM_OptimizeInplaceFull(benchmark::State& state) {
    Optimise(state, D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, true);
    state.SetLabel("50 000 triangles, COMPACT|ATTRSORT|VERTEXCACHE, adjacency given");
}
BENCHMARK(BM_OptimizeInplaceFull)->Unit(benchmark::kMillisecond);

void BM_OptimizeInplaceFullAdjacencyComputed(benchmark::State& state) {
    Optimise(state, D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, false);
    state.SetLabel("50 000 triangles, COMPACT|ATTRSORT|VERTEXCACHE, output adjacency computed");
}
BENCHMARK(BM_OptimizeInplaceFullAdjacencyComputed)->Unit(benchmark::kMillisecond);

void BM_OptimizeInplaceAttrSortOnly(benchmark::State& state) {
    Optimise(state, D3DXMESHOPT_ATTRSORT, true);
    state.SetLabel("50 000 triangles, ATTRSORT");
}
BENCHMARK(BM_OptimizeInplaceAttrSortOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
