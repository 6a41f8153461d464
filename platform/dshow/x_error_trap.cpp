#include "dshow/x_error_trap.h"

#include <X11/Xlib.h>

#include <mutex>
#include <vector>

namespace nol::dshow {
namespace {

struct Trapped {
    unsigned long window;
    void (*closed)(void*);
    void* context;
};

struct Trap {
    std::mutex mutex;
    std::vector<Trapped> windows;
    XErrorHandler previous = nullptr;
    bool installed = false;
};

// Never destroyed: a sink's thread may report an error during the program's exit.
Trap& Shared() {
    static Trap* trap = new Trap;
    return *trap;
}

int OnXError(Display* display, XErrorEvent* error) {
    Trap& trap = Shared();
    XErrorHandler previous;
    {
        // Held while closed runs, so that StopTrappingErrorsOf waits for it.
        std::lock_guard<std::mutex> lock(trap.mutex);
        for (const Trapped& t : trap.windows) {
            if (t.window == error->resourceid) {
                t.closed(t.context);
                return 0;
            }
        }
        previous = trap.previous;
    }
    return previous ? previous(display, error) : 0;
}

}  // namespace

void TrapErrorsOf(unsigned long window, void (*closed)(void*), void* context) {
    Trap& trap = Shared();
    std::lock_guard<std::mutex> lock(trap.mutex);
    // Installed once, after SDL's handler (SDL starts its video before a window
    // can own a video), which then still sees every other error.
    if (!trap.installed) {
        trap.previous = XSetErrorHandler(OnXError);
        trap.installed = true;
    }
    trap.windows.push_back({window, closed, context});
}

void StopTrappingErrorsOf(unsigned long window) {
    Trap& trap = Shared();
    std::lock_guard<std::mutex> lock(trap.mutex);
    std::erase_if(trap.windows, [&](const Trapped& t) { return t.window == window; });
}

}  // namespace nol::dshow
