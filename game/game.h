// The game's three hooks, called by the shell.
#pragma once

void GameStart();
void GameFrame();
void GameEnd();
