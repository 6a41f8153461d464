#include "base/startup_trace.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double NowMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The process's start in CLOCK_BOOTTIME milliseconds, from /proc/self/stat (field
// 22, in clock ticks since boot); negative when it cannot be read.
double ProcessStartMs() {
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char text[1024] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = '\0';
    // The command name (field 2) may hold spaces and parentheses: count from its end.
    const char* p = std::strrchr(text, ')');
    for (int field = 2; p && field < 22; ++field) p = std::strchr(p + 1, ' ');
    if (!p) return -1;
    const long ticks = sysconf(_SC_CLK_TCK);
    return ticks > 0 ? std::strtod(p + 1, nullptr) * 1e3 / ticks : -1;
}

}  // namespace

void NolStartupMark(const char* stage) {
    static const char* const value = std::getenv("NOL_STARTUP_TRACE");
    if (!value) return;
    errno = 0;
    char* end = nullptr;
    const unsigned long long launchNs = std::strtoull(value, &end, 10);
    double ms;
    if (*value && end && *end == '\0' && errno == 0 && launchNs > 0) {
        ms = NowMs(CLOCK_MONOTONIC) - launchNs / 1e6;
    } else {
        const double start = ProcessStartMs();
        ms = start < 0 ? -1 : NowMs(CLOCK_BOOTTIME) - start;
    }
    std::fprintf(stderr, "startup: %s %.1f\n", stage, ms);
    std::fflush(stderr);
}
