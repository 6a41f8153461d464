// The graph's event queue: filled from GStreamer's threads (and the main thread),
// read by IMediaEventEx::GetEvent, announced to a window by a posted message.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

#include "dshow/dshow.h"

namespace nol::dshow {

struct GraphEvent {
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    std::string reason;  // why playback stopped, for EC_ERRORABORT
};

class GraphEvents {
public:
    // Safe from any thread. Events beyond kMaxWaiting are dropped: a graph
    // reports a handful per file, and nobody reading them must not cost memory.
    void Push(GraphEvent event);
    // The oldest event; false when none arrives within timeoutMs (INFINITE waits).
    bool Take(GraphEvent* event, DWORD timeoutMs);
    // Forgets what is waiting: the events of a playback that has been stopped.
    void Clear();
    // Each event from now on posts message to window (none while window is null);
    // events already waiting are announced at once.
    void SetNotifyWindow(HWND window, UINT message, LONG_PTR instance);

    static constexpr size_t kMaxWaiting = 64;

private:
    void Announce();  // with mutex_ held

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<GraphEvent> waiting_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    LONG_PTR instance_ = 0;
};

}  // namespace nol::dshow
