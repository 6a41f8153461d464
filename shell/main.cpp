// The process entry: hands the argument vector to the platform, the game's hooks
// to the shell, and enters WinMain as the original runtime would. The only place
// where the shell and the game meet.
#include <string>

#include "game/game.h"
#include "shell/application.h"

int main(int argc, char** argv) {
    SetCommandLineArgs(argc, argv);
    SetGameHooks(GameHooks{GameStart, GameFrame, GameEnd, FreeGame});
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
