// A broken X connection ends the program promptly and says why. Xlib stays private
// to this file; SDL opens the display and loads the same libX11.
#include "win32/display_connection.h"

#include <X11/Xlib.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "base/platform_log.h"
#include "win32/sdl_bridge.h"

namespace {

std::atomic<bool> lost{false};

// What the static shutdown may take, counted from the moment the loss is seen.
constexpr useconds_t kShutdownGraceMicroseconds = 700 * 1000;

void WriteToStderr(const char* text) {
    ssize_t ignored = write(STDERR_FILENO, text, std::strlen(text));
    (void)ignored;
}

void* EndIfShutdownHangs(void*) {
    usleep(kShutdownGraceMicroseconds);
    WriteToStderr("display connection lost: shutdown did not finish, ending now\n");
    _exit(1);
}

// Xlib calls this with the connection already unusable; returning would make it
// call exit itself.
int OnConnectionBroken(Display*) {
    if (lost.exchange(true)) _exit(1);  // broken again from within the shutdown
    NolLogToTerminal("display connection lost\n");
    // SDL turns these signals into a close request for a message loop that will
    // never run again; let them end the process as they normally would.
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    pthread_t watchdog;
    if (pthread_create(&watchdog, nullptr, EndIfShutdownHangs, nullptr) != 0) _exit(1);
    pthread_detach(watchdog);
    std::exit(1);
}

}  // namespace

void NolWatchDisplayConnection() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return;
    // Set after SDL's video has started, so that this handler is the one in force.
    XSetIOErrorHandler(OnConnectionBroken);
}

bool NolDisplayLost() { return lost.load(); }
