// The game's hooks. The racing game arrives with its own code; until then every
// frame is cleared to opaque black and presented.
#include "game/game.h"

#include "render/frame.h"

void GameStart() {}

void GameFrame() {
    BeginFrame(0xFF000000);
    EndFrame();
}

void GameEnd() {}
