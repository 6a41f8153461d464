// The music functions' start-up, shutdown and failure paths: the log lines, the
// error boxes, and what is left loaded when a step fails.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "com/class_registry.h"
#include "error_boxes.h"
#include "midi_files.h"
#include "sound/music.h"
#include "support/test_support.h"
#include "win32/test_hooks.h"

namespace {

// A performance whose InitAudio refuses, as one with no sound device would.
class RefusingPerformance : public IDirectMusicPerformance8 {
public:
    static int live;
    RefusingPerformance() { ++live; }
    ~RefusingPerformance() override { --live; }
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        ULONG left = --refs;
        if (!left) delete this;
        return left;
    }
    HRESULT Stop(IDirectMusicSegment*, IDirectMusicSegmentState*, MUSIC_TIME, DWORD) override { return S_OK; }
    HRESULT IsPlaying(IDirectMusicSegment*, IDirectMusicSegmentState*) override { return S_OK; }
    HRESULT GetTime(REFERENCE_TIME*, MUSIC_TIME*) override { return S_OK; }
    HRESULT CloseDown() override { return S_OK; }
    HRESULT InitAudio(IDirectMusic**, IDirectSound**, HWND, DWORD, DWORD, DWORD, DMUS_AUDIOPARAMS*) override {
        return E_FAIL;
    }
    HRESULT PlaySegmentEx(IUnknown*, WCHAR*, IUnknown*, DWORD, int64_t, IDirectMusicSegmentState**,
                          IUnknown*, IUnknown*) override {
        ADD_FAILURE() << "played on a performance that never started";
        return E_FAIL;
    }
    ULONG refs = 1;
};
int RefusingPerformance::live = 0;

HRESULT MakeRefusingPerformance(REFIID, void** object) {
    *object = static_cast<IDirectMusicPerformance8*>(new RefusingPerformance);
    return S_OK;
}

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        MusicState = MusicStateRecord{};
        shownBoxes.clear();
        NolSetMessageBoxAnswerer(RecordBox);
        WriteBytes(dir.File("piece.mid"), SingleNoteFile(96, 60, 4));
    }
    void TearDown() override {
        FreeDirectMusic();
        nol::com::ComOverrideClass(CLSID_DirectMusicLoader, nullptr);
        nol::com::ComOverrideClass(CLSID_DirectMusicPerformance, nullptr);
        NolSetMessageBoxAnswerer(nullptr);
    }
    static std::string LogOf(const std::function<void()>& f) {
        testing::internal::CaptureStderr();
        f();
        return testing::internal::GetCapturedStderr();
    }
    TempDir dir;
};

TEST_F(MusicTest, StartAndShutdownLogTheirNamesAndLoaderFailureShowsItsBox) {
    std::string log = LogOf([] { EXPECT_EQ(InitDirectMusic(), 1); });
    EXPECT_NE(log.find("----------------------------------------\nInitDirectMusic\n"), std::string::npos) << log;
    EXPECT_NE(MusicState.loader, nullptr);
    // Nothing else is made at start-up.
    EXPECT_EQ(MusicState.performance, nullptr);
    log = LogOf(FreeDirectMusic);
    EXPECT_NE(log.find("----------------------------------------\nFreeDirectMusic\n"), std::string::npos) << log;
    EXPECT_EQ(MusicState.loader, nullptr);
    // Shutdown with nothing started is harmless, and so is a second one.
    LogOf(FreeDirectMusic);

    nol::com::ComOverrideClass(CLSID_DirectMusicLoader, nol::com::ComFailingFactory);
    LogOf([] { EXPECT_EQ(InitDirectMusic(), 0); });
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0], "DirectMusicローダーが作成できません.");
    EXPECT_EQ(MusicState.loader, nullptr);
}

TEST_F(MusicTest, AFileThatWillNotLoadIsLoggedWithTheReasonAndLeavesNothing) {
    LogOf([] { InitDirectMusic(); });
    // Missing, present but not MIDI, and an unknown SMPTE frame rate: no box.
    WriteBytes(dir.File("noise.mid"), std::vector<uint8_t>(100, 0x55));
    WriteBytes(dir.File("rate.mid"), SingleNoteFile(SmpteDivision(20, 10), 60, 1));
    struct Case {
        std::string name, reason;
    };
    for (const Case& c : {Case{dir.File("missing.mid"), "file not found"},
                          Case{dir.File("noise.mid"), "not a Standard MIDI File"},
                          Case{dir.File("rate.mid"), "unknown SMPTE frame rate -20"}}) {
        std::string log = LogOf([&] { EXPECT_EQ(LoadMusic(c.name.c_str()), 0); });
        EXPECT_NE(log.find("load(" + c.name + ") ... can't load object: " + c.reason + ".\n"), std::string::npos)
            << log;
        EXPECT_EQ(MusicState.segment, nullptr);
        EXPECT_EQ(MusicState.performance, nullptr);
    }
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(IsMusicPlaying(), 0);
    PlayMusic(1);
    PauseMusic();
    StopMusic();
    EXPECT_EQ(IsMusicPlaying(), 0);

    // Without a loader, the line still ends, with why.
    FreeDirectMusic();
    std::string log = LogOf([&] { EXPECT_EQ(LoadMusic(dir.File("piece.mid").c_str()), 0); });
    EXPECT_NE(log.find("... can't load object: no DirectMusic loader.\n"), std::string::npos) << log;
}

TEST_F(MusicTest, ADamagedFileLoadsAndItsLineSaysWhatWasSkipped) {
    LogOf([] { InitDirectMusic(); });
    nol::com::ComOverrideClass(CLSID_DirectMusicPerformance, MakeRefusingPerformance);
    MidiTrackBuilder t;
    t.Program(0, 0, 0).NoteOn(0, 0, 60, 100).Event(96, {0x80, 60});  // the note-off lacks a byte
    std::string name = dir.File("damaged.mid");
    WriteBytes(name, MidiFile(0, 96, {t}));
    std::string log = LogOf([&] { LoadMusic(name.c_str()); });
    EXPECT_NE(log.find("load(" + name + ") ... ok: skipped the rest of track 0: event cut short.\n"),
              std::string::npos)
        << log;
    EXPECT_NE(MusicState.segment, nullptr);
}

TEST_F(MusicTest, NamesAreFoundInTheCurrentDirectory) {
    LogOf([] { InitDirectMusic(); });
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.path.c_str()));
    nol::com::ComOverrideClass(CLSID_DirectMusicPerformance, MakeRefusingPerformance);
    std::string log = LogOf([] { LoadMusic("piece.mid"); });
    SetCurrentDirectoryA(previous);
    EXPECT_NE(log.find("load(piece.mid) ... ok.\n"), std::string::npos) << log;
    EXPECT_NE(MusicState.segment, nullptr);
}

TEST_F(MusicTest, APerformanceThatCannotBeMadeOrStartedLeavesTheSegmentAlone) {
    LogOf([] { InitDirectMusic(); });
    std::string name = dir.File("piece.mid");

    nol::com::ComOverrideClass(CLSID_DirectMusicPerformance, nol::com::ComFailingFactory);
    std::string log = LogOf([&] { EXPECT_EQ(LoadMusic(name.c_str()), 0); });
    EXPECT_NE(log.find("load(" + name + ") ... ok.\n"), std::string::npos) << log;
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0], "パフォーマンスが作成できません.");
    EXPECT_NE(MusicState.segment, nullptr);
    EXPECT_EQ(MusicState.performance, nullptr);
    PlayMusic(1);
    EXPECT_EQ(IsMusicPlaying(), 0);

    // InitAudio refusing: its own box; play, pause and stop still do nothing.
    nol::com::ComOverrideClass(CLSID_DirectMusicPerformance, MakeRefusingPerformance);
    LogOf([&] { EXPECT_EQ(LoadMusic(name.c_str()), 0); });
    ASSERT_EQ(shownBoxes.size(), 2u);
    EXPECT_EQ(shownBoxes[1], "パフォーマンスが初期化できません.");
    EXPECT_NE(MusicState.segment, nullptr);
    // A new load releases the old performance before it makes the next one.
    LogOf([&] { LoadMusic(name.c_str()); });
    EXPECT_EQ(RefusingPerformance::live, 1);
    LogOf(ReleaseMusic);
    EXPECT_EQ(RefusingPerformance::live, 0);
    EXPECT_EQ(MusicState.segment, nullptr);
}

}  // namespace
