// Keyframe animation text: read time of a generated file of 50 parts x 1,000
// keys (about 3 MB), meshes aside, in bytes per second; beside it, the C
// library's fscanf reading the same bytes from a memory stream, for scale.
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <cmath>
#include <string>
#include <vector>

#include "scene/animation_file.h"

namespace {

constexpr int kParts = 50, kKeys = 1000;

// Positions and unit quaternions with six decimals, one record a line.
const std::string& Text() {
    static const std::string text = [] {
        std::string t = std::to_string(kParts) + "\n";
        for (int i = 0; i < kParts; ++i) t += "part" + std::to_string(i) + ".x\n";
        t += std::to_string(kKeys) + "\n";
        char line[160];
        for (int k = 0; k < kKeys; ++k)
            for (int i = 0; i < kParts; ++i) {
                const float a = 0.01f * float(k) + 0.1f * float(i), half = a / 2;
                std::snprintf(line, sizeof line, "%f,%f,%f %f,%f,%f,%f\n", 3.5 * std::cos(a) - i, 0.25 * k,
                              -12.75 * std::sin(a), 0.0, std::sin(half), 0.0, std::cos(half));
                t += line;
            }
        return t;
    }();
    return text;
}

void ReadAnimation(benchmark::State& state) {
    const std::string& text = Text();
    for (auto _ : state) {
        AnimationText read = ReadAnimationText(text);
        if (read.keys.size() != size_t(kParts) * kKeys || !read.problems.empty()) state.SkipWithError("misread");
        benchmark::DoNotOptimize(read.keys.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(ReadAnimation)->Unit(benchmark::kMillisecond);

// What the file costs through fscanf, as a program of the original kind reads it.
void ReadWithFscanf(benchmark::State& state) {
    std::string text = Text();
    std::vector<AnimationKey> keys(size_t(kParts) * kKeys);
    for (auto _ : state) {
        FILE* f = fmemopen(text.data(), text.size(), "r");
        int parts = 0, count = 0;
        char name[256];
        bool ok = fscanf(f, "%d", &parts) == 1;
        for (int i = 0; ok && i < parts; ++i) ok = fscanf(f, "%255s", name) == 1;
        ok = ok && fscanf(f, "%d", &count) == 1;
        for (AnimationKey& k : keys)
            ok = ok && fscanf(f, "%f,%f,%f %f,%f,%f,%f", &k.position.x, &k.position.y, &k.position.z,
                              &k.rotation.x, &k.rotation.y, &k.rotation.z, &k.rotation.w) == 7;
        fclose(f);
        if (!ok) state.SkipWithError("misread");
        benchmark::DoNotOptimize(keys.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(ReadWithFscanf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
