// The platform layer's log lines and the sink they go to.
#include "base/platform_log.h"

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
    bool formatted = NolFormatLogLine(line, sizeof line, format, args);
    va_end(args);
    if (!formatted) return;
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
