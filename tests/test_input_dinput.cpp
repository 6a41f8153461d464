// The DirectInput stand-in itself: keyboard and mouse from pumped SDL events, game
// controllers from SDL's virtual joysticks.
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "display_required.h"
#include "dinput8/dinput.h"
#include "dinput8/dinput_test_hooks.h"
#include "win32/sdl_bridge.h"

namespace {

class DirectInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(NolInitSdlSubsystem(SDL_INIT_JOYSTICK));
        NolDrainSdlEvents();
        ASSERT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A,
                                     reinterpret_cast<LPVOID*>(&di), nullptr),
                  DI_OK);
    }
    void TearDown() override {
        for (IDirectInputDevice8A* device : devices) device->Release();
        if (di) {
            EXPECT_EQ(di->Release(), 0u);
        }
        for (SDL_Joystick* joystick : opened) SDL_JoystickClose(joystick);
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
            if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
    }

    // A device with its data format set and, unless asked otherwise, acquired.
    IDirectInputDevice8A* Open(const GUID& guid, const DIDATAFORMAT& format, bool acquire = true) {
        IDirectInputDevice8A* device = nullptr;
        EXPECT_EQ(di->CreateDevice(guid, &device, nullptr), DI_OK);
        if (!device) return nullptr;
        devices.push_back(device);
        EXPECT_EQ(device->SetDataFormat(&format), DI_OK);
        if (acquire) {
            EXPECT_EQ(device->Acquire(), DI_OK);
        }
        return device;
    }

    static void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1); }

    static void Key(SDL_Scancode scancode, bool down) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        Push(e);
    }

    static void Button(Uint8 button, bool down) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.button = button;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        Push(e);
    }

    static void Wheel(float notches, bool flipped = false) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = (Sint32)notches;
        e.wheel.preciseY = notches;
        e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        Push(e);
    }

    static void Motion(int dx, int dy) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.xrel = dx;
        e.motion.yrel = dy;
        Push(e);
    }

    static std::vector<BYTE> Keys(IDirectInputDevice8A* keyboard) {
        std::vector<BYTE> keys(256);
        EXPECT_EQ(keyboard->GetDeviceState(256, keys.data()), DI_OK);
        return keys;
    }

    static DIMOUSESTATE MouseState(IDirectInputDevice8A* mouse) {
        DIMOUSESTATE state{};
        EXPECT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
        return state;
    }

    std::vector<DIDEVICEINSTANCEA> Controllers(DWORD devType = DI8DEVCLASS_GAMECTRL) {
        std::vector<DIDEVICEINSTANCEA> found;
        auto collect = [](LPCDIDEVICEINSTANCEA instance, LPVOID context) -> BOOL {
            static_cast<std::vector<DIDEVICEINSTANCEA>*>(context)->push_back(*instance);
            return DIENUM_CONTINUE;
        };
        EXPECT_EQ(di->EnumDevices(devType, collect, &found, DIEDFL_ATTACHEDONLY), DI_OK);
        return found;
    }

    // A virtual controller, opened through DirectInput; *sdl is SDL's own handle of
    // it, for moving its controls.
    IDirectInputDevice8A* VirtualJoystick(int axes, int buttons, int hats, SDL_Joystick** sdl) {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
        EXPECT_GE(index, 0) << SDL_GetError();
        *sdl = SDL_JoystickOpen(index);
        EXPECT_NE(*sdl, nullptr);
        opened.push_back(*sdl);
        std::vector<DIDEVICEINSTANCEA> found = Controllers();
        EXPECT_GT((int)found.size(), index);
        if ((int)found.size() <= index) return nullptr;
        return Open(found[index].guidInstance, c_dfDIJoystick2);
    }

    static DIJOYSTATE2 PadState(IDirectInputDevice8A* pad) {
        DIJOYSTATE2 state{};
        EXPECT_EQ(pad->Poll(), DI_OK);
        EXPECT_EQ(pad->GetDeviceState(sizeof state, &state), DI_OK);
        return state;
    }

    static HRESULT SetRange(IDirectInputDevice8A* device, DWORD how, DWORD object, LONG min, LONG max) {
        DIPROPRANGE range{};
        range.diph.dwSize = sizeof range;
        range.diph.dwHeaderSize = sizeof range.diph;
        range.diph.dwHow = how;
        range.diph.dwObj = object;
        range.lMin = min;
        range.lMax = max;
        return device->SetProperty(DIPROP_RANGE, &range.diph);
    }

    IDirectInput8A* di = nullptr;
    std::vector<IDirectInputDevice8A*> devices;
    std::vector<SDL_Joystick*> opened;
};

TEST(DirectInputCreateTest, AsksForVersion0800AndTheDirectInput8Interface) {
    LPVOID out = reinterpret_cast<LPVOID>(0x1);
    HINSTANCE self = GetModuleHandleA(nullptr);
    EXPECT_EQ(DirectInput8Create(self, 0x0700, IID_IDirectInput8A, &out, nullptr), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(DirectInput8Create(self, 0x0900, IID_IDirectInput8A, &out, nullptr), DIERR_BETADIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(self, 0x0800, IID_IDirectInputDevice8A, &out, nullptr), DIERR_NOINTERFACE);
    EXPECT_EQ(DirectInput8Create(self, 0x0800, IID_IDirectInput8A, nullptr, nullptr), DIERR_INVALIDPARAM);

    ASSERT_EQ(DirectInput8Create(self, 0x0800, IID_IDirectInput8A, &out, nullptr), DI_OK);
    auto* di = static_cast<IDirectInput8A*>(out);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(di->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown->Release(), 1u);
    void* other = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(di->QueryInterface(IID_IDirectInputDevice8A, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(di->Release(), 0u);
}

TEST_F(DirectInputTest, KeyboardBytesFollowThePumpedKeyEventsInDirectInputNumbers) {
    IDirectInputDevice8A* keyboard = Open(GUID_SysKeyboard, c_dfDIKeyboard);
    ASSERT_NE(keyboard, nullptr);
    const struct {
        SDL_Scancode sdl;
        int dik;
    } keys[] = {{SDL_SCANCODE_ESCAPE, 1},          {SDL_SCANCODE_RETURN, 28},   {SDL_SCANCODE_Z, 44},
                {SDL_SCANCODE_UP, 200},            {SDL_SCANCODE_DOWN, 208},    {SDL_SCANCODE_LEFT, 203},
                {SDL_SCANCODE_RIGHT, 205},         {SDL_SCANCODE_KP_ENTER, 156}, {SDL_SCANCODE_KP_7, 71},
                {SDL_SCANCODE_F12, 88},            {SDL_SCANCODE_RCTRL, 157},   {SDL_SCANCODE_INTERNATIONAL3, 125},
                {SDL_SCANCODE_INTERNATIONAL4, 121}, {SDL_SCANCODE_DELETE, 211}};
    for (const auto& k : keys) {
        Key(k.sdl, true);
        NolDrainSdlEvents();
        std::vector<BYTE> bytes = Keys(keyboard);
        for (int i = 0; i < 256; ++i) EXPECT_EQ(bytes[i], i == k.dik ? 0x80 : 0x00) << SDL_GetScancodeName(k.sdl) << " byte " << i;
        Key(k.sdl, false);
        NolDrainSdlEvents();
        EXPECT_EQ(Keys(keyboard)[k.dik], 0x00) << SDL_GetScancodeName(k.sdl);
    }
}

TEST_F(DirectInputTest, EventsCountOnlyOnceThePumpHasTakenThem) {
    IDirectInputDevice8A* keyboard = Open(GUID_SysKeyboard, c_dfDIKeyboard);
    Key(SDL_SCANCODE_A, true);
    EXPECT_EQ(Keys(keyboard)[DIK_A], 0x00);
    NolDrainSdlEvents();
    EXPECT_EQ(Keys(keyboard)[DIK_A], 0x80);
}

TEST_F(DirectInputTest, AKeyTappedBetweenTwoReadsReadsDownOnce) {
    IDirectInputDevice8A* keyboard = Open(GUID_SysKeyboard, c_dfDIKeyboard);
    ASSERT_NE(keyboard, nullptr);
    Key(SDL_SCANCODE_RETURN, true);
    Key(SDL_SCANCODE_RETURN, false);
    Key(SDL_SCANCODE_X, true);  // held: down for as long as it is
    NolDrainSdlEvents();
    std::vector<BYTE> bytes = Keys(keyboard);
    EXPECT_EQ(bytes[DIK_RETURN], 0x80);
    EXPECT_EQ(bytes[DIK_X], 0x80);
    bytes = Keys(keyboard);
    EXPECT_EQ(bytes[DIK_RETURN], 0x00);
    EXPECT_EQ(bytes[DIK_X], 0x80);
    // A second keyboard made now has nothing to catch up on.
    IDirectInputDevice8A* second = Open(GUID_SysKeyboard, c_dfDIKeyboard);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Keys(second)[DIK_RETURN], 0x00);
}

TEST_F(DirectInputTest, ADeviceIsReadOnlyWhileAcquiredAndInItsOwnFormat) {
    IDirectInputDevice8A* keyboard = nullptr;
    ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    devices.push_back(keyboard);
    BYTE keys[256];
    EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM);  // no data format yet
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    EXPECT_EQ(keyboard->GetDeviceState(100, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
    EXPECT_EQ(keyboard->Poll(), DI_NOEFFECT);
    EXPECT_EQ(keyboard->Unacquire(), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->Poll(), DIERR_NOTACQUIRED);

    IDirectInputDevice8A* none = reinterpret_cast<IDirectInputDevice8A*>(0x1);
    const GUID unknown = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
    EXPECT_EQ(di->CreateDevice(unknown, &none, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(none, nullptr);
}

TEST_F(DirectInputTest, ALostDeviceFailsWithInputLostUntilAcquiredAgain) {
    IDirectInputDevice8A* keyboard = Open(GUID_SysKeyboard, c_dfDIKeyboard);
    IDirectInputDevice8A* mouse = Open(GUID_SysMouse, c_dfDIMouse);
    NolDirectInputLoseDevice(keyboard);
    BYTE keys[256];
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
    EXPECT_EQ(keyboard->Poll(), DIERR_INPUTLOST);
    MouseState(mouse);  // the other device is untouched
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
}

TEST_F(DirectInputTest, MouseButtonsMapLeftRightMiddleAndFourth) {
    IDirectInputDevice8A* mouse = Open(GUID_SysMouse, c_dfDIMouse);
    const Uint8 buttons[4] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1};
    for (int i = 0; i < 4; ++i) {
        Button(buttons[i], true);
        NolDrainSdlEvents();
        DIMOUSESTATE state = MouseState(mouse);
        for (int j = 0; j < 4; ++j) EXPECT_EQ(state.rgbButtons[j], i == j ? 0x80 : 0x00) << i << " " << j;
        Button(buttons[i], false);
        NolDrainSdlEvents();
        EXPECT_EQ(MouseState(mouse).rgbButtons[i], 0x00);
    }
    Button(SDL_BUTTON_X2, true);  // DIMOUSESTATE has no fifth button
    NolDrainSdlEvents();
    DIMOUSESTATE state = MouseState(mouse);
    for (BYTE b : state.rgbButtons) EXPECT_EQ(b, 0x00);
}

TEST_F(DirectInputTest, WheelAndMotionAreRelativeToThePreviousRead) {
    Motion(100, 100);  // before the device is acquired: not reported
    Wheel(3);
    NolDrainSdlEvents();
    IDirectInputDevice8A* mouse = Open(GUID_SysMouse, c_dfDIMouse);
    DIMOUSESTATE state = MouseState(mouse);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);

    Wheel(1);
    Wheel(1);
    Motion(5, -3);
    Motion(7, 1);
    NolDrainSdlEvents();
    state = MouseState(mouse);
    EXPECT_EQ(state.lZ, 240);
    EXPECT_EQ(state.lX, 12);
    EXPECT_EQ(state.lY, -2);
    state = MouseState(mouse);
    EXPECT_EQ(state.lZ, 0);
    EXPECT_EQ(state.lX, 0);

    Wheel(-1);
    Wheel(0.5f);
    NolDrainSdlEvents();
    EXPECT_EQ(MouseState(mouse).lZ, -60);
    Wheel(1, true);  // natural scrolling: SDL reports the hand's direction reversed
    NolDrainSdlEvents();
    EXPECT_EQ(MouseState(mouse).lZ, -120);
}

TEST_F(DirectInputTest, DevicesKeepTheirDirectInputObject) {
    IDirectInputDevice8A* keyboard = Open(GUID_SysKeyboard, c_dfDIKeyboard);
    EXPECT_EQ(di->Release(), 1u);  // the keyboard still holds it
    di = nullptr;
    Key(SDL_SCANCODE_SPACE, true);
    NolDrainSdlEvents();
    EXPECT_EQ(Keys(keyboard)[DIK_SPACE], 0x80);
    Key(SDL_SCANCODE_SPACE, false);
    NolDrainSdlEvents();
}

TEST_F(DirectInputTest, EnumDevicesListsControllersInSdlOrderAndStopsWhenAsked) {
    const int before = (int)Controllers().size();
    ASSERT_EQ(before, SDL_NumJoysticks());
    int first = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 10, 1);
    int second = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 3, 0);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);

    std::vector<DIDEVICEINSTANCEA> found = Controllers();
    ASSERT_EQ((int)found.size(), before + 2);
    EXPECT_FALSE(found[first].guidInstance == found[second].guidInstance);
    EXPECT_EQ(GET_DIDEVICE_TYPE(found[first].dwDevType), DI8DEVTYPE_GAMEPAD);
    EXPECT_EQ(GET_DIDEVICE_TYPE(found[second].dwDevType), DI8DEVTYPE_JOYSTICK);
    EXPECT_EQ(found[first].dwSize, sizeof(DIDEVICEINSTANCEA));

    // Each guidInstance opens its own controller.
    auto count = [](IDirectInputDevice8A* device, DWORD kind) {
        int n = 0;
        auto add = [](LPCDIDEVICEOBJECTINSTANCEA, LPVOID context) -> BOOL {
            ++*static_cast<int*>(context);
            return DIENUM_CONTINUE;
        };
        EXPECT_EQ(device->EnumObjects(add, &n, kind), DI_OK);
        return n;
    };
    IDirectInputDevice8A* a = Open(found[first].guidInstance, c_dfDIJoystick2);
    IDirectInputDevice8A* b = Open(found[second].guidInstance, c_dfDIJoystick2);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(count(a, DIDFT_AXIS), 6);
    EXPECT_EQ(count(a, DIDFT_BUTTON), 10);
    EXPECT_EQ(count(a, DIDFT_POV), 1);
    EXPECT_EQ(count(b, DIDFT_AXIS), 2);
    EXPECT_EQ(count(b, DIDFT_ALL), 5);

    int calls = 0;
    auto stop = [](LPCDIDEVICEINSTANCEA, LPVOID context) -> BOOL {
        ++*static_cast<int*>(context);
        return DIENUM_STOP;
    };
    EXPECT_EQ(di->EnumDevices(DI8DEVCLASS_GAMECTRL, stop, &calls, DIEDFL_ATTACHEDONLY), DI_OK);
    EXPECT_EQ(calls, 1);

    // Keyboard and mouse are devices of their own classes.
    ASSERT_EQ(Controllers(DI8DEVCLASS_KEYBOARD).size(), 1u);
    EXPECT_TRUE(Controllers(DI8DEVCLASS_KEYBOARD)[0].guidInstance == GUID_SysKeyboard);
    EXPECT_TRUE(Controllers(DI8DEVCLASS_POINTER)[0].guidInstance == GUID_SysMouse);
    EXPECT_EQ((int)Controllers(DI8DEVCLASS_ALL).size(), before + 4);
}

TEST_F(DirectInputTest, AxesScaleOntoTheirRangeAndSlidersFollowTheSixAxes) {
    SDL_Joystick* sdl = nullptr;
    IDirectInputDevice8A* pad = VirtualJoystick(8, 2, 0, &sdl);
    ASSERT_NE(pad, nullptr);

    // DirectInput's default range is 0..65535.
    const Sint16 values[8] = {-32768, 32767, 0, -1, 1, 12345, -20000, 32767};
    for (int a = 0; a < 8; ++a) SDL_JoystickSetVirtualAxis(sdl, a, values[a]);
    DIJOYSTATE2 state = PadState(pad);
    const LONG got[8] = {state.lX, state.lY, state.lZ, state.lRx, state.lRy, state.lRz,
                         state.rglSlider[0], state.rglSlider[1]};
    for (int a = 0; a < 8; ++a) EXPECT_EQ(got[a], values[a] + 32768) << "axis " << a;

    // -1000..1000 on every axis; each addressed by its id from EnumObjects.
    std::vector<DWORD> ids;
    auto collect = [](LPCDIDEVICEOBJECTINSTANCEA object, LPVOID context) -> BOOL {
        static_cast<std::vector<DWORD>*>(context)->push_back(object->dwType);
        return DIENUM_CONTINUE;
    };
    ASSERT_EQ(pad->EnumObjects(collect, &ids, DIDFT_AXIS), DI_OK);
    ASSERT_EQ(ids.size(), 8u);
    for (DWORD id : ids) EXPECT_EQ(SetRange(pad, DIPH_BYID, id, -1000, 1000), DI_OK);
    const struct {
        Sint16 raw;
        LONG scaled;
    } points[] = {{-32768, -1000}, {32767, 1000}, {0, 0}, {16383, 500}, {16416, 501}, {-16384, -500}, {-16417, -501}};
    for (const auto& p : points) {
        SDL_JoystickSetVirtualAxis(sdl, 1, p.raw);
        EXPECT_EQ(PadState(pad).lY, p.scaled) << p.raw;
    }
}

TEST_F(DirectInputTest, RangeRequestsThatCannotApplyAreRefused) {
    SDL_Joystick* sdl = nullptr;
    IDirectInputDevice8A* pad = VirtualJoystick(2, 2, 0, &sdl);
    ASSERT_NE(pad, nullptr);
    EXPECT_EQ(SetRange(pad, DIPH_BYID, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(5), -1, 1), DIERR_OBJECTNOTFOUND);
    EXPECT_EQ(SetRange(pad, DIPH_BYID, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(0), -1, 1), DIERR_UNSUPPORTED);
    EXPECT_EQ(SetRange(pad, DIPH_BYID, DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(0), 5, 5), DIERR_INVALIDPARAM);
    DIPROPHEADER bare{sizeof(DIPROPHEADER), sizeof(DIPROPHEADER), 0, DIPH_DEVICE};
    EXPECT_EQ(pad->SetProperty(DIPROP_RANGE, &bare), DIERR_INVALIDPARAM);

    // By offset and for the whole device.
    EXPECT_EQ(SetRange(pad, DIPH_BYOFFSET, offsetof(DIJOYSTATE2, lY), 0, 10), DI_OK);
    SDL_JoystickSetVirtualAxis(sdl, 1, 32767);
    EXPECT_EQ(PadState(pad).lY, 10);
    EXPECT_EQ(SetRange(pad, DIPH_DEVICE, 0, 100, 200), DI_OK);
    SDL_JoystickSetVirtualAxis(sdl, 0, -32768);
    DIJOYSTATE2 state = PadState(pad);
    EXPECT_EQ(state.lX, 100);
    EXPECT_EQ(state.lY, 200);

    IDirectInputDevice8A* mouse = Open(GUID_SysMouse, c_dfDIMouse);
    EXPECT_EQ(SetRange(mouse, DIPH_BYOFFSET, 0, -1, 1), DIERR_UNSUPPORTED);  // relative axis
}

TEST_F(DirectInputTest, HatsAreDirectionsInHundredthsOfADegreeAndButtonsAre0x80) {
    SDL_Joystick* sdl = nullptr;
    IDirectInputDevice8A* pad = VirtualJoystick(2, 12, 2, &sdl);
    ASSERT_NE(pad, nullptr);
    SDL_JoystickSetVirtualHat(sdl, 0, SDL_HAT_RIGHTUP);
    SDL_JoystickSetVirtualHat(sdl, 1, SDL_HAT_LEFT);
    SDL_JoystickSetVirtualButton(sdl, 0, SDL_PRESSED);
    SDL_JoystickSetVirtualButton(sdl, 11, SDL_PRESSED);
    DIJOYSTATE2 state = PadState(pad);
    EXPECT_EQ(state.rgdwPOV[0], 4500u);
    EXPECT_EQ(state.rgdwPOV[1], 27000u);
    EXPECT_EQ(state.rgdwPOV[2], 0xFFFFFFFFu);  // no such hat: centred
    EXPECT_EQ(state.rgbButtons[0], 0x80);
    EXPECT_EQ(state.rgbButtons[1], 0x00);
    EXPECT_EQ(state.rgbButtons[11], 0x80);
    EXPECT_EQ(state.rgbButtons[12], 0x00);

    SDL_JoystickSetVirtualHat(sdl, 0, SDL_HAT_CENTERED);
    SDL_JoystickSetVirtualButton(sdl, 0, SDL_RELEASED);
    state = PadState(pad);
    EXPECT_EQ(state.rgdwPOV[0], 0xFFFFFFFFu);
    EXPECT_EQ(state.rgbButtons[0], 0x00);
}

TEST_F(DirectInputTest, AnUnpluggedControllerIsLostAndCannotBeAcquiredAgain) {
    SDL_Joystick* sdl = nullptr;
    IDirectInputDevice8A* pad = VirtualJoystick(2, 2, 0, &sdl);
    ASSERT_NE(pad, nullptr);
    DIJOYSTATE2 state;
    ASSERT_EQ(pad->Unacquire(), DI_OK);
    EXPECT_EQ(pad->Poll(), DIERR_NOTACQUIRED);
    EXPECT_EQ(pad->GetDeviceState(sizeof state, &state), DIERR_NOTACQUIRED);
    ASSERT_EQ(pad->Acquire(), DI_OK);

    for (int i = SDL_NumJoysticks() - 1; i >= 0; --i)
        if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
    EXPECT_EQ(pad->Poll(), DIERR_INPUTLOST);
    EXPECT_EQ(pad->GetDeviceState(sizeof state, &state), DIERR_INPUTLOST);
    EXPECT_EQ(pad->Acquire(), DIERR_UNPLUGGED);
}

TEST_F(DirectInputTest, CooperativeLevelsAreBackgroundAndSharedOnARealWindow) {
    NOL_SKIP_WITHOUT_DISPLAY();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "DINPUT_TEST";
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, "DINPUT_TEST", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    IDirectInputDevice8A* mouse = Open(GUID_SysMouse, c_dfDIMouse, false);

    EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
    EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DIERR_UNSUPPORTED);
    EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    EXPECT_EQ(mouse->Acquire(), DI_OK);
    EXPECT_EQ(mouse->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DIERR_ACQUIRED);
    DestroyWindow(window);
}

}  // namespace
