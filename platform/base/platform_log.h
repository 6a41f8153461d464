// The platform layer's one way of reporting: a printf-style line (at most 255
// bytes, cut as the program's log cuts its lines) handed to the sink of win32/log_sink.h.
#pragma once

void NolLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A line that must reach the terminal whatever the log's destination (the program
// ends because of it): logged as any other line, and written to standard error as
// well unless logging it already put it there.
void NolLogToTerminal(const char* line);

// How many lines the debugger output (standard error) has taken so far.
unsigned NolDebuggerOutputCount();
