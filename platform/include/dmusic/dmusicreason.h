// Why the last segment load on this thread went wrong. The original loader only
// returns a code; this short English text ("file not found", "unknown SMPTE frame rate
// -17", "skipped the rest of track 1: event cut short") lets a caller's log say why a
// file was refused, or what was skipped of a damaged one that still loaded.
#pragma once

// The reason of the last IDirectMusicLoader8::LoadObjectFromFile on the calling thread:
// why it failed, or, when it succeeded, what it skipped; "" after a file read whole or
// a failure without a reason. Valid until the next load.
const char* DirectMusicGetLastLoadError();
