// Process and system queries: the program's own path, the operating-system
// version, memory, the current directory and the command line.
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "win32/windows.h"

namespace {
// The one module: the running program. Its handle only has to be non-null and
// stable.
HINSTANCE__* const programModule = reinterpret_cast<HINSTANCE__*>(0x400000);

int argCount = 0;
char** argVector = nullptr;
}  // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName) { return moduleName ? nullptr : programModule; }

// Like the original, copies at most size bytes including the terminating zero
// and truncates a longer path.
DWORD GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
    if (!fileName || size == 0) return 0;
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n < 0) {
        fileName[0] = '\0';
        return 0;
    }
    path[n] = '\0';
    DWORD length = (DWORD)n;
    if (length >= size) length = size - 1;
    std::memcpy(fileName, path, length);
    fileName[length] = '\0';
    return length;
}

// Linux reports itself in the NT family; the version numbers are the kernel's
// release ("6.1.0-18-amd64" gives 6, 1 and build 0).
BOOL GetVersionExA(OSVERSIONINFOA* info) {
    if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) return FALSE;
    utsname names;
    if (uname(&names) != 0) return FALSE;
    unsigned major = 0, minor = 0, build = 0;
    std::sscanf(names.release, "%u.%u.%u", &major, &minor, &build);
    info->dwMajorVersion = major;
    info->dwMinorVersion = minor;
    info->dwBuildNumber = build;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::snprintf(info->szCSDVersion, sizeof info->szCSDVersion, "%s", names.sysname);
    return TRUE;
}

void GlobalMemoryStatus(MEMORYSTATUS* status) {
    if (!status) return;
    struct sysinfo si;
    if (sysinfo(&si) != 0) std::memset(&si, 0, sizeof si);
    SIZE_T unit = si.mem_unit ? si.mem_unit : 1;
    status->dwTotalPhys = (SIZE_T)si.totalram * unit;
    // What a program could get without swapping: free memory plus the page cache's
    // reclaimable part, as the kernel estimates it.
    SIZE_T available = (SIZE_T)si.freeram * unit;
    if (FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[128];
        unsigned long long kb;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) available = (SIZE_T)kb * 1024;
        std::fclose(f);
    }
    status->dwAvailPhys = available;
    status->dwTotalPageFile = (SIZE_T)(si.totalram + si.totalswap) * unit;
    status->dwAvailPageFile = (SIZE_T)(si.freeram + si.freeswap) * unit;
    status->dwTotalVirtual = (SIZE_T)1 << 47;
    status->dwAvailVirtual = status->dwTotalVirtual;
    status->dwMemoryLoad =
        status->dwTotalPhys ? (DWORD)(100 - available * 100 / status->dwTotalPhys) : 0;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    char path[4096];
    if (!getcwd(path, sizeof path)) return 0;
    DWORD length = (DWORD)std::strlen(path);
    // Too small: the original returns the size needed, terminating zero included.
    if (!buffer || length + 1 > size) return length + 1;
    std::memcpy(buffer, path, length + 1);
    return length;
}

BOOL SetCurrentDirectoryA(LPCSTR path) { return path && chdir(path) == 0; }

void SetCommandLineArgs(int argc, char** argv) {
    argCount = argc;
    argVector = argv;
}

int GetCommandLineArgCount() { return argCount; }

const char* GetCommandLineArg(int index) {
    return (index >= 0 && index < argCount && argVector) ? argVector[index] : nullptr;
}
