// A pad for tests of the whole program, which cannot reach into its process to
// attach one. With NOL_TEST_PAD naming a file, every line appended to the file
// acts on a virtual pad of SDL's (so it takes the same way as a real pad):
//   attach | detach
//   <button> 0|1        SDL's names: a b x y back start dpup dpdown dpleft ...
//   <axis> <value>      leftx lefty rightx righty (-32768..32767, +y down),
//                       lefttrigger righttrigger (0..32767)
// A line that is not one of these is logged and skipped.
#pragma once

namespace nol::xinput {

// Carries out the lines appended since the last call; nothing without NOL_TEST_PAD.
void RunPadScript();

}  // namespace nol::xinput
