// The debug log, the command-line switch test and the two message boxes.
#pragma once

// Size of every formatted log line, terminating zero included.
constexpr int LOG_LINE_SIZE = 256;

int InitDebugStream();
void LogMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogSeparator();
void LogSystemInfo();
int HasSwitch(const char* name);
void GetModuleDirectory(char* buffer);
void MessageOk(const char* text);
int MessageYesNo(const char* text);

// The log file's full path, empty while lines go to the debugger output.
const char* GetLogPath();
