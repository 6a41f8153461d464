// The framework's two message boxes. Keys pressed while a box was up must not
// reach the game, so the input state is cleared after each.
#include "input/input.h"
#include "shell/log.h"
#include "shell/window.h"

void MessageOk(const char* text) {
    MessageBoxA(mainWindow, text, "", MB_OK);
    ResetInput();
}

int MessageYesNo(const char* text) {
    int answer = MessageBoxA(mainWindow, text, "", MB_YESNO | MB_ICONQUESTION | MB_SYSTEMMODAL);
    ResetInput();
    return answer == IDYES ? 1 : 0;
}
