// The millisecond clock, sleeping and the local time.
#include <time.h>

#include <cerrno>

#include "win32/test_hooks.h"
#include "win32/windows.h"

namespace {
bool fakeClock = false;
DWORD fakeNow = 0;
DWORD fakeSlept = 0;
}  // namespace

void NolUseFakeClock(bool enabled, DWORD start) {
    fakeClock = enabled;
    fakeNow = start;
    fakeSlept = 0;
}

void NolAdvanceFakeClock(DWORD milliseconds) { fakeNow += milliseconds; }

DWORD NolFakeClockSlept() { return fakeSlept; }

// Milliseconds of a monotonic clock; wraps after 49.7 days as the original does.
DWORD timeGetTime() {
    if (fakeClock) return fakeNow;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (DWORD)((uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u);
}

void Sleep(DWORD milliseconds) {
    if (fakeClock) {
        fakeNow += milliseconds;
        fakeSlept += milliseconds;
        return;
    }
    timespec left{(time_t)(milliseconds / 1000), (long)(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void GetLocalTime(SYSTEMTIME* out) {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local;
    localtime_r(&ts.tv_sec, &local);
    out->wYear = (WORD)(local.tm_year + 1900);
    out->wMonth = (WORD)(local.tm_mon + 1);
    out->wDayOfWeek = (WORD)local.tm_wday;
    out->wDay = (WORD)local.tm_mday;
    out->wHour = (WORD)local.tm_hour;
    out->wMinute = (WORD)local.tm_min;
    out->wSecond = (WORD)local.tm_sec;
    out->wMilliseconds = (WORD)(ts.tv_nsec / 1000000);
}
