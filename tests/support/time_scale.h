// How much slower than a plain build this run is allowed to be: NOL_TIME_SCALE
// (a positive number, 1 when unset or unreadable), which instrumented builds set
// so that bounds on elapsed time stay meaningful there.
#pragma once

#include <cstdlib>

inline double TimeScale() {
    const char* text = std::getenv("NOL_TIME_SCALE");
    if (!text || !*text) return 1.0;
    char* end = nullptr;
    const double scale = std::strtod(text, &end);
    return (end && *end == '\0' && scale > 0.0 && scale < 1000.0) ? scale : 1.0;
}
