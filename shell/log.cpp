// The debug log: to the debugger output, or appended line by line to
// "debug.txt" beside the program when started with "-dbf".
#include "shell/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "win32/log_sink.h"
#include "win32/windows.h"

namespace {

// Plain storage, never destroyed: the platform's lines may come through WriteLine
// at any time, from static initialisation to the last static destructor.
char logPath[MAX_PATH];

void WriteLine(const char* line) {
    if (logPath[0] == '\0') {
        OutputDebugStringA(line);
        return;
    }
    // Opened and closed for every line, so the file is complete up to the last
    // line even if the process dies. A file that cannot be opened drops the line.
    if (FILE* file = std::fopen(logPath, "a")) {
        std::fputs(line, file);
        std::fclose(file);
    }
}

}  // namespace

const char* GetLogPath() { return logPath; }

int HasSwitch(const char* name) {
    for (int i = 1; i < GetCommandLineArgCount(); ++i)
        if (std::strcmp(GetCommandLineArg(i), name) == 0) return 1;
    return 0;
}

void GetModuleDirectory(char* buffer) {
    std::memset(buffer, 0, MAX_PATH);
    GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, MAX_PATH);
    for (int i = (int)std::strlen(buffer); i > 0 && buffer[i - 1] != '/'; --i) buffer[i - 1] = '\0';
}

int InitDebugStream() {
    // The platform's own lines (a backend that cannot start, a shader that does not
    // compile) land wherever this log's do. Before this they go to the debugger
    // output, as the log's own lines do.
    NolSetLogSink(WriteLine);
    if (HasSwitch("-dbf")) {
        char directory[MAX_PATH];
        GetModuleDirectory(directory);
        int n = std::snprintf(logPath, sizeof logPath, "%sdebug.txt", directory);
        if (n < 0 || n >= (int)sizeof logPath) {
            // The path would not fit; a cut path would name some other file.
            logPath[0] = '\0';
            LogMessage("InitDebugStream: path too long for debug.txt, logging to stderr\n");
        }
    }
    LogSeparator();
    LogMessage("InitDebugStream\n");
    LogSystemInfo();
    return 1;
}

void LogMessage(const char* format, ...) {
    char line[LOG_LINE_SIZE];
    va_list args;
    va_start(args, format);
    bool formatted = NolFormatLogLine(line, sizeof line, format, args);
    va_end(args);
    if (formatted) WriteLine(line);
}

void LogSeparator() { WriteLine("----------------------------------------\n"); }

void LogSystemInfo() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LogMessage("%4d/%02d/%02d  %02d:%02d\n", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);

    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    LogMessage("OS = ID %d ver,%d.%d build %d\n", (int)version.dwPlatformId, (int)version.dwMajorVersion,
               (int)version.dwMinorVersion, (int)version.dwBuildNumber);

    MEMORYSTATUS memory;
    std::memset(&memory, 0, sizeof memory);
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    LogMessage("利用可能／搭載メモリ = %d/%d MB\n", (int)(memory.dwAvailPhys >> 20), (int)(memory.dwTotalPhys >> 20));
}
