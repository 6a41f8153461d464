// SDL start-up for the stand-ins that need it.
#include <cstdio>
#include <cstdlib>

#include "base/platform_log.h"
#include "base/startup_trace.h"
#include "win32/display_connection.h"
#include "win32/sdl_bridge.h"
#include "win32/software_gl.h"

namespace {

bool Start(Uint32 flags) {
    if (SDL_WasInit(flags) == flags) return true;
    // The framework handles closing itself: SIGINT and SIGTERM become a close
    // request for the main window, never an implicit quit after the last window.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Without a desktop SDL would quietly fall back to drawing nowhere; the program
    // must fail to start instead. SDL_VIDEODRIVER still chooses when it is set.
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (!chosen || !*chosen) SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11,wayland", SDL_HINT_OVERRIDE);
    if (flags & SDL_INIT_VIDEO) NolPrepareSoftwareGl();
    if (SDL_InitSubSystem(flags) != 0) {
        NolLog("SDL: %s\n", SDL_GetError());
        return false;
    }
    if (flags & SDL_INIT_VIDEO) {
        NolStartupMark("video");
        NolWatchDisplayConnection();
        // SDL starts text input with its video, which hands every key to the
        // input method first; keys go there only while a text field holds an
        // input context (ImmGetContext), so that the game's keys never do.
        SDL_StopTextInput();
        // X's key events before the input method filters them: the DirectInput
        // stand-in sees the keys the input method takes, as the original's
        // keyboard device does.
        SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    }
    return true;
}

}  // namespace

bool NolInitSdlVideo() { return Start(SDL_INIT_VIDEO | SDL_INIT_EVENTS); }

bool NolInitSdlSubsystem(Uint32 flags) { return Start(SDL_INIT_EVENTS | flags); }
