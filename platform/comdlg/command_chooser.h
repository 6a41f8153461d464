// The choosers that are programs of their own: zenity (GTK) and kdialog (KDE),
// for desktops where no portal answers.
#pragma once

#include <string>
#include <vector>

#include "comdlg/file_request.h"
#include "comdlg/modal_wait.h"

namespace nol::comdlg {

enum class ChooserTool { Zenity, Kdialog };

const char* ToolName(ChooserTool tool);

// The tool's command line, without the program itself.
std::vector<std::string> ChooserArguments(ChooserTool tool, const FileRequest& request);

// Unavailable where the tool is not on PATH or does not run.
ChooserAnswer ChooseWithTool(ChooserTool tool, const FileRequest& request, ModalWait& wait);

}  // namespace nol::comdlg
