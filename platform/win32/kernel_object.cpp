// Handle table and the calls that work on any kind of handle.
#include "win32/kernel_object.h"

#include <mutex>
#include <unordered_set>

namespace nol::win32 {
namespace {

// Never destroyed: handles may still be closed from the program's static shutdown.
struct HandleTable {
    std::mutex lock;
    std::unordered_set<KernelObject*> live;
};
HandleTable& Table() {
    static auto* table = new HandleTable;
    return *table;
}

}  // namespace

HANDLE RegisterHandle(KernelObject* object) {
    std::lock_guard<std::mutex> guard(Table().lock);
    Table().live.insert(object);
    return object;
}

std::mutex& HandleTableLock() { return Table().lock; }

KernelObject* LookUpHandleLocked(HANDLE handle) {
    auto* object = static_cast<KernelObject*>(handle);
    return Table().live.count(object) ? object : nullptr;
}

KernelObject* LookUpHandle(HANDLE handle) {
    std::lock_guard<std::mutex> guard(Table().lock);
    return LookUpHandleLocked(handle);
}

void UnregisterHandleLocked(HANDLE handle) { Table().live.erase(static_cast<KernelObject*>(handle)); }

}  // namespace nol::win32

using nol::win32::KernelObject;

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    KernelObject* object = nol::win32::LookUpHandle(handle);
    return object ? object->Wait(milliseconds) : WAIT_FAILED;
}

BOOL CloseHandle(HANDLE handle) {
    // Unregistered under the table's lock, so that no SetEvent is still using it.
    KernelObject* last = nullptr;
    {
        std::lock_guard<std::mutex> guard(nol::win32::HandleTableLock());
        KernelObject* object = nol::win32::LookUpHandleLocked(handle);
        if (!object) return FALSE;
        if (object->CloseOneHandle()) {
            last = object;
            nol::win32::UnregisterHandleLocked(handle);
        }
    }
    delete last;
    return TRUE;
}
