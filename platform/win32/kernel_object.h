// What a HANDLE points to: a waitable object of this process. Handles are checked
// against the set of live objects, so a stale or foreign handle fails cleanly
// instead of being followed.
#pragma once

#include <mutex>

#include "win32/windows.h"

namespace nol::win32 {

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED; INFINITE waits without limit.
    virtual DWORD Wait(DWORD milliseconds) = 0;
    // Drops one handle; true when that was the last and the object may be deleted.
    virtual bool CloseOneHandle() = 0;
};

// Registers a new object and returns its handle.
HANDLE RegisterHandle(KernelObject* object);
// The live object behind a handle, or null.
KernelObject* LookUpHandle(HANDLE handle);
// Runs `use` on the live object behind a handle (null when there is none) while no
// other thread can close it. `use` must not block.
template <typename Use>
auto WithHandle(HANDLE handle, Use use);

std::mutex& HandleTableLock();
KernelObject* LookUpHandleLocked(HANDLE handle);
void UnregisterHandleLocked(HANDLE handle);

template <typename Use>
auto WithHandle(HANDLE handle, Use use) {
    std::lock_guard<std::mutex> guard(HandleTableLock());
    return use(LookUpHandleLocked(handle));
}

}  // namespace nol::win32
