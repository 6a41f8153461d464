// The process entry: hands the argument vector to the platform and enters
// WinMain as the original runtime would.
#include <string>

#include "shell/application.h"

int main(int argc, char** argv) {
    SetCommandLineArgs(argc, argv);
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
