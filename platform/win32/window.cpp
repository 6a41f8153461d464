// Window classes and windows over SDL. Windows are created hidden and shown only
// by ShowWindow; the class name becomes the X11 WM_CLASS of the program.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/platform_log.h"
#include "base/startup_trace.h"
#include "win32/display_connection.h"
#include "win32/process_static.h"
#include "win32/sdl_bridge.h"
#include "win32/window_background.h"
#include "win32/window_internal.h"

namespace {

// A registered class: what it was registered with, its name kept here.
struct WindowClass {
    WNDCLASSEXA fields{};
    std::string name;
    ATOM atom = 0;
};

// Windows are still destroyed from the program's static shutdown.
constinit nol::win32::ProcessStatic<std::map<std::string, WindowClass>> classes;
constinit nol::win32::ProcessStatic<std::vector<HWND>> windows;

std::map<std::string, WindowClass>& Classes() { return *classes; }

std::vector<HWND>& Windows() { return *windows; }

HWND__ desktop;  // stands for the desktop; never a live window
HWND activeWindow = nullptr;
ATOM nextAtom = 0xC000;

void NotifyResize(HWND hwnd, int width, int height) {
    if (width == hwnd->clientWidth && height == hwnd->clientHeight) return;
    hwnd->clientWidth = width;
    hwnd->clientHeight = height;
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

}  // namespace

bool NolIsLiveWindow(HWND hwnd) {
    return hwnd && std::find(Windows().begin(), Windows().end(), hwnd) != Windows().end();
}

HWND NolFirstWindow() { return Windows().empty() ? nullptr : Windows().front(); }

SDL_Window* NolSdlWindow(HWND hwnd) { return NolIsLiveWindow(hwnd) ? hwnd->sdl : nullptr; }

HWND NolWindowFromSdlId(Uint32 windowId) {
    for (HWND w : Windows())
        if (w->sdlId == windowId) return w;
    return nullptr;
}

void NolSetActiveWindow(HWND hwnd) { activeWindow = hwnd; }

RECT NolFrameMargins(DWORD style) {
    LONG border = (style & WS_THICKFRAME) ? 8 : ((style & WS_CAPTION) ? 3 : 0);
    LONG caption = ((style & WS_CAPTION) == WS_CAPTION) ? 23 : 0;
    return RECT{border, border + caption, border, border};
}

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    std::string name = wc->lpszClassName;
    if (Classes().count(name)) return 0;  // already registered
    WindowClass& cls = Classes()[name];
    cls.fields = *wc;
    cls.name = name;
    cls.atom = nextAtom;
    // SDL reads the X11 and Wayland class names when its video starts.
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        setenv("SDL_VIDEO_X11_WMCLASS", name.c_str(), 1);
        setenv("SDL_VIDEO_WAYLAND_WMCLASS", name.c_str(), 1);
    }
    return nextAtom++;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
    if (!className) return nullptr;
    auto cls = Classes().find(className);
    if (cls == Classes().end()) return nullptr;
    if (!NolInitSdlVideo()) return nullptr;

    RECT frame = NolFrameMargins(style);
    int cw = std::max(1, width - (int)(frame.left + frame.right));
    int ch = std::max(1, height - (int)(frame.top + frame.bottom));
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    if (!(style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
    std::string utf8Title = nol::base::Cp932ToUtf8(title ? title : "");
    SDL_Window* sdl = SDL_CreateWindow(utf8Title.c_str(), x + frame.left, y + frame.top, cw, ch, flags);
    if (!sdl) {
        NolLog("SDL: %s\n", SDL_GetError());
        return nullptr;
    }

    NolSetWindowBackground(sdl, cls->second.fields.hbrBackground);

    auto* hwnd = new HWND__;
    hwnd->sdl = sdl;
    hwnd->sdlId = SDL_GetWindowID(sdl);
    hwnd->proc = cls->second.fields.lpfnWndProc;
    hwnd->style = style;
    hwnd->exStyle = exStyle;
    hwnd->className = className;
    hwnd->title = title ? title : "";
    hwnd->clientWidth = cw;
    hwnd->clientHeight = ch;
    hwnd->clientX = x + frame.left;
    hwnd->clientY = y + frame.top;
    Windows().push_back(hwnd);
    SendMessageA(hwnd, WM_CREATE, 0, 0);
    return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
    if (!NolIsLiveWindow(hwnd)) return FALSE;
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    Windows().erase(std::find(Windows().begin(), Windows().end(), hwnd));
    if (activeWindow == hwnd) activeWindow = nullptr;
    if (!NolDisplayLost()) SDL_DestroyWindow(hwnd->sdl);
    delete hwnd;
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return NolIsLiveWindow(hwnd); }

BOOL IsWindowVisible(HWND hwnd) { return NolIsLiveWindow(hwnd) && hwnd->visible; }

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    if (!NolIsLiveWindow(hwnd)) return FALSE;
    BOOL wasVisible = hwnd->visible;
    if (cmdShow == SW_HIDE) {
        SDL_HideWindow(hwnd->sdl);
        hwnd->visible = false;
    } else {
        SDL_ShowWindow(hwnd->sdl);
        hwnd->visible = true;
        NolStartupMark("window shown");
        NolAskScreenSaver(hwnd);
    }
    return wasVisible;
}

BOOL UpdateWindow(HWND hwnd) { return NolIsLiveWindow(hwnd); }

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!NolIsLiveWindow(hwnd)) return FALSE;
    hwnd->title = text ? text : "";
    SDL_SetWindowTitle(hwnd->sdl, nol::base::Cp932ToUtf8(hwnd->title).c_str());
    return TRUE;
}

int GetWindowTextA(HWND hwnd, LPSTR text, int maxCount) {
    if (!NolIsLiveWindow(hwnd) || !text || maxCount <= 0) return 0;
    int n = std::min((int)hwnd->title.size(), maxCount - 1);
    std::memcpy(text, hwnd->title.data(), n);
    text[n] = '\0';
    return n;
}

LONG GetWindowLongA(HWND hwnd, int index) {
    if (!NolIsLiveWindow(hwnd)) return 0;
    if (index == GWL_STYLE) return (LONG)(hwnd->style | (hwnd->visible ? WS_VISIBLE : 0));
    if (index == GWL_EXSTYLE) return (LONG)hwnd->exStyle;
    return 0;
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    if (!NolIsLiveWindow(hwnd) || index != GWLP_WNDPROC || !value) return 0;
    WNDPROC old = hwnd->proc;
    hwnd->proc = reinterpret_cast<WNDPROC>(value);
    return reinterpret_cast<LONG_PTR>(old);
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

HMENU GetMenu(HWND) { return nullptr; }

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD) {
    if (!rect) return FALSE;
    RECT frame = NolFrameMargins(style);
    rect->left -= frame.left;
    rect->top -= frame.top;
    rect->right += frame.right;
    rect->bottom += frame.bottom;
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
    if (!NolIsLiveWindow(hwnd)) return FALSE;
    RECT frame = NolFrameMargins(hwnd->style);
    if (!(flags & SWP_NOMOVE)) {
        hwnd->clientX = x + frame.left;
        hwnd->clientY = y + frame.top;
        SDL_SetWindowPosition(hwnd->sdl, hwnd->clientX, hwnd->clientY);
        SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(hwnd->clientX, hwnd->clientY));
    }
    if (!(flags & SWP_NOSIZE)) {
        int w = std::max(0, cx - (int)(frame.left + frame.right));
        int h = std::max(0, cy - (int)(frame.top + frame.bottom));
        SDL_SetWindowSize(hwnd->sdl, std::max(1, w), std::max(1, h));
        NotifyResize(hwnd, w, h);
    }
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    if (!NolIsLiveWindow(hwnd) || !rect) return FALSE;
    *rect = RECT{0, 0, hwnd->clientWidth, hwnd->clientHeight};
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    if (!NolIsLiveWindow(hwnd) || !rect) return FALSE;
    RECT frame = NolFrameMargins(hwnd->style);
    *rect = RECT{hwnd->clientX - frame.left, hwnd->clientY - frame.top,
                 hwnd->clientX + hwnd->clientWidth + frame.right,
                 hwnd->clientY + hwnd->clientHeight + frame.bottom};
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
    if (!NolIsLiveWindow(hwnd) || !point) return FALSE;
    point->x -= hwnd->clientX;
    point->y -= hwnd->clientY;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
    if (!NolIsLiveWindow(hwnd) || !point) return FALSE;
    point->x += hwnd->clientX;
    point->y += hwnd->clientY;
    return TRUE;
}

HWND GetDesktopWindow() { return &desktop; }

HWND GetActiveWindow() { return NolIsLiveWindow(activeWindow) ? activeWindow : nullptr; }

// The program carries no icon resources; the system's defaults stand in.
HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }

// The system's own cursors exist (as handles the window system's default cursor
// stands behind); a program's cursor resources do not.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    static char systemArrow;
    if (instance || name != IDC_ARROW) return nullptr;
    return reinterpret_cast<HCURSOR>(&systemArrow);
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR className, LPWNDCLASSEXA wc) {
    if (!className || !wc) return FALSE;
    auto found = Classes().find(className);
    if (found == Classes().end()) return FALSE;
    *wc = found->second.fields;
    wc->cbSize = sizeof(WNDCLASSEXA);
    wc->lpszClassName = found->second.name.c_str();
    return found->second.atom;
}


// Called from the window procedure for everything it does not handle itself.
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_SYSCOMMAND:
            // A screen-saver request not blocked by the procedure lets it run.
            if ((wParam & 0xFFF0) == SC_SCREENSAVE) SDL_EnableScreenSaver();
            return 0;
        default:
            return 0;
    }
}

void NolAskScreenSaver(HWND hwnd) {
    // Linux announces no screen saver to programs; instead the window procedure is
    // asked up front, and SDL inhibits the saver when the procedure blocks it.
    if (SendMessageA(hwnd, WM_SYSCOMMAND, SC_SCREENSAVE, 0) == 1)
        SDL_DisableScreenSaver();
}

// Sending and dispatching both end in the window procedure, so they live with the
// windows; the message queue calls them, never the reverse.
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!NolIsLiveWindow(hwnd) || !hwnd->proc) return 0;
    return hwnd->proc(hwnd, message, wParam, lParam);
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
