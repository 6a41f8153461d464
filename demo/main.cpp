// The demo program's entry: its own hooks, window class and single-instance name
// on the same shell as the game.
#include "demo/demo.h"
#include "shell/application.h"
#include "shell/entry.h"
#include "shell/program_names.h"

int main(int argc, char** argv) {
    SetProgramNames(ProgramNames{"NOL_DEMO_CLASS", "nol demo mutex"});
    SetGameHooks(GameHooks{DemoStart, DemoFrame, DemoEnd, FreeDemo});
    return EnterWinMain(argc, argv);
}
