// DirectInput scan codes of the X server's key events, for the keys SDL never
// reports because the input method took them.
#pragma once

#include <SDL.h>

namespace nol::dinput8 {

// The DIK_* code of an X keycode, or 0. X keycodes are the Linux evdev codes plus
// 8 on evdev servers (Xorg, Xvfb, Xwayland alike).
int DikFromX11Keycode(unsigned keycode);

// The key an X key event of an SDL_SYSWMEVENT presses or releases: true with its
// DIK_* code (0 for keys DirectInput has no code for) and whether it goes down;
// false for any other event.
bool X11KeyOfEvent(const SDL_Event& event, int* dik, bool* down);

}  // namespace nol::dinput8
