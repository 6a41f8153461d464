// The once-a-frame read of every device, and the close key.
#include "input/input.h"
#include "input/pad.h"
#include "shell/window.h"

// The close key asks the main window to close in every frame it is down, not just
// the frame it went down in.
void UpdateInput() {
    UpdateKeyboard();
    UpdateMouse();
    UpdateJoysticks();
    UpdatePad();
    if (InputState.keys[InputState.closeKey] & 0x80) CloseMainWindow();
}
