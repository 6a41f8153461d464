// DirectInput scan codes of SDL's keys.
#pragma once

#include <SDL.h>

namespace nol::dinput8 {

// The DIK_* code of a key, or 0 for keys DirectInput has no code for.
int DikFromSdlScancode(SDL_Scancode scancode);

// An SDL scancode of a DirectInput key, or SDL_SCANCODE_UNKNOWN.
SDL_Scancode SdlScancodeFromDik(int dik);

}  // namespace nol::dinput8
