// A chooser that is a program of its own is made a dialog of the owner window
// (WM_TRANSIENT_FOR), so that window managers keep it above the owner: zenity 3.44
// accepts --attach but does nothing with it.
#pragma once

#include "win32/windows.h"

namespace nol::comdlg {

class TransientOwner {
public:
    TransientOwner(HWND owner, int chooserPid);
    // Looks for the chooser's windows; does nothing more once one on the screen
    // has been given the owner, or where there is no X11 owner.
    void Turn();

private:
    void* display_ = nullptr;  // the owner's X11 Display, kept out of this header
    unsigned long owner_ = 0;
    int pid_;
    int turnsLeft_;
};

}  // namespace nol::comdlg
