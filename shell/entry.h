// What a program's main does after handing its hooks and names to the shell: the
// argument vector to the platform, then WinMain with the arguments joined into
// one command line, as the original runtime would.
#pragma once

int EnterWinMain(int argc, char** argv);
