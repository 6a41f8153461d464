// The platform layer's one way of reporting: a printf-style line (at most 255
// bytes, cut where longer) handed to the sink of win32/log_sink.h.
#pragma once

void NolLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
