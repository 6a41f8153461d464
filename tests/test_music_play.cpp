// Music heard through the sound device: rendered by hand from a manual output device
// and judged by its samples.
#include <gtest/gtest.h>

#include <time.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "dsound8/dsound_test_hooks.h"
#include "midi_files.h"
#include "sound/music.h"
#include "sound/sound_device.h"
#include "support/test_support.h"

namespace {

constexpr int RATE = 44100;

// 96 ticks per quarter, 120 bpm: a quarter is half a second.
constexpr uint32_t Q = 96;

// A short piano note at the start of a one-quarter piece.
std::vector<uint8_t> BeepFile() {
    MidiTrackBuilder t;
    t.Program(0, 0, 0).NoteOn(0, 0, 72, 110).NoteOff(Q / 4, 0, 72).End(Q - Q / 4);
    return MidiFile(0, Q, {t});
}

// An organ (which sustains without decaying) held for the first four quarters of an
// eight-quarter piece: two seconds of sound, then two of silence.
std::vector<uint8_t> OrganFile() {
    MidiTrackBuilder t;
    t.Program(0, 0, 19).NoteOn(0, 0, 60, 110).NoteOff(4 * Q, 0, 60).End(4 * Q);
    return MidiFile(0, Q, {t});
}

class MusicPlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        NolDirectSoundUseManualOutput(true);
        SoundState = SoundStateRecord{};
        MusicState = MusicStateRecord{};
        testing::internal::CaptureStderr();  // TearDown takes it back, whatever fails here
        ASSERT_EQ(DirectSoundCreate8(nullptr, &SoundState.directSound, nullptr), S_OK);
        ASSERT_EQ(InitDirectMusic(), 1);
        WriteBytes(dir.File("beep.mid"), BeepFile());
        WriteBytes(dir.File("organ.mid"), OrganFile());
    }
    void TearDown() override {
        FreeDirectMusic();
        if (SoundState.directSound) SoundState.directSound->Release();
        SoundState.directSound = nullptr;
        testing::internal::GetCapturedStderr();
        NolDirectSoundUseManualOutput(false);
    }
    void Load(const char* name) { ASSERT_EQ(LoadMusic(dir.File(name).c_str()), 1); }

    // Renders `seconds` of output and returns the RMS level of each `window` seconds.
    std::vector<double> Levels(double seconds, double window = 0.1) {
        int total = int(seconds * RATE);
        int per = int(window * RATE);
        std::vector<double> levels;
        std::vector<int16_t> chunk(size_t(per) * 2);
        for (int done = 0; done + per <= total; done += per) {
            // Small steps, as the device's own mixer takes them.
            for (int at = 0; at < per; at += 512) {
                int n = std::min(512, per - at);
                EXPECT_TRUE(NolDirectSoundRender(SoundState.directSound, chunk.data() + 2 * at, uint32_t(n)));
            }
            double sum = 0;
            for (int16_t s : chunk) sum += double(s) * s;
            levels.push_back(std::sqrt(sum / double(chunk.size())));
        }
        return levels;
    }
    static double Max(const std::vector<double>& v, size_t from, size_t to) {
        double m = 0;
        for (size_t i = from; i < to && i < v.size(); ++i) m = std::max(m, v[i]);
        return m;
    }
    static double Min(const std::vector<double>& v, size_t from, size_t to) {
        double m = 1e9;
        for (size_t i = from; i < to && i < v.size(); ++i) m = std::min(m, v[i]);
        return m;
    }

    static constexpr double LOUD = 300;   // a note, well above
    static constexpr double QUIET = 30;   // silence and the last of a reverb tail
    TempDir dir;
};

TEST_F(MusicPlayTest, APieceSoundsEndsOnceAndLoopsWhenAsked) {
    Load("beep.mid");
    EXPECT_EQ(IsMusicPlaying(), 0);
    auto silent = Levels(0.3);
    EXPECT_LT(Max(silent, 0, 3), 1.0);  // loaded is not playing

    PlayMusic(0);
    EXPECT_EQ(IsMusicPlaying(), 1);
    auto once = Levels(3.0);
    EXPECT_GT(Max(once, 0, 2), LOUD);
    // Played once: the note does not come back at 0.5 s, 1.0 s, ...
    EXPECT_LT(Max(once, 20, 30), QUIET);
    EXPECT_EQ(IsMusicPlaying(), 0);

    StopMusic();
    PlayMusic(1);
    auto looped = Levels(3.0);
    // A fresh strike every half second, each fading before the next.
    for (size_t round = 1; round < 6; ++round) {
        EXPECT_GT(Max(looped, round * 5, round * 5 + 2), LOUD) << "round " << round;
        EXPECT_GT(Max(looped, round * 5, round * 5 + 2), 2 * looped[round * 5 - 1]) << "round " << round;
    }
    EXPECT_EQ(IsMusicPlaying(), 1);
    StopMusic();
    EXPECT_EQ(IsMusicPlaying(), 0);
    auto stopped = Levels(0.3);
    EXPECT_LT(Max(stopped, 1, 3), QUIET);
}

TEST_F(MusicPlayTest, PauseResumesWhereItWasWithTheHeldNotesStopStartsAgain) {
    Load("organ.mid");
    PlayMusic(0);
    auto first = Levels(1.0);
    EXPECT_GT(Min(first, 1, 10), LOUD);
    PauseMusic();
    // One second heard at 120 bpm: two quarters.
    EXPECT_NEAR(MusicState.resumePoint, 2 * DMUS_PPQ, DMUS_PPQ / 8);
    EXPECT_EQ(MusicState.segmentState, nullptr);
    EXPECT_EQ(IsMusicPlaying(), 0);
    auto paused = Levels(0.5);
    EXPECT_LT(Max(paused, 2, 5), QUIET);

    // The organ note began before the pause point: it must sound again at once, and
    // end one second later, where the piece releases it.
    PlayMusic(0);
    auto resumed = Levels(2.0);
    EXPECT_GT(Min(resumed, 1, 9), LOUD);
    EXPECT_LT(Max(resumed, 13, 20), QUIET);
    EXPECT_EQ(IsMusicPlaying(), 1);  // the silent second half still plays

    // Stop forgets the position: the whole two seconds of organ come again.
    StopMusic();
    EXPECT_EQ(MusicState.resumePoint, 0);
    PlayMusic(0);
    auto again = Levels(1.9);
    EXPECT_GT(Min(again, 1, 19), LOUD);
}

TEST_F(MusicPlayTest, LoadingAnotherPieceStopsTheFirstAndItsPerformance) {
    Load("organ.mid");
    PlayMusic(1);
    Levels(0.2);
    Load("beep.mid");
    EXPECT_EQ(IsMusicPlaying(), 0);
    auto between = Levels(0.5);
    EXPECT_LT(Max(between, 2, 5), QUIET);
    PlayMusic(0);
    auto beep = Levels(0.2);
    EXPECT_GT(Max(beep, 0, 2), LOUD);
}

}  // namespace

namespace {

double NowSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Without a sound card the device plays silently at real-time pace: the music still
// advances and ends when its time is up, neither at once nor never.
TEST(MusicRealTime, APieceEndsAfterItsOwnLengthOnTheDevice) {
    SoundState = SoundStateRecord{};
    MusicState = MusicStateRecord{};
    ASSERT_EQ(DirectSoundCreate8(nullptr, &SoundState.directSound, nullptr), S_OK);
    TempDir dir;
    // Two quarters at 120 bpm: one second.
    WriteBytes(dir.File("second.mid"), SingleNoteFile(96, 60, 2));
    testing::internal::CaptureStderr();
    int loaded = InitDirectMusic() && LoadMusic(dir.File("second.mid").c_str());
    std::string log = testing::internal::GetCapturedStderr();
    ASSERT_EQ(loaded, 1) << log;
    double start = NowSeconds();
    PlayMusic(0);
    double ended = 0;
    while (NowSeconds() - start < 5) {
        if (!IsMusicPlaying()) {
            ended = NowSeconds() - start;
            break;
        }
        usleep(10000);
    }
    testing::internal::CaptureStderr();
    FreeDirectMusic();
    testing::internal::GetCapturedStderr();
    SoundState.directSound->Release();
    SoundState.directSound = nullptr;
    EXPECT_GT(ended, 0.9);
    EXPECT_LT(ended, 1.6);
}

}  // namespace
