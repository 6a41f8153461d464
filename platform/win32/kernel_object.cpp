// Handle table and the calls that work on any kind of handle.
#include "win32/kernel_object.h"

#include <mutex>
#include <unordered_map>

#include "win32/process_static.h"

namespace nol::win32 {
namespace {

// Handles are still closed from the program's static shutdown (the single-instance
// mutex), so the table lives as long as the platform does.
struct HandleTable {
    std::mutex lock;
    std::unordered_map<KernelObject*, std::shared_ptr<KernelObject>> live;
};
constinit ProcessStatic<HandleTable> table;

HandleTable& Table() { return *table; }

}  // namespace

HANDLE RegisterHandle(KernelObject* object) {
    std::lock_guard<std::mutex> guard(Table().lock);
    Table().live.emplace(object, std::shared_ptr<KernelObject>(object));
    return object;
}

std::mutex& HandleTableLock() { return Table().lock; }

KernelObject* LookUpHandleLocked(HANDLE handle) {
    auto* object = static_cast<KernelObject*>(handle);
    return Table().live.count(object) ? object : nullptr;
}

std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle) {
    std::lock_guard<std::mutex> guard(Table().lock);
    auto found = Table().live.find(static_cast<KernelObject*>(handle));
    return found == Table().live.end() ? nullptr : found->second;
}

std::shared_ptr<KernelObject> LookUpHandleLockedShared(HANDLE handle) {
    auto found = Table().live.find(static_cast<KernelObject*>(handle));
    return found == Table().live.end() ? nullptr : found->second;
}

void UnregisterHandleLocked(HANDLE handle) { Table().live.erase(static_cast<KernelObject*>(handle)); }

}  // namespace nol::win32

using nol::win32::KernelObject;

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    std::shared_ptr<KernelObject> object = nol::win32::LookUpHandle(handle);
    return object ? object->Wait(milliseconds) : WAIT_FAILED;
}

BOOL CloseHandle(HANDLE handle) {
    // Unregistered under the table's lock, so that no SetEvent is still using it;
    // freed when the last waiter lets go of it.
    std::shared_ptr<KernelObject> last;
    {
        std::lock_guard<std::mutex> guard(nol::win32::HandleTableLock());
        KernelObject* object = nol::win32::LookUpHandleLocked(handle);
        if (!object) return FALSE;
        if (object->CloseOneHandle()) {
            last = nol::win32::LookUpHandleLockedShared(handle);
            nol::win32::UnregisterHandleLocked(handle);
        }
    }
    return TRUE;
}
