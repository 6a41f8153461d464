// Sound buffers and streams on the real device, heard through its loopback output:
// the samples of a WAV come out, loops loop, one-shots end, duplicates play on
// their own, 3D sources sit where they are put, effects change the sound, and a
// stream comes out exactly as it was fed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include <time.h>
#include <unistd.h>

#include "sound/sound_buffer.h"
#include "sound/wave_stream.h"
#include "sound_render.h"
#include "support/test_support.h"
#include "wav_files.h"

using namespace sound_render;
using namespace wavs;

namespace {

// Deterministic noise: every stretch differs from every other, so a shifted,
// repeated or missing stretch cannot look right by accident.
std::vector<int16_t> Noise(int count, uint32_t seed, int amplitude = 8000) {
    std::vector<int16_t> s(count);
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        s[i] = int16_t(int(seed >> 16) % (2 * amplitude + 1) - amplitude);
    }
    return s;
}

std::vector<double> ToDouble(const std::vector<int16_t>& v, size_t from = 0, size_t count = SIZE_MAX) {
    std::vector<double> out;
    for (size_t i = from; i < v.size() && out.size() < count; ++i) out.push_back(v[i]);
    return out;
}

class SoundPlayback : public ::testing::Test {
protected:
    void Open(std::vector<std::string> switches = {}) {
        FreeDirectSound();
        args = std::make_unique<Args>(switches);
        NolDirectSoundUseManualOutput(true);
        testing::internal::CaptureStderr();
        int opened = InitDirectSound();
        std::string log = testing::internal::GetCapturedStderr();
        ASSERT_EQ(opened, 1) << log;
    }
    void TearDown() override {
        FreeDirectSound();
        NolDirectSoundUseManualOutput(false);
        args.reset();
    }
    std::string WriteWav(const Format& f, const std::vector<uint8_t>& data, const std::string& name = "s.wav") {
        std::string path = dir.File(name);
        EXPECT_TRUE(WriteBytes(path, Wav(f, data)));
        return path;
    }
    // Loads a mono 16-bit sound.
    void LoadMono(CSoundBuffer& sound, const std::vector<int16_t>& samples, int rate = kRate) {
        std::string path = WriteWav({1, 1, uint32_t(rate), 16}, Samples16(samples), "m" + std::to_string(n++) + ".wav");
        testing::internal::CaptureStderr();
        int loaded = sound.Load(path.c_str());
        std::string log = testing::internal::GetCapturedStderr();
        ASSERT_EQ(loaded, 1) << log;
        ASSERT_NE(sound.buffer, nullptr) << log;
    }

    TempDir dir;
    std::unique_ptr<Args> args;
    int n = 0;
};

TEST_F(SoundPlayback, TheSamplesComeOutAndAreResampledWhereRatesDiffer) {
    Open({"/3ds"});
    // At the device's own rate, the output is the file's samples times one gain.
    std::vector<int16_t> noise = Noise(4410, 7);
    CSoundBuffer sound;
    LoadMono(sound, noise);
    sound.Play(0);
    Mix mix = RenderMs(150);
    std::vector<double> left = mix.Channel(0, 0, 4410);
    Fit fit = FitGain(ToDouble(noise), left);
    EXPECT_LT(fit.residual, 1e-3);
    EXPECT_GT(fit.gain, 0.3);
    EXPECT_LT(Difference(left, mix.Channel(1, 0, 4410)), 1e-6);  // centred
    EXPECT_LT(Rms(mix.Channel(0, 4500)), 1.0);                    // and then it has ended
    EXPECT_EQ(sound.IsPlaying(), 0);

    // Half the rate: a 441 Hz tone stays 441 Hz and lasts twice as many frames.
    CSoundBuffer slow;
    LoadMono(slow, Sine(441, 22050, 4410), 22050);  // 0.2 s
    slow.Play(0);
    mix = RenderMs(150);
    EXPECT_GT(ToneShare(mix.Channel(0, 441), 441), 0.95);
    EXPECT_EQ(slow.IsPlaying(), 1);
    RenderMs(100);
    EXPECT_EQ(slow.IsPlaying(), 0);

    // 8-bit stereo: a tone on the left, silence (128) on the right.
    std::vector<uint8_t> bytes;
    for (int16_t s : Sine(441, 11025, 2205)) {
        bytes.push_back(uint8_t(128 + s / 256));
        bytes.push_back(128);
    }
    CSoundBuffer stereo;
    ASSERT_EQ(stereo.Load(WriteWav({1, 2, 11025, 8}, bytes, "st.wav").c_str()), 1);
    stereo.Play(0);
    mix = RenderMs(100);
    EXPECT_GT(ToneShare(mix.Channel(0, 441, 4000), 441), 0.9);
    EXPECT_LT(Rms(mix.Channel(1, 441, 4000)), Rms(mix.Channel(0, 441, 4000)) / 20);
}

TEST_F(SoundPlayback, ALoopLoopsAOneShotEndsAndPlayingAgainRestarts) {
    Open();
    std::vector<int16_t> noise = Noise(2205, 11);  // 50 ms
    CSoundBuffer sound;
    LoadMono(sound, noise);

    sound.Play(1);
    Mix mix = RenderMs(200);
    std::vector<double> first = mix.Channel(0, 0, 2205);
    EXPECT_GT(Rms(first), 100);
    for (int k = 1; k < 4; ++k) EXPECT_LT(Difference(first, mix.Channel(0, 2205 * k, 2205 * (k + 1))), 1e-3) << k;
    EXPECT_EQ(sound.IsPlaying(), 1);
    sound.Stop();
    EXPECT_EQ(sound.IsPlaying(), 0);
    EXPECT_LT(Rms(RenderMs(50).Channel(0)), 1.0);

    sound.Play(0);
    mix = RenderMs(100);
    EXPECT_LT(Difference(first, mix.Channel(0, 0, 2205)), 1e-3);
    EXPECT_LT(Rms(mix.Channel(0, 2300)), 1.0);
    EXPECT_EQ(sound.IsPlaying(), 0);

    // Playing while playing starts over from the first sample.
    sound.Play(0);
    RenderMs(20);
    sound.Play(0);
    mix = RenderMs(20);
    EXPECT_LT(Difference(mix.Channel(0), std::vector<double>(first.begin(), first.begin() + mix.Frames())), 1e-3);
}

TEST_F(SoundPlayback, ADuplicatePlaysOnItsOwnWithTheSameSamples) {
    Open();
    std::vector<int16_t> noise = Noise(8820, 5);  // 200 ms
    CSoundBuffer source, copy;
    LoadMono(source, noise);
    ASSERT_EQ(copy.Duplicate(source), 1);

    source.Play(0);
    Mix alone = RenderMs(100);
    source.Stop();
    copy.Play(0);
    Mix duplicate = RenderMs(100);
    EXPECT_EQ(source.IsPlaying(), 0);
    EXPECT_EQ(copy.IsPlaying(), 1);
    EXPECT_LT(Difference(alone.Channel(0), duplicate.Channel(0)), 1e-3);

    // Both at once, the source from its start and the copy 100 ms in: the mix is
    // the sum of the two stretches of the one set of samples.
    source.Play(0);
    Mix both = RenderMs(50);
    double gain = FitGain(ToDouble(noise, 0, 4410), alone.Channel(0)).gain;
    std::vector<double> expected;
    for (int i = 0; i < both.Frames(); ++i) expected.push_back(gain * (noise[i] + noise[4410 + i]));
    EXPECT_LT(Difference(expected, both.Channel(0)), 1e-3);
    copy.Free();
    EXPECT_EQ(source.IsPlaying(), 1);  // freeing the copy leaves the source alone
}

TEST_F(SoundPlayback, A3DSourceIsHeardOnItsSide) {
    Open();
    CSoundBuffer sound;
    LoadMono(sound, Noise(44100, 3));
    ASSERT_NE(sound.buffer3d, nullptr);
    sound.buffer3d->SetPosition(3, 0, 0, DS3D_IMMEDIATE);
    sound.Play(1);
    Mix right = RenderMs(100);
    EXPECT_GT(Rms(right.Channel(1)), 2 * Rms(right.Channel(0)));
    sound.buffer3d->SetPosition(-3, 0, 0, DS3D_IMMEDIATE);
    RenderMs(20);
    Mix left = RenderMs(100);
    EXPECT_GT(Rms(left.Channel(0)), 2 * Rms(left.Channel(1)));
}

// A mixture of a low, a middle and a high tone, so that filters, distortion and
// modulation all have something to change.
std::vector<int16_t> Chord(int count) {
    std::vector<int16_t> a = Sine(220, kRate, count, 6000), b = Sine(1000, kRate, count, 4000),
                         c = Sine(6000, kRate, count, 2000);
    for (int i = 0; i < count; ++i) a[i] = int16_t(a[i] + b[i] + c[i]);
    return a;
}

TEST_F(SoundPlayback, EachEffectChangesTheSoundAndNoneLeavesItDry) {
    Open();
    CSoundBuffer sound;
    LoadMono(sound, Chord(22050));  // 500 ms
    ASSERT_NE(sound.buffer8, nullptr);
    auto take = [&] {
        RenderMs(3000);  // let any tail of the previous take die away
        sound.Play(0);
        std::vector<double> left = RenderMs(400).Channel(0);
        sound.Stop();  // effects change only on a stopped buffer
        return left;
    };
    std::vector<double> dry = take();
    ASSERT_GT(Rms(dry), 100);
    const char* names[] = {"waves reverb", "I3DL2 reverb", "echo",       "chorus",    "flanger",
                           "gargle",       "compressor",   "param. EQ", "distortion"};
    const int kParamEq = 7;  // its default band has 0 dB gain: the sound stays as it was
    for (int effect = 0; effect < 9; ++effect) {
        sound.SetEffect(effect);
        if (effect == kParamEq)
            EXPECT_LT(Difference(dry, take()), 1e-3) << names[effect];
        else
            EXPECT_GT(Difference(dry, take()), 0.01) << names[effect];
    }
    sound.SetEffect(9);
    EXPECT_LT(Difference(dry, take()), 1e-4);
    sound.SetEffect(3);
    sound.SetEffect(-1);
    EXPECT_LT(Difference(dry, take()), 1e-4);
}

TEST_F(SoundPlayback, SwitchedOffSoundsHaveNeither3DNorEffects) {
    Open({"/3ds", "/fx"});
    CSoundBuffer sound;
    LoadMono(sound, Chord(22050));
    EXPECT_EQ(sound.buffer3d, nullptr);
    EXPECT_EQ(sound.buffer8, nullptr);
    EXPECT_EQ(SoundState.listener, nullptr);
    sound.Play(0);
    std::vector<double> dry = RenderMs(300).Channel(0);
    sound.SetEffect(2);
    sound.Play(0);
    Mix mix = RenderMs(300);
    EXPECT_LT(Difference(dry, mix.Channel(0)), 1e-4);
    EXPECT_LT(Difference(mix.Channel(0), mix.Channel(1)), 1e-6);
    sound.Stop();

    // Without 3D a stereo file keeps its two sides.
    std::vector<uint8_t> bytes;
    for (int16_t s : Noise(4410, 9)) {
        Put16(bytes, uint16_t(s));
        Put16(bytes, 0);
    }
    CSoundBuffer stereo;
    ASSERT_EQ(stereo.Load(WriteWav({1, 2, kRate, 16}, bytes, "st.wav").c_str()), 1);
    stereo.Play(0);
    mix = RenderMs(80);
    EXPECT_GT(Rms(mix.Channel(0)), 100);
    EXPECT_LT(Rms(mix.Channel(1)), 1.0);
}

// On the original platform effects need a buffer of at least 150 ms; where the
// device enforces that, a shorter sound is loaded without a buffer and stays silent.
TEST_F(SoundPlayback, ASoundTooShortForEffectsLoadsSilent) {
    Open();
    std::string path = WriteWav({1, 1, kRate, 16}, Samples16(Noise(2205, 1)));
    CSoundBuffer sound;
    ASSERT_EQ(sound.Load(path.c_str()), 1);
    EXPECT_NE(sound.buffer, nullptr);  // this device takes effects on short buffers

    NolDirectSoundEnforceFxMinimum(true);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sound.Load(path.c_str()), 1);
    std::string log = ToCp932(testing::internal::GetCapturedStderr());
    NolDirectSoundEnforceFxMinimum(false);
    EXPECT_NE(log.find("data is too small.\n"), std::string::npos) << log;
    EXPECT_EQ(sound.buffer, nullptr);
    sound.Play(0);
    EXPECT_EQ(sound.IsPlaying(), 0);
    EXPECT_LT(Rms(RenderMs(50).Channel(0)), 1.0);
}

// A second thread plays the part of the device, rendering at real-time pace while
// the test feeds the stream from its own thread, as a program would.
class StreamPlayback : public SoundPlayback {
protected:
    static constexpr int kBlockFrames = 1024;
    static constexpr int kBlocks = 16;  // a lead of 350 ms: room for a busy machine

    // Feeds input block by block (stereo), pausing lateMs before block lateAt,
    // and returns everything the device played meanwhile.
    std::vector<int16_t> Play(const std::vector<int16_t>& input, int lateAt, int lateMs) {
        WAVEFORMATEX format = MakeWaveFormat(kRate, 16, 2);
        CWaveStream stream;
        EXPECT_EQ(stream.CreateSoundBuffer(&format, kBlockFrames * 4, kBlocks), 1);
        fed = 0;
        std::vector<int16_t> out;
        std::atomic<bool> done{false};
        std::thread device([&] {
            const int chunk = 256;
            timespec next;
            clock_gettime(CLOCK_MONOTONIC, &next);
            while (!done) {
                Mix m = Render(chunk);
                out.insert(out.end(), m.samples.begin(), m.samples.end());
                // On a fixed schedule, so that a slightly slow turn is made up for;
                // after a long stall of this thread the schedule starts afresh
                // rather than rendering the backlog in one burst.
                next.tv_nsec += 1000000000LL * chunk / kRate;
                if (next.tv_nsec >= 1000000000L) next.tv_nsec -= 1000000000L, ++next.tv_sec;
                timespec now;
                clock_gettime(CLOCK_MONOTONIC, &now);
                if ((now.tv_sec - next.tv_sec) * 1000000000LL + (now.tv_nsec - next.tv_nsec) > 20000000LL) next = now;
                clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
            }
        });
        const int blockSamples = kBlockFrames * 2;
        feederStallMs = 0;
        timespec last{};
        for (size_t at = 0, b = 0; at + blockSamples <= input.size(); at += blockSamples, ++b) {
            timespec now;  // before any lateness asked for, which is no stall
            clock_gettime(CLOCK_MONOTONIC, &now);
            if (int(b) == lateAt) usleep(lateMs * 1000);
            if (b > 0)
                feederStallMs = std::max(feederStallMs, (now.tv_sec - last.tv_sec) * 1000.0 +
                                                            (now.tv_nsec - last.tv_nsec) / 1e6);
            EXPECT_EQ(stream.Enqueue(input.data() + at, blockSamples * 2), 1) << "block " << b;
            clock_gettime(CLOCK_MONOTONIC, &last);
            fed = at + blockSamples;
        }
        // Let the ring play out what was queued.
        usleep(1000000LL * kBlockFrames * (kBlocks + 2) / kRate);
        done = true;
        device.join();
        stream.Free();
        return out;
    }

    // The longest time the feeding thread itself took between two blocks, beside
    // any lateness asked for. Longer than the ring's lead, the machine starved the
    // feeder, and a gap is the right outcome rather than a fault of the stream.
    double feederStallMs = 0;
    static constexpr double kStarvedMs = 1000.0 * kBlockFrames * (kBlocks - 4) / kRate;

    // Play, repeated while the machine starves the feeder (at most three times).
    std::vector<int16_t> PlayFed(const std::vector<int16_t>& input, int lateAt, int lateMs) {
        std::string stalls;
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::vector<int16_t> out = Play(input, lateAt, lateMs);
            if (feederStallMs < kStarvedMs) return out;
            stalls += " " + std::to_string((int)feederStallMs) + " ms";
        }
        ADD_FAILURE() << "the feeding thread was held up longer than the ring's lead in every run:" << stalls;
        return {};
    }

    // The output, from its first sound on, is the input from its first sound on:
    // nothing missing, nothing repeated, nothing changed.
    // Samples of the input handed to the stream: whole blocks only.
    size_t fed = 0;

    void ExpectSame(const std::vector<int16_t>& input, const std::vector<int16_t>& out) {
        auto firstSound = [](const std::vector<int16_t>& v) {
            size_t i = 0;
            while (i < v.size() && v[i] == 0) ++i;
            return i & ~size_t(1);
        };
        size_t in0 = firstSound(input), out0 = firstSound(out);
        ASSERT_LT(out0, out.size()) << "nothing came out";
        size_t compared = 0, mismatches = 0, firstMismatch = SIZE_MAX;
        for (size_t i = 0; in0 + i < fed && out0 + i < out.size(); ++i, ++compared) {
            if (std::abs(input[in0 + i] - out[out0 + i]) > 1) {
                if (firstMismatch == SIZE_MAX) firstMismatch = i;
                ++mismatches;
            }
        }
        EXPECT_GE(fed + 2 * kBlockFrames * 2, input.size());
        EXPECT_EQ(compared, fed - in0);  // all of it came out
        EXPECT_EQ(mismatches, 0u) << "first at sample " << firstMismatch << " of " << compared;
    }
};

TEST_F(StreamPlayback, ComesOutAsFedForSecondsWithoutGapOrRepeat) {
    Open();
    std::vector<int16_t> input = Noise(2 * kRate * 3, 21);  // 3 s of stereo
    ExpectSame(input, PlayFed(input, -1, 0));
}

TEST_F(StreamPlayback, ACallerLateOnceLosesNothing) {
    Open();
    std::vector<int16_t> input = Noise(2 * kRate * 2, 22);
    // Two and a half blocks late: the ring's lead absorbs it.
    ExpectSame(input, PlayFed(input, 40, 1000 * kBlockFrames * 5 / 2 / kRate));
}

}  // namespace
