#include "dshow/graph_events.h"


namespace nol::dshow {

void GraphEvents::Push(GraphEvent event) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (waiting_.size() >= kMaxWaiting) return;
    waiting_.push_back(std::move(event));
    arrived_.notify_all();
    Announce();
}

bool GraphEvents::Take(GraphEvent* event, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return !waiting_.empty(); };
    if (timeoutMs == INFINITE)
        arrived_.wait(lock, ready);
    else if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    *event = std::move(waiting_.front());
    waiting_.pop_front();
    return true;
}

void GraphEvents::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    waiting_.clear();
}

void GraphEvents::SetNotifyWindow(HWND window, UINT message, LONG_PTR instance) {
    std::lock_guard<std::mutex> lock(mutex_);
    window_ = window;
    message_ = message;
    instance_ = instance;
    if (!waiting_.empty()) Announce();
}

// PostMessageA may be called from any thread; from GStreamer's, the message
// reaches the window through the main thread's message pump.
void GraphEvents::Announce() {
    if (window_) PostMessageA(window_, message_, 0, (LPARAM)instance_);
}

}  // namespace nol::dshow
