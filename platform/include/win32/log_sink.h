// Where the platform layer's own messages go (a backend that cannot start, a
// generated shader that does not compile, the face a font was made from).
// Each message is one line, ending in "\n". Until a sink is set, lines go to the
// debugger output; the program's log sets itself as the sink so that they land
// wherever its own lines do.
#pragma once

typedef void (*NolLogSink)(const char* line);

// Null puts the debugger output back.
void NolSetLogSink(NolLogSink sink);
