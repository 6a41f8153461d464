// The game's hooks. The racing game arrives with its own code; until then the
// hooks have nothing to do.
#include "game/game.h"

void GameStart() {}

void GameFrame() {}

void GameEnd() {}
