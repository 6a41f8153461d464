// .x reading: parse time of a generated 50 000-triangle mesh (with normals and
// texture coordinates) in the text and binary encodings, alone and with the
// conversion to a triangle list.
#include <benchmark/benchmark.h>

#include "d3dx8/xfile/x_mesh.h"
#include "d3dx8/xfile/x_parser.h"
#include "d3dx8/xfile/x_writer.h"

namespace {

using namespace nol::d3dx8::xfile;

// A 125 x 200 grid of quads, each written as two triangles.
XSceneDesc Terrain() {
    constexpr int kW = 125, kH = 200;
    XMeshDesc mesh;
    mesh.name = "Terrain";
    for (int y = 0; y <= kH; ++y)
        for (int x = 0; x <= kW; ++x) {
            mesh.positions.push_back({x * 1.25f, float((x * 7 + y * 13) % 23) * 0.173f, y * 1.25f});
            mesh.normals.push_back({0.0f, 1.0f, 0.0f});
            mesh.texCoords.push_back({x / float(kW), y / float(kH)});
        }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t a = y * (kW + 1) + x, b = a + 1, c = a + kW + 1, d = c + 1;
            mesh.faces.push_back({a, c, b});
            mesh.faces.push_back({b, c, d});
        }
    mesh.normalFaces = mesh.faces;
    XMaterialUse material;
    material.material.texture = "terrain.bmp";
    mesh.materials.push_back(material);
    XSceneDesc scene;
    scene.meshes.push_back(std::move(mesh));
    return scene;
}

const std::vector<uint8_t>& File(XWriteFormat format) {
    static const XSceneDesc scene = Terrain();
    static std::vector<uint8_t> files[4];
    std::vector<uint8_t>& f = files[static_cast<int>(format)];
    if (f.empty()) {
        XWriteOptions o;
        o.format = format;
        f = WriteXFile(scene, o);
    }
    return f;
}

void Parse(benchmark::State& state, XWriteFormat format) {
    const std::vector<uint8_t>& file = File(format);
    for (auto _ : state) {
        XFileTree tree;
        XParseResult r = ParseXFile(file.data(), file.size(), tree);
        if (!r.Ok()) state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(tree.objects.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
    state.counters["file_bytes"] = double(file.size());
}

void Load(benchmark::State& state, XWriteFormat format) {
    const std::vector<uint8_t>& file = File(format);
    size_t triangles = 0;
    for (auto _ : state) {
        XMeshData mesh;
        XParseResult r = LoadXMeshFromMemory(file.data(), file.size(), mesh);
        if (!r.Ok()) state.SkipWithError(r.error.c_str());
        triangles = mesh.TriangleCount();
        benchmark::DoNotOptimize(mesh.indices.data());
    }
    state.counters["triangles"] = double(triangles);
}

void BM_ParseText(benchmark::State& s) { Parse(s, XWriteFormat::Text); }
void BM_ParseBinary(benchmark::State& s) { Parse(s, XWriteFormat::Binary); }
void BM_ParseTextCompressed(benchmark::State& s) { Parse(s, XWriteFormat::TextCompressed); }
void BM_ParseBinaryCompressed(benchmark::State& s) { Parse(s, XWriteFormat::BinaryCompressed); }
void BM_LoadMeshText(benchmark::State& s) { Load(s, XWriteFormat::Text); }
void BM_LoadMeshBinary(benchmark::State& s) { Load(s, XWriteFormat::Binary); }

BENCHMARK(BM_ParseText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseTextCompressed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseBinaryCompressed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMeshText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMeshBinary)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
