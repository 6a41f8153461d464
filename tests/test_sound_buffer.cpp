// Loading WAV files into sound buffers: what is read, what is refused and with
// which log line, which controls a buffer asks for, and the lost-buffer and effect
// paths, against a scripted DirectSound. The samples themselves are checked on the
// real device in test_sound_playback.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sound/sound_buffer.h"
#include "sound/sound_device.h"
#include "sound_fakes.h"
#include "support/test_support.h"
#include "wav_files.h"

using namespace wavs;

namespace {

class SoundBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        SoundState = SoundStateRecord{};
        SoundState.directSound = &fake;
        SoundState.sound3DFlag = 1;
        SoundState.effectsFlag = 1;
    }
    void TearDown() override { SoundState = SoundStateRecord{}; }

    std::string Write(const std::vector<uint8_t>& bytes, const char* name = "s.wav") {
        std::string path = dir.File(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    // Loads and returns the log line it wrote, name replaced by "F".
    std::string LoadLog(CSoundBuffer& sound, const std::string& path, int expected) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(sound.Load(path.c_str()), expected) << path;
        std::string log = ToCp932(testing::internal::GetCapturedStderr());
        size_t at = log.find(path);
        if (at != std::string::npos) log.replace(at, path.size(), "F");
        return log;
    }

    TempDir dir;
    FakeDirectSound fake;
};

TEST_F(SoundBufferTest, LoadsTheSamplesIntoABufferWithTheControlsTheFlagsAsk) {
    std::vector<uint8_t> samples = Samples16({100, -200, 300, -400, 500});
    std::string path = Write(Riff("WAVE", {Chunk("fmt ", FormatBytes({1, 1, 22050, 16})), Chunk("LIST", {'I', 'N', 'F', 'O', 1}),
                                           Chunk("data", samples)}));
    CSoundBuffer sound;
    EXPECT_EQ(LoadLog(sound, path, 1), "load(F) ... ok.\n");
    ASSERT_EQ(fake.descs.size(), 1u);
    EXPECT_EQ(fake.descs[0].dwFlags, 0x290u);  // volume, 3D, effects
    EXPECT_EQ(fake.descs[0].dwBufferBytes, 10u);
    EXPECT_EQ(fake.formats[0].nSamplesPerSec, 22050u);
    EXPECT_EQ(fake.formats[0].nBlockAlign, 2);
    EXPECT_EQ(fake.formats[0].cbSize, 0x494C);  // the two bytes after a 16-byte chunk: "LI"
    FakeBuffer& buffer = fake.Last();
    EXPECT_EQ(buffer.bytes, samples);
    EXPECT_EQ(sound.buffer, &buffer);
    EXPECT_EQ(sound.buffer8, &buffer);
    EXPECT_EQ(sound.buffer3d, &buffer.buffer3d);
    EXPECT_EQ(sound.name, path);

    // Each flag off drops its control and its interface.
    SoundState.sound3DFlag = 0;
    EXPECT_EQ(sound.Load(path.c_str()), 1);
    EXPECT_EQ(fake.descs.back().dwFlags, 0x280u);
    EXPECT_EQ(sound.buffer3d, nullptr);
    SoundState.effectsFlag = 0;
    EXPECT_EQ(sound.Load(path.c_str()), 1);
    EXPECT_EQ(fake.descs.back().dwFlags, 0x80u);
    EXPECT_EQ(sound.buffer8, nullptr);

    testing::internal::CaptureStderr();
    sound.Free();
    EXPECT_EQ(ToCp932(testing::internal::GetCapturedStderr()), "release(" + path + ")\n");
    EXPECT_EQ(sound.name, "");
    EXPECT_EQ(OutstandingRefs(fake), 0u);
    sound.Free();  // twice is harmless
}

// A WAV already in memory loads through an mmio reader over it, like a file, and
// replaces what the buffer held; a refusal still says why.
TEST_F(SoundBufferTest, LoadsFromAReaderOverMemory) {
    std::vector<uint8_t> samples = Samples16({7, -7, 9});
    std::vector<uint8_t> wav = Wav({1, 1, 11025, 16}, samples);
    auto open = [](std::vector<uint8_t>& bytes) {
        MMIOINFO info{};
        info.fccIOProc = FOURCC_MEM;
        info.pchBuffer = reinterpret_cast<HPSTR>(bytes.data());
        info.cchBuffer = LONG(bytes.size());
        return mmioOpenA(nullptr, &info, MMIO_READ);
    };
    CSoundBuffer sound;
    HMMIO mmio = open(wav);
    ASSERT_NE(mmio, nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sound.LoadFrom(mmio), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    mmioClose(mmio, 0);
    ASSERT_EQ(fake.buffers.size(), 1u);
    EXPECT_EQ(fake.Last().bytes, samples);
    EXPECT_EQ(fake.formats[0].nSamplesPerSec, 11025u);

    std::vector<uint8_t> stereo = Wav({1, 2, 8000, 8}, {1, 2, 3, 4});
    mmio = open(stereo);
    EXPECT_EQ(sound.LoadFrom(mmio), 1);
    mmioClose(mmio, 0);
    EXPECT_EQ(fake.buffers[0]->refs, 0u);  // the first buffer was let go
    EXPECT_EQ(fake.Last().bytes, (std::vector<uint8_t>{1, 2, 3, 4}));

    std::vector<uint8_t> notWave = Riff("AVI ", {Chunk("data", {1, 2})});
    mmio = open(notWave);
    testing::internal::CaptureStderr();
    EXPECT_EQ(sound.LoadFrom(mmio), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "RIFF is not found.\n");
    mmioClose(mmio, 0);
    EXPECT_EQ(sound.buffer, nullptr);
    EXPECT_EQ(OutstandingRefs(fake), 0u);
}

// The malformed files of the format: each logs its reason after the load line and
// makes no buffer at all.
TEST_F(SoundBufferTest, MalformedFilesLogTheirReasonAndLoadNothing) {
    Format pcm{1, 2, 44100, 16};
    std::vector<uint8_t> data = Samples16({1, 2, 3, 4});
    auto withFormat = [&](Format f) { return Wav(f, data); };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"not RIFF", std::vector<uint8_t>(64, 'x'), "RIFF is not found.\n"},
        {"another form", Riff("AVI ", {Chunk("fmt ", FormatBytes(pcm)), Chunk("data", data)}), "RIFF is not found.\n"},
        {"empty form", Riff("WAVE", {}), "fmt is not found.\n"},
        {"compressed", withFormat({2, 2, 44100, 4, 1024}), "is not PCM format.\n"},
        {"no channels", withFormat({1, 0, 44100, 16, 4}), "is not PCM format.\n"},
        {"no rate", withFormat({1, 2, 0, 16}), "is not PCM format.\n"},
        {"wrong block size", withFormat({1, 2, 44100, 16, 3}), "is not PCM format.\n"},
        {"24 bits", withFormat({1, 2, 44100, 24}), "is not PCM format.\n"},
        {"short fmt", Riff("WAVE", {Chunk("fmt ", {1, 0, 2})}), "is not PCM format.\n"},
        {"fmt past 2 GB", Riff("WAVE", {Chunk("fmt ", FormatBytes(pcm), 0xFFFFFFF0), Chunk("data", data)}, 0xFFFFFFFF),
         "ascend error.\n"},
        {"no data", Riff("WAVE", {Chunk("fmt ", FormatBytes(pcm)), Chunk("junk", data)}), "chunk is not found.\n"},
    };
    for (const Case& c : cases) {
        CSoundBuffer sound;
        std::string path = Write(c.bytes);
        EXPECT_EQ(LoadLog(sound, path, 0), std::string("load(F) ... ") + c.reason) << c.what;
        EXPECT_EQ(sound.buffer, nullptr) << c.what;
        EXPECT_EQ(sound.name, path) << c.what;  // kept, as after any failed load
    }
    // A zero block alignment is made by hand: the builder would derive one.
    std::vector<uint8_t> zeroAlign = withFormat(pcm);
    zeroAlign[12 + 8 + 12] = zeroAlign[12 + 8 + 13] = 0;
    CSoundBuffer sound;
    EXPECT_EQ(LoadLog(sound, Write(zeroAlign), 0), "load(F) ... is not PCM format.\n");
    EXPECT_EQ(LoadLog(sound, dir.File("missing.wav"), 0), "load(F) ... open error.\n");
    EXPECT_TRUE(fake.descs.empty());
}

TEST_F(SoundBufferTest, TheFirstChunkIsTakenAsTheFormatWhateverItsId) {
    // "abcd" comes first; its bytes are read as the format. A PCM-looking one loads.
    std::string path = Write(Riff("WAVE", {Chunk("abcd", FormatBytes({1, 1, 8000, 8})), Chunk("fmt ", FormatBytes({1, 2, 44100, 16})),
                                           Chunk("data", {1, 2, 3, 4})}));
    CSoundBuffer sound;
    EXPECT_EQ(LoadLog(sound, path, 1), "load(F) ... ok.\n");
    EXPECT_EQ(fake.formats[0].nSamplesPerSec, 8000u);
    EXPECT_EQ(fake.formats[0].wBitsPerSample, 8);
}

// A data chunk that claims more than the file holds makes a buffer of what is
// there, never of what is claimed, and cut to whole sample frames.
TEST_F(SoundBufferTest, ADataChunkLongerThanTheFileLoadsThePartPresent) {
    std::vector<uint8_t> samples = Samples16({7, 8, 9});
    for (uint32_t claimed : {100u, 0x7FFFFFF0u, 0xFFFFFFFFu}) {
        std::vector<uint8_t> bytes = Riff("WAVE", {Chunk("fmt ", FormatBytes({1, 2, 44100, 16})), Chunk("data", samples, claimed)});
        CSoundBuffer sound;
        EXPECT_EQ(LoadLog(sound, Write(bytes), 1), "load(F) ... ok.\n") << claimed;
        EXPECT_EQ(fake.descs.back().dwBufferBytes, 4u) << claimed;  // one stereo frame of the three samples
        EXPECT_EQ(fake.Last().bytes, std::vector<uint8_t>(samples.begin(), samples.begin() + 4));
    }
}

TEST_F(SoundBufferTest, BufferCreationFailures) {
    std::string path = Write(Wav({1, 1, 22050, 16}, Samples16({1, 2})));
    struct Case {
        std::function<void(FakeDirectSound&)> breakIt;
        int result;
        const char* tail;
        bool keepsBuffer;
    };
    const Case cases[] = {
        // Too short for effects: silently unplayable, but loaded.
        {[](FakeDirectSound& f) { f.createResult = DSERR_BUFFERTOOSMALL; }, 1, "data is too small.\nok.\n", false},
        {[](FakeDirectSound& f) { f.createResult = E_OUTOFMEMORY; }, 0, "out of memory.\n", false},
        {[](FakeDirectSound& f) { f.createResult = DSERR_BADFORMAT; }, 0, "can't create buffer.\n", false},
        {[](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.buffer8Result = E_NOINTERFACE; }; }, 0,
         "DirectSoundBuffer8\n", true},
        {[](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.buffer3dResult = E_NOINTERFACE; }; }, 0,
         "DirectSound3DBuffer\n", true},
        {[](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.lockResult = DSERR_INVALIDPARAM; }; }, 0, "", true},
        {[](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.unlockResult = DSERR_INVALIDPARAM; }; }, 0, "", true},
    };
    for (const Case& c : cases) {
        FakeDirectSound broken;
        c.breakIt(broken);
        SoundState.directSound = &broken;
        CSoundBuffer sound;
        EXPECT_EQ(LoadLog(sound, path, c.result), std::string("load(F) ... ") + c.tail);
        EXPECT_EQ(sound.buffer != nullptr, c.keepsBuffer) << c.tail;
        sound.Play(0);  // harmless either way
        sound.Free();
        EXPECT_EQ(OutstandingRefs(broken), 0u) << c.tail;
    }

    // A lost buffer during the fill is restored, and the load fails.
    FakeDirectSound losing;
    losing.prepare = [](FakeBuffer& b) { b.lockResult = DSERR_BUFFERLOST; };
    SoundState.directSound = &losing;
    CSoundBuffer sound;
    EXPECT_EQ(sound.Load(path.c_str()), 0);
    EXPECT_EQ(losing.Last().restores, 1);
}

TEST_F(SoundBufferTest, PlayRestartsAndALostBufferIsReloadedForTheNextPlay) {
    std::string path = Write(Wav({1, 1, 22050, 16}, Samples16({5, 6, 7, 8})));
    CSoundBuffer sound;
    ASSERT_EQ(sound.Load(path.c_str()), 1);
    FakeBuffer& first = fake.Last();
    sound.Play(1);
    EXPECT_EQ(first.playFlags, (DWORD)DSBPLAY_LOOPING);
    EXPECT_EQ(sound.IsPlaying(), 1);
    sound.Play(0);
    EXPECT_EQ(first.playFlags, 0u);
    EXPECT_EQ(first.positionsSet, (std::vector<DWORD>{0, 0}));
    sound.Stop();
    EXPECT_EQ(sound.IsPlaying(), 0);

    // A position that will not set stops the buffer and sets it again.
    first.setPositionResult = DSERR_INVALIDCALL;
    size_t stops = fake.calls.Count("buffer.Stop");
    sound.Play(0);
    EXPECT_EQ(fake.calls.Count("buffer.Stop"), int(stops) + 1);
    EXPECT_EQ(first.positionsSet.size(), 4u);

    first.playResult = DSERR_BUFFERLOST;
    testing::internal::CaptureStderr();
    sound.Play(0);
    std::string log = ToCp932(testing::internal::GetCapturedStderr());
    EXPECT_EQ(log, "DSERR_BUFFERLOST:" + path + "release(" + path + ")\nload(" + path + ") ... ok.\n");
    EXPECT_EQ(first.restores, 1);
    ASSERT_EQ(fake.buffers.size(), 2u);
    EXPECT_EQ(sound.buffer, &fake.Last());
    EXPECT_EQ(fake.Last().bytes, Samples16({5, 6, 7, 8}));
    EXPECT_EQ(fake.Last().status & DSBSTATUS_PLAYING, 0u);  // played on the next call only
    EXPECT_EQ(sound.name, path);
}

TEST_F(SoundBufferTest, DuplicatesShareTheSamplesButNotTheName) {
    std::string path = Write(Wav({1, 1, 22050, 16}, Samples16({1, 2, 3})));
    CSoundBuffer source, copy;
    EXPECT_EQ(copy.Duplicate(source), 0);  // nothing loaded to copy
    ASSERT_EQ(source.Load(path.c_str()), 1);
    ASSERT_EQ(copy.Duplicate(source), 1);
    EXPECT_EQ(fake.calls.Count("sound.DuplicateSoundBuffer"), 1);
    EXPECT_NE(copy.buffer, source.buffer);
    EXPECT_NE(copy.buffer3d, nullptr);
    EXPECT_EQ(copy.name, "");

    testing::internal::CaptureStderr();
    copy.Free();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // no name, no release line

    fake.duplicateResult = DSERR_OUTOFMEMORY;
    EXPECT_EQ(copy.Duplicate(source), 0);
    EXPECT_EQ(copy.buffer, nullptr);
}

TEST_F(SoundBufferTest, SetEffectSetsOneStandardEffectOrNone) {
    std::string path = Write(Wav({1, 1, 22050, 16}, Samples16({1, 2, 3})));
    CSoundBuffer sound;
    ASSERT_EQ(sound.Load(path.c_str()), 1);
    FakeBuffer& buffer = fake.Last();
    const GUID* expected[] = {&GUID_DSFX_WAVES_REVERB,        &GUID_DSFX_STANDARD_I3DL2REVERB, &GUID_DSFX_STANDARD_ECHO,
                              &GUID_DSFX_STANDARD_CHORUS,     &GUID_DSFX_STANDARD_FLANGER,     &GUID_DSFX_STANDARD_GARGLE,
                              &GUID_DSFX_STANDARD_COMPRESSOR, &GUID_DSFX_STANDARD_PARAMEQ,     &GUID_DSFX_STANDARD_DISTORTION};
    for (int n = 0; n < 9; ++n) {
        sound.SetEffect(n);
        ASSERT_EQ(buffer.fxCount, 1u) << n;
        EXPECT_TRUE(buffer.fx[0].guidDSFXClass == *expected[n]) << n;
        EXPECT_EQ(buffer.fx[0].dwFlags, 0u);
        EXPECT_EQ(buffer.fx[0].dwSize, sizeof(DSEFFECTDESC));
    }
    for (int n : {-1, 9, 1000, -5}) {
        buffer.fxCount = 99;
        sound.SetEffect(n);
        EXPECT_EQ(buffer.fxCount, 0u) << n;
    }
    // Effects switched off: nothing reaches the buffer.
    SoundState.effectsFlag = 0;
    buffer.fxCount = 99;
    sound.SetEffect(2);
    EXPECT_EQ(buffer.fxCount, 99u);
}

}  // namespace
