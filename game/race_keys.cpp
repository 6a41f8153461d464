// The keys of the race: Z and X for the throttle, the cursor keys to steer, Q
// back to the selection.
#include "game/game.h"
#include "input/input.h"

namespace {

bool Down(int key) { return GetKey(key) >= KEY_PUSHED; }

}  // namespace

void MapRaceKeys() {
    // X wins over Z, right over left.
    throttleInput = Down(DIK_X) ? kThrottleBrake : Down(DIK_Z) ? kThrottleAccelerate : kThrottleNone;
    steerInput = Down(DIK_RIGHT) ? kSteerRight : Down(DIK_LEFT) ? kSteerLeft : kSteerNone;
    // The rest of this race frame still runs; the next one is a selection frame.
    if (GetKey(DIK_Q) == KEY_PUSHED) gameState -= 1;
}
