// A window class's background brush, which the display server paints wherever the
// window shows and the program has not drawn yet (before the first frame, and
// where a resize uncovers new area).
#pragma once

#include <SDL.h>

#include "gdi/wingdi.h"
#include "win32/windows.h"

struct HBRUSH__ {
    COLORREF colour;
    bool hollow;  // NULL_BRUSH: nothing is painted
};

// The brush's colour as the window's background. Windows of a class without a
// brush, and hollow brushes, keep the display server's default (nothing painted).
// Only on X11; elsewhere the window's contents stay undefined until drawn.
void NolSetWindowBackground(SDL_Window* window, HBRUSH brush);
