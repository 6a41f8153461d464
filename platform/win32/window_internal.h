// The window registry (window.cpp) as the rest of the Win32 stand-in sees it: the
// record behind a window handle and the look-ups over live windows. The message
// queue uses it; window.cpp needs nothing of the queue.
#pragma once

#include <SDL.h>

#include <string>

#include "win32/windows.h"

struct HWND__ {
    SDL_Window* sdl = nullptr;
    Uint32 sdlId = 0;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string className;
    std::string title;  // CP932, as given
    int clientWidth = 0;
    int clientHeight = 0;
    int clientX = 0;  // client area's top-left corner on the screen
    int clientY = 0;
    bool visible = false;
};

// Live windows only; a destroyed window's handle is no longer found.
bool NolIsLiveWindow(HWND hwnd);
HWND NolFirstWindow();

// The frame a window of this style adds around its client area. X11 and Wayland
// decorate windows themselves, so this is a fixed convention that makes
// AdjustWindowRectEx and SetWindowPos agree with each other.
RECT NolFrameMargins(DWORD style);

// Sends WM_SYSCOMMAND SC_SCREENSAVE to the window procedure and lets the screen
// saver run only if the procedure does not block it.
void NolAskScreenSaver(HWND hwnd);

// App activation as seen by SDL focus events: the focused window or null.
void NolSetActiveWindow(HWND hwnd);
