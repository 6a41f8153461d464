// The moment the first picture reaches a window, for start-up measurements made
// from outside the program (bench/startup.sh).
#pragma once

namespace nol::d3d8 {

// With NOL_FIRST_PRESENT_STAMP set, the first call prints
// "first present <ns since the epoch, CLOCK_REALTIME>" to standard error, so that
// a script can subtract the time it started the program; later calls, and every
// call without the variable, do nothing.
void NoteFirstPresent();

}  // namespace nol::d3d8
