// A pad drives the real car as the keys do: an SDL virtual pad read through the
// framework's input each frame, next to a scripted keyboard, the race's controls
// mapped and the car's driving step run as a race frame runs them.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "game/game.h"
#include "input/input.h"
#include "input/pad.h"
#include "input_fakes.h"
#include "render/graphics_state.h"
#include "support/test_support.h"
#include "virtual_pads.h"
#include "xinput/xinput.h"

namespace {

class PadDrive : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(NolInitSdlSubsystem(SDL_INIT_GAMECONTROLLER));
        InputState = InputStateRecord{};
        PadState = PadStateRecord{};
        InstallFake(&keyboard);
        GraphicsState.windowed = 0;
        ASSERT_EQ(InitDirectInput(), 1);
        gameState = kRace;
        throttleInput = kThrottleNone;
        steerInput = kSteerNone;
    }
    void TearDown() override {
        FreeInput();
        InstallFake(nullptr);
    }

    // One race frame's input and driving: the message pump, the input read, the
    // race's controls, the car's driving step.
    void Frame(Car& car, std::initializer_list<int> keys = {}) {
        std::fill(keyboard.keyboard.state.begin(), keyboard.keyboard.state.end(), 0);
        for (int key : keys) keyboard.keyboard.state[key] = 0x80;
        VirtualPads::Pump();
        UpdateInput();
        MapRaceKeys();
        car.DriveStep();
    }

    static void Rest(SDL_Joystick* pad) {
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) SDL_JoystickSetVirtualButton(pad, b, SDL_RELEASED);
        for (int a = 0; a < SDL_CONTROLLER_AXIS_MAX; ++a) SDL_JoystickSetVirtualAxis(pad, a, 0);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    }

    static std::string LogOf(const std::function<void()>& f) {
        testing::internal::CaptureStderr();
        f();
        return ToCp932(testing::internal::GetCapturedStderr());
    }

    FakeDirectInput keyboard;
    VirtualPads pads;
};

constexpr Sint16 kFull = 32767;
constexpr Sint16 kTriggerRest = -32768;

struct PadControl {
    int control;  // an SDL_GameControllerButton, or an axis when isAxis
    bool isAxis;
    Sint16 value;
};
PadControl Button(SDL_GameControllerButton b) { return {b, false, 1}; }
PadControl Axis(SDL_GameControllerAxis a, Sint16 v) { return {a, true, v}; }

// Each case: a car already rolling is driven 40 frames by the pad, another by the
// keys; they must end exactly alike, and the controls mapped as the keys map.
TEST_F(PadDrive, TriggersButtonsStickAndDpadDriveTheCarAsTheKeysDo) {
    SDL_Joystick* pad = pads.Plug();
    const struct Case {
        const char* what;
        std::vector<PadControl> pad;
        std::initializer_list<int> keys;
        int throttle, steer;
    } cases[] = {
        {"right trigger", {Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kFull)}, {DIK_Z}, kThrottleAccelerate, kSteerNone},
        {"A", {Button(SDL_CONTROLLER_BUTTON_A)}, {DIK_Z}, kThrottleAccelerate, kSteerNone},
        {"left trigger", {Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kFull)}, {DIK_X}, kThrottleBrake, kSteerNone},
        {"B", {Button(SDL_CONTROLLER_BUTTON_B)}, {DIK_X}, kThrottleBrake, kSteerNone},
        {"both triggers: the brake wins",
         {Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kFull), Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kFull)},
         {DIK_Z, DIK_X},
         kThrottleBrake,
         kSteerNone},
        {"A and the left trigger",
         {Button(SDL_CONTROLLER_BUTTON_A), Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kFull)},
         {DIK_X},
         kThrottleBrake,
         kSteerNone},
        {"stick right", {Axis(SDL_CONTROLLER_AXIS_LEFTX, kFull)}, {DIK_RIGHT}, kThrottleNone, kSteerRight},
        {"stick left, half way", {Axis(SDL_CONTROLLER_AXIS_LEFTX, -16000)}, {DIK_LEFT}, kThrottleNone, kSteerLeft},
        {"d-pad left", {Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT)}, {DIK_LEFT}, kThrottleNone, kSteerLeft},
        {"d-pad left, stick right: right wins",
         {Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT), Axis(SDL_CONTROLLER_AXIS_LEFTX, kFull)},
         {DIK_LEFT, DIK_RIGHT},
         kThrottleNone,
         kSteerRight},
        {"right trigger and d-pad right",
         {Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kFull), Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)},
         {DIK_Z, DIK_RIGHT},
         kThrottleAccelerate,
         kSteerRight},
        {"stick up and down steer nothing", {Axis(SDL_CONTROLLER_AXIS_LEFTY, -kFull)}, {}, kThrottleNone, kSteerNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Car byPad, byKeys;
        byPad.velocity = byKeys.velocity = D3DXVECTOR2(30, 60);
        Rest(pad);
        for (const PadControl& p : c.pad)
            if (p.isAxis)
                SDL_JoystickSetVirtualAxis(pad, p.control, p.value);
            else
                SDL_JoystickSetVirtualButton(pad, p.control, SDL_PRESSED);
        for (int i = 0; i < 40; ++i) Frame(byPad);
        EXPECT_EQ(throttleInput, c.throttle);
        EXPECT_EQ(steerInput, c.steer);
        Rest(pad);
        for (int i = 0; i < 40; ++i) Frame(byKeys, c.keys);
        EXPECT_EQ(byPad.pos, byKeys.pos);
        EXPECT_EQ(byPad.heading, byKeys.heading);
        EXPECT_EQ(byPad.velocity, byKeys.velocity);
        EXPECT_EQ(byPad.engineForce, byKeys.engineForce);
    }
    EXPECT_EQ(gameState, kRace);
}

// The stick steers beyond XInput's dead zone of 7849 only; a trigger counts
// beyond 30 of its 255.
TEST_F(PadDrive, TheStickAndTheTriggersHaveADeadZone) {
    SDL_Joystick* pad = pads.Plug();
    Rest(pad);
    Car car;
    const struct {
        Sint16 x;
        int steer;
    } stick[] = {{7849, kSteerNone}, {7850, kSteerRight}, {-7849, kSteerNone}, {-7850, kSteerLeft}, {0, kSteerNone}};
    for (const auto& s : stick) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, s.x);
        Frame(car);
        EXPECT_EQ(steerInput, s.steer) << s.x;
    }
    // Raw -25068 reads 30 of 255, -24768 reads 31 (the trigger's raw axis runs
    // from -32768 at rest).
    const struct {
        Sint16 raw;
        BYTE xinput;
        int throttle;
    } trigger[] = {{-25068, 30, kThrottleNone}, {-24768, 31, kThrottleAccelerate}, {kTriggerRest, 0, kThrottleNone}};
    for (const auto& t : trigger) {
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, t.raw);
        Frame(car);
        XINPUT_STATE state{};
        ASSERT_EQ(XInputGetState(0, &state), (DWORD)ERROR_SUCCESS);
        EXPECT_EQ(state.Gamepad.bRightTrigger, t.xinput);
        EXPECT_EQ(throttleInput, t.throttle) << t.raw;
    }
}

// Mid-race a pad comes and goes: the keys keep driving, the pad's own controls
// start and stop with it, the race goes on, and each change is logged once.
TEST_F(PadDrive, APadPluggedInAndPulledOutMidRaceChangesOnlyWhatItDrives) {
    Car byBoth, byKeys;
    for (int i = 0; i < 10; ++i) Frame(byBoth, {DIK_Z});
    SDL_Joystick* pad = nullptr;
    std::string log = LogOf([&] {
        pad = pads.Plug();
        Rest(pad);
        SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, SDL_PRESSED);
        for (int i = 0; i < 10; ++i) Frame(byBoth, {DIK_Z});
    });
    EXPECT_EQ(log, "pad[0] connected\n");
    EXPECT_EQ(steerInput, kSteerRight);
    EXPECT_EQ(GetPad(PAD_DPAD_RIGHT), KEY_HELD);

    // Pulled out with the d-pad held: the d-pad reads released once, then up.
    log = LogOf([&] {
        pads.Unplug(pad);
        Frame(byBoth, {DIK_Z});
    });
    EXPECT_EQ(log, "pad[0] disconnected\n");
    EXPECT_EQ(GetPad(PAD_DPAD_RIGHT), KEY_RELEASED);
    EXPECT_EQ(steerInput, kSteerNone);
    EXPECT_EQ(throttleInput, kThrottleAccelerate);
    for (int i = 0; i < 9; ++i) Frame(byBoth, {DIK_Z});
    EXPECT_EQ(GetPad(PAD_DPAD_RIGHT), KEY_UP);
    EXPECT_EQ(gameState, kRace);

    // The same race on the keys alone.
    for (int i = 0; i < 10; ++i) Frame(byKeys, {DIK_Z});
    for (int i = 0; i < 10; ++i) Frame(byKeys, {DIK_Z, DIK_RIGHT});
    for (int i = 0; i < 10; ++i) Frame(byKeys, {DIK_Z});
    EXPECT_EQ(byBoth.pos, byKeys.pos);
    EXPECT_EQ(byBoth.heading, byKeys.heading);
    EXPECT_EQ(byBoth.totalFrames, 30);

    // Plugged in again, a new pad drives on its own.
    log = LogOf([&] {
        pad = pads.Plug();
        Rest(pad);
        SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kFull);
        Frame(byBoth);
    });
    EXPECT_EQ(log, "pad[0] connected\n");
    EXPECT_EQ(throttleInput, kThrottleAccelerate);
}

// Back returns to the selection on the press, as Q does; held, it does nothing
// more.
TEST_F(PadDrive, BackReturnsToTheSelectionOnThePress) {
    SDL_Joystick* pad = pads.Plug();
    Rest(pad);
    Car car;
    Frame(car);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_BACK, SDL_PRESSED);
    Frame(car);
    EXPECT_EQ(gameState, kSelection);
    gameState = kRace;
    Frame(car);
    EXPECT_EQ(gameState, kRace);
    // Back and Q together go back once.
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_BACK, SDL_RELEASED);
    Frame(car);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_BACK, SDL_PRESSED);
    Frame(car, {DIK_Q});
    EXPECT_EQ(gameState, kSelection);
}

// On the selection screen the d-pad picks and A or Start starts, each on the
// press only; the stick does not pick.
TEST_F(PadDrive, TheSelectionTakesTheDpadAAndStartOnThePress) {
    SDL_Joystick* pad = pads.Plug();
    Rest(pad);
    auto read = [&](SDL_GameControllerButton held) {
        Rest(pad);
        if (held != SDL_CONTROLLER_BUTTON_INVALID) SDL_JoystickSetVirtualButton(pad, held, SDL_PRESSED);
        VirtualPads::Pump();
        UpdateInput();
        return std::array<bool, 3>{PreviousCoursePushed(), NextCoursePushed(), StartRacePushed()};
    };
    using A = std::array<bool, 3>;
    EXPECT_EQ(read(SDL_CONTROLLER_BUTTON_DPAD_LEFT), (A{true, false, false}));
    EXPECT_EQ(read(SDL_CONTROLLER_BUTTON_DPAD_LEFT), (A{false, false, false}));
    EXPECT_EQ(read(SDL_CONTROLLER_BUTTON_DPAD_RIGHT), (A{false, true, false}));
    EXPECT_EQ(read(SDL_CONTROLLER_BUTTON_A), (A{false, false, true}));
    EXPECT_EQ(read(SDL_CONTROLLER_BUTTON_START), (A{false, false, true}));
    EXPECT_EQ(read(SDL_CONTROLLER_BUTTON_START), (A{false, false, false}));
    EXPECT_EQ(read(SDL_CONTROLLER_BUTTON_B), (A{false, false, false}));
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTX, kFull);
    VirtualPads::Pump();
    UpdateInput();
    EXPECT_FALSE(NextCoursePushed());
}

}  // namespace

namespace {

// After a message box the pad starts afresh with the keys: a button still held
// reads up, then pushed again.
TEST_F(PadDrive, ResetInputLetsGoOfThePadAsOfTheKeys) {
    SDL_Joystick* pad = pads.Plug();
    Rest(pad);
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    Car car;
    Frame(car);
    Frame(car);
    EXPECT_EQ(GetPad(PAD_A), KEY_HELD);
    ResetInput();
    EXPECT_EQ(GetPad(PAD_A), KEY_UP);
    Frame(car);
    EXPECT_EQ(GetPad(PAD_A), KEY_PUSHED);
    EXPECT_EQ(GetPad(PAD_ENTRIES), KEY_UP);
    EXPECT_EQ(GetPad(-1), KEY_UP);
}

}  // namespace
