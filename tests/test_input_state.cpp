// The per-frame read and the key state codes, against a scripted DirectInput.
#include <gtest/gtest.h>

#include <functional>

#include "display_required.h"
#include "input/input.h"
#include "input_fakes.h"
#include "render/graphics_state.h"
#include "shell/window.h"
#include "support/test_support.h"
#include "win32/sdl_bridge.h"
#include "win32/test_hooks.h"

namespace {

class InputStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        InputState = InputStateRecord{};
        InstallFake(&fake);
        NolSetMessageBoxAnswerer(RecordBox);
        pad = &fake.AddJoystick();
        GraphicsState.windowed = 0;
        ASSERT_EQ(InitDirectInput(), 1);
    }
    void TearDown() override {
        FreeInput();
        InstallFake(nullptr);
        NolSetMessageBoxAnswerer(nullptr);
    }

    static std::string LogOf(const std::function<void()>& f) {
        testing::internal::CaptureStderr();
        f();
        return ToCp932(testing::internal::GetCapturedStderr());
    }

    // The next read of the keyboard sees these keys down.
    void HoldKeys(std::initializer_list<int> keys) {
        std::fill(fake.keyboard.state.begin(), fake.keyboard.state.end(), 0);
        for (int key : keys) fake.keyboard.state[key] = 0x80;
    }

    void SetMouse(BYTE left, BYTE right, LONG wheel) {
        DIMOUSESTATE state{};
        state.rgbButtons[0] = left;
        state.rgbButtons[1] = right;
        state.lZ = wheel;
        fake.mouse.SetState(state);
    }

    void SetPad(LONG x, LONG y, LONG z, std::initializer_list<int> buttons = {}) {
        DIJOYSTATE2 state{};
        state.lX = x;
        state.lY = y;
        state.lZ = z;
        for (int b : buttons) state.rgbButtons[b] = 0x80;
        pad->SetState(state);
    }

    // The codes of the six direction entries of joystick 0.
    std::vector<int> Directions() {
        std::vector<int> codes;
        for (int entry = JOY_UP; entry <= JOY_Z_PLUS; ++entry) codes.push_back(GetJoystick(0, entry));
        return codes;
    }

    FakeDirectInput fake;
    FakeDevice* pad = nullptr;
};

TEST_F(InputStateTest, AKeyReadsPushedHeldReleasedThenUp) {
    const int expected[] = {KEY_PUSHED, KEY_HELD, KEY_HELD, KEY_RELEASED, KEY_UP};
    const bool down[] = {true, true, true, false, false};
    for (int frame = 0; frame < 5; ++frame) {
        if (down[frame])
            HoldKeys({DIK_Z});
        else
            HoldKeys({});
        UpdateInput();
        EXPECT_EQ(GetKey(DIK_Z), expected[frame]) << "frame " << frame;
        EXPECT_EQ(GetKey(DIK_X), KEY_UP);
    }
}

TEST_F(InputStateTest, OnlyBitSevenOfAStateByteCounts) {
    fake.keyboard.state[DIK_A] = 0x7F;
    fake.keyboard.state[DIK_B] = 0x81;
    UpdateInput();
    EXPECT_EQ(GetKey(DIK_A), KEY_UP);
    EXPECT_EQ(GetKey(DIK_B), KEY_PUSHED);
}

TEST_F(InputStateTest, GetPushedKeyAnswersTheLowestScanCodePushedThisFrame) {
    UpdateInput();
    EXPECT_EQ(GetPushedKey(), -1);
    HoldKeys({DIK_X, DIK_UP, DIK_Z});  // 0x2D, 0xC8, 0x2C
    UpdateInput();
    EXPECT_EQ(GetPushedKey(), DIK_Z);
    HoldKeys({DIK_X, DIK_UP, DIK_Z, DIK_RETURN});
    UpdateInput();
    EXPECT_EQ(GetPushedKey(), DIK_RETURN);  // the others are held now
    UpdateInput();
    EXPECT_EQ(GetPushedKey(), -1);
}

TEST_F(InputStateTest, LostKeyboardIsLoggedReacquiredAndReadsAllKeysUp) {
    HoldKeys({DIK_Z, DIK_LEFT});
    UpdateInput();
    fake.keyboard.stateResult = DIERR_INPUTLOST;
    const int acquiresBefore = fake.log.Count("keyboard.Acquire");
    std::string log = LogOf([] { UpdateInput(); });
    EXPECT_NE(log.find("キーボードのアクセス権を失いました.\n"), std::string::npos) << log;
    EXPECT_EQ(fake.log.Count("keyboard.Acquire"), acquiresBefore + 1);
    EXPECT_EQ(GetKey(DIK_Z), KEY_RELEASED);
    EXPECT_EQ(GetKey(DIK_LEFT), KEY_RELEASED);
    for (int key = 0; key < 256; ++key) EXPECT_LE(GetKey(key), KEY_RELEASED) << key;

    fake.keyboard.stateResult = DI_OK;
    UpdateInput();
    EXPECT_EQ(GetKey(DIK_Z), KEY_PUSHED);
}

TEST_F(InputStateTest, AnyOtherKeyboardFailureClearsTheKeysWithoutLogOrReacquire) {
    HoldKeys({DIK_Z});
    UpdateInput();
    fake.keyboard.stateResult = DIERR_NOTACQUIRED;
    const int acquiresBefore = fake.log.Count("keyboard.Acquire");
    std::string log = LogOf([] { UpdateInput(); });
    EXPECT_EQ(log, "");
    EXPECT_EQ(fake.log.Count("keyboard.Acquire"), acquiresBefore);
    EXPECT_EQ(GetKey(DIK_Z), KEY_RELEASED);
}

TEST_F(InputStateTest, MouseButtonsAndWheelComeFromTheMouseRead) {
    SetMouse(0x80, 0, 240);
    UpdateInput();
    EXPECT_EQ(GetMouseButton(0), KEY_PUSHED);
    EXPECT_EQ(GetMouseButton(1), KEY_UP);
    EXPECT_EQ(GetMouseWheel(), 240);
    SetMouse(0x80, 0x80, -120);
    UpdateInput();
    EXPECT_EQ(GetMouseButton(0), KEY_HELD);
    EXPECT_EQ(GetMouseButton(1), KEY_PUSHED);
    EXPECT_EQ(GetMouseWheel(), -120);
    SetMouse(0, 0x80, 0);
    UpdateInput();
    EXPECT_EQ(GetMouseButton(0), KEY_RELEASED);
    EXPECT_EQ(GetMouseWheel(), 0);
}

TEST_F(InputStateTest, LostMouseIsLoggedReacquiredAndKeepsButtonsAndWheel) {
    SetMouse(0x80, 0, 120);
    UpdateInput();
    fake.mouse.stateResult = DIERR_INPUTLOST;
    const int acquiresBefore = fake.log.Count("mouse.Acquire");
    std::string log = LogOf([] { UpdateInput(); });
    EXPECT_NE(log.find("マウスのアクセス権を失いました.\n"), std::string::npos) << log;
    EXPECT_EQ(fake.log.Count("mouse.Acquire"), acquiresBefore + 1);
    EXPECT_EQ(GetMouseButton(0), KEY_HELD);
    EXPECT_EQ(GetMouseWheel(), 120);
}

TEST_F(InputStateTest, AnyOtherMouseFailureKeepsTheStateQuietly) {
    SetMouse(0x80, 0, 120);
    UpdateInput();
    fake.mouse.stateResult = DIERR_NOTACQUIRED;
    const int acquiresBefore = fake.log.Count("mouse.Acquire");
    std::string log = LogOf([] { UpdateInput(); });
    EXPECT_EQ(log, "");
    EXPECT_EQ(fake.log.Count("mouse.Acquire"), acquiresBefore);
    EXPECT_EQ(GetMouseButton(0), KEY_HELD);
    EXPECT_EQ(GetMouseWheel(), 120);
}

TEST_F(InputStateTest, ResetInputMakesEverythingUpUntilTheNextRead) {
    EnableJoystick(1);
    HoldKeys({DIK_Z});
    SetMouse(0x80, 0, 360);
    SetPad(0, 900, 0, {0});
    UpdateInput();
    UpdateInput();
    SetTypedChar('q');
    ASSERT_EQ(GetKey(DIK_Z), KEY_HELD);
    const POINT pos = GetMousePos();

    ResetInput();
    EXPECT_EQ(GetKey(DIK_Z), KEY_UP);
    EXPECT_EQ(GetMouseButton(0), KEY_UP);
    EXPECT_EQ(GetJoystick(0, JOY_DOWN), KEY_UP);
    EXPECT_EQ(GetJoystick(0, JOY_BUTTON0), KEY_UP);
    EXPECT_EQ(GetPushedKey(), -1);
    // Untouched:
    EXPECT_EQ(GetMouseWheel(), 360);
    EXPECT_EQ(GetMouseX(), pos.x);
    EXPECT_EQ(GetMouseY(), pos.y);
    EXPECT_EQ(GetTypedChar(), 'q');

    UpdateInput();
    EXPECT_EQ(GetKey(DIK_Z), KEY_PUSHED);
    EXPECT_EQ(GetMouseButton(0), KEY_PUSHED);
    EXPECT_EQ(GetJoystick(0, JOY_DOWN), KEY_PUSHED);
}

TEST_F(InputStateTest, ClearKeyboardKeepsThePreviousRead) {
    HoldKeys({DIK_Z});
    UpdateInput();
    UpdateInput();
    ClearKeyboard();
    EXPECT_EQ(GetKey(DIK_Z), KEY_RELEASED);
}

TEST_F(InputStateTest, TypedCharactersAreSignExtendedBytesTakenOnce) {
    EXPECT_EQ(GetTypedChar(), 0);
    SetTypedChar('a');
    EXPECT_EQ(GetTypedChar(), 'a');
    EXPECT_EQ(GetTypedChar(), 0);
    SetTypedChar(0x82);  // first half of a double-byte character
    EXPECT_EQ(GetTypedChar(), -126);
    SetTypedChar(0xFF);
    EXPECT_EQ(GetTypedChar(), -1);
    SetTypedChar(0x141);  // only the low byte is a character
    EXPECT_EQ(GetTypedChar(), 0x41);
    SetTypedChar('x');
    SetTypedChar('y');
    EXPECT_EQ(GetTypedChar(), 'y');
}

TEST_F(InputStateTest, IndexesOutsideTheirRangeReadUp) {
    std::fill(fake.keyboard.state.begin(), fake.keyboard.state.end(), 0x80);
    SetMouse(0x80, 0x80, 0);
    EnableJoystick(1);
    SetPad(-900, -900, -900, {0, 1, 2, 3, 4, 5, 6, 7});
    UpdateInput();
    ASSERT_EQ(GetKey(255), KEY_PUSHED);
    ASSERT_EQ(GetJoystick(0, JOY_ENTRIES - 1), KEY_PUSHED);
    for (int key : {-1, 256, 1000, -100000}) EXPECT_EQ(GetKey(key), KEY_UP) << key;
    for (int button : {-1, 4, 99}) EXPECT_EQ(GetMouseButton(button), KEY_UP) << button;
    EXPECT_EQ(GetJoystick(0, JOY_ENTRIES), KEY_UP);
    EXPECT_EQ(GetJoystick(0, -1), KEY_UP);
    EXPECT_EQ(GetJoystick(MAX_JOYSTICKS, 0), KEY_UP);
    EXPECT_EQ(GetJoystick(-1, 0), KEY_UP);
}

TEST_F(InputStateTest, JoystickDirectionsNeedMoreThanHalfTheRange) {
    EnableJoystick(1);
    using V = std::vector<int>;
    // up, down, left, right, Z minus, Z plus
    SetPad(-500, -500, -500);
    UpdateInput();
    EXPECT_EQ(Directions(), (V{0, 0, 0, 0, 0, 0}));
    SetPad(500, 500, 500);
    UpdateInput();
    EXPECT_EQ(Directions(), (V{0, 0, 0, 0, 0, 0}));
    SetPad(-501, -501, -501);
    UpdateInput();
    EXPECT_EQ(Directions(), (V{KEY_PUSHED, 0, KEY_PUSHED, 0, KEY_PUSHED, 0}));
    SetPad(501, 501, 501);
    UpdateInput();
    EXPECT_EQ(Directions(), (V{KEY_RELEASED, KEY_PUSHED, KEY_RELEASED, KEY_PUSHED, KEY_RELEASED, KEY_PUSHED}));
    SetPad(1000, 0, -1000);
    UpdateInput();
    EXPECT_EQ(Directions(), (V{0, KEY_RELEASED, 0, KEY_HELD, KEY_PUSHED, KEY_RELEASED}));
}

TEST_F(InputStateTest, JoystickButtonsZeroToSevenAreCopied) {
    EnableJoystick(1);
    SetPad(0, 0, 0, {0, 3, 7, 8, 20});
    UpdateInput();
    for (int b = 0; b < 8; ++b)
        EXPECT_EQ(GetJoystick(0, JOY_BUTTON0 + b), (b == 0 || b == 3 || b == 7) ? KEY_PUSHED : KEY_UP) << b;
}

TEST_F(InputStateTest, PollingOffTouchesNoJoystickAndSwitchingOffClearsTheCurrentRecords) {
    UpdateInput();
    EXPECT_EQ(fake.log.Count("joystick0.Poll"), 0);  // off from the start

    EnableJoystick(1);
    SetPad(0, 0, 0, {2});
    UpdateInput();
    UpdateInput();
    ASSERT_EQ(GetJoystick(0, JOY_BUTTON0 + 2), KEY_HELD);
    EXPECT_EQ(fake.log.Count("joystick0.Poll"), 2);

    EnableJoystick(0);
    EXPECT_EQ(GetJoystick(0, JOY_BUTTON0 + 2), KEY_RELEASED);
    UpdateInput();  // not even the copy to the previous records
    EXPECT_EQ(GetJoystick(0, JOY_BUTTON0 + 2), KEY_RELEASED);
    EXPECT_EQ(fake.log.Count("joystick0.Poll"), 2);

    EnableJoystick(1);
    UpdateInput();
    EXPECT_EQ(GetJoystick(0, JOY_BUTTON0 + 2), KEY_PUSHED);
}

TEST_F(InputStateTest, LostJoystickIsLoggedReacquiredAndKeepsItsRecord) {
    EnableJoystick(1);
    SetPad(0, -800, 0, {1});
    UpdateInput();
    pad->pollResult = DIERR_INPUTLOST;
    const int readsBefore = fake.log.Count("joystick0.GetDeviceState");
    const int acquiresBefore = fake.log.Count("joystick0.Acquire");
    std::string log = LogOf([] { UpdateInput(); });
    EXPECT_NE(log.find("ジョイスティック[0]のアクセス権を失いました.\n"), std::string::npos) << log;
    EXPECT_EQ(fake.log.Count("joystick0.Acquire"), acquiresBefore + 1);
    EXPECT_EQ(fake.log.Count("joystick0.GetDeviceState"), readsBefore);
    EXPECT_EQ(GetJoystick(0, JOY_UP), KEY_HELD);
    EXPECT_EQ(GetJoystick(0, JOY_BUTTON0 + 1), KEY_HELD);

    // Other poll results are not looked at.
    pad->pollResult = DIERR_NOTACQUIRED;
    SetPad(0, 0, 0);
    UpdateInput();
    EXPECT_EQ(GetJoystick(0, JOY_UP), KEY_RELEASED);
}

TEST_F(InputStateTest, AFailedJoystickReadIsLoggedAndKeepsTheRecord) {
    EnableJoystick(1);
    SetPad(900, 0, 0);
    UpdateInput();
    pad->stateResult = DIERR_NOTACQUIRED;
    const int acquiresBefore = fake.log.Count("joystick0.Acquire");
    std::string log = LogOf([] { UpdateInput(); });
    EXPECT_NE(log.find("ジョイスティック[0]の状態が取得できません.\n"), std::string::npos) << log;
    EXPECT_EQ(fake.log.Count("joystick0.Acquire"), acquiresBefore);
    EXPECT_EQ(GetJoystick(0, JOY_RIGHT), KEY_HELD);
}

// Through a real window whose procedure counts WM_CLOSE.
int closeMessages = 0;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        ++closeMessages;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(InputStateTest, TheCloseKeyClosesTheMainWindowInEveryFrameItIsDown) {
    NOL_SKIP_WITHOUT_DISPLAY();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = "INPUT_CLOSE_TEST";
    RegisterClassExA(&wc);
    mainWindow = CreateWindowExA(0, "INPUT_CLOSE_TEST", "", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(mainWindow, nullptr);

    closeMessages = 0;
    HoldKeys({DIK_ESCAPE});
    for (int frame = 1; frame <= 3; ++frame) {
        UpdateInput();
        EXPECT_EQ(closeMessages, frame);
    }
    HoldKeys({});
    UpdateInput();
    UpdateInput();
    EXPECT_EQ(closeMessages, 3);

    SetCloseKey(DIK_Q);
    HoldKeys({DIK_ESCAPE});
    UpdateInput();
    EXPECT_EQ(closeMessages, 3);
    HoldKeys({DIK_Q});
    UpdateInput();
    EXPECT_EQ(closeMessages, 4);

    DestroyWindow(mainWindow);
    mainWindow = nullptr;
}

}  // namespace
