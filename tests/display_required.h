// Tests that need a display skip where none can be opened, which is right on a
// developer's machine without X. ./test.sh always provides one and says so with
// NOL_REQUIRE_DISPLAY=1: there a missing display fails the test instead, so the
// rendering suite can never come back "skipped" and still look green.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "win32/sdl_bridge.h"

inline bool NolDisplayRequired() {
    const char* v = std::getenv("NOL_REQUIRE_DISPLAY");
    return v && *v && *v != '0';
}

#define NOL_SKIP_WITHOUT_DISPLAY()                                                        \
    do {                                                                                  \
        if (!NolInitSdlVideo()) {                                                         \
            if (NolDisplayRequired())                                                     \
                GTEST_FAIL() << "no display could be opened, and this run requires one"; \
            GTEST_SKIP() << "no display";                                                 \
        }                                                                                 \
    } while (0)
