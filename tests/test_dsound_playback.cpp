// DirectSound buffers played through the manual loopback device: the samples that
// come out, volume, one-shots and loops, restarts, duplicates and cursors.
#include "dsound_fixture.h"

namespace {

using DirectSoundPlayback = DirectSoundTest;

TEST_F(DirectSoundPlayback, SamplesComeOutUnchangedInEveryFormatAtTheOutputRate) {
    // Mono 16-bit: both outputs carry the sample.
    auto mono = Pattern(2000, 7);
    IDirectSoundBuffer* b16 = MakeBuffer16(PcmFormat(1, 44100, 16), mono);
    ASSERT_EQ(b16->Play(0, 0, 0), DS_OK);
    Mix mix = Render(2200);
    for (size_t i = 0; i < mono.size(); ++i) {
        ASSERT_NEAR(mix.L(i), mono[i], 2) << i;
        ASSERT_NEAR(mix.R(i), mono[i], 2) << i;
    }
    EXPECT_EQ(mix.Peak(2000, 2200), 0);  // and nothing after its end

    // Stereo 16-bit: left stays left.
    std::vector<int16_t> stereo(2 * 1000);
    for (size_t i = 0; i < 1000; ++i) {
        stereo[2 * i] = int16_t(10 * i);
        stereo[2 * i + 1] = int16_t(-7 * int(i));
    }
    IDirectSoundBuffer* s16 = MakeBuffer16(PcmFormat(2, 44100, 16), stereo);
    s16->Play(0, 0, 0);
    mix = Render(1000);
    for (size_t i = 0; i < 1000; ++i) {
        ASSERT_NEAR(mix.L(i), stereo[2 * i], 2) << i;
        ASSERT_NEAR(mix.R(i), stereo[2 * i + 1], 2) << i;
    }

    // Mono 8-bit: unsigned bytes around 128.
    std::vector<uint8_t> bytes = {128, 192, 64, 255, 0, 128, 160};
    IDirectSoundBuffer* b8 = MakeBuffer(PcmFormat(1, 44100, 8), bytes.data(), DWORD(bytes.size()));
    b8->Play(0, 0, 0);
    mix = Render(8);
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_NEAR(mix.L(i), (int(bytes[i]) - 128) * 256, 2) << i;
}

TEST_F(DirectSoundPlayback, OtherRatesAreResampledToTheOutputRate) {
    // 0.25 s of a 441 Hz sine at 22050 Hz lasts 0.25 s of output and keeps its pitch.
    auto sine = Sine(22050 / 4, 441.0, 22050, 12000);
    IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(1, 22050, 16), sine);
    b->Play(0, 0, 0);
    Mix mix = Render(44100 / 4 + 2000);
    double worst = 0;
    for (size_t i = 100; i < 44100 / 4 - 100; ++i) {
        double expected = 12000 * std::sin(2 * M_PI * 441.0 * double(i) / 44100);
        worst = std::max(worst, std::abs(mix.L(i) - expected));
    }
    EXPECT_LT(worst, 400);  // linear interpolation of a smooth sine
    EXPECT_GT(mix.Rms(0, 10000, 11000), 7000);
    EXPECT_EQ(mix.Peak(44100 / 4 + 100, 44100 / 4 + 2000), 0);
    EXPECT_FALSE(Playing(b));
}

TEST_F(DirectSoundPlayback, VolumeInHundredthsOfADecibelSetsTheGain) {
    std::vector<int16_t> flat(4000, 20000);
    IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(1, 44100, 16), flat);
    b->Play(0, 0, DSBPLAY_LOOPING);
    struct Case {
        LONG volume;
        double gain;
    } cases[] = {{0, 1.0}, {-600, 0.501}, {-2000, 0.1}, {-4000, 0.01}, {DSBVOLUME_MIN, 0.0}};
    for (const Case& c : cases) {
        ASSERT_EQ(b->SetVolume(c.volume), DS_OK);
        LONG read = 1;
        b->GetVolume(&read);
        EXPECT_EQ(read, c.volume);
        Render(512);  // let the change reach the mix
        Mix mix = Render(1000);
        EXPECT_NEAR(mix.Rms(0, 0, 1000), 20000 * c.gain, 20000 * 0.01 + 1) << c.volume;
    }
    EXPECT_EQ(b->SetVolume(DSBVOLUME_MIN - 1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);

    // The primary buffer's volume scales the whole mix.
    ASSERT_EQ(b->SetVolume(0), DS_OK);
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME, 0, 0,
                      nullptr, GUID_NULL};
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    buffers.push_back(primary);
    ASSERT_EQ(primary->SetVolume(-600), DS_OK);
    Render(512);
    EXPECT_NEAR(Render(1000).Rms(0, 0, 1000), 20000 * 0.501, 250);

    // Without volume control there is no volume.
    IDirectSoundBuffer* plain = nullptr;
    WAVEFORMATEX f = PcmFormat(1, 44100, 16);
    DSBUFFERDESC d2{sizeof(DSBUFFERDESC), 0, 1000, 0, &f, GUID_NULL};
    ASSERT_EQ(ds->CreateSoundBuffer(&d2, &plain, nullptr), DS_OK);
    buffers.push_back(plain);
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
}

TEST_F(DirectSoundPlayback, OneShotEndsLoopRepeatsAndPlayingAgainRestarts) {
    auto pattern = Pattern(3000, 3);
    IDirectSoundBuffer* once = MakeBuffer16(PcmFormat(1, 44100, 16), pattern);
    ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
    EXPECT_TRUE(Playing(once));
    Mix first = Render(4000);
    EXPECT_FALSE(Playing(once));
    DWORD play = 1, write = 1;
    once->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u);  // an ended one-shot rests at its start
    EXPECT_EQ(first.Peak(3000, 4000), 0);

    // Played again, it starts from the beginning, the same as the first time.
    once->Play(0, 0, 0);
    Mix second = Render(3000);
    for (size_t i = 0; i < 3000; ++i) ASSERT_EQ(second.L(i), first.L(i)) << i;

    // A loop goes on past its end, repeating exactly, and says it loops.
    IDirectSoundBuffer* loop = MakeBuffer16(PcmFormat(1, 44100, 16), pattern);
    loop->Play(0, 0, DSBPLAY_LOOPING);
    DWORD status = 0;
    loop->GetStatus(&status);
    EXPECT_EQ(status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING), DWORD(DSBSTATUS_PLAYING | DSBSTATUS_LOOPING));
    Mix looped = Render(10000);
    for (size_t i = 0; i < 10000; ++i) ASSERT_NEAR(looped.L(i), pattern[i % 3000], 2) << i;
    EXPECT_TRUE(Playing(loop));

    // Rewinding a playing sound restarts it at once.
    Render(1234);
    ASSERT_EQ(loop->SetCurrentPosition(0), DS_OK);
    Mix restarted = Render(500);
    for (size_t i = 0; i < 500; ++i) ASSERT_NEAR(restarted.L(i), pattern[i], 2) << i;
    EXPECT_EQ(loop->SetCurrentPosition(6000), DSERR_INVALIDPARAM);

    // Stopped, it stays where it was, and plays on from there.
    loop->Stop();
    EXPECT_FALSE(Playing(loop));
    loop->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 1000u);  // 500 frames of 2 bytes
    EXPECT_EQ(Render(300).Peak(0, 300), 0);
    loop->Play(0, 0, 0);
    Mix resumed = Render(200);
    for (size_t i = 0; i < 200; ++i) ASSERT_NEAR(resumed.L(i), pattern[500 + i], 2) << i;
}

TEST_F(DirectSoundPlayback, DuplicatePlaysOnTheSameSamplesIndependently) {
    auto pattern = Pattern(4000, 5);
    IDirectSoundBuffer* original = MakeBuffer16(PcmFormat(1, 44100, 16), pattern);
    IDirectSoundBuffer* copy = nullptr;
    ASSERT_EQ(ds->DuplicateSoundBuffer(original, &copy), DS_OK);
    buffers.push_back(copy);

    // The copy plays alone while the original stays stopped.
    copy->Play(0, 0, 0);
    EXPECT_FALSE(Playing(original));
    Mix mix = Render(1000);
    for (size_t i = 0; i < 1000; ++i) ASSERT_NEAR(mix.L(i), pattern[i], 2) << i;

    // Both together, half a buffer apart, add up; stopping one leaves the other.
    original->Play(0, 0, 0);
    mix = Render(500);
    for (size_t i = 0; i < 500; ++i)
        ASSERT_NEAR(mix.L(i), std::clamp(pattern[1000 + i] + pattern[i], -32768, 32767), 4) << i;
    original->Stop();
    EXPECT_TRUE(Playing(copy));
    mix = Render(100);
    for (size_t i = 0; i < 100; ++i) ASSERT_NEAR(mix.L(i), pattern[1500 + i], 2) << i;

    // Samples written through the original are what the copy plays.
    copy->Stop();
    std::vector<int16_t> fresh(4000, 1234);
    Write(original, 0, fresh.data(), 8000);
    copy->SetCurrentPosition(0);
    copy->Play(0, 0, 0);
    EXPECT_NEAR(Render(100).L(50), 1234, 2);
    EXPECT_EQ(ds->DuplicateSoundBuffer(nullptr, &copy), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundPlayback, CursorsFollowTheMixAndLocksWrapAroundTheEnd) {
    std::vector<int16_t> silence(44100, 0);  // one second, mono
    IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(1, 44100, 16), silence, DSBCAPS_GETCURRENTPOSITION2);
    b->Play(0, 0, DSBPLAY_LOOPING);
    Render(4410);
    DWORD play = 0, write = 0;
    ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 8820u);  // 0.1 s of 2-byte frames
    // The write cursor leads by what is already committed to the mix, a few ms.
    EXPECT_GT(write, play);
    EXPECT_LT(write - play, 2u * 44100 / 10);

    // A lock across the end comes in two parts.
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(88000, 400, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 200u);
    EXPECT_EQ(n2, 200u);
    EXPECT_NE(p2, nullptr);
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1, 88200u);
    EXPECT_EQ(n2, 0u);
    b->Unlock(p1, n1, p2, n2);
    // Out of range, or not of this buffer.
    EXPECT_EQ(b->Lock(88200, 10, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->Lock(0, 88201, &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
    int16_t elsewhere[4];
    EXPECT_EQ(b->Unlock(elsewhere, 8, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundPlayback, LostBuffersRefuseToPlayUntilRestoredSilent) {
    std::vector<int16_t> loud(1000, 15000);
    IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(1, 44100, 16), loud);
    NolDirectSoundLoseBuffers(ds);
    DWORD status = 0;
    b->GetStatus(&status);
    EXPECT_TRUE(status & DSBSTATUS_BUFFERLOST);
    EXPECT_EQ(b->Play(0, 0, 0), DSERR_BUFFERLOST);
    void *p1 = nullptr, *p2 = nullptr;
    DWORD n1 = 0, n2 = 0;
    EXPECT_EQ(b->Lock(0, 10, &p1, &n1, &p2, &n2, 0), DSERR_BUFFERLOST);
    ASSERT_EQ(b->Restore(), DS_OK);
    ASSERT_EQ(b->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(Render(1000).Peak(0, 1000), 0);  // the samples have to be written again
}

TEST_F(DirectSoundPlayback, UnplayableDescriptionsAreRefusedWithAReason) {
    struct Case {
        int channels, rate, bits, align;
    } cases[] = {{0, 44100, 16, 2}, {1, 44100, 16, 0}, {1, 0, 16, 2}, {1, 44100, 24, 3},
                 {3, 44100, 16, 6}, {2, 44100, 16, 2}};
    for (const Case& c : cases) {
        WAVEFORMATEX f = PcmFormat(1, 44100, 16);
        f.nChannels = WORD(c.channels);
        f.nSamplesPerSec = DWORD(c.rate);
        f.wBitsPerSample = WORD(c.bits);
        f.nBlockAlign = WORD(c.align);
        DSBUFFERDESC desc{sizeof desc, DSBCAPS_CTRLVOLUME, 4000, 0, &f, GUID_NULL};
        IDirectSoundBuffer* b = nullptr;
        CapturedLog().clear();
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_BADFORMAT) << c.channels << " " << c.bits;
        EXPECT_EQ(b, nullptr);
        EXPECT_TRUE(LogHas("DirectSound: unsupported format")) << c.channels << " " << c.bits;
    }
    WAVEFORMATEX f = PcmFormat(1, 44100, 16);
    DSBUFFERDESC desc{sizeof desc, 0, 2, 0, &f, GUID_NULL};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_INVALIDPARAM);  // under DSBSIZE_MIN
    desc.dwBufferBytes = DSBSIZE_MAX + 1;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_INVALIDPARAM);
    desc.dwBufferBytes = 1000;
    desc.dwSize = 12;
    EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DSERR_INVALIDPARAM);
    desc.dwSize = 36;  // the original platform's size is accepted
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
    b->Release();
}

}  // namespace
