// The platform layer's log lines and the sink they go to.
#include "win32/platform_log.h"

#include <cstdarg>
#include <cstdio>

#include "win32/log_sink.h"
#include "win32/windows.h"

namespace {

NolLogSink sink = nullptr;

}  // namespace

void NolSetLogSink(NolLogSink newSink) { sink = newSink; }

void NolLog(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length < 0) return;
    // A cut line still ends its line.
    if (length >= (int)sizeof line) line[sizeof line - 2] = '\n';
    if (sink)
        sink(line);
    else
        OutputDebugStringA(line);
}

void NolLogToTerminal(const char* line) {
    unsigned before = NolDebuggerOutputCount();
    NolLog("%s", line);
    if (NolDebuggerOutputCount() == before) {
        std::fputs(line, stderr);
        std::fflush(stderr);
    }
}
