// Win32 events on a mutex and condition variable. SetEvent may come from any
// thread (the sound device signals buffer positions from its own).
#include <condition_variable>
#include <mutex>

#include "win32/kernel_object.h"

namespace {

using nol::win32::KernelObject;

class Event final : public KernelObject {
public:
    Event(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

    DWORD Wait(DWORD milliseconds) override {
        std::unique_lock<std::mutex> guard(lock_);
        auto ready = [this] { return signalled_; };
        if (milliseconds == INFINITE) {
            changed_.wait(guard, ready);
        } else if (!changed_.wait_for(guard, std::chrono::milliseconds(milliseconds), ready)) {
            return WAIT_TIMEOUT;
        }
        if (!manualReset_) signalled_ = false;
        return WAIT_OBJECT_0;
    }

    bool CloseOneHandle() override { return true; }

    void Set() {
        {
            std::lock_guard<std::mutex> guard(lock_);
            signalled_ = true;
        }
        // An automatic event releases one waiter; a manual one all of them.
        if (manualReset_)
            changed_.notify_all();
        else
            changed_.notify_one();
    }

    void Reset() {
        std::lock_guard<std::mutex> guard(lock_);
        signalled_ = false;
    }

private:
    const bool manualReset_;
    bool signalled_;
    std::mutex lock_;
    std::condition_variable changed_;
};

}  // namespace

HANDLE CreateEventA(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, LPCSTR) {
    // Named events would be shared between processes; nothing here needs that, so
    // every event is private to its creator whatever its name.
    return nol::win32::RegisterHandle(new Event(manualReset != FALSE, initialState != FALSE));
}

BOOL SetEvent(HANDLE handle) {
    return nol::win32::WithHandle(handle, [](KernelObject* object) -> BOOL {
        auto* event = dynamic_cast<Event*>(object);
        if (!event) return FALSE;
        event->Set();
        return TRUE;
    });
}

BOOL ResetEvent(HANDLE handle) {
    return nol::win32::WithHandle(handle, [](KernelObject* object) -> BOOL {
        auto* event = dynamic_cast<Event*>(object);
        if (!event) return FALSE;
        event->Reset();
        return TRUE;
    });
}
