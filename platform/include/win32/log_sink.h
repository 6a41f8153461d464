// Where the platform layer's own messages go (a backend that cannot start, a
// generated shader that does not compile, the face a font was made from).
// Each message is one line, ending in "\n". Until a sink is set, lines go to the
// debugger output; the program's log sets itself as the sink so that they land
// wherever its own lines do.
#pragma once

#include <cstdarg>

typedef void (*NolLogSink)(const char* line);

// Null puts the debugger output back.
void NolSetLogSink(NolLogSink sink);

// Formats one line into line (size bytes, at least 2). A line too long for it is
// cut at a whole character (a double-byte character is never split) and keeps its
// "\n" when the format ends with one. False when the format cannot be formatted.
bool NolFormatLogLine(char* line, int size, const char* format, va_list args);
