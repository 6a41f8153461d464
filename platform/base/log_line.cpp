// The one rule for cutting a log line, shared by the program's log and the
// platform's own lines.
#include <cstdio>

#include "win32/log_sink.h"
#include "win32/windows.h"

bool NolFormatLogLine(char* line, int size, const char* format, va_list args) {
    if (!line || size < 2 || !format) return false;
    int length = std::vsnprintf(line, (size_t)size, format, args);
    if (length < 0) {
        line[0] = '\0';
        return false;
    }
    if (length < size) return true;

    // Cut: whole characters only, and the line end kept when the format has one.
    int formatLength = 0;
    while (format[formatLength]) ++formatLength;
    bool newline = formatLength > 0 && format[formatLength - 1] == '\n';
    int end = size - 1 - (newline ? 1 : 0);
    int i = 0;
    while (i < end) {
        int width = IsDBCSLeadByte((BYTE)line[i]) ? 2 : 1;
        if (i + width > end) break;
        i += width;
    }
    if (newline) line[i++] = '\n';
    line[i] = '\0';
    return true;
}
