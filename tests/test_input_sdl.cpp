// The input part on the real DirectInput stand-in: SDL events injected and taken
// through the message pump, SDL virtual joysticks, and the real pointer on the
// (virtual) display.
#include <gtest/gtest.h>

#include <cmath>

#include "display_required.h"
#include "input/input.h"
#include "render/graphics_state.h"
#include "shell/log.h"
#include "shell/window.h"
#include "win32/message_box_window.h"
#include "win32/sdl_bridge.h"

namespace {

int closeMessages = 0;

LRESULT CALLBACK TestWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        ++closeMessages;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class InputSdlTest : public ::testing::Test {
protected:
    void SetUp() override {
        NOL_SKIP_WITHOUT_DISPLAY();
        ASSERT_TRUE(NolInitSdlSubsystem(SDL_INIT_JOYSTICK));
        InputState = InputStateRecord{};
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = TestWindowProc;
        wc.lpszClassName = "INPUT_SDL_TEST";
        RegisterClassExA(&wc);
        // A window that sits well inside the 1024 x 768 test screen.
        mainWindow = CreateWindowExA(0, "INPUT_SDL_TEST", "", WS_OVERLAPPEDWINDOW, 150, 100, 400, 300, nullptr,
                                     nullptr, nullptr, nullptr);
        ASSERT_NE(mainWindow, nullptr);
        RECT client;
        GetClientRect(mainWindow, &client);
        clientWidth = client.right;
        clientHeight = client.bottom;
        GraphicsState.windowed = 1;
        closeMessages = 0;
        Pump();
    }
    void TearDown() override {
        FreeInput();
        if (mainWindow) DestroyWindow(mainWindow);
        mainWindow = nullptr;
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
            if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
        for (SDL_Joystick* joystick : opened) SDL_JoystickClose(joystick);
    }

    // As the main loop does before each frame.
    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

    static void Frame() {
        Pump();
        UpdateInput();
    }

    static void Key(SDL_Scancode scancode, bool down) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        SDL_PushEvent(&e);
    }

    static void Button(Uint8 button, bool down) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = button;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&e);
    }

    static void Wheel(int notches) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = notches;
        e.wheel.preciseY = (float)notches;
        SDL_PushEvent(&e);
    }

    // Attaches a virtual controller before set-up; returns its slot (SDL's order).
    int AttachJoystick(int axes, int buttons) {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        sdlPad = SDL_JoystickOpen(index);
        EXPECT_NE(sdlPad, nullptr);
        opened.push_back(sdlPad);
        return index;
    }

    // The raw value that reads as `scaled` on the -1000..1000 range.
    static Sint16 Raw(int scaled) { return (Sint16)std::lround(-32768.0 + (scaled + 1000) * 65535.0 / 2000.0); }

    SDL_Joystick* sdlPad = nullptr;
    std::vector<SDL_Joystick*> opened;
};

TEST_F(InputSdlTest, KeysReadPushedHeldReleasedUpFromPumpedEvents) {
    ASSERT_EQ(InitDirectInput(), 1);
    Key(SDL_SCANCODE_Z, true);
    Key(SDL_SCANCODE_UP, true);
    Frame();
    EXPECT_EQ(GetKey(DIK_Z), KEY_PUSHED);
    EXPECT_EQ(GetKey(DIK_UP), KEY_PUSHED);
    EXPECT_EQ(GetPushedKey(), DIK_Z);
    Frame();
    EXPECT_EQ(GetKey(DIK_Z), KEY_HELD);
    Key(SDL_SCANCODE_Z, false);
    Frame();
    EXPECT_EQ(GetKey(DIK_Z), KEY_RELEASED);
    EXPECT_EQ(GetKey(DIK_UP), KEY_HELD);
    Frame();
    EXPECT_EQ(GetKey(DIK_Z), KEY_UP);
    Key(SDL_SCANCODE_UP, false);
    Frame();
}

// A real box over the window: keys pressed while it is up never reach the program,
// and a key let go while it is up is up afterwards, not stuck down.
TEST_F(InputSdlTest, AfterAMessageBoxNoKeyIsStuckAndNoneTypedIntoItArrives) {
    ASSERT_EQ(InitDirectInput(), 1);
    unsetenv("NOL_AUTO_MESSAGEBOX");
    Key(SDL_SCANCODE_Z, true);
    Button(SDL_BUTTON_LEFT, true);
    Frame();
    ASSERT_EQ(GetKey(DIK_Z), KEY_PUSHED);
    ASSERT_EQ(GetMouseButton(0), KEY_PUSHED);

    auto script = [](Uint32 box, const nol::win32::msgbox::Layout&, void*) {
        Key(SDL_SCANCODE_Z, false);
        Button(SDL_BUTTON_LEFT, false);
        Key(SDL_SCANCODE_X, true);  // pressed in the box and held on
        SDL_Event answer{};
        answer.type = SDL_KEYDOWN;
        answer.key.windowID = box;
        answer.key.keysym.sym = SDLK_RETURN;
        answer.key.keysym.scancode = SDL_SCANCODE_RETURN;
        SDL_PushEvent(&answer);
    };
    NolSetMessageBoxShownHook(script, nullptr);
    MessageOk("test");
    NolSetMessageBoxShownHook(nullptr, nullptr);

    for (int frame = 0; frame < 3; ++frame) {
        Frame();
        EXPECT_EQ(GetKey(DIK_Z), KEY_UP) << "frame " << frame;
        EXPECT_EQ(GetMouseButton(0), KEY_UP) << "frame " << frame;
        EXPECT_EQ(GetKey(DIK_X), KEY_UP) << "frame " << frame;
        EXPECT_EQ(GetKey(DIK_RETURN), KEY_UP) << "frame " << frame;
    }
    // The keyboard still works afterwards.
    Key(SDL_SCANCODE_Z, true);
    Frame();
    EXPECT_EQ(GetKey(DIK_Z), KEY_PUSHED);
}

TEST_F(InputSdlTest, HoldingEscapeClosesTheMainWindowEveryFrame) {
    ASSERT_EQ(InitDirectInput(), 1);
    Key(SDL_SCANCODE_ESCAPE, true);
    Frame();
    Frame();
    Frame();
    EXPECT_EQ(closeMessages, 3);
    Key(SDL_SCANCODE_ESCAPE, false);
    Frame();
    EXPECT_EQ(closeMessages, 3);
}

TEST_F(InputSdlTest, MouseButtonsAndTheWheelPerFrame) {
    ASSERT_EQ(InitDirectInput(), 1);
    Button(SDL_BUTTON_RIGHT, true);
    Wheel(2);
    Frame();
    EXPECT_EQ(GetMouseButton(1), KEY_PUSHED);
    EXPECT_EQ(GetMouseButton(0), KEY_UP);
    EXPECT_EQ(GetMouseWheel(), 240);
    Frame();
    EXPECT_EQ(GetMouseButton(1), KEY_HELD);
    EXPECT_EQ(GetMouseWheel(), 0);
    Button(SDL_BUTTON_RIGHT, false);
    Button(SDL_BUTTON_X1, true);
    Wheel(-1);
    Frame();
    EXPECT_EQ(GetMouseButton(1), KEY_RELEASED);
    EXPECT_EQ(GetMouseButton(3), KEY_PUSHED);
    EXPECT_EQ(GetMouseWheel(), -120);
    Button(SDL_BUTTON_X1, false);
    Frame();
}

TEST_F(InputSdlTest, JoystickDirectionsNeedMoreThanFiveHundred) {
    const int slot = AttachJoystick(3, 10);
    ASSERT_LT(slot, MAX_JOYSTICKS);
    ASSERT_EQ(InitDirectInput(), 1);
    ASSERT_NE(InputState.joysticks[slot], nullptr);
    EnableJoystick(1);

    const struct {
        int axis;
        int scaled;
        int entry;  // the entry set, or -1 for none
    } cases[] = {{1, 500, -1},  {1, 501, JOY_DOWN},    {1, -500, -1}, {1, -501, JOY_UP},
                 {0, 500, -1},  {0, 501, JOY_RIGHT},   {0, -500, -1}, {0, -501, JOY_LEFT},
                 {2, 500, -1},  {2, 501, JOY_Z_PLUS},  {2, -500, -1}, {2, -501, JOY_Z_MINUS}};
    for (const auto& c : cases) {
        for (int axis = 0; axis < 3; ++axis) SDL_JoystickSetVirtualAxis(sdlPad, axis, 0);
        SDL_JoystickSetVirtualAxis(sdlPad, c.axis, Raw(c.scaled));
        Frame();
        // The device really reports the value at the edge.
        DIJOYSTATE2 state{};
        ASSERT_EQ(InputState.joysticks[slot]->GetDeviceState(sizeof state, &state), DI_OK);
        const LONG axes[3] = {state.lX, state.lY, state.lZ};
        ASSERT_EQ(axes[c.axis], c.scaled);
        for (int entry = JOY_UP; entry <= JOY_Z_PLUS; ++entry)
            EXPECT_EQ(GetJoystick(slot, entry) >= KEY_PUSHED, entry == c.entry)
                << "axis " << c.axis << " at " << c.scaled << ", entry " << entry;
    }
}

TEST_F(InputSdlTest, JoystickButtonsAndSwitchingPollingOff) {
    const int slot = AttachJoystick(2, 10);
    ASSERT_EQ(InitDirectInput(), 1);
    EnableJoystick(1);
    SDL_JoystickSetVirtualButton(sdlPad, 2, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(sdlPad, 9, SDL_PRESSED);  // beyond the eight kept
    Frame();
    EXPECT_EQ(GetJoystick(slot, JOY_BUTTON0 + 2), KEY_PUSHED);
    EXPECT_EQ(GetJoystick(slot, JOY_BUTTON0 + 1), KEY_UP);
    Frame();
    EXPECT_EQ(GetJoystick(slot, JOY_BUTTON0 + 2), KEY_HELD);

    EnableJoystick(0);
    Frame();
    EXPECT_EQ(GetJoystick(slot, JOY_BUTTON0 + 2), KEY_RELEASED);
    EnableJoystick(1);
    Frame();
    EXPECT_EQ(GetJoystick(slot, JOY_BUTTON0 + 2), KEY_PUSHED);
}

TEST_F(InputSdlTest, InAWindowTheCursorIsHeldToTheClientArea) {
    if (!SetCursorPos(0, 0)) NOL_SKIP_OR_FAIL("this display cannot move the pointer");
    ASSERT_EQ(InitDirectInput(), 1);  // centres the cursor
    Frame();
    EXPECT_EQ(GetMouseX(), clientWidth / 2);
    EXPECT_EQ(GetMouseY(), clientHeight / 2);

    POINT origin{0, 0};
    ClientToScreen(mainWindow, &origin);
    const struct {
        int x, y;          // screen offset from the client origin
        int wantX, wantY;  // what reads back
    } points[] = {{-40, -30, 0, 0},
                  {clientWidth + 50, clientHeight + 60, clientWidth, clientHeight},
                  {clientWidth, clientHeight, clientWidth, clientHeight},
                  {-1, 20, 0, 20},
                  {33, 44, 33, 44}};
    for (const auto& p : points) {
        SetCursorPos(origin.x + p.x, origin.y + p.y);
        Frame();
        EXPECT_EQ(GetMouseX(), p.wantX) << p.x << "," << p.y;
        EXPECT_EQ(GetMouseY(), p.wantY) << p.x << "," << p.y;
        EXPECT_EQ(GetMousePos().x, p.wantX);
    }

    SetMousePos(10, 20);
    Frame();
    EXPECT_EQ(GetMouseX(), 10);
    EXPECT_EQ(GetMouseY(), 20);
}

TEST_F(InputSdlTest, InFullScreenTheCursorIsTheScreenPosition) {
    if (!SetCursorPos(5, 7)) NOL_SKIP_OR_FAIL("this display cannot move the pointer");
    GraphicsState.windowed = 0;
    ASSERT_EQ(InitDirectInput(), 1);
    SetCursorPos(5, 7);
    Frame();
    EXPECT_EQ(GetMouseX(), 5);
    EXPECT_EQ(GetMouseY(), 7);
    SetMousePos(300, 200);  // used as it is
    Frame();
    EXPECT_EQ(GetMouseX(), 300);
    EXPECT_EQ(GetMouseY(), 200);
}

}  // namespace
