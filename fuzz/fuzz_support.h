// What every fuzz target shares: a check whose failure is a finding, and a read
// of every byte a loader hands back, so that the sanitizer sees a result that
// points outside its memory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// A broken promise of the code under test stops the run like a crash does.
inline void FuzzCheck(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", promise);
    std::abort();
}

inline void FuzzTouch(const void* bytes, size_t size) {
    if (size == 0) return;
    FuzzCheck(bytes != nullptr, "a non-empty result has memory");
    const auto* p = static_cast<const volatile unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i) (void)p[i];
}
