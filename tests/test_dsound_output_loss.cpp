// A sound output that goes and comes back: a real PulseAudio server with a null
// sink, killed while music and a notifying stream buffer play, then started
// again. The mix is recorded from the sink's monitor.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "display_required.h"
#include "dmusic/dmusici.h"
#include "dsound_fixture.h"
#include "midi_files.h"
#include "pulse_server.h"

namespace {

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

double NowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

// The service thread logs too: lines are kept under a lock of their own.
std::mutex logLock;
std::vector<std::string> logLines;
void KeepLine(const char* line) {
    std::lock_guard<std::mutex> guard(logLock);
    logLines.push_back(std::to_string(long(NowMs())) + " " + line);
}
int LogCount(const std::string& text) {
    std::lock_guard<std::mutex> guard(logLock);
    return int(std::count_if(logLines.begin(), logLines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    }));
}

constexpr DWORD kRingBytes = 4 * 4096;

// What the game does every frame with its sounds, timed: none of it may wait for
// the sound server, whatever state that is in.
struct FrameLoop {
    IDirectSoundBuffer* stream;
    HANDLE blockEnd;
    int notifications = 0;
    DWORD lastPlay = 0;
    DWORD advanced = 0;  // bytes the ring has played, across its wraps
    double slowestCallMs = 0;
    bool stoppedPlaying = false;

    void Frame() {
        double start = NowMs();
        DWORD status = 0, play = 0, write = 0;
        stream->GetStatus(&status);
        stream->GetCurrentPosition(&play, &write);
        advanced += (play + kRingBytes - lastPlay) % kRingBytes;
        lastPlay = play;
        stream->SetVolume(-100);
        slowestCallMs = std::max(slowestCallMs, NowMs() - start);
        if (!(status & DSBSTATUS_PLAYING)) stoppedPlaying = true;
        while (WaitForSingleObject(blockEnd, 0) == WAIT_OBJECT_0) ++notifications;
    }
    // Frames every 10 ms until `until` says so or `ms` pass; true when it said so.
    template <typename Until>
    bool RunFor(double ms, Until until) {
        double end = NowMs() + ms;
        while (NowMs() < end) {
            Frame();
            if (until()) return true;
            usleep(10000);
        }
        return false;
    }
};

TEST(DirectSoundOutputLoss, TheMixGoesOnSilentlyAndReturnsWhereItWasWhenTheServerComesBack) {
    if (!NolToolInstalled("/usr/bin/pulseaudio") || !NolToolInstalled("/usr/bin/parec"))
        NOL_SKIP_OR_FAIL("pulseaudio and parec (pulseaudio, pulseaudio-utils) are not installed");
    PulseServer pulse;
    pulse.ConfigureClients();
    // Read once, when OpenAL Soft starts: this process's first OpenAL call is below.
    setenv("ALSOFT_DRIVERS", "pulse", 1);
    ASSERT_TRUE(pulse.Start());
    // What OpenAL Soft and ALSA would print on the terminal goes to a file here.
    fflush(stderr);
    int terminal = dup(2);
    int errFile = open(pulse.File("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(errFile, 0);
    dup2(errFile, 2);
    close(errFile);

    NolSetLogSink(KeepLine);
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
    ASSERT_EQ(LogCount("playing silently"), 0);  // the server's sink was found

    // A silent looping ring, as a streaming player keeps, signalling each of its
    // four 1024-frame blocks.
    WAVEFORMATEX f = PcmFormat(2, 44100, 16);
    DSBUFFERDESC desc{sizeof desc, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPOSITIONNOTIFY, kRingBytes, 0, &f,
                      GUID_NULL};
    IDirectSoundBuffer* ring = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &ring, nullptr), DS_OK);
    HANDLE blockEnd = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DSBPOSITIONNOTIFY ends[4];
    for (DWORD i = 0; i < 4; ++i) ends[i] = {4096 * i + 4095, blockEnd};
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(ring->QueryInterface(IID_IDirectSoundNotify, (void**)&notify), S_OK);
    notify->SetNotificationPositions(4, ends);
    notify->Release();
    ring->Play(0, 0, DSBPLAY_LOOPING);

    // The music: one organ note held for 30 s, the only thing to be heard.
    TempDir dir;
    MidiTrackBuilder track;
    track.Program(0, 0, 19).NoteOn(0, 0, 60, 120).NoteOff(96 * 60, 0, 60).End(0);
    WriteBytes(dir.File("organ.mid"), MidiFile(0, 96, {track}));
    IDirectMusicLoader8* loader = nullptr;
    IDirectMusicPerformance8* performance = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                               (void**)&loader), S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC,
                               IID_IDirectMusicPerformance8, (void**)&performance), S_OK);
    std::u16string where = Wide(dir.path), name = Wide("organ.mid");
    loader->SetSearchDirectory(GUID_DirectMusicAllTypes, where.data(), FALSE);
    IDirectMusicSegment8* segment = nullptr;
    ASSERT_EQ(loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, name.data(),
                                         (void**)&segment), S_OK);
    IDirectSound* shared = ds;
    ASSERT_EQ(performance->InitAudio(nullptr, &shared, nullptr, DMUS_APATH_SHARED_STEREOPLUSREVERB, 64,
                                     DMUS_AUDIOF_ALL, nullptr), S_OK);
    IDirectMusicSegmentState* state = nullptr;
    ASSERT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, &state, nullptr, nullptr), S_OK);

    FrameLoop game{ring, blockEnd};
    const double audible = 0.005;
    {
        PulseServer::Recording heard(pulse, pulse.File("before.raw"));
        EXPECT_TRUE(game.RunFor(3000, [&] { return heard.RecentRms(200) > audible; }))
            << "the music never reached the sink";
    }
    game.RunFor(500, [] { return false; });
    MUSIC_TIME seekBeforeLoss = 0;
    state->GetSeek(&seekBeforeLoss);
    double lostAt = NowMs();

    pulse.Kill();
    game.notifications = 0;
    EXPECT_TRUE(game.RunFor(2500, [] { return LogCount("sound output lost") > 0; }))
        << "the loss of the output was not noticed";
    double noticedAfterMs = NowMs() - lostAt;
    // A second of silent play: the ring goes round and signals as if heard.
    // Signals between two frames merge into one wake, so they are counted loosely;
    // the position says how far it went.
    game.notifications = 0;
    game.advanced = 0;
    game.RunFor(1000, [] { return false; });
    EXPECT_GT(game.notifications, 10);
    EXPECT_GT(game.advanced, 44100u * 4 / 2);
    EXPECT_EQ(LogCount("sound output lost"), 1);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_OK);

    ASSERT_TRUE(pulse.Start());
    double restartedAt = NowMs();
    {
        PulseServer::Recording heard(pulse, pulse.File("after.raw"));
        EXPECT_TRUE(game.RunFor(3000, [&] { return heard.RecentRms(100) > audible; }))
            << "the sink stayed silent after the server came back";
    }
    double backAfterMs = NowMs() - restartedAt;
    EXPECT_EQ(LogCount("sound output is back"), 1);
    EXPECT_EQ(LogCount("sound output lost"), 1);

    // The music went on through the outage rather than starting again.
    MUSIC_TIME seekAfter = 0;
    state->GetSeek(&seekAfter);
    double outageMs = NowMs() - lostAt;
    double ticksPerMs = 2.0 * DMUS_PPQ / 1000.0;  // 120 beats a minute
    // A busy machine drops some time from the silent pace, never more than that.
    EXPECT_GT(seekAfter, seekBeforeLoss + MUSIC_TIME(0.3 * outageMs * ticksPerMs));
    EXPECT_FALSE(game.stoppedPlaying);
    EXPECT_LT(game.slowestCallMs, 50.0);
    fflush(stderr);
    dup2(terminal, 2);
    close(terminal);
    std::string printed = ReadFile(pulse.File("stderr.txt"));
    EXPECT_EQ(printed.find("AL lib"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("ALSA lib"), std::string::npos) << printed;
    if (HasFailure())
        for (const auto& line : logLines) std::printf("%s", line.c_str());
    std::printf("loss noticed after %.0f ms; audible %.0f ms after the restart; slowest frame call %.1f ms\n",
                noticedAfterMs, backAfterMs, game.slowestCallMs);

    state->Release();
    performance->CloseDown();
    performance->Release();
    segment->Release();
    loader->Release();
    ring->Release();
    ds->Release();
    CloseHandle(blockEnd);
    NolSetLogSink(nullptr);
}

}  // namespace
