// Seams for tests of code that uses DirectInput. Production code never calls these.
#pragma once

#include "dinput8/dinput.h"

// Makes a device created by DirectInput8Create's own object lose access, as when
// another program takes the device: its reads (GetDeviceState, Poll) return
// DIERR_INPUTLOST until it is acquired again. Devices of other origin are ignored.
void NolDirectInputLoseDevice(IDirectInputDevice8A* device);

// Replaces what DirectInput8Create does: while a hook is set, DirectInput8Create
// returns the hook's result (and the hook fills *out), so a test can hand out a
// fake object or make creation fail. Null restores the real object.
typedef HRESULT (*NolDirectInputCreateHook)(HINSTANCE instance, DWORD version, REFIID iid,
                                            LPVOID* out, LPUNKNOWN outer);
void NolSetDirectInputCreateHook(NolDirectInputCreateHook hook);
