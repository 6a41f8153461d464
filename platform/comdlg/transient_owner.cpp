#include "comdlg/transient_owner.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <vector>

#include "win32/sdl_bridge.h"

namespace nol::comdlg {
namespace {

// Looked for during the first seconds only: a chooser shows itself at once.
constexpr int kTurns = 1000;

// A window may go between being listed and being read.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

long PidOf(Display* display, Window window, Atom pidAtom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32 && count == 1)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return pid;
}

// The top-level windows: the window manager's client list where there is one
// (clients are then inside its frames), and the root's children.
std::vector<Window> TopLevels(Display* display) {
    std::vector<Window> windows;
    const Window root = DefaultRootWindow(display);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom clients = XInternAtom(display, "_NET_CLIENT_LIST", True);
    if (clients != None &&
        XGetWindowProperty(display, root, clients, 0, 4096, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 32) {
        const auto* list = reinterpret_cast<unsigned long*>(data);
        windows.assign(list, list + count);
    }
    if (data) XFree(data);
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(display, root, &rootReturn, &parent, &children, &n) && children) {
        windows.insert(windows.end(), children, children + n);
        XFree(children);
    }
    return windows;
}

}  // namespace

TransientOwner::TransientOwner(HWND owner, int chooserPid) : pid_(chooserPid), turnsLeft_(kTurns) {
    SDL_Window* window = NolSdlWindow(owner);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    display_ = info.info.x11.display;
    owner_ = info.info.x11.window;
}

void TransientOwner::Turn() {
    if (!display_ || turnsLeft_ <= 0) return;
    --turnsLeft_;
    Display* display = static_cast<Display*>(display_);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None) return;  // no client has said its pid yet
    XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
    for (Window window : TopLevels(display)) {
        if (PidOf(display, window, pidAtom) != pid_) continue;
        // The chooser's own questions are its dialogs already.
        Window parent = None;
        if (!XGetTransientForHint(display, window, &parent) || parent == None)
            XSetTransientForHint(display, window, owner_);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) turnsLeft_ = 0;
    }
    XSync(display, False);
    XSetErrorHandler(previous);
}

}  // namespace nol::comdlg
