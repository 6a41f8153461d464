#include "shell/entry.h"

#include <string>

#include "shell/application.h"

int EnterWinMain(int argc, char** argv) {
    SetCommandLineArgs(argc, argv);
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
