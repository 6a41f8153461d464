// Input-method functions the window procedure calls.
#pragma once

#include "win32/windows.h"

// The input method's default window of a window. SDL composes text inside the
// program's own window, so there is no such window and the result is null.
HWND ImmGetDefaultIMEWnd(HWND hwnd);
