// The game's three hooks, which the program's entry point hands to the shell.
#pragma once

void GameStart();
void GameFrame();
void GameEnd();
