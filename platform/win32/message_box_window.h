// A message box in a small window of its own, drawn with the fonts' glyphs (so
// that Japanese text reads as it should), modal over its owner.
#pragma once

#include <SDL.h>

#include "win32/message_box_layout.h"
#include "win32/windows.h"

// Shows the box and waits for an answer: a button clicked, Return for the button
// with the focus, Escape or the close button for the type's close answer, or the
// underlined letter of a button. 0 when no box can be shown here (no display, no
// face to draw the text with).
namespace nol::win32 {
int ShowMessageBoxWindow(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
}  // namespace nol::win32

// For tests: called once each box is on the screen, with its SDL window id and its
// layout, so that events aimed at its buttons can be queued.
typedef void (*NolMessageBoxShownHook)(Uint32 windowId, const nol::win32::msgbox::Layout& layout, void* context);
void NolSetMessageBoxShownHook(NolMessageBoxShownHook hook, void* context);
