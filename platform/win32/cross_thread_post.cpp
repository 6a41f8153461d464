#include "win32/cross_thread_post.h"

#include <unistd.h>

#include <mutex>

#include "win32/sdl_bridge.h"

namespace nol::win32 {
namespace {

struct Pending {
    std::mutex mutex;
    std::vector<MSG> messages;
    // A wake-up is in SDL's queue and the main thread has not taken the posts yet:
    // one is enough however many posts follow.
    bool wakeQueued = false;
    Uint32 wakeEvent = 0;
};

// Never destroyed: a streaming thread may still post while the program's statics
// are being torn down.
Pending& Shared() {
    static Pending* pending = new Pending;
    return *pending;
}

}  // namespace

bool OnQueueThread() { return gettid() == getpid(); }

void PostFromOtherThread(const MSG& msg) {
    Pending& p = Shared();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.messages.push_back(msg);
    p.messages.back().time = timeGetTime();
    // Wakes WaitMessage out of SDL_WaitEvent; the event itself means nothing, the
    // message pump takes the posts whenever it drains SDL's queue. Without SDL's
    // events the pump polls, and takes them on its next turn.
    if (p.wakeQueued || !SDL_WasInit(SDL_INIT_EVENTS)) return;
    if (p.wakeEvent == 0) p.wakeEvent = SDL_RegisterEvents(1);
    if (p.wakeEvent == (Uint32)-1) return;
    SDL_Event wake{};
    wake.type = p.wakeEvent;
    p.wakeQueued = SDL_PushEvent(&wake) == 1;
}

std::vector<MSG> TakeOtherThreadPosts() {
    Pending& p = Shared();
    std::lock_guard<std::mutex> lock(p.mutex);
    p.wakeQueued = false;
    std::vector<MSG> taken;
    taken.swap(p.messages);
    return taken;
}

}  // namespace nol::win32
