// The system cursor: its position on the screen and its visibility counter.
#include "win32/sdl_bridge.h"
#include "win32/windows.h"

namespace {
int showCount = 0;
}

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        *point = POINT{0, 0};
        return FALSE;
    }
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    *point = POINT{x, y};
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return FALSE;
    return SDL_WarpMouseGlobal(x, y) == 0;
}

// The cursor shows while the counter is at least 0, as the original's does.
int ShowCursor(BOOL show) {
    showCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(showCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return showCount;
}
