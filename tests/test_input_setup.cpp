// Starting and releasing the input devices, against a scripted DirectInput.
#include <gtest/gtest.h>

#include <functional>

#include "input/input.h"
#include "input_fakes.h"
#include "render/graphics_state.h"
#include "shell/window.h"
#include "support/test_support.h"
#include "win32/test_hooks.h"

namespace {

// Any handle will do: the fakes only remember it.
HWND const kWindow = reinterpret_cast<HWND>(0x4321);

class InputSetUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        InputState = InputStateRecord{};
        InstallFake(&fake);
        shownBoxes.clear();
        NolSetMessageBoxAnswerer(RecordBox);
        mainWindow = kWindow;
        clientWidth = 640;
        clientHeight = 480;
        GraphicsState.windowed = 1;
    }
    void TearDown() override {
        FreeInput();
        InstallFake(nullptr);
        NolSetMessageBoxAnswerer(nullptr);
        mainWindow = nullptr;
    }

    // The log written while running f, in the program's code page.
    static std::string LogOf(const std::function<void()>& f) {
        testing::internal::CaptureStderr();
        f();
        return ToCp932(testing::internal::GetCapturedStderr());
    }

    FakeDirectInput fake;
};

TEST_F(InputSetUpTest, InitDirectInputSetsUpKeyboardMouseAndJoysticks) {
    FakeDevice& pad = fake.AddJoystick(DI_OK, 3);
    std::string log = LogOf([] { EXPECT_EQ(InitDirectInput(), 1); });

    EXPECT_NE(log.find("----------------------------------------\nInitDirectInput\n"), std::string::npos) << log;
    EXPECT_NE(log.find("ジョイスティック数 = 1\n"), std::string::npos) << log;
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(fake.createdVersion, 0x0800u);
    EXPECT_TRUE(fake.createdIid == IID_IDirectInput8A);

    EXPECT_EQ(fake.keyboard.format, &c_dfDIKeyboard);
    EXPECT_EQ(fake.mouse.format, &c_dfDIMouse);
    EXPECT_EQ(pad.format, &c_dfDIJoystick2);
    for (FakeDevice* device : {&fake.keyboard, &fake.mouse, &pad}) {
        EXPECT_EQ(device->cooperativeWindow, kWindow) << device->name;
        EXPECT_EQ(device->cooperativeFlags, 0x0Au) << device->name;
        EXPECT_EQ(fake.log.Count(device->name + ".Acquire"), 1) << device->name;
    }
    EXPECT_EQ(InputState.closeKey, DIK_ESCAPE);
    EXPECT_EQ(fake.enumDevType, (DWORD)DI8DEVCLASS_GAMECTRL);
    EXPECT_EQ(fake.enumFlags, (DWORD)DIEDFL_ATTACHEDONLY);

    // Every axis gets the range -1000..1000, addressed by its own id.
    EXPECT_EQ(pad.enumObjectsFlags, (DWORD)DIDFT_AXIS);
    ASSERT_EQ(pad.ranges.size(), 3u);
    for (int a = 0; a < 3; ++a) {
        const DIPROPRANGE& r = pad.ranges[a];
        EXPECT_EQ(r.diph.dwHow, (DWORD)DIPH_BYID);
        EXPECT_EQ(r.diph.dwObj, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(a + 3));
        EXPECT_EQ(r.diph.dwHeaderSize, sizeof(DIPROPHEADER));
        EXPECT_EQ(r.lMin, -1000);
        EXPECT_EQ(r.lMax, 1000);
    }

    // Keyboard first, then mouse, then joysticks; each device is acquired last.
    const std::vector<std::string> expected = {
        "keyboard.SetDataFormat", "keyboard.SetCooperativeLevel", "keyboard.Acquire",
        "mouse.SetDataFormat",    "mouse.SetCooperativeLevel",    "mouse.Acquire",
        "joystick0.SetDataFormat", "joystick0.SetCooperativeLevel", "joystick0.EnumObjects",
        "joystick0.SetProperty",  "joystick0.SetProperty",        "joystick0.SetProperty",
        "joystick0.Acquire"};
    EXPECT_EQ(fake.log.calls, expected);
}

struct FailedStep {
    const char* name;
    std::function<void(FakeDirectInput&)> breakIt;
    const char* text;
};

class InputSetUpFailureTest : public InputSetUpTest, public ::testing::WithParamInterface<FailedStep> {};

TEST_P(InputSetUpFailureTest, ShowsItsErrorBoxAndSetsUpNothingAfterIt) {
    const FailedStep& step = GetParam();
    step.breakIt(fake);
    fake.AddJoystick();

    EXPECT_EQ(InitDirectInput(), 0);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].text, step.text);
    EXPECT_EQ(shownBoxes[0].caption, "エラー");
    EXPECT_EQ(shownBoxes[0].owner, GetActiveWindow());
    EXPECT_EQ(shownBoxes[0].type, (UINT)MB_SYSTEMMODAL);
    EXPECT_EQ(shownBoxes[0].type & 0xF, (UINT)MB_OK);

    // Joysticks come last, so no failure lets them be set up.
    EXPECT_EQ(fake.enumDevType, 0xFFFFFFFFu);
    EXPECT_EQ(fake.joysticks[0]->refs, 0u);

    // Whatever was made is given back.
    FreeInput();
    EXPECT_EQ(fake.refs, 0u);
    EXPECT_EQ(fake.keyboard.refs, 0u);
    EXPECT_EQ(fake.mouse.refs, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    EverySetUpStep, InputSetUpFailureTest,
    ::testing::Values(
        FailedStep{"Create", [](FakeDirectInput& f) { f.createResult = DIERR_OUTOFMEMORY; },
                   "DirectInputが初期化できませんでした."},
        FailedStep{"KeyboardCreate", [](FakeDirectInput& f) { f.keyboardCreateResult = DIERR_DEVICENOTREG; },
                   "キーボードデバイスが作成できません."},
        FailedStep{"KeyboardFormat", [](FakeDirectInput& f) { f.keyboard.setDataFormatResult = DIERR_INVALIDPARAM; },
                   "キーボードフォーマットが設定できません."},
        FailedStep{"KeyboardCooperation",
                   [](FakeDirectInput& f) { f.keyboard.setCooperativeLevelResult = DIERR_INVALIDPARAM; },
                   "キーボードの協調レベルが設定できません."},
        FailedStep{"MouseCreate", [](FakeDirectInput& f) { f.mouseCreateResult = DIERR_DEVICENOTREG; },
                   "マウスデバイスが作成できません."},
        FailedStep{"MouseFormat", [](FakeDirectInput& f) { f.mouse.setDataFormatResult = DIERR_ACQUIRED; },
                   "マウスフォーマットが設定できません."},
        FailedStep{"MouseCooperation",
                   [](FakeDirectInput& f) { f.mouse.setCooperativeLevelResult = DIERR_UNSUPPORTED; },
                   "マウスの協調レベルが設定できません."}),
    [](const ::testing::TestParamInfo<FailedStep>& info) { return std::string(info.param.name); });

TEST_F(InputSetUpTest, KeyboardFailureStopsBeforeTheMouse) {
    fake.keyboard.setCooperativeLevelResult = DIERR_INVALIDPARAM;
    EXPECT_EQ(InitDirectInput(), 0);
    EXPECT_EQ(fake.mouse.refs, 0u);  // never created
    EXPECT_EQ(fake.log.Count("keyboard.Acquire"), 0);
}

TEST_F(InputSetUpTest, JoystickProblemsAreLoggedPerSlotAndNeverFailStartUp) {
    FakeDevice& good = fake.AddJoystick();
    fake.AddJoystick(DIERR_DEVICENOTREG);
    FakeDevice& noFormat = fake.AddJoystick();
    noFormat.setDataFormatResult = DIERR_INVALIDPARAM;
    FakeDevice& noLevel = fake.AddJoystick();
    noLevel.setCooperativeLevelResult = DIERR_INVALIDPARAM;
    FakeDevice& noAxes = fake.AddJoystick();
    noAxes.enumObjectsResult = DIERR_NOTINITIALIZED;
    // A warning is not success either: that device is not kept.
    FakeDevice& warned = fake.AddJoystick(S_FALSE);

    std::string log = LogOf([] { EXPECT_EQ(InitDirectInput(), 1); });
    EXPECT_TRUE(shownBoxes.empty());

    const char* lines[] = {
        "ジョイスティック[1]が初期化できません.\n",
        "ジョイスティック[5]が初期化できません.\n",
        "ジョイスティック数 = 6\n",
        "ジョイスティック[2]のフォーマットが指定できません.\n",
        "ジョイスティック[3]の協調レベルが設定できません.\n",
        "ジョイスティック[4]の軸の列挙ができません.\n",
    };
    size_t at = 0;
    for (const char* line : lines) {
        size_t found = log.find(line, at);
        EXPECT_NE(found, std::string::npos) << "missing or out of order: " << line << "\nlog:\n" << log;
        if (found != std::string::npos) at = found;
    }

    EXPECT_EQ(InputState.joystickCount, 6);
    EXPECT_EQ(InputState.joysticks[0], &good);
    EXPECT_EQ(InputState.joysticks[1], nullptr);
    EXPECT_EQ(InputState.joysticks[5], nullptr);
    EXPECT_EQ(warned.refs, 0u);
    EXPECT_EQ(fake.log.Count("joystick0.Acquire"), 1);
    // A failed step leaves the device unacquired and skips the steps after it.
    EXPECT_EQ(fake.log.Count("joystick2.SetCooperativeLevel"), 0);
    EXPECT_EQ(fake.log.Count("joystick2.Acquire"), 0);
    EXPECT_EQ(fake.log.Count("joystick3.EnumObjects"), 0);
    EXPECT_EQ(fake.log.Count("joystick3.Acquire"), 0);
    EXPECT_EQ(fake.log.Count("joystick4.Acquire"), 0);
}

TEST_F(InputSetUpTest, NoControllerMeansNoJoystickLog) {
    std::string log = LogOf([] { EXPECT_EQ(InitDirectInput(), 1); });
    EXPECT_EQ(log.find("ジョイスティック"), std::string::npos) << log;
    EXPECT_EQ(InputState.joystickCount, 0);
}

TEST_F(InputSetUpTest, AFailedEnumerationIsNoControllerAtAll) {
    fake.AddJoystick();
    fake.enumDevicesResult = DIERR_NOTINITIALIZED;
    std::string log = LogOf([] { EXPECT_EQ(InitDirectInput(), 1); });
    EXPECT_EQ(log.find("ジョイスティック"), std::string::npos) << log;
    EXPECT_EQ(InputState.joystickCount, 0);
    EXPECT_TRUE(shownBoxes.empty());
}

TEST_F(InputSetUpTest, AtMostEightControllersAreTaken) {
    for (int i = 0; i < 10; ++i) fake.AddJoystick();
    std::string log = LogOf([] { EXPECT_EQ(InitDirectInput(), 1); });
    EXPECT_EQ(InputState.joystickCount, 8);
    EXPECT_EQ(fake.enumCallbacks, 8);
    EXPECT_EQ(fake.lastEnumAnswer, DIENUM_STOP);
    EXPECT_EQ(fake.joysticks[8]->refs, 0u);
    EXPECT_NE(log.find("ジョイスティック数 = 8\n"), std::string::npos) << log;
}

TEST_F(InputSetUpTest, FreeInputReleasesJoysticksMouseKeyboardThenDirectInput) {
    fake.AddJoystick();
    fake.AddJoystick(DIERR_DEVICENOTREG);
    fake.AddJoystick();
    ASSERT_EQ(InitDirectInput(), 1);
    fake.log.calls.clear();

    std::string log = LogOf([] { EXPECT_EQ(FreeInput(), 1); });
    EXPECT_NE(log.find("----------------------------------------\nFreeInput\n"), std::string::npos) << log;
    const std::vector<std::string> expected = {
        "joystick0.Unacquire", "joystick0.Release", "joystick2.Unacquire", "joystick2.Release",
        "mouse.Unacquire",     "mouse.Release",     "keyboard.Unacquire",  "keyboard.Release",
        "directInput.Release"};
    EXPECT_EQ(fake.log.calls, expected);
    for (FakeDevice* device : {&fake.keyboard, &fake.mouse, fake.joysticks[0].get(), fake.joysticks[2].get()})
        EXPECT_EQ(device->refs, 0u) << device->name;
    EXPECT_EQ(fake.refs, 0u);
    EXPECT_EQ(InputState.directInput, nullptr);
    EXPECT_EQ(InputState.keyboard, nullptr);
    EXPECT_EQ(InputState.mouse, nullptr);
    EXPECT_EQ(InputState.joysticks[0], nullptr);
    EXPECT_EQ(InputState.joystickCount, 3);  // kept

    // Releasing again, or without ever starting, touches nothing.
    fake.log.calls.clear();
    EXPECT_EQ(FreeInput(), 1);
    EXPECT_TRUE(fake.log.calls.empty());
}

TEST_F(InputSetUpTest, TheCursorIsHiddenOnlyInFullScreen) {
    const int shown = ShowCursor(TRUE) - 1;  // the counter as it was
    ShowCursor(FALSE);

    GraphicsState.windowed = 1;
    ASSERT_EQ(InitDirectInput(), 1);
    EXPECT_EQ(ShowCursor(TRUE), shown + 1);
    ShowCursor(FALSE);
    FreeInput();

    GraphicsState.windowed = 0;
    ASSERT_EQ(InitDirectInput(), 1);
    EXPECT_EQ(ShowCursor(TRUE), shown);
}

}  // namespace
