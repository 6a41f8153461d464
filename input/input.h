// Keyboard, mouse and joysticks: set-up, the once-a-frame read and the key state
// codes every other part asks for.
#pragma once

#include "dinput8/dinput.h"
#include "win32/windows.h"

// Key state codes: (down now) * 2 + (down in the previous read).
constexpr int KEY_UP = 0;
constexpr int KEY_RELEASED = 1;
constexpr int KEY_PUSHED = 2;
constexpr int KEY_HELD = 3;

constexpr int MAX_JOYSTICKS = 8;
constexpr int MOUSE_BUTTONS = 4;
constexpr int KEYBOARD_KEYS = 256;

// Entries of a joystick record: four directions, Z minus and plus, then buttons.
enum JoystickEntry {
    JOY_UP = 0,
    JOY_DOWN = 1,
    JOY_LEFT = 2,
    JOY_RIGHT = 3,
    JOY_Z_MINUS = 4,
    JOY_Z_PLUS = 5,
    JOY_BUTTON0 = 6,
    JOY_ENTRIES = 14,
};

struct InputStateRecord {
    IDirectInput8A* directInput = nullptr;
    IDirectInputDevice8A* keyboard = nullptr;
    IDirectInputDevice8A* mouse = nullptr;
    IDirectInputDevice8A* joysticks[MAX_JOYSTICKS] = {};

    // By DirectInput scan code; bit 7 set = down.
    BYTE keys[KEYBOARD_KEYS] = {};
    BYTE prevKeys[KEYBOARD_KEYS] = {};
    // While this key is down the main window is asked to close.
    BYTE closeKey = 0;
    // The last WM_CHAR not yet taken, sign-extended from its byte; 0 for none.
    int typedChar = 0;

    // Left, right, middle, fourth.
    BYTE mouseButtons[MOUSE_BUTTONS] = {};
    BYTE prevMouseButtons[MOUSE_BUTTONS] = {};
    POINT mousePos = {0, 0};
    // Wheel movement of the last successful mouse read (120 per notch).
    int mouseWheel = 0;

    int joystickEnabled = 0;
    // Controllers enumerated, whether or not their device could be made.
    int joystickCount = 0;
    BYTE joystick[MAX_JOYSTICKS][JOY_ENTRIES] = {};
    BYTE prevJoystick[MAX_JOYSTICKS][JOY_ENTRIES] = {};
};

extern InputStateRecord InputState;

// Set-up and shutdown: 1 on success, 0 on failure.
int InitDirectInput();
int FreeInput();
int InitKeyboard();
int InitMouse();
int InitJoysticks();
int FreeKeyboard();
int FreeMouse();
int FreeJoysticks();

// The per-frame read, and the parts of it.
void UpdateInput();
void UpdateKeyboard();
void UpdateMouse();
void UpdateJoysticks();
// Every key, button and joystick entry reads KEY_UP until the next read.
void ResetInput();

// Out-of-range indexes read KEY_UP.
int GetKey(int key);
// The lowest scan code pushed in this read, or -1.
int GetPushedKey();
void ClearKeyboard();
void SetCloseKey(BYTE key);

void SetTypedChar(WPARAM character);
// The character typed since the last call, once; 0 for none.
int GetTypedChar();

int GetMouseButton(int button);
POINT GetMousePos();
int GetMouseX();
int GetMouseY();
int GetMouseWheel();
// Moves the system cursor to a point of the main window's client area.
void SetMousePos(int x, int y);

void EnableJoystick(int flag);
int GetJoystick(int joystick, int entry);
