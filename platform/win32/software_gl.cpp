#include "win32/software_gl.h"

#include <cstdlib>

void NolPrepareSoftwareGl() {
    // Only the first call can matter (the driver reads the setting once), and a
    // value the user chose is kept.
    static const bool done = [] {
        setenv("LP_NUM_THREADS", "0", /*overwrite=*/0);
        return true;
    }();
    (void)done;
}
