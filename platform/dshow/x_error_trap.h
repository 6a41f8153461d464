// X errors about the video windows are expected: a window can be destroyed from
// outside (with its owner, or by another X client) while a sink still draws into
// it. Xlib's default handler would end the process; for these windows the error
// is taken as news that the window has gone.
#pragma once

namespace nol::dshow {

// From now on an X error about window, on any connection and thread, calls
// closed(context) instead of the handler before. Other errors go on to it.
void TrapErrorsOf(unsigned long window, void (*closed)(void* context), void* context);
// After this returns, closed is no longer called for window.
void StopTrappingErrorsOf(unsigned long window);

}  // namespace nol::dshow
