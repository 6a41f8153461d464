// Models and nodes on the real device: loading a 50 000-triangle .x model in text
// and binary through Mesh::Load (parse, build, optimise), and CNode::Pick, counted
// in triangle tests per second. Needs a display (DISPLAY or Xvfb).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "d3dx8/xfile/x_writer.h"
#include "render/direct3d.h"
#include "render/mesh.h"
#include "scene/node.h"
#include "shell/window.h"
#include "win32/sdl_bridge.h"

namespace {

constexpr int kColumns = 200, kRows = 125;  // 2 x 200 x 125 = 50 000 triangles

// A rolling grid of quads with normals and texture coordinates.
nol::d3dx8::xfile::XSceneDesc Grid() {
    nol::d3dx8::xfile::XMeshDesc m;
    m.name = "grid";
    for (int r = 0; r <= kRows; ++r)
        for (int c = 0; c <= kColumns; ++c) {
            float x = c * 0.1f, z = r * 0.1f;
            m.positions.push_back({x, 0.05f * std::sin(x) * std::cos(z), z});
            m.texCoords.push_back({c / float(kColumns), r / float(kRows)});
        }
    m.normals = {{0, 1, 0}};
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            uint32_t i = r * (kColumns + 1) + c;
            m.faces.push_back({i + kColumns + 1, i + kColumns + 2, i + 1, i});
            m.normalFaces.push_back({0, 0, 0, 0});
        }
    nol::d3dx8::xfile::XMaterialUse material;
    m.materials = {material};
    m.faceMaterials = {0};
    nol::d3dx8::xfile::XSceneDesc scene;
    scene.meshes = {m};
    return scene;
}

std::string WriteGrid(nol::d3dx8::xfile::XWriteFormat format, const char* name) {
    std::string path = std::string("/tmp/nol-bench-") + name + ".x";
    nol::d3dx8::xfile::XWriteOptions options;
    options.format = format;
    if (!nol::d3dx8::xfile::WriteXFileToPath(path.c_str(), Grid(), options)) std::abort();
    return path;
}

bool StartDevice() {
    if (GraphicsState.device) return true;
    static char arg0[] = "scene_bench", arg1[] = "-win";
    static char* argv[] = {arg0, arg1, nullptr};
    SetCommandLineArgs(2, argv);
    return NolInitSdlVideo() && InitWindow(GetModuleHandleA(nullptr)) && InitDirect3D();
}

void LoadModel(benchmark::State& state, nol::d3dx8::xfile::XWriteFormat format, const char* name) {
    if (!StartDevice()) {
        state.SkipWithError("no device");
        return;
    }
    std::string path = WriteGrid(format, name);
    // Silence the load lines: the log goes to standard error.
    std::FILE* saved = std::freopen("/dev/null", "w", stderr);
    for (auto _ : state) {
        Mesh mesh;
        if (!mesh.Load(path.c_str(), 0, 1)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(mesh.mesh);
    }
    (void)saved;
    state.SetItemsProcessed(state.iterations() * 2 * kColumns * kRows);
    unlink(path.c_str());
}

void BM_LoadText(benchmark::State& state) { LoadModel(state, nol::d3dx8::xfile::XWriteFormat::Text, "text"); }
void BM_LoadBinary(benchmark::State& state) { LoadModel(state, nol::d3dx8::xfile::XWriteFormat::Binary, "binary"); }

void BM_Pick(benchmark::State& state) {
    if (!StartDevice()) {
        state.SkipWithError("no device");
        return;
    }
    std::string path = WriteGrid(nol::d3dx8::xfile::XWriteFormat::Binary, "pick");
    std::FILE* saved = std::freopen("/dev/null", "w", stderr);
    (void)saved;
    Mesh mesh;
    if (!mesh.Load(path.c_str(), 0, 1)) {
        state.SkipWithError("load failed");
        return;
    }
    CNode node;
    node.Setup(&mesh, 0, 0, 0, 1.0f);
    D3DXVECTOR3 hit;
    Ray ray{D3DXVECTOR3(10.05f, 5, 6.05f), D3DXVECTOR3(0, -1, 0), &hit, nullptr};
    int hits = 0;
    for (auto _ : state) hits += node.Pick(ray);
    if (hits != (int)state.iterations()) state.SkipWithError("the ray missed the grid");
    state.SetItemsProcessed(state.iterations() * mesh.mesh->GetNumFaces());
    unlink(path.c_str());
}

}  // namespace

BENCHMARK(BM_LoadText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pick)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
