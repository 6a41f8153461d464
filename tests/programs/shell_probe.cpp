// The framework with a scripted game in place of the real one, for tests that
// need whole processes. It reports on standard output:
//   "GameStart", one "frame <n> <ms>" line per frame, "GameEnd".
// Environment:
//   PROBE_ESC_AT=n       inject an Esc key press before frame n (the close key)
//   PROBE_RELEASE_AT=n   release Esc again before frame n
//   PROBE_BLUR_AT=n      make the window lose focus before frame n, and regain it
//                        PROBE_BLUR_MS later (from another thread)
//   PROBE_SLEEP_MS=ms    work done inside every frame
//   PROBE_HANG_AT_EXIT=1 a static destructor that never returns, standing for a
//                        shutdown stuck on something that will never answer
#include <SDL.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

#include "shell/application.h"
#include "shell/entry.h"
#include "shell/window.h"

namespace {

int frameNumber = 0;

int EnvInt(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v ? std::atoi(v) : fallback;
}

double NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

void PushKey(Uint32 type, SDL_Scancode code) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = 1;  // the main window is the first SDL window
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = code;
    e.key.keysym.sym = SDL_GetKeyFromScancode(code);
    SDL_PushEvent(&e);
}

void PushFocus(Uint8 event) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    e.window.windowID = 1;
    SDL_PushEvent(&e);
}

struct HangAtExit {
    ~HangAtExit() {
        if (EnvInt("PROBE_HANG_AT_EXIT", 0))
            for (;;) sleep(1);
    }
} hangAtExit;

}  // namespace

void ProbeStart() { std::printf("GameStart\n"); }

void ProbeFrame() {
    ++frameNumber;
    std::printf("frame %d %.1f\n", frameNumber, NowMs());
    std::fflush(stdout);
    // Events pushed now are pumped before the next frame's input is read.
    int next = frameNumber + 1;
    if (next == EnvInt("PROBE_ESC_AT", -1)) PushKey(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE);
    if (next == EnvInt("PROBE_RELEASE_AT", -1)) PushKey(SDL_KEYUP, SDL_SCANCODE_ESCAPE);
    if (next == EnvInt("PROBE_BLUR_AT", -1)) {
        PushFocus(SDL_WINDOWEVENT_FOCUS_LOST);
        int ms = EnvInt("PROBE_BLUR_MS", 300);
        std::thread([ms] {
            usleep((useconds_t)ms * 1000);
            PushFocus(SDL_WINDOWEVENT_FOCUS_GAINED);
        }).detach();
    }
    if (int work = EnvInt("PROBE_SLEEP_MS", 0)) usleep((useconds_t)work * 1000);
}

void ProbeEnd() {
    std::printf("GameEnd\n");
    std::fflush(stdout);
}

int main(int argc, char** argv) {
    SetGameHooks(GameHooks{ProbeStart, ProbeFrame, ProbeEnd});
    return EnterWinMain(argc, argv);
}
