// Start-up timing for measurements: with NOL_STARTUP_TRACE set, each mark writes
// "startup: <stage> <ms>\n" to standard error, the milliseconds counted from the
// moment the value names (CLOCK_MONOTONIC nanoseconds, taken by whoever started
// the process just before starting it), or, when the value is not such a number,
// from the process's start as the kernel records it (10 ms steps). Without the
// variable a mark costs one getenv, once.
#pragma once

void NolStartupMark(const char* stage);
