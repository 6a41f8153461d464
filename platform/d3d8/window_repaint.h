// Puts a window's last picture back: the back buffer presented into the window
// once more. For a window whose contents were lost while something covered it at
// a time when the program draws no frames (a modal file chooser is up). Used by
// platform/comdlg.
#pragma once

#include "win32/windows.h"

// False when no device of this layer presents into the window, or when its device
// cannot present now (lost).
bool NolD3D8RepaintWindow(HWND window);
