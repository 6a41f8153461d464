// The game's controls, from the keys and from a pad alike: Z and X or the
// triggers (A and B too) for the throttle, the cursor keys, the left stick or
// the d-pad to steer, Q or Back to the selection; on the selection screen the
// cursor keys or the d-pad pick a course, Enter, A or Start starts it.
#include "game/game.h"
#include "input/input.h"
#include "input/pad.h"

namespace {

bool Down(int key) { return GetKey(key) >= KEY_PUSHED; }
bool PadDown(int entry) { return GetPad(entry) >= KEY_PUSHED; }
bool Pushed(int key) { return GetKey(key) == KEY_PUSHED; }
bool PadPushed(int entry) { return GetPad(entry) == KEY_PUSHED; }

}  // namespace

void MapRaceKeys() {
    // Braking wins over the throttle, right over left, whichever device each
    // comes from.
    const bool brake = Down(DIK_X) || PadDown(PAD_LEFT_TRIGGER) || PadDown(PAD_B);
    const bool accelerate = Down(DIK_Z) || PadDown(PAD_RIGHT_TRIGGER) || PadDown(PAD_A);
    const bool right = Down(DIK_RIGHT) || PadDown(PAD_STICK_RIGHT) || PadDown(PAD_DPAD_RIGHT);
    const bool left = Down(DIK_LEFT) || PadDown(PAD_STICK_LEFT) || PadDown(PAD_DPAD_LEFT);
    throttleInput = brake ? kThrottleBrake : accelerate ? kThrottleAccelerate : kThrottleNone;
    steerInput = right ? kSteerRight : left ? kSteerLeft : kSteerNone;
    // The rest of this race frame still runs; the next one is a selection frame.
    if (Pushed(DIK_Q) || PadPushed(PAD_BACK)) gameState -= 1;
}

bool PreviousCoursePushed() { return Pushed(DIK_LEFT) || PadPushed(PAD_DPAD_LEFT); }
bool NextCoursePushed() { return Pushed(DIK_RIGHT) || PadPushed(PAD_DPAD_RIGHT); }
bool StartRacePushed() { return Pushed(DIK_RETURN) || PadPushed(PAD_A) || PadPushed(PAD_START); }
