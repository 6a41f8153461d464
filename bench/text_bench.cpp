// The shared font's cost: the race display drawn once a frame with its glyphs
// already in the atlas, and the first draw of strings whose glyphs are new.
// Needs a display (DISPLAY or Xvfb).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_device.h"
#include "d3d8/d3d8_test_hooks.h"
#include "d3dx8/d3dx8core.h"
#include "win32/log_sink.h"

namespace {

struct Bench {
    BenchDevice base;
    ID3DXFont* font = nullptr;
    bool ok = false;

    Bench() {
        NolSetLogSink([](const char*) {});
        if (!base.Open("NOL_TEXT_BENCH")) return;
        LOGFONT lf{};
        lf.lfHeight = 16;
        lf.lfWeight = 400;
        lf.lfCharSet = SHIFTJIS_CHARSET;
        std::strncpy(lf.lfFaceName, "ＭＳ ゴシック", LF_FACESIZE - 1);
        if (FAILED(D3DXCreateFontIndirect(base.device, &lf, &font))) return;
        base.device->BeginScene();
        ok = true;
    }
    ~Bench() {
        if (font) {
            base.device->EndScene();
            font->Release();
        }
        base.Close();
    }

    void Draw(int x, int y, const char* text) {
        RECT r{x, y, 640, 480};
        font->DrawTextA(text, -1, &r, DT_NOPREFIX | DT_EXPANDTABS, 0xFFFFFFFF);
    }
    // Waits for the device to finish what was drawn.
    void Finish() {
        std::vector<uint32_t> pixels;
        UINT w = 0, h = 0;
        NolD3D8ReadSurface(base.device, nullptr, &pixels, &w, &h);
    }
};

Bench& Shared() {
    static Bench bench;
    return bench;
}

constexpr int kLaps = 7;

// The race display: the total, then "Lap", its number and its count per lap,
// the numbers changing every frame as they do in a race.
int DrawRaceDisplay(Bench& b, int frame) {
    char number[32];
    int characters = 0;
    auto draw = [&](int x, int y, const char* text) {
        b.Draw(x, y, text);
        characters += int(std::strlen(text));
    };
    draw(0, 0, "Tota Frame");
    std::snprintf(number, sizeof number, "%d\n", 12000 + frame);
    draw(100, 0, number);
    for (int i = 1; i <= kLaps; ++i) {
        draw(0, 18 * i, "Lap");
        std::snprintf(number, sizeof number, "%d\n", i);
        draw(40, 18 * i, number);
        std::snprintf(number, sizeof number, "%d\n", 1700 + 37 * i + (i == kLaps ? frame : 0));
        draw(50, 18 * i, number);
    }
    return characters;
}

void BM_RaceDisplayCachedGlyphs(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    DrawRaceDisplay(b, 0);  // every glyph into the atlas
    int frame = 0, characters = 0;
    for (auto _ : state) {
        b.font->Begin();
        characters = DrawRaceDisplay(b, ++frame);
        b.font->End();
        if (frame % 64 == 0) {
            state.PauseTiming();
            b.Finish();
            state.ResumeTiming();
        }
    }
    state.counters["strings"] = 2 + 3 * kLaps;
    state.counters["characters"] = characters;
    state.SetLabel("one frame's race display between Begin and End");
}
BENCHMARK(BM_RaceDisplayCachedGlyphs)->Unit(benchmark::kMicrosecond);

// The budget case: two dozen short strings of about 200 characters in all, as a
// busier display than the race's would draw.
void BM_TwoDozenStringsOf200Characters(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    char lines[24][16];
    int characters = 0;
    for (int i = 0; i < 24; ++i)
        characters += std::snprintf(lines[i], sizeof lines[i], "Lap %2d %04d", i, 1000 + 37 * i);
    for (auto& line : lines) b.Draw(0, 0, line);  // every glyph into the atlas
    int frame = 0;
    for (auto _ : state) {
        b.font->Begin();
        for (int i = 0; i < 24; ++i) b.Draw(8 + (i / 12) * 320, 20 * (i % 12), lines[i]);
        b.font->End();
        if (++frame % 64 == 0) {
            state.PauseTiming();
            b.Finish();
            state.ResumeTiming();
        }
    }
    state.counters["strings"] = 24;
    state.counters["characters"] = characters;
    state.SetLabel("24 strings, glyphs cached, between Begin and End");
}
BENCHMARK(BM_TwoDozenStringsOf200Characters)->Unit(benchmark::kMicrosecond);

// Ten kanji never drawn before per string: rasterising, placing in the atlas,
// uploading and drawing. The kanji of CP932's first level run out after some
// 290 strings, so the count is fixed.
void BM_FirstDrawOfTenNewKanji(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    unsigned lead = 0x89, trail = 0x40;
    for (auto _ : state) {
        char text[21] = {};
        for (int i = 0; i < 10; ++i) {
            text[2 * i] = char(lead);
            text[2 * i + 1] = char(trail);
            if (++trail == 0x7F) trail = 0x80;
            if (trail == 0xFD) trail = 0x40, ++lead;
        }
        b.Draw(0, 100, text);
    }
    b.Finish();
    state.SetLabel("a 10-kanji string whose glyphs are all new");
}
BENCHMARK(BM_FirstDrawOfTenNewKanji)->Unit(benchmark::kMicrosecond)->Iterations(250);

// A string never drawn before whose glyphs are all cached: layout and quads only.
void BM_FirstDrawOfANewStringOfCachedGlyphs(benchmark::State& state) {
    Bench& b = Shared();
    if (!b.ok) return state.SkipWithError("no Direct3D device (no display?)");
    b.Draw(0, 0, "0123456789 Lap");
    int n = 0;
    for (auto _ : state) {
        char text[32];
        std::snprintf(text, sizeof text, "Lap %d %d", n, n * 7 + 3);
        ++n;
        b.Draw(0, 200, text);
        if (n % 256 == 0) {
            state.PauseTiming();
            b.Finish();
            state.ResumeTiming();
        }
    }
    state.SetLabel("a new string of glyphs already in the atlas, outside Begin/End");
}
BENCHMARK(BM_FirstDrawOfANewStringOfCachedGlyphs)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
