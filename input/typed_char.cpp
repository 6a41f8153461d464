// The one-character store between the window's WM_CHAR and text entry.
#include "input/input.h"

// Each byte arrives on its own; those of 0x80 and above (the halves of a
// double-byte character among them) are kept as negative numbers.
void SetTypedChar(WPARAM character) { InputState.typedChar = static_cast<signed char>(character & 0xFF); }

int GetTypedChar() {
    int character = InputState.typedChar;
    InputState.typedChar = 0;
    return character;
}
