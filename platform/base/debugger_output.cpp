// Debugger output: there is no debugger to listen here, so the lines go to
// standard error, converted to UTF-8 for the terminal.
#include <cstdio>
#include <string>

#include "base/codepage.h"
#include "base/platform_log.h"
#include "win32/windows.h"

namespace {
unsigned debuggerOutputs = 0;
}

unsigned NolDebuggerOutputCount() { return debuggerOutputs; }

void OutputDebugStringA(LPCSTR text) {
    if (!text) return;
    ++debuggerOutputs;
    std::string utf8 = nol::base::Cp932ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

