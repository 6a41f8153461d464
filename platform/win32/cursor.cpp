// The system cursor: its position on the screen and its visibility counter.
#include <algorithm>

#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"
#include "win32/windows.h"

namespace {

int showCount = 0;

struct FullScreenPicture {
    HWND window = nullptr;
    LONG width = 0;
    LONG height = 0;
};
FullScreenPicture picture;

// Where the full-screen picture lies on the desktop now; false when there is none.
bool PictureOnDesktop(SDL_Rect* area) {
    SDL_Window* window = picture.width > 0 ? NolSdlWindow(picture.window) : nullptr;
    if (!window) return false;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    if (w <= 0 || h <= 0) return false;
    const RECT box = nol::win32::Letterbox(picture.width, picture.height, w, h);
    *area = SDL_Rect{x + box.left, y + box.top, box.right - box.left, box.bottom - box.top};
    return area->w > 0 && area->h > 0;
}

// A desktop coordinate to the picture's, kept on the picture as the original's
// cursor is kept on its screen.
LONG ToPicture(int desktop, int origin, int extent, LONG size) {
    const long long at = (long long)(desktop - origin) * size / extent;
    return (LONG)std::clamp<long long>(at, 0, size - 1);
}

// The middle of the picture's pixel on the desktop.
int ToDesktop(int at, int origin, int extent, LONG size) {
    const long long clamped = std::clamp<long long>(at, 0, size - 1);
    return origin + (int)((clamped * 2 + 1) * extent / (2LL * size));
}

}  // namespace

namespace nol::win32 {

RECT Letterbox(LONG width, LONG height, LONG w, LONG h) {
    if (width <= 0 || height <= 0) return RECT{0, 0, w, h};
    LONG pw = w, ph = (LONG)((long long)w * height / width);
    if (ph > h) {
        ph = h;
        pw = (LONG)((long long)h * width / height);
    }
    return RECT{(w - pw) / 2, (h - ph) / 2, (w - pw) / 2 + pw, (h - ph) / 2 + ph};
}

void SetFullScreenPicture(HWND window, LONG width, LONG height) {
    picture = (window && width > 0 && height > 0) ? FullScreenPicture{window, width, height} : FullScreenPicture{};
}

POINT ClientToSdlWindow(HWND window, POINT point) {
    SDL_Window* sdl = NolSdlWindow(window);
    if (!sdl || window != picture.window || picture.width <= 0) return point;
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    const RECT box = Letterbox(picture.width, picture.height, w, h);
    return POINT{box.left + (LONG)((long long)point.x * (box.right - box.left) / picture.width),
                 box.top + (LONG)((long long)point.y * (box.bottom - box.top) / picture.height)};
}

}  // namespace nol::win32

BOOL GetCursorPos(LPPOINT point) {
    if (!point) return FALSE;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        *point = POINT{0, 0};
        return FALSE;
    }
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    SDL_Rect area;
    if (PictureOnDesktop(&area))
        *point = POINT{ToPicture(x, area.x, area.w, picture.width), ToPicture(y, area.y, area.h, picture.height)};
    else
        *point = POINT{x, y};
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return FALSE;
    SDL_Rect area;
    if (PictureOnDesktop(&area)) {
        x = ToDesktop(x, area.x, area.w, picture.width);
        y = ToDesktop(y, area.y, area.h, picture.height);
    }
    return SDL_WarpMouseGlobal(x, y) == 0;
}

// The cursor shows while the counter is at least 0, as the original's does.
int ShowCursor(BOOL show) {
    showCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(showCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return showCount;
}
