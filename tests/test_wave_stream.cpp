// The streaming ring against a scripted DirectSound: how it is made, where each
// block is written, how a late caller catches up and how a silent device ends a
// wait. test_sound_playback.cpp plays a stream through the real device.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "sound/sound_device.h"
#include "sound/wave_stream.h"
#include "sound_fakes.h"
#include "support/test_support.h"

namespace {

constexpr int kBlock = 8;
constexpr int kCount = 4;

class WaveStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        SoundState = SoundStateRecord{};
        SoundState.directSound = &fake;
        // Neither flag applies to streams.
        SoundState.sound3DFlag = 1;
        SoundState.effectsFlag = 1;
        format = MakeWaveFormat(8000, 16, 1);
    }
    void TearDown() override {
        stream.Free();
        SoundState = SoundStateRecord{};
    }
    static std::string LogOf(const std::function<void()>& f) {
        testing::internal::CaptureStderr();
        f();
        return testing::internal::GetCapturedStderr();
    }
    // A block of one repeated byte, handed over once the device has signalled.
    int Feed(uint8_t value, int length = kBlock) {
        std::vector<uint8_t> block(length, value);
        SetEvent(stream.event);
        return stream.Enqueue(block.data(), length);
    }
    std::vector<uint8_t> Ring(const std::string& pattern) {
        std::vector<uint8_t> r;
        for (char c : pattern) r.insert(r.end(), kBlock, c == '.' ? 0 : uint8_t(c));
        return r;
    }

    FakeDirectSound fake;
    WAVEFORMATEX format{};
    CWaveStream stream;
};

TEST_F(WaveStreamTest, CreatesASilentLoopingRingWithOneNotificationPerBlock) {
    ASSERT_EQ(stream.CreateSoundBuffer(&format, kBlock, kCount), 1);
    ASSERT_EQ(fake.descs.size(), 1u);
    EXPECT_EQ(fake.descs[0].dwFlags, 0x50100u);  // notify, position 2, deferred
    EXPECT_EQ(fake.descs[0].dwBufferBytes, DWORD(kBlock * kCount));
    EXPECT_EQ(fake.formats[0].nSamplesPerSec, 8000u);
    FakeBuffer& ring = fake.Last();
    EXPECT_EQ(ring.bytes, Ring("...."));
    ASSERT_EQ(ring.notify.positions.size(), size_t(kCount));
    for (int i = 0; i < kCount; ++i) {
        EXPECT_EQ(ring.notify.positions[i].dwOffset, DWORD(kBlock * i + kBlock - 1));
        EXPECT_EQ(ring.notify.positions[i].hEventNotify, stream.event);
    }
    EXPECT_NE(stream.event, nullptr);
    EXPECT_EQ(ring.playFlags, (DWORD)DSBPLAY_LOOPING);
    EXPECT_EQ(stream.writePosition, 0u);

    // A new creation, or Free, lets go of everything.
    ASSERT_EQ(stream.CreateSoundBuffer(&format, kBlock, kCount), 1);
    stream.Free();
    EXPECT_EQ(OutstandingRefs(fake), 0u);
    EXPECT_EQ(stream.buffer, nullptr);
    EXPECT_EQ(stream.event, nullptr);
}

TEST_F(WaveStreamTest, CreationFailuresAreLogged) {
    struct Case {
        std::function<void(FakeDirectSound&)> breakIt;
        const char* line;
    };
    const Case cases[] = {
        {[](FakeDirectSound& f) { f.createResult = DSERR_BADFORMAT; }, "CWaveStream::CreateSoundBuffer\n"},
        {[](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.notifyResult = E_NOINTERFACE; }; },
         "IDirectSoundNotify\n"},
        {[](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.notify.result = DSERR_INVALIDPARAM; }; },
         "SetNotificationPositions\n"},
        {[](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.lockResult = DSERR_INVALIDCALL; }; }, ""},
    };
    for (const Case& c : cases) {
        FakeDirectSound broken;
        c.breakIt(broken);
        SoundState.directSound = &broken;
        CWaveStream s;
        EXPECT_EQ(LogOf([&] { EXPECT_EQ(s.CreateSoundBuffer(&format, kBlock, kCount), 0); }), c.line);
        s.Free();
        EXPECT_EQ(OutstandingRefs(broken), 0u) << c.line;
    }
    // Sizes that describe no ring, or one too large to address, never reach the device.
    SoundState.directSound = &fake;
    for (auto [block, count] : {std::pair{0, 4}, {8, 0}, {-8, 4}, {8, -1}, {0x10000, 0x10000}}) {
        EXPECT_EQ(LogOf([&] { EXPECT_EQ(stream.CreateSoundBuffer(&format, block, count), 0); }),
                  "CWaveStream::CreateSoundBuffer\n");
    }
    EXPECT_EQ(LogOf([&] { EXPECT_EQ(stream.CreateSoundBuffer(nullptr, kBlock, kCount), 0); }),
              "CWaveStream::CreateSoundBuffer\n");
    EXPECT_TRUE(fake.descs.empty());
    EXPECT_EQ(stream.Enqueue("x", 1), 0);  // no ring
}

TEST_F(WaveStreamTest, BlocksFollowEachOtherAndAWriteWrapsToTheStart) {
    ASSERT_EQ(stream.CreateSoundBuffer(&format, kBlock, kCount), 1);
    FakeBuffer& ring = fake.Last();
    // Play and write cursors equal: nothing is committed, nothing moves.
    EXPECT_EQ(Feed('a'), 1);
    EXPECT_EQ(Feed('b'), 1);
    EXPECT_EQ(Feed('c'), 1);
    EXPECT_EQ(ring.bytes, Ring("abc."));
    EXPECT_EQ(stream.writePosition, DWORD(3 * kBlock));

    // One and a half blocks from the last block: the tail lands at the start.
    EXPECT_EQ(Feed('d', kBlock + kBlock / 2), 1);
    std::vector<uint8_t> expected = Ring("abcd");
    std::fill(expected.begin(), expected.begin() + kBlock / 2, 'd');
    EXPECT_EQ(ring.bytes, expected);
    EXPECT_EQ(stream.writePosition, DWORD(kBlock / 2));
    EXPECT_EQ(ring.locks.back(), (std::pair<DWORD, DWORD>{3 * kBlock, kBlock + kBlock / 2}));

    // More than the ring holds is refused whole.
    std::vector<uint8_t> big(kBlock * kCount + 1, 'z');
    SetEvent(stream.event);
    EXPECT_EQ(stream.Enqueue(big.data(), int(big.size())), 0);
    EXPECT_EQ(stream.writePosition, DWORD(kBlock / 2));
}

// The stretch from the play cursor up to the write cursor is already on its way
// out; a write position inside it moves to the write cursor, one outside it stays.
TEST_F(WaveStreamTest, ALateWriteContinuesAtTheDevicesWriteCursor) {
    ASSERT_EQ(stream.CreateSoundBuffer(&format, kBlock, kCount), 1);
    FakeBuffer& ring = fake.Last();
    struct Case {
        DWORD play, write, from, to;
    };
    const Case cases[] = {
        {4, 20, 8, 20},    // inside, no wrap
        {4, 20, 20, 20},   // at the write cursor already
        {4, 20, 4, 4},     // at the play cursor: not inside
        {4, 20, 24, 24},   // ahead of the write cursor
        {24, 6, 28, 6},    // inside, the stretch wraps: after the play cursor
        {24, 6, 2, 6},     // ... and before the write cursor
        {24, 6, 16, 16},   // outside a wrapping stretch
        {12, 12, 14, 14},  // cursors equal
    };
    for (const Case& c : cases) {
        stream.writePosition = c.from;
        ring.playCursor = c.play;
        ring.writeCursor = c.write;
        EXPECT_EQ(Feed('x', 2), 1);
        EXPECT_EQ(ring.locks.back().first, c.to) << c.play << " " << c.write << " " << c.from;
        EXPECT_EQ(stream.writePosition, (c.to + 2) % (kBlock * kCount));
    }
}

TEST_F(WaveStreamTest, AWaitWithoutABlockEndTimesOutAndALostRingIsRestored) {
    ASSERT_EQ(stream.CreateSoundBuffer(&format, kBlock, kCount), 1);
    // 32 bytes at 16000 bytes a second: the floor of the wait applies.
    EXPECT_GE(stream.waitLimit, 200u);
    EXPECT_LE(stream.waitLimit, 1000u);
    stream.waitLimit = 20;
    std::vector<uint8_t> block(kBlock, 'q');
    DWORD start = timeGetTime();
    EXPECT_EQ(LogOf([&] { EXPECT_EQ(stream.Enqueue(block.data(), kBlock), 0); }), "time out CWaveStream::Enqueue\n");
    EXPECT_GE(timeGetTime() - start, 15u);
    EXPECT_EQ(fake.Last().locks.size(), 1u);  // only the fill at creation
    EXPECT_EQ(stream.writePosition, 0u);

    fake.Last().lockResult = DSERR_BUFFERLOST;
    EXPECT_EQ(Feed('l'), 0);
    EXPECT_EQ(fake.Last().restores, 1);
    EXPECT_EQ(stream.writePosition, 0u);

    // A long ring waits longer: four times its length.
    CWaveStream slow;
    WAVEFORMATEX cd = MakeWaveFormat(44100, 16, 2);
    ASSERT_EQ(slow.CreateSoundBuffer(&cd, 44100, 4), 1);  // one second
    EXPECT_EQ(slow.waitLimit, 4000u);
}

}  // namespace
