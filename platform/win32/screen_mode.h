// The screen as the program sees it in full screen. The original changes the
// display's mode to the back buffer's size there, so that the screen is the
// picture; here the desktop keeps its mode and the picture is letterboxed over it.
// While a full-screen device shows its picture in a window, the cursor's screen
// position is a position in that picture.
#pragma once

#include "win32/windows.h"

namespace nol::win32 {

// The largest width x height rectangle of the picture's shape that fits a w x h
// area, centred in it: bars left and right or above and below.
RECT Letterbox(LONG width, LONG height, LONG w, LONG h);

// window shows a width x height picture letterboxed over its client area; a null
// window (or a zero size) puts the desktop's own coordinates back.
void SetFullScreenPicture(HWND window, LONG width, LONG height);

// A point of a window's client area in the pixels of its SDL window. The client
// area of a window showing a full-screen picture is that picture; any other
// window's client area is the SDL window itself.
POINT ClientToSdlWindow(HWND window, POINT point);

}  // namespace nol::win32
