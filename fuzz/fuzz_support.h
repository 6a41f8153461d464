// What every fuzz target shares: a check whose failure is a finding, and a read
// of every byte a loader hands back, so that the sanitizer sees a result that
// points outside its memory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sanitizer/common_interface_defs.h>

// A broken promise of the code under test stops the run like a crash does.
inline void FuzzCheck(bool holds, const char* promise) {
    if (holds) return;
    // Through the sanitizer's report, which libFuzzer keeps when it closes stderr.
    char line[256];
    std::snprintf(line, sizeof line, "fuzz check failed: %s", promise);
    __sanitizer_report_error_summary(line);
    std::abort();
}

inline void FuzzTouch(const void* bytes, size_t size) {
    if (size == 0) return;
    FuzzCheck(bytes != nullptr, "a non-empty result has memory");
    const auto* p = static_cast<const volatile unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i) (void)p[i];
}
