// Named mutexes across processes: an exclusive flock on a lock file named after
// the mutex in the user's runtime directory. The kernel drops the lock when its
// holder dies, so an abandoned mutex is simply free again.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "base/platform_log.h"
#include "win32/kernel_object.h"
#include "win32/process_static.h"
#include "win32/test_hooks.h"
#include "win32/windows.h"

namespace {

bool failLocks = false;

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
            if (failLocks) errno = ENOLCK;
            else if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
                owned = 1;
                return WAIT_OBJECT_0;
            }
            if (errno != EWOULDBLOCK && errno != EINTR) {
                NolLog("mutex \"%s\": cannot lock its file (%s)\n", name.c_str(), std::strerror(errno));
                return WAIT_FAILED;
            }
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

// In the user's runtime directory, which is the user's alone. Without one, /tmp
// serves every user of the machine: the user's id in the name keeps one user's
// copy from stopping another's.
std::string LockFilePath(const std::string& name) {
    std::string file = name;
    for (char& c : file)
        if (c == '/') c = '_';
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    if (dir && *dir) return std::string(dir) + "/" + file + ".lock";
    return "/tmp/" + file + "." + std::to_string(geteuid()) + ".lock";
}

// A lock file that is the user's own plain file, never followed through a link
// that someone may have planted under its name; -1 when there is none.
int OpenLockFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        NolLog("mutex: cannot open %s (%s)\n", path.c_str(), std::strerror(errno));
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        NolLog("mutex: %s is not this user's own file\n", path.c_str());
        close(fd);
        return -1;
    }
    return fd;
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
            mutex->fd = OpenLockFile(LockFilePath(key));
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

void NolFailNamedMutexLocks(bool fail) { failLocks = fail; }
