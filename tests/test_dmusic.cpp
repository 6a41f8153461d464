// The DirectMusic stand-in as the original's callers rely on it: what the loader
// accepts, the segment and performance contracts, and the position of a playing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "dmusic/dmusici.h"
#include "dmusic/dmusicreason.h"
#include "dsound8/dsound_test_hooks.h"
#include "midi_files.h"
#include "support/test_support.h"

namespace {

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

template <typename T>
T* Create(REFCLSID clsid, REFIID iid) {
    T* object = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC, iid, (void**)&object), S_OK);
    return object;
}

class DirectMusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        NolDirectSoundUseManualOutput(true);
        ASSERT_EQ(DirectSoundCreate8(nullptr, &sound, nullptr), S_OK);
        loader = Create<IDirectMusicLoader8>(CLSID_DirectMusicLoader, IID_IDirectMusicLoader8);
        performance = Create<IDirectMusicPerformance8>(CLSID_DirectMusicPerformance, IID_IDirectMusicPerformance8);
        ASSERT_TRUE(loader && performance);
        std::u16string d = Wide(dir.path);
        loader->SetSearchDirectory(GUID_DirectMusicAllTypes, d.data(), FALSE);
    }
    void TearDown() override {
        if (performance) {
            performance->CloseDown();
            performance->Release();
        }
        if (loader) loader->Release();
        if (sound) sound->Release();
        NolDirectSoundUseManualOutput(false);
    }
    HRESULT Load(const std::string& name, IDirectMusicSegment8** segment) {
        std::u16string w = Wide(name);
        return loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, w.data(),
                                          (void**)segment);
    }
    HRESULT Init() {
        IDirectSound* ds = sound;
        return performance->InitAudio(nullptr, &ds, nullptr, DMUS_APATH_SHARED_STEREOPLUSREVERB, 64,
                                      DMUS_AUDIOF_ALL, nullptr);
    }
    void Render(double seconds) {
        std::vector<int16_t> out(512 * 2);
        for (int done = 0; done < int(seconds * 44100); done += 512)
            ASSERT_TRUE(NolDirectSoundRender(sound, out.data(), 512));
    }

    TempDir dir;
    IDirectSound8* sound = nullptr;
    IDirectMusicLoader8* loader = nullptr;
    IDirectMusicPerformance8* performance = nullptr;
};

TEST_F(DirectMusicTest, LoaderMakesSegmentsOfMidiFilesOnly) {
    ASSERT_EQ(mkdir(dir.File("sub").c_str(), 0755), 0);
    WriteBytes(dir.File("sub/piece.mid"), SingleNoteFile(480, 60, 3));
    WriteBytes(dir.File("wave.wav"), {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});

    IDirectMusicSegment8* segment = nullptr;
    // Relative to the search directory, with either separator.
    ASSERT_EQ(Load("sub\\piece.mid", &segment), S_OK);
    MUSIC_TIME length = 0;
    segment->GetLength(&length);
    EXPECT_EQ(length, 3 * DMUS_PPQ);  // division 480 in the file, 768 here
    segment->Release();
    ASSERT_EQ(Load(dir.File("sub/piece.mid"), &segment), S_OK);
    segment->Release();

    segment = reinterpret_cast<IDirectMusicSegment8*>(this);
    EXPECT_EQ(Load("missing.mid", &segment), DMUS_E_LOADER_FAILEDOPEN);
    EXPECT_EQ(segment, nullptr);
    EXPECT_STREQ(DirectMusicGetLastLoadError(), "file not found");
    EXPECT_EQ(Load("sub", &segment), DMUS_E_LOADER_FAILEDOPEN);
    EXPECT_STREQ(DirectMusicGetLastLoadError(), "not a regular file");
    EXPECT_EQ(Load("wave.wav", &segment), DMUS_E_UNSUPPORTED_STREAM);
    EXPECT_EQ(segment, nullptr);
    EXPECT_STREQ(DirectMusicGetLastLoadError(), "not a Standard MIDI File");

    // A damaged file still makes a segment, and says what it lost; a whole one clears it.
    auto damaged = SingleNoteFile(96, 60, 2);
    damaged.resize(damaged.size() - 5);
    WriteBytes(dir.File("damaged.mid"), damaged);
    ASSERT_EQ(Load("damaged.mid", &segment), S_OK);
    EXPECT_STREQ(DirectMusicGetLastLoadError(), "skipped the rest of track 0: event cut short");
    segment->Release();
    ASSERT_EQ(Load("sub/piece.mid", &segment), S_OK);
    EXPECT_STREQ(DirectMusicGetLastLoadError(), "");
    segment->Release();
    std::u16string w = u"sub/piece.mid";
    EXPECT_EQ(loader->LoadObjectFromFile(CLSID_DirectMusicLoader, IID_IDirectMusicSegment8, w.data(),
                                         (void**)&segment),
              DMUS_E_LOADER_NOCLASSID);
}

TEST_F(DirectMusicTest, SegmentAndPerformanceRefuseWhatTheOriginalRefuses) {
    WriteBytes(dir.File("piece.mid"), SingleNoteFile(96, 60, 2));
    IDirectMusicSegment8* segment = nullptr;
    ASSERT_EQ(Load("piece.mid", &segment), S_OK);

    EXPECT_EQ(segment->SetStartPoint(DMUS_PPQ), S_OK);
    EXPECT_EQ(segment->SetStartPoint(2 * DMUS_PPQ), DMUS_E_OUT_OF_RANGE);
    EXPECT_EQ(segment->SetStartPoint(-1), DMUS_E_OUT_OF_RANGE);
    MUSIC_TIME start = 0;
    segment->GetStartPoint(&start);
    EXPECT_EQ(start, DMUS_PPQ);

    // Nothing plays before InitAudio.
    EXPECT_EQ(segment->Download(performance), DMUS_E_NOT_INIT);
    IDirectMusicSegmentState* state = nullptr;
    EXPECT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, &state, nullptr, nullptr),
              DMUS_E_NOT_INIT);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_FALSE);

    ASSERT_EQ(Init(), S_OK);
    EXPECT_EQ(Init(), DMUS_E_ALREADY_INITED);
    EXPECT_EQ(segment->Download(performance), S_OK);
    EXPECT_EQ(segment->Download(loader), E_INVALIDARG);
    EXPECT_EQ(performance->PlaySegmentEx(loader, nullptr, nullptr, 0, 0, &state, nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(performance->IsPlaying(nullptr, nullptr), E_POINTER);
    segment->Release();

    // Given no DirectSound object, the performance makes its own and hands it back.
    IDirectMusicPerformance8* other =
        Create<IDirectMusicPerformance8>(CLSID_DirectMusicPerformance, IID_IDirectMusicPerformance8);
    IDirectSound* made = nullptr;
    ASSERT_EQ(other->InitAudio(nullptr, &made, nullptr, DMUS_APATH_SHARED_STEREOPLUSREVERB, 64,
                               DMUS_AUDIOF_ALL, nullptr),
              S_OK);
    EXPECT_NE(made, nullptr);
    other->CloseDown();
    other->Release();
    if (made) made->Release();
}

TEST_F(DirectMusicTest, ASmpteFilePlaysForItsFramesNotItsTempo) {
    // 100 frames of 40 ticks at 25 per second: 4 s, with a tempo of 60 bpm in it.
    MidiTrackBuilder t;
    t.Tempo(0, 1000000).Program(0, 0, 0).NoteOn(0, 0, 60, 100).NoteOff(4000, 0, 60).End(0);
    WriteBytes(dir.File("smpte.mid"), MidiFile(0, SmpteDivision(25, 40), {t}));
    IDirectMusicSegment8* segment = nullptr;
    ASSERT_EQ(Load("smpte.mid", &segment), S_OK);
    ASSERT_EQ(Init(), S_OK);
    IDirectMusicSegmentState* state = nullptr;
    ASSERT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, &state, nullptr, nullptr), S_OK);
    Render(3.9);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_OK);
    Render(0.2);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_FALSE);
    state->Release();
    segment->Release();
}

TEST_F(DirectMusicTest, StatesReportPositionWithinTheSegmentAndEndWhenReplaced) {
    // One quarter (half a second) at division 96.
    WriteBytes(dir.File("beat.mid"), SingleNoteFile(96, 60, 1));
    IDirectMusicSegment8* segment = nullptr;
    IDirectMusicSegment8* second = nullptr;
    ASSERT_EQ(Load("beat.mid", &segment), S_OK);
    ASSERT_EQ(Load("beat.mid", &second), S_OK);
    ASSERT_EQ(Init(), S_OK);
    segment->SetRepeats(DMUS_SEG_REPEAT_INFINITE);
    IDirectMusicSegmentState* state = nullptr;
    ASSERT_EQ(performance->PlaySegmentEx(segment, nullptr, nullptr, 0, 0, &state, nullptr, nullptr), S_OK);

    // 2.25 rounds: the position is a quarter of the way into the segment.
    Render(1.125);
    MUSIC_TIME seek = -1;
    state->GetSeek(&seek);
    EXPECT_NEAR(seek, DMUS_PPQ / 4, DMUS_PPQ / 16);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_OK);
    EXPECT_EQ(performance->IsPlaying(nullptr, state), S_OK);
    EXPECT_EQ(performance->IsPlaying(second, nullptr), S_FALSE);

    // Stopping a segment that is not playing leaves the one that is.
    performance->Stop(second, nullptr, 0, 0);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_OK);

    // A new primary segment replaces the first, whose state keeps where it ended.
    IDirectMusicSegmentState* next = nullptr;
    ASSERT_EQ(performance->PlaySegmentEx(second, nullptr, nullptr, 0, 0, &next, nullptr, nullptr), S_OK);
    EXPECT_EQ(performance->IsPlaying(nullptr, state), S_FALSE);
    EXPECT_EQ(performance->IsPlaying(segment, nullptr), S_FALSE);
    Render(0.25);
    MUSIC_TIME frozen = -1;
    state->GetSeek(&frozen);
    EXPECT_NEAR(frozen, DMUS_PPQ / 4, DMUS_PPQ / 16);
    // The second plays once: over after its half second.
    EXPECT_EQ(performance->IsPlaying(nullptr, next), S_OK);
    Render(0.5);
    EXPECT_EQ(performance->IsPlaying(nullptr, next), S_FALSE);
    EXPECT_EQ(performance->IsPlaying(second, nullptr), S_FALSE);

    next->Release();
    state->Release();
    segment->Release();
    second->Release();
}

}  // namespace
