// The input state record, and clearing it after a message box.
#include <cstring>

#include "input/input.h"
#include "input/pad.h"

InputStateRecord InputState;

// Keys pressed while a message box was up must not reach the game: every key,
// button, joystick and pad entry reads KEY_UP, and one still held reads KEY_PUSHED after
// the next read.
void ResetInput() {
    std::memset(InputState.keys, 0, sizeof InputState.keys);
    std::memset(InputState.prevKeys, 0, sizeof InputState.prevKeys);
    std::memset(InputState.mouseButtons, 0, sizeof InputState.mouseButtons);
    std::memset(InputState.prevMouseButtons, 0, sizeof InputState.prevMouseButtons);
    std::memset(InputState.joystick, 0, sizeof InputState.joystick);
    std::memset(InputState.prevJoystick, 0, sizeof InputState.prevJoystick);
    ResetPad();
}
