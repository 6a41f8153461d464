// What the music costs while it plays, and what loading a piece costs: FluidSynth rendering a General MIDI piece
// (strings, bass, piano, drums) and the device mixing it, per second of output, as a
// share of one core. Rendered by hand on a manual output device, so the figure is
// the work alone, without the real-time waits.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dsound8/dsound_test_hooks.h"
#include "sound/music.h"
#include "sound/sound_device.h"
#include "../tests/midi_files.h"

namespace {

constexpr int RATE = 44100;

double CpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Eight bars at 100 bpm: a held string chord, bass in eighths, piano in sixteenths,
// kick and hi-hat; about a dozen voices sound at any time.
std::vector<uint8_t> BusyPiece() {
    const uint32_t q = 480;
    MidiTrackBuilder conductor;
    conductor.Tempo(0, 600000).End(8 * 4 * q);
    MidiTrackBuilder strings, bass, piano, drums;
    strings.Program(0, 0, 48);
    bass.Program(0, 1, 33);
    piano.Program(0, 2, 0);
    const int roots[] = {48, 53, 55, 50};
    for (int bar = 0; bar < 8; ++bar) {
        int root = roots[bar % 4];
        strings.NoteOn(0, 0, root + 12, 70).NoteOn(0, 0, root + 16, 70).NoteOn(0, 0, root + 19, 70);
        strings.NoteOff(4 * q, 0, root + 12).NoteOff(0, 0, root + 16).NoteOff(0, 0, root + 19);
        for (int i = 0; i < 8; ++i) bass.NoteOn(0, 1, root - 12, 90).NoteOff(q / 2, 1, root - 12);
        const int arp[] = {0, 4, 7, 12};
        for (int i = 0; i < 16; ++i) piano.NoteOn(0, 2, root + 24 + arp[i % 4], 80).NoteOff(q / 4, 2, root + 24 + arp[i % 4]);
        for (int i = 0; i < 8; ++i) {
            if (i % 2 == 0) drums.NoteOn(0, 9, 36, 100);
            drums.NoteOn(0, 9, 42, 70).NoteOff(q / 2, 9, 42);
            if (i % 2 == 0) drums.NoteOff(0, 9, 36);
        }
    }
    for (auto* t : {&strings, &bass, &piano, &drums}) t->End(0);
    return MidiFile(1, q, {conductor, strings, bass, piano, drums});
}

struct Device {
    Device() {
        NolDirectSoundUseManualOutput(true);
        DirectSoundCreate8(nullptr, &SoundState.directSound, nullptr);
    }
    ~Device() {
        if (SoundState.directSound) SoundState.directSound->Release();
        SoundState.directSound = nullptr;
    }
    // One second of output, in the device's usual steps.
    void RenderSecond() {
        static std::vector<int16_t> out(1024 * 2);
        for (int done = 0; done < RATE; done += 1024) {
            NolDirectSoundRender(SoundState.directSound, out.data(), uint32_t(std::min(1024, RATE - done)));
            benchmark::DoNotOptimize(out.data());
        }
    }
};

void Measure(benchmark::State& state, Device& device) {
    double cpu = CpuSeconds();
    for (auto _ : state) device.RenderSecond();
    double seconds = double(state.iterations());
    state.counters["core_percent"] = 100.0 * (CpuSeconds() - cpu) / seconds;
}

void MusicPlaying(benchmark::State& state) {
    Device device;
    if (!SoundState.directSound) {
        state.SkipWithError("no sound device");
        return;
    }
    const char* path = "/tmp/nol_music_bench.mid";
    WriteBytes(path, BusyPiece());
    InitDirectMusic();
    if (!LoadMusic(path)) {
        state.SkipWithError("the piece did not load");
        FreeDirectMusic();
        return;
    }
    PlayMusic(1);
    device.RenderSecond();  // past the start-up of the first notes
    Measure(state, device);
    FreeDirectMusic();
    std::remove(path);
}

// The same device mixing nothing: what the music adds is the difference.
void DeviceIdle(benchmark::State& state) {
    Device device;
    if (!SoundState.directSound) {
        state.SkipWithError("no sound device");
        return;
    }
    Measure(state, device);
}

// LoadMusic from the call to ready: the file, a new performance and its synthesiser
// with the SoundFont, as the game pays once at its start.
void LoadPiece(benchmark::State& state) {
    Device device;
    if (!SoundState.directSound) {
        state.SkipWithError("no sound device");
        return;
    }
    const char* path = "/tmp/nol_music_bench_load.mid";
    WriteBytes(path, BusyPiece());
    InitDirectMusic();
    for (auto _ : state) {
        if (!LoadMusic(path)) state.SkipWithError("the piece did not load");
        ReleaseMusic();
    }
    FreeDirectMusic();
    std::remove(path);
}

BENCHMARK(LoadPiece)->Unit(benchmark::kMillisecond);
BENCHMARK(MusicPlaying)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(DeviceIdle)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
