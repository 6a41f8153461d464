// Position notifications, a ring buffer fed block by block as a streaming player
// feeds it, the silent real-time device, and the output's hooks for other
// components.
#include <AL/al.h>
#include <AL/alext.h>

#include <atomic>

#include "dsound8/openal_output.h"
#include "dsound_fixture.h"

namespace {

using DirectSoundStream = DirectSoundTest;

constexpr DWORD kBlockFrames = 512;
constexpr DWORD kBlockBytes = kBlockFrames * 4;  // 16-bit stereo
constexpr DWORD kBlocks = 4;

struct Events {
    HANDLE h[kBlocks + 1] = {};
    Events(bool manualReset = false) {
        for (auto& e : h) e = CreateEventA(nullptr, manualReset, FALSE, nullptr);
    }
    ~Events() {
        for (auto e : h) CloseHandle(e);
    }
    bool Signalled(int i) { return WaitForSingleObject(h[i], 0) == WAIT_OBJECT_0; }
};

IDirectSoundNotify* NotifyOf(IDirectSoundBuffer* b) {
    IDirectSoundNotify* notify = nullptr;
    EXPECT_EQ(b->QueryInterface(IID_IDirectSoundNotify, (void**)&notify), S_OK);
    return notify;
}

TEST_F(DirectSoundStream, NotificationsFireAsThePlayCursorPassesEachPositionAndOnStop) {
    std::vector<int16_t> silence(kBlocks * kBlockFrames * 2, 0);
    IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(2, 44100, 16), silence, DSBCAPS_CTRLPOSITIONNOTIFY);
    Events events;
    DSBPOSITIONNOTIFY positions[kBlocks + 1];
    for (DWORD i = 0; i < kBlocks; ++i) positions[i] = {kBlockBytes * i + kBlockBytes - 1, events.h[i]};
    positions[kBlocks] = {DSBPN_OFFSETSTOP, events.h[kBlocks]};
    IDirectSoundNotify* notify = NotifyOf(b);
    ASSERT_EQ(notify->SetNotificationPositions(kBlocks + 1, positions), DS_OK);

    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(notify->SetNotificationPositions(kBlocks + 1, positions), DSERR_INVALIDCALL);
    Render(kBlockFrames - 64);
    for (int i = 0; i <= int(kBlocks); ++i) EXPECT_FALSE(events.Signalled(i)) << i;
    Render(128);  // past the end of block 0
    EXPECT_TRUE(events.Signalled(0));
    EXPECT_FALSE(events.Signalled(1));
    Render(kBlockFrames * 2);
    EXPECT_TRUE(events.Signalled(1));
    EXPECT_TRUE(events.Signalled(2));
    EXPECT_FALSE(events.Signalled(3));
    Render(kBlockFrames * 2);  // round the end of the ring into block 0 again
    EXPECT_TRUE(events.Signalled(3));
    EXPECT_TRUE(events.Signalled(0));
    EXPECT_FALSE(events.Signalled(kBlocks));
    b->Stop();
    EXPECT_TRUE(events.Signalled(kBlocks));

    // A one-shot signals its last position and the stop as it ends by itself.
    b->SetCurrentPosition(kBlockBytes * 3);
    b->Play(0, 0, 0);
    Render(kBlockFrames + 256);
    EXPECT_TRUE(events.Signalled(3));
    EXPECT_TRUE(events.Signalled(kBlocks));
    EXPECT_FALSE(events.Signalled(0));

    DSBPOSITIONNOTIFY beyond = {kBlockBytes * kBlocks, events.h[0]};
    EXPECT_EQ(notify->SetNotificationPositions(1, &beyond), DSERR_INVALIDPARAM);
    notify->Release();

    IDirectSoundBuffer* plain = MakeBuffer16(PcmFormat(2, 44100, 16), silence);
    void* object = nullptr;
    EXPECT_EQ(plain->QueryInterface(IID_IDirectSoundNotify, &object), E_NOINTERFACE);
}

// The streaming player's loop: wait for a block end, skip the committed stretch,
// write one block at the write position.
struct RingFeeder {
    IDirectSoundBuffer* buffer;
    HANDLE event;
    DWORD write = 0;
    size_t fed = 0;  // frames of the input written so far

    bool Feed(const std::vector<int16_t>& input) {
        if (WaitForSingleObject(event, 0) != WAIT_OBJECT_0) return false;
        DWORD play = 0, committed = 0;
        buffer->GetCurrentPosition(&play, &committed);
        bool inside = play < committed ? (play < write && write < committed)
                                        : play > committed && (write > play || write < committed);
        if (inside) write = committed;
        void *p1, *p2;
        DWORD n1, n2;
        if (buffer->Lock(write, kBlockBytes, &p1, &n1, &p2, &n2, 0) != DS_OK) return false;
        std::memcpy(p1, &input[fed * 2], n1);
        if (p2) std::memcpy(p2, reinterpret_cast<const uint8_t*>(&input[fed * 2]) + n1, n2);
        buffer->Unlock(p1, n1, p2, n2);
        fed += (n1 + n2) / 4;
        write = (write + n1 + n2) % (kBlockBytes * kBlocks);
        return true;
    }
};

TEST_F(DirectSoundStream, RingFedBlockByBlockPlaysItsInputWithoutGapOrRepeatEvenWhenFedLate) {
    std::vector<int16_t> zeros(kBlocks * kBlockFrames * 2, 0);
    IDirectSoundBuffer* b = MakeBuffer16(PcmFormat(2, 44100, 16), zeros,
                                         DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GETCURRENTPOSITION2);
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DSBPOSITIONNOTIFY positions[kBlocks];
    for (DWORD i = 0; i < kBlocks; ++i) positions[i] = {kBlockBytes * i + kBlockBytes - 1, event};
    IDirectSoundNotify* notify = NotifyOf(b);
    ASSERT_EQ(notify->SetNotificationPositions(kBlocks, positions), DS_OK);
    notify->Release();

    // Five seconds of input, never zero, so that silence or a repeat shows.
    const size_t blocks = 44100 * 5 / kBlockFrames;
    std::vector<int16_t> input = Pattern((blocks + kBlocks) * kBlockFrames * 2, 11);
    for (auto& s : input) s = s == 0 ? 1 : s;

    RingFeeder feeder{b, event};
    b->Play(0, 0, DSBPLAY_LOOPING);
    Mix out;
    size_t block = 0;
    while (feeder.fed < blocks * kBlockFrames) {
        // Once, the caller comes three quarters of a block late.
        size_t frames = block == 200 ? kBlockFrames * 7 / 4 : block == 201 ? kBlockFrames / 4 : kBlockFrames;
        Mix part = Render(frames);
        out.samples.insert(out.samples.end(), part.samples.begin(), part.samples.end());
        ASSERT_TRUE(feeder.Feed(input)) << "no block end signalled at block " << block;
        ++block;
    }
    out.samples.resize(out.samples.size() - 2 * kBlocks * kBlockFrames);  // tail still in the ring

    // The output is silence until the first fed block, then the input, exactly.
    size_t start = 0;
    while (start < out.frames() && out.L(start) == 0 && out.R(start) == 0) ++start;
    ASSERT_LT(start, out.frames());
    EXPECT_EQ(start % kBlockFrames, 0u);
    size_t compared = out.frames() - start;
    EXPECT_GT(compared, 44100u * 4);
    for (size_t i = 0; i < compared; ++i) {
        ASSERT_EQ(out.L(start + i), input[2 * i]) << "frame " << i;
        ASSERT_EQ(out.R(start + i), input[2 * i + 1]) << "frame " << i;
    }
    CloseHandle(event);
}

TEST(DirectSoundSilentOutput, WithoutASoundDeviceSoundsStillAdvanceEndAndSignalInRealTime) {
    // The test environment has no output (ALSOFT_DRIVERS=none).
    std::vector<std::string>& log = CapturedLog();
    log.clear();
    NolSetLogSink(CaptureLog);
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
    EXPECT_TRUE(LogHas("DirectSound: no sound output found; playing silently\n"));
    EXPECT_EQ(log.size(), 1u);

    WAVEFORMATEX f = PcmFormat(1, 22050, 16);
    DSBUFFERDESC desc{sizeof desc, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPOSITIONNOTIFY, 22050 / 5 * 2, 0, &f, GUID_NULL};
    IDirectSoundBuffer* b = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);  // 200 ms
    HANDLE stopped = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DSBPOSITIONNOTIFY stop = {DSBPN_OFFSETSTOP, stopped};
    IDirectSoundNotify* notify = NotifyOf(b);
    notify->SetNotificationPositions(1, &stop);
    notify->Release();

    DWORD start = timeGetTime();
    b->Play(0, 0, 0);
    Sleep(80);
    DWORD play = 0, write = 0;
    b->GetCurrentPosition(&play, &write);
    EXPECT_GT(play, 0u);
    ASSERT_EQ(WaitForSingleObject(stopped, 3000), WAIT_OBJECT_0);
    DWORD took = timeGetTime() - start;
    EXPECT_GE(took, 180u);   // not faster than real time
    EXPECT_LT(took, 1500u);  // nor stuck
    DWORD status = 1;
    b->GetStatus(&status);
    EXPECT_EQ(status & DSBSTATUS_PLAYING, 0u);
    // A silent object is not rendered by hand.
    int16_t frame[2];
    EXPECT_FALSE(NolDirectSoundRender(ds, frame, 1));
    b->Release();
    ds->Release();
    CloseHandle(stopped);
    NolSetLogSink(nullptr);
}

struct FeederCount {
    std::atomic<int> calls{0};
    static void Call(void* user) { ++static_cast<FeederCount*>(user)->calls; }
};

TEST_F(DirectSoundStream, OtherComponentsShareTheContextAndAreFedBeforeEachStretchOfMix) {
    ALCcontext* context = NolOpenALContext(ds);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(alcGetCurrentContext(), context);

    // A source of another component plays in the same mix.
    ALuint source = 0, buffer = 0;
    alGenSources(1, &source);
    alGenBuffers(1, &buffer);
    std::vector<int16_t> tone(2000, 9000);
    alBufferData(buffer, AL_FORMAT_STEREO16, tone.data(), ALsizei(tone.size() * 2), 44100);
    alSourcei(source, AL_BUFFER, ALint(buffer));
    alSourcei(source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alSourcePlay(source);
    EXPECT_NEAR(Render(100).L(50), 9000, 2);
    alSourceStop(source);
    alDeleteSources(1, &source);
    alDeleteBuffers(1, &buffer);

    FeederCount count;
    int id = NolOpenALAddFeeder(ds, FeederCount::Call, &count);
    ASSERT_GT(id, 0);
    Render(44100);
    EXPECT_GE(count.calls.load(), 44100 / 128);  // at least once per 2.9 ms of mix
    NolOpenALRemoveFeeder(ds, id);
    int after = count.calls;
    Render(4410);
    EXPECT_EQ(count.calls.load(), after);
}

}  // namespace
