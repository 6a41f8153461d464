#include "dshow/video_window.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>

#include "base/platform_log.h"
#include "dshow/x_error_trap.h"
#include "win32/display_connection.h"
#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"

namespace nol::dshow {
namespace {

// The X window of an owner, or 0 when it has none (not a live window, or SDL
// runs on another window system).
Window OwnerXWindow(HWND owner) {
    SDL_Window* sdl = NolSdlWindow(owner);
    if (!sdl) return 0;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sdl, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
}

}  // namespace

VideoWindow::VideoWindow(void (*closed)(void*), void* context) : closed_callback_(closed), context_(context) {}

VideoWindow::~VideoWindow() {
    Destroy();
    // A lost connection must not be touched again (it would end the process).
    if (display_ && !NolDisplayLost()) XCloseDisplay(display_);
}

bool VideoWindow::Open(const char** reason) {
    if (!display_) display_ = XOpenDisplay(nullptr);
    if (!display_) {
        *reason = "no X display";
        return false;
    }
    Create();
    return true;
}

void VideoWindow::Create() {
    // Override-redirect: no window manager ever frames it, even for the moment it
    // might be mapped at the root. The root's visual is the one ximagesink draws in.
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display_, DefaultScreen(display_));
    const int w = std::max<LONG>(1, position_.right - position_.left);
    const int h = std::max<LONG>(1, position_.bottom - position_.top);
    window_ = XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, w, h, 0, CopyFromParent, InputOutput,
                            CopyFromParent, CWOverrideRedirect | CWBackPixel, &attributes);
    closed_ = false;
    mapped_ = false;
    owner_ = nullptr;
    TrapErrorsOf(window_, MarkClosed, this);
    // ximagesink uses the window from its own connection: it must exist there.
    XSync(display_, False);
}

void VideoWindow::Destroy() {
    if (!window_) return;
    if (!NolDisplayLost()) {
        XDestroyWindow(display_, window_);
        XSync(display_, False);  // any error about it arrives while it is still trapped
    }
    StopTrappingErrorsOf(window_);
    window_ = 0;
    owner_ = nullptr;
    mapped_ = false;
}

void VideoWindow::Renew() {
    if (!display_ || !closed_) return;
    Destroy();
    Create();
}

void VideoWindow::MarkClosed(void* self) {
    auto* video = static_cast<VideoWindow*>(self);
    if (!video->closed_.exchange(true) && video->closed_callback_) video->closed_callback_(video->context_);
}

bool VideoWindow::SetOwner(HWND owner) {
    if (!window_ || closed_) return false;
    const Window parent = owner ? OwnerXWindow(owner) : DefaultRootWindow(display_);
    if (!parent) {
        NolLog("DirectShow: the video needs an X11 window to play in; only the sound plays\n");
        return false;
    }
    if (mapped_ && !owner) {
        XUnmapWindow(display_, window_);
        mapped_ = false;
    }
    owner_ = owner;
    XReparentWindow(display_, window_, parent, 0, 0);
    Place();
    return true;
}

void VideoWindow::SetPosition(const RECT& rect) {
    position_ = rect;
    if (window_ && !closed_) Place();
}

void VideoWindow::SetVisible(bool visible) {
    visible_ = visible;
    if (window_ && !closed_) Place();
}

// Puts the window where position_ says in the owner's pixels (full screen maps the
// program's client area onto the letterboxed picture), shown when it should be.
void VideoWindow::Place() {
    POINT from{position_.left, position_.top}, to{position_.right, position_.bottom};
    if (owner_) {
        from = nol::win32::ClientToSdlWindow(owner_, from);
        to = nol::win32::ClientToSdlWindow(owner_, to);
    }
    XMoveResizeWindow(display_, window_, from.x, from.y, std::max<LONG>(1, to.x - from.x),
                      std::max<LONG>(1, to.y - from.y));
    const bool show = visible_ && owner_;
    if (show && !mapped_) XMapRaised(display_, window_);
    if (!show && mapped_) XUnmapWindow(display_, window_);
    mapped_ = show;
    // The sink reads the new size from its own connection: it must be there first.
    XSync(display_, False);
}

}  // namespace nol::dshow
