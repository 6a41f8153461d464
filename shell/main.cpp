// The racing game's entry: hands the game's hooks to the shell and enters it. The
// only place where the shell and the game meet.
#include "game/game.h"
#include "shell/application.h"
#include "shell/entry.h"

int main(int argc, char** argv) {
    SetGameHooks(GameHooks{GameStart, GameFrame, GameEnd, FreeGame});
    return EnterWinMain(argc, argv);
}
