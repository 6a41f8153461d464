// Setting up and closing the sound device: the switches, the primary buffer, the
// listener and the error boxes, against a scripted DirectSound.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/window.h"
#include "sound/sound_device.h"
#include "sound_fakes.h"
#include "support/test_support.h"
#include "win32/test_hooks.h"

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x5150);

struct ShownBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
std::vector<ShownBox> shownBoxes;

int RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    shownBoxes.push_back({owner, text, caption, type});
    return IDOK;
}

class SoundDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        SoundState = SoundStateRecord{};
        shownBoxes.clear();
        NolSetMessageBoxAnswerer(RecordBox);
        mainWindow = kWindow;
        fake.initialVolume = -600;
        fake.refs = 1;
        SoundState.directSound = &fake;
        SetArgs({});
    }
    void TearDown() override {
        FreeDirectSound();
        NolSetMessageBoxAnswerer(nullptr);
        mainWindow = nullptr;
        SetCommandLineArgs(0, nullptr);
    }
    void SetArgs(std::vector<std::string> switches) {
        args = {"nolrace"};
        for (auto& s : switches) args.push_back(s);
        argv.clear();
        for (auto& a : args) argv.push_back(a.data());
        SetCommandLineArgs(int(argv.size()), argv.data());
    }
    static std::string LogOf(const std::function<void()>& f) {
        testing::internal::CaptureStderr();
        f();
        return ToCp932(testing::internal::GetCapturedStderr());
    }

    FakeDirectSound fake;
    std::vector<std::string> args;
    std::vector<char*> argv;
};

TEST_F(SoundDeviceTest, OpensThePrimaryBufferAndListenerAndPutsTheVolumeBackAtShutdown) {
    std::string log = LogOf([] { EXPECT_EQ(SetUpDirectSound(), 1); });
    EXPECT_NE(log.find("3Dサウンド = ON\n"), std::string::npos) << log;
    EXPECT_NE(log.find("エフェクト = ON\n"), std::string::npos) << log;
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(SoundState.sound3DFlag, 1);
    EXPECT_EQ(SoundState.effectsFlag, 1);
    EXPECT_EQ(fake.cooperativeWindow, kWindow);
    EXPECT_EQ(fake.cooperativeLevel, (DWORD)DSSCL_PRIORITY);

    ASSERT_EQ(fake.descs.size(), 1u);
    EXPECT_EQ(fake.descs[0].dwFlags, 0x91u);  // primary, volume and 3D control
    EXPECT_EQ(fake.descs[0].dwBufferBytes, 0u);
    EXPECT_EQ(fake.descs[0].lpwfxFormat, nullptr);
    FakeBuffer& primary = fake.Last();
    EXPECT_EQ(primary.format.wFormatTag, 1);
    EXPECT_EQ(primary.format.nChannels, 2);
    EXPECT_EQ(primary.format.nSamplesPerSec, 44100u);
    EXPECT_EQ(primary.format.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(primary.format.nBlockAlign, 4);
    EXPECT_EQ(primary.format.wBitsPerSample, 16);
    EXPECT_EQ(primary.format.cbSize, 0);

    // The listener sits at the origin facing +z with +y up, applied at once.
    ASSERT_EQ(SoundState.listener, &primary.listener);
    EXPECT_EQ(primary.listener.distanceFactor, 1.0f);
    EXPECT_EQ(primary.listener.position.x, 0.0f);
    EXPECT_EQ(primary.listener.position.z, 0.0f);
    EXPECT_EQ(primary.listener.front.z, 1.0f);
    EXPECT_EQ(primary.listener.top.y, 1.0f);
    EXPECT_EQ(primary.listener.applies, (std::vector<DWORD>{DS3D_IMMEDIATE, DS3D_IMMEDIATE, DS3D_IMMEDIATE}));
    SetListenerPosition(1, 2, 3);
    EXPECT_EQ(primary.listener.position.y, 2.0f);

    SetPrimaryVolume(-2500);
    EXPECT_EQ(primary.volume, -2500);
    log = LogOf(FreeDirectSound);
    EXPECT_NE(log.find("----------------------------------------\nFreeDirectSound\n"), std::string::npos) << log;
    EXPECT_EQ(primary.volume, -600);
    // Listener, primary buffer, object: in that order, each once.
    int listener = fake.calls.Find("listener.Release");
    int buffer = fake.calls.Find("buffer.Release");
    int sound = fake.calls.Find("sound.Release");
    EXPECT_TRUE(listener >= 0 && listener < buffer && buffer < sound);
    EXPECT_EQ(OutstandingRefs(fake), 0u);
    EXPECT_EQ(fake.refs, 0u);
    EXPECT_EQ(SoundState.directSound, nullptr);

    // A second release, or one with nothing started, does nothing.
    LogOf(FreeDirectSound);
    EXPECT_EQ(fake.calls.Count("sound.Release"), 1);
}

TEST_F(SoundDeviceTest, SwitchesTurnOffOnlyWhenWrittenExactly) {
    SetArgs({"/3DS", "-3ds", "/FX", "-fx", "3ds"});
    EXPECT_EQ(SetUpDirectSound(), 1);
    EXPECT_EQ(SoundState.sound3DFlag, 1);
    EXPECT_EQ(SoundState.effectsFlag, 1);
    EXPECT_NE(SoundState.listener, nullptr);
    FreeDirectSound();

    fake.refs = 1;
    SoundState.directSound = &fake;
    SetArgs({"/3ds", "/fx"});
    std::string log = LogOf([] { EXPECT_EQ(SetUpDirectSound(), 1); });
    EXPECT_NE(log.find("3Dサウンド = OFF\n"), std::string::npos) << log;
    EXPECT_NE(log.find("エフェクト = OFF\n"), std::string::npos) << log;
    EXPECT_EQ(SoundState.sound3DFlag, 0);
    EXPECT_EQ(SoundState.effectsFlag, 0);
    EXPECT_EQ(fake.descs.back().dwFlags, 0x81u);  // no 3D control on the primary buffer
    EXPECT_EQ(SoundState.listener, nullptr);
    EXPECT_EQ(fake.Last().listener.refs, 0u);  // never asked for

    SetListenerDistanceFactor(3);
    SetListenerPosition(1, 2, 3);
    SetListenerOrientation(1, 0, 0, 0, 1, 0);
    EXPECT_EQ(fake.calls.Count("listener.SetPosition"), 1);  // only from the first set-up
}

TEST_F(SoundDeviceTest, EachFailedStepShowsItsBoxAndEndsStartUp) {
    struct Case {
        const char* text;
        std::function<void(FakeDirectSound&)> breakIt;
    };
    const Case cases[] = {
        {"サウンドの協調レベルが設定できません.", [](FakeDirectSound& f) { f.cooperativeResult = DSERR_INVALIDPARAM; }},
        {"プライマリ・サウンドバッファが作成できません.", [](FakeDirectSound& f) { f.createResult = DSERR_NODRIVER; }},
        {"サウンドフォーマットが指定できません.",
         [](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.setFormatResult = DSERR_BADFORMAT; }; }},
        {"3Dリスナーが作成できません.",
         [](FakeDirectSound& f) { f.prepare = [](FakeBuffer& b) { b.listenerResult = E_NOINTERFACE; }; }},
    };
    for (const Case& c : cases) {
        FakeDirectSound broken;
        broken.refs = 1;
        c.breakIt(broken);
        SoundState = SoundStateRecord{};
        SoundState.directSound = &broken;
        shownBoxes.clear();
        EXPECT_EQ(SetUpDirectSound(), 0) << c.text;
        ASSERT_EQ(shownBoxes.size(), 1u) << c.text;
        EXPECT_EQ(shownBoxes[0].text, c.text);
        EXPECT_EQ(shownBoxes[0].caption, "エラー");
        EXPECT_EQ(shownBoxes[0].type, (UINT)MB_SYSTEMMODAL);
        // What was made before the failure stays until shutdown, which releases it.
        FreeDirectSound();
        EXPECT_EQ(OutstandingRefs(broken), 0u) << c.text;
        EXPECT_EQ(broken.refs, 0u) << c.text;
    }
}

TEST_F(SoundDeviceTest, ALostPrimaryBufferIsRestored) {
    ASSERT_EQ(SetUpDirectSound(), 1);
    FakeBuffer& primary = fake.Last();
    EXPECT_EQ(LogOf(RestorePrimaryBuffer), "");
    EXPECT_EQ(primary.restores, 0);

    primary.status = DSBSTATUS_BUFFERLOST;
    EXPECT_EQ(LogOf(RestorePrimaryBuffer), "PB:DSBSTATUS_BUFFERLOST");
    EXPECT_EQ(primary.restores, 1);
}

TEST(SoundFormat, DerivesBlockAlignAndByteRate) {
    WAVEFORMATEX f = MakeWaveFormat(22050, 8, 1);
    EXPECT_EQ(f.nBlockAlign, 1);
    EXPECT_EQ(f.nAvgBytesPerSec, 22050u);
    f = MakeWaveFormat(48000, 16, 2);
    EXPECT_EQ(f.nBlockAlign, 4);
    EXPECT_EQ(f.nAvgBytesPerSec, 192000u);
    EXPECT_EQ(f.wFormatTag, WAVE_FORMAT_PCM);
}

}  // namespace
