// A chooser run as a child process (zenity, kdialog): started with its standard
// output on a pipe and waited for while the owner window turns, so that a quit
// request can end it at any moment.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "comdlg/modal_wait.h"

namespace nol::comdlg {

struct ProcessOutcome {
    enum Kind {
        Exited,
        Signalled,   // code: the signal
        NotStarted,  // no process could be made
        GivenUp,     // the program is ending: the chooser was stopped and reaped
    };
    Kind kind = NotStarted;
    int code = 0;
    std::string out;  // standard output, at most its first 64 KiB
};

// eachTurn, where given, is called with the chooser's pid at every turn of the wait.
ProcessOutcome RunChooserProcess(const std::string& program, const std::vector<std::string>& args,
                                 ModalWait& wait, const std::function<void(int pid)>& eachTurn = nullptr);

// The full path of an executable file name found on PATH, or empty.
std::string FindOnPath(const std::string& name);

}  // namespace nol::comdlg
