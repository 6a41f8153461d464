#include "d3d8/large_blocks.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace nol::d3d8 {

namespace {
constexpr int kLargeBlockBytes = 1 << 20;
}

void ReturnLargeBlocksToTheSystem() {
#if defined(__GLIBC__)
    static const bool done = [] {
        if (!std::getenv("MALLOC_MMAP_THRESHOLD_")) mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
        return true;
    }();
    (void)done;
#endif
}

}  // namespace nol::d3d8
