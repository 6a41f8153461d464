// Seams for tests: a clock that only moves when told (Sleep advances it), and
// message boxes that answer by themselves. Production code never calls these.
#pragma once

#include "win32/windows.h"

// While the fake clock is on, timeGetTime returns its value and Sleep adds to it
// instead of sleeping.
void NolUseFakeClock(bool enabled, DWORD start = 0);
void NolAdvanceFakeClock(DWORD milliseconds);
// Total milliseconds slept through Sleep while the fake clock was on.
DWORD NolFakeClockSlept();

// A message-box answerer: receives the box's owner, text, caption and flags and
// returns the button pressed. Null restores real boxes. The environment variable
// NOL_AUTO_MESSAGEBOX (ok, yes, no or cancel) does the same for whole processes:
// the box's text goes to standard error and the named answer is returned.
typedef int (*NolMessageBoxAnswerer)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
void NolSetMessageBoxAnswerer(NolMessageBoxAnswerer answerer);

// While on, taking a named mutex's lock fails as a file system without locks makes
// it fail (WAIT_FAILED), rather than finding it held.
void NolFailNamedMutexLocks(bool fail);
