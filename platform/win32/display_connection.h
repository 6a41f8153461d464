// The connection to the display server, and what happens when it breaks.
//
// Xlib reports a broken connection (the X server went away) once and then ends
// the process; every later call on that connection returns at once without an
// answer, so code that waits for one (SDL hiding or destroying a window, leaving
// full screen) spins for ever. Once the connection is lost the platform therefore
// keeps away from it: windows, contexts and full-screen modes are forgotten, not
// taken down.
#pragma once

// Called once SDL's video runs: on X11, watches the connection. When it breaks,
// "display connection lost" goes to standard error and to the log, and the
// process exits with code 1 through its ordinary static shutdown; should that
// shutdown not finish within a second, the process ends regardless.
void NolWatchDisplayConnection();

// True once the connection has broken.
bool NolDisplayLost();
