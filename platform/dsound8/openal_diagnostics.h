// OpenAL Soft and ALSA write their own error lines ("AL lib: (EE) ...", "ALSA lib
// ...") to the terminal, which a player should not see every time a sound output
// is looked for and missing. They stay on when the user asks for OpenAL's log.
#pragma once

namespace nol::dsound8 {

// Call before this process's first OpenAL call; later calls do nothing.
void QuietOpenALDiagnostics();

}  // namespace nol::dsound8
