// XInput over SDL's game controllers: SDL virtual pads in the standard layout,
// plugged in and pulled out, their events taken through the message pump.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "dinput8/dinput.h"
#include "support/test_support.h"
#include "virtual_pads.h"
#include "xinput/xinput.h"

namespace {

class XInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(NolInitSdlSubsystem(SDL_INIT_GAMECONTROLLER)); }

    SDL_Joystick* Plug() { return pads.Plug(); }
    void Unplug(SDL_Joystick* pad) { pads.Unplug(pad); }
    static void Pump() { VirtualPads::Pump(); }

    static XINPUT_STATE Read(DWORD user) {
        XINPUT_STATE state{};
        EXPECT_EQ(XInputGetState(user, &state), (DWORD)ERROR_SUCCESS) << "user " << user;
        return state;
    }

    VirtualPads pads;
};

TEST_F(XInputTest, WithoutAPadEveryUserIsNotConnectedAndBadCallsAreRefused) {
    XINPUT_STATE state;
    for (DWORD user = 0; user < XUSER_MAX_COUNT; ++user) {
        std::memset(&state, 0xA5, sizeof state);
        EXPECT_EQ(XInputGetState(user, &state), (DWORD)ERROR_DEVICE_NOT_CONNECTED);
        EXPECT_EQ(state.dwPacketNumber, 0u);
        EXPECT_EQ(state.Gamepad.wButtons, 0);
    }
    EXPECT_EQ(XInputGetState(XUSER_MAX_COUNT, &state), (DWORD)ERROR_BAD_ARGUMENTS);
    EXPECT_EQ(XInputGetState(0, nullptr), (DWORD)ERROR_BAD_ARGUMENTS);
}

TEST_F(XInputTest, ButtonsTriggersAndSticksTakeXInputsBitsAndRanges) {
    SDL_Joystick* pad = Plug();
    Pump();
    // At rest: the triggers' raw axes rest at -32768.
    XINPUT_STATE state = Read(0);
    EXPECT_EQ(state.Gamepad.wButtons, 0);
    EXPECT_EQ(state.Gamepad.bLeftTrigger, 0);
    EXPECT_EQ(state.Gamepad.bRightTrigger, 0);
    EXPECT_EQ(state.Gamepad.sThumbLX, 0);
    EXPECT_EQ(state.Gamepad.sThumbLY, 0);

    const struct {
        SDL_GameControllerButton button;
        WORD bit;
    } buttons[] = {{SDL_CONTROLLER_BUTTON_DPAD_UP, 0x0001},     {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0x0002},
                   {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0x0004},   {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0x0008},
                   {SDL_CONTROLLER_BUTTON_START, 0x0010},       {SDL_CONTROLLER_BUTTON_BACK, 0x0020},
                   {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0x0040},   {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 0x0080},
                   {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0x0100}, {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0x0200},
                   {SDL_CONTROLLER_BUTTON_A, 0x1000},           {SDL_CONTROLLER_BUTTON_B, 0x2000},
                   {SDL_CONTROLLER_BUTTON_X, 0x4000},           {SDL_CONTROLLER_BUTTON_Y, 0x8000},
                   {SDL_CONTROLLER_BUTTON_GUIDE, 0}};  // XInput has no bit for it
    for (const auto& b : buttons) {
        SDL_JoystickSetVirtualButton(pad, b.button, SDL_PRESSED);
        EXPECT_EQ(Read(0).Gamepad.wButtons, b.bit) << SDL_GameControllerGetStringForButton(b.button);
        SDL_JoystickSetVirtualButton(pad, b.button, SDL_RELEASED);
    }
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_PRESSED);
    EXPECT_EQ(Read(0).Gamepad.wButtons, XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_LEFT);

    // Triggers 0..255; sticks keep SDL's values, but y grows upwards.
    const struct {
        Sint16 trigger, x, y;
        BYTE xinputTrigger;
        SHORT xinputX, xinputY;
    } axes[] = {{32767, 32767, -32768, 255, 32767, 32767},
                {0, -32768, 32767, 127, -32768, -32767},  // raw 0 is SDL's 16383: 127.5 of 255
                {-32768, 1234, -1234, 0, 1234, 1234}};
    for (const auto& a : axes) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, a.trigger);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, a.x);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, a.y);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX, a.x);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY, a.y);
        state = Read(0);
        EXPECT_EQ(state.Gamepad.bLeftTrigger, a.xinputTrigger) << a.trigger;
        EXPECT_EQ(state.Gamepad.bRightTrigger, 0);
        EXPECT_EQ(state.Gamepad.sThumbLX, a.xinputX);
        EXPECT_EQ(state.Gamepad.sThumbLY, a.xinputY);
        EXPECT_EQ(state.Gamepad.sThumbRX, a.xinputX);
        EXPECT_EQ(state.Gamepad.sThumbRY, a.xinputY);
    }
}

TEST_F(XInputTest, ThePacketNumberChangesWithTheStateOnly) {
    SDL_Joystick* pad = Plug();
    Pump();
    const DWORD first = Read(0).dwPacketNumber;
    EXPECT_EQ(Read(0).dwPacketNumber, first);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_X, SDL_PRESSED);
    const DWORD pressed = Read(0).dwPacketNumber;
    EXPECT_NE(pressed, first);
    EXPECT_EQ(Read(0).dwPacketNumber, pressed);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY, 20000);
    EXPECT_NE(Read(0).dwPacketNumber, pressed);
}

// Each pad keeps its user while others come and go; a new pad takes the lowest
// free one. A pad pulled out reads as gone at once, before its event is pumped.
TEST_F(XInputTest, PadsTakeTheLowestFreeUserAsTheyArePluggedInAndPulledOut) {
    XINPUT_STATE state;
    EXPECT_EQ(XInputGetState(0, &state), (DWORD)ERROR_DEVICE_NOT_CONNECTED);
    SDL_Joystick* first = Plug();
    // Not before the message pump has seen it plugged in.
    EXPECT_EQ(XInputGetState(0, &state), (DWORD)ERROR_DEVICE_NOT_CONNECTED);
    Pump();
    Read(0);
    SDL_Joystick* second = Plug();
    Pump();
    SDL_JoystickSetVirtualButton(second, SDL_CONTROLLER_BUTTON_Y, SDL_PRESSED);
    EXPECT_EQ(Read(1).Gamepad.wButtons, XINPUT_GAMEPAD_Y);
    EXPECT_EQ(Read(0).Gamepad.wButtons, 0);

    Unplug(first);
    EXPECT_EQ(XInputGetState(0, &state), (DWORD)ERROR_DEVICE_NOT_CONNECTED);
    Pump();
    EXPECT_EQ(XInputGetState(0, &state), (DWORD)ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(Read(1).Gamepad.wButtons, XINPUT_GAMEPAD_Y);

    SDL_Joystick* third = Plug();
    Pump();
    SDL_JoystickSetVirtualButton(third, SDL_CONTROLLER_BUTTON_B, SDL_PRESSED);
    EXPECT_EQ(Read(0).Gamepad.wButtons, XINPUT_GAMEPAD_B);
    EXPECT_EQ(Read(1).Gamepad.wButtons, XINPUT_GAMEPAD_Y);
    EXPECT_EQ(XInputGetState(2, &state), (DWORD)ERROR_DEVICE_NOT_CONNECTED);
}

TEST_F(XInputTest, AFifthPadWaitsForAFreeUser) {
    SDL_Joystick* four[XUSER_MAX_COUNT];
    for (SDL_Joystick*& pad : four) pad = Plug();
    SDL_Joystick* fifth = Plug();
    Pump();
    SDL_JoystickSetVirtualButton(fifth, SDL_CONTROLLER_BUTTON_START, SDL_PRESSED);
    for (DWORD user = 0; user < XUSER_MAX_COUNT; ++user) EXPECT_EQ(Read(user).Gamepad.wButtons, 0);
    Unplug(four[2]);
    Pump();
    EXPECT_EQ(Read(2).Gamepad.wButtons, XINPUT_GAMEPAD_START);
}

// DirectInput opens the same SDL device as a joystick of its own; both read it.
TEST_F(XInputTest, DirectInputStillReadsAPadThatXInputHolds) {
    SDL_Joystick* pad = Plug();
    Pump();
    Read(0);
    IDirectInput8A* di = nullptr;
    ASSERT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, (LPVOID*)&di, nullptr), DI_OK);
    std::vector<GUID> found;
    di->EnumDevices(
        DI8DEVCLASS_GAMECTRL,
        [](LPCDIDEVICEINSTANCEA d, LPVOID out) {
            static_cast<std::vector<GUID>*>(out)->push_back(d->guidInstance);
            return DIENUM_CONTINUE;
        },
        &found, DIEDFL_ATTACHEDONLY);
    ASSERT_EQ(found.size(), 1u);
    IDirectInputDevice8A* joystick = nullptr;
    ASSERT_EQ(di->CreateDevice(found[0], &joystick, nullptr), DI_OK);
    ASSERT_EQ(joystick->SetDataFormat(&c_dfDIJoystick2), DI_OK);
    ASSERT_EQ(joystick->Acquire(), DI_OK);

    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    EXPECT_EQ(Read(0).Gamepad.wButtons, XINPUT_GAMEPAD_A);
    DIJOYSTATE2 state{};
    EXPECT_EQ(joystick->Poll(), DI_OK);
    ASSERT_EQ(joystick->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.rgbButtons[SDL_CONTROLLER_BUTTON_A], 0x80);

    // Pulled out: gone for both.
    Unplug(pad);
    Pump();
    XINPUT_STATE gone;
    EXPECT_EQ(XInputGetState(0, &gone), (DWORD)ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_NE(joystick->GetDeviceState(sizeof state, &state), DI_OK);
    joystick->Release();
    di->Release();
}

}  // namespace

namespace {

// The pad whole-program tests drive: lines appended to NOL_TEST_PAD's file.
TEST_F(XInputTest, TheScriptedPadFollowsTheLinesAppendedToItsFile) {
    TempDir dir;
    const std::string path = dir.File("pad.txt");
    std::ofstream(path) << "attach\na 1\nlefttrigger 40000\n" << std::string(300, 'x') << "\nb 1\nrightx -20000";
    setenv("NOL_TEST_PAD", path.c_str(), 1);
    testing::internal::CaptureStderr();
    XINPUT_STATE state;
    EXPECT_EQ(XInputGetState(0, &state), (DWORD)ERROR_DEVICE_NOT_CONNECTED);  // plugged in, not yet pumped
    Pump();
    state = Read(0);
    EXPECT_EQ(state.Gamepad.wButtons, XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_B);
    EXPECT_EQ(state.Gamepad.bLeftTrigger, 0);
    // A line counts once it is complete.
    EXPECT_EQ(state.Gamepad.sThumbRX, 0);
    std::ofstream(path, std::ios::app) << "\ndetach\n";
    EXPECT_EQ(XInputGetState(0, &state), (DWORD)ERROR_DEVICE_NOT_CONNECTED);
    const std::string log = testing::internal::GetCapturedStderr();
    unsetenv("NOL_TEST_PAD");
    EXPECT_NE(log.find("NOL_TEST_PAD: cannot do \"lefttrigger 40000\""), std::string::npos) << log;
    EXPECT_NE(log.find("NOL_TEST_PAD: line longer than 256 bytes skipped"), std::string::npos) << log;
    EXPECT_EQ(log.find("cannot do \"xxx"), std::string::npos) << log;
}

}  // namespace
