#include "d3d8/first_present.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace nol::d3d8 {

void NoteFirstPresent() {
    static bool noted = false;
    if (noted) return;
    noted = true;
    if (!std::getenv("NOL_FIRST_PRESENT_STAMP")) return;
    // The wall clock, not the monotonic one: the script's `date +%s%N` reads it.
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    std::fprintf(stderr, "first present %lld\n", static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec);
    std::fflush(stderr);
}

}  // namespace nol::d3d8
