// Tests that need a display (or a tool such as xdotool) skip where it cannot be
// had, which is right on a developer's machine without X. ./test.sh always
// provides one and says so with NOL_REQUIRE_DISPLAY=1, and CI sets CI: there a
// missing display or tool fails the test instead, so the rendering suite can never
// come back "skipped" and still look green. Every skip says why.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "win32/sdl_bridge.h"

inline bool NolEnvSet(const char* name) {
    const char* v = std::getenv(name);
    return v && *v && std::strcmp(v, "0") != 0 && std::strcmp(v, "false") != 0;
}

inline bool NolDisplayRequired() { return NolEnvSet("NOL_REQUIRE_DISPLAY") || NolEnvSet("CI"); }

// Skips with the reason, or fails with it where this run must have everything.
#define NOL_SKIP_OR_FAIL(reason)                                                          \
    do {                                                                                  \
        if (NolDisplayRequired()) GTEST_FAIL() << reason << ", and this run requires it"; \
        GTEST_SKIP() << reason;                                                           \
    } while (0)

#define NOL_SKIP_WITHOUT_DISPLAY()                                                \
    do {                                                                          \
        if (!NolInitSdlVideo()) NOL_SKIP_OR_FAIL("no display could be opened");   \
    } while (0)
