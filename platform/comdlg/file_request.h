// What a file chooser is asked, and what it answers, in UTF-8, whichever chooser
// (the desktop portal, zenity, kdialog) shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace nol::comdlg {

struct FileFilter {
    std::string name;                   // "Text (*.txt)"
    std::vector<std::string> patterns;  // "*.txt", "*.log"
};

struct FileRequest {
    bool save = false;
    std::string title;  // empty: the chooser's own
    std::vector<FileFilter> filters;
    size_t currentFilter = 0;  // into filters
    std::string folder;        // where to start; empty: the chooser's choice
    std::string name;          // the name proposed; may be empty
    bool confirmOverwrite = false;
    uint64_t ownerWindow = 0;  // the owner's X11 window; 0 where there is none
};

enum class ChooserStatus {
    Chosen,
    Cancelled,    // by the user
    Unavailable,  // this chooser cannot be shown here: the next one is tried
    Abandoned,    // the program is ending (a quit request, the owner closed)
    Refused,      // an answer the program cannot use (not a local file)
};

struct ChooserAnswer {
    ChooserStatus status = ChooserStatus::Unavailable;
    std::string path;  // when Chosen
    int filter = -1;   // the filter left selected, where the chooser says
    // The chooser asked the user before it returned an existing file.
    bool overwriteConfirmed = false;
    std::string reason;  // when Unavailable or Refused: why, for the log
};

}  // namespace nol::comdlg
