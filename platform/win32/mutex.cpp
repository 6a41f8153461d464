// Named mutexes across processes: an exclusive flock on a lock file named after
// the mutex in the user's runtime directory. The kernel drops the lock when its
// holder dies, so an abandoned mutex is simply free again.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

#include "win32/kernel_object.h"
#include "win32/process_static.h"
#include "win32/windows.h"

namespace {

class NamedMutex;

// The guard is released from the program's static shutdown.
constinit nol::win32::ProcessStatic<std::map<std::string, NamedMutex*>> registry;

std::map<std::string, NamedMutex*>& Registry() { return *registry; }

class NamedMutex final : public nol::win32::KernelObject {
public:
    std::string name;
    int fd = -1;
    int handles = 0;  // open handles in this process
    int owned = 0;    // recursion count of this process's ownership

    DWORD Wait(DWORD milliseconds) override {
        if (owned > 0 || fd < 0) {
            ++owned;
            return WAIT_OBJECT_0;
        }
        DWORD start = timeGetTime();
        for (;;) {
            if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
                owned = 1;
                return WAIT_OBJECT_0;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) return WAIT_FAILED;
            if (milliseconds != INFINITE && timeGetTime() - start >= milliseconds)
                return WAIT_TIMEOUT;
            Sleep(1);
        }
    }

    bool CloseOneHandle() override {
        if (--handles > 0) return false;
        // The last handle: closing the file drops any lock still held.
        if (fd >= 0) close(fd);
        if (!name.empty()) Registry().erase(name);
        return true;
    }
};

std::string LockFilePath(const std::string& name) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    std::string path = (dir && *dir) ? dir : "/tmp";
    std::string file = name;
    for (char& c : file)
        if (c == '/') c = '_';
    return path + "/" + file + ".lock";
}

}  // namespace

HANDLE CreateMutexA(SECURITY_ATTRIBUTES*, BOOL initialOwner, LPCSTR name) {
    std::string key = name ? name : "";
    NamedMutex* mutex = nullptr;
    auto found = Registry().find(key);
    if (found != Registry().end() && !key.empty()) {
        mutex = found->second;
    } else {
        mutex = new NamedMutex;
        mutex->name = key;
        if (!key.empty()) {
            mutex->fd = open(LockFilePath(key).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (mutex->fd < 0) {
                delete mutex;
                return nullptr;
            }
            Registry()[key] = mutex;
        }
        nol::win32::RegisterHandle(mutex);
    }
    ++mutex->handles;
    if (initialOwner) WaitForSingleObject(mutex, 0);
    return mutex;
}

BOOL ReleaseMutex(HANDLE handle) {
    auto object = nol::win32::LookUpHandle(handle);
    auto* mutex = dynamic_cast<NamedMutex*>(object.get());
    if (!mutex || mutex->owned == 0) return FALSE;
    if (--mutex->owned == 0 && mutex->fd >= 0) flock(mutex->fd, LOCK_UN);
    return TRUE;
}
