#include "comdlg/command_chooser.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "base/platform_log.h"
#include "comdlg/chooser_process.h"
#include "comdlg/transient_owner.h"

namespace nol::comdlg {
namespace {

// The filters with the current one first: neither tool can be told which to show.
std::vector<FileFilter> CurrentFirst(const FileRequest& request) {
    std::vector<FileFilter> filters = request.filters;
    if (request.currentFilter < filters.size())
        std::rotate(filters.begin(), filters.begin() + request.currentFilter,
                    filters.begin() + request.currentFilter + 1);
    return filters;
}

std::string Joined(const std::vector<std::string>& parts, char separator) {
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : std::string(1, separator)) + p;
    return out;
}

// The tools split a filter's name from its patterns at '|'.
std::string WithoutBar(std::string name) {
    std::replace(name.begin(), name.end(), '|', '/');
    return name;
}

// Where the chooser starts: the folder, with the proposed name in it.
std::string StartPath(const FileRequest& request, bool folderNeeded) {
    std::string folder = request.folder;
    if (folder.empty() && folderNeeded) {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) folder = cwd;
    }
    if (folder.empty()) return request.name;
    if (folder.back() != '/') folder += '/';
    return folder + request.name;
}

std::vector<std::string> ZenityArguments(const FileRequest& request) {
    std::vector<std::string> args = {"--file-selection"};
    if (request.save) args.push_back("--save");
    if (request.save && request.confirmOverwrite) args.push_back("--confirm-overwrite");
    if (!request.title.empty()) args.push_back("--title=" + request.title);
    const std::string start = StartPath(request, false);
    if (!start.empty()) args.push_back("--filename=" + start);
    for (const FileFilter& f : CurrentFirst(request))
        args.push_back("--file-filter=" + WithoutBar(f.name) + " | " + Joined(f.patterns, ' '));
    // Older zenity makes itself transient for this window; 3.44 accepts the
    // option and does nothing with it.
    if (request.ownerWindow) {
        args.push_back("--attach=" + std::to_string(request.ownerWindow));
        args.push_back("--modal");
    }
    return args;
}

std::vector<std::string> KdialogArguments(const FileRequest& request) {
    std::vector<std::string> args;
    if (!request.title.empty()) args.insert(args.end(), {"--title", request.title});
    if (request.ownerWindow) args.insert(args.end(), {"--attach", std::to_string(request.ownerWindow)});
    args.push_back(request.save ? "--getsavefilename" : "--getopenfilename");
    args.push_back(StartPath(request, true));
    std::vector<std::string> lines;
    for (const FileFilter& f : CurrentFirst(request)) lines.push_back(Joined(f.patterns, ' ') + "|" + WithoutBar(f.name));
    if (!lines.empty()) args.push_back(Joined(lines, '\n'));
    return args;
}

}  // namespace

const char* ToolName(ChooserTool tool) { return tool == ChooserTool::Zenity ? "zenity" : "kdialog"; }

std::vector<std::string> ChooserArguments(ChooserTool tool, const FileRequest& request) {
    return tool == ChooserTool::Zenity ? ZenityArguments(request) : KdialogArguments(request);
}

ChooserAnswer ChooseWithTool(ChooserTool tool, const FileRequest& request, ModalWait& wait) {
    ChooserAnswer answer;
    const std::string program = FindOnPath(ToolName(tool));
    if (program.empty()) {
        answer.reason = "not on PATH";
        return answer;
    }
    std::unique_ptr<TransientOwner> transient;
    const ProcessOutcome run = RunChooserProcess(program, ChooserArguments(tool, request), wait, [&](int pid) {
        if (!transient) transient = std::make_unique<TransientOwner>(wait.Owner(), pid);
        transient->Turn();
    });
    switch (run.kind) {
        case ProcessOutcome::GivenUp: answer.status = ChooserStatus::Abandoned; return answer;
        case ProcessOutcome::NotStarted: answer.reason = "could not be started"; return answer;
        case ProcessOutcome::Signalled:
            NolLog("file dialog: %s ended by signal %d\n", ToolName(tool), run.code);
            answer.status = ChooserStatus::Cancelled;
            return answer;
        case ProcessOutcome::Exited: break;
    }
    if (run.code == 1) {
        answer.status = ChooserStatus::Cancelled;
    } else if (run.code == 0) {
        // One path, one line.
        answer.path = run.out.substr(0, run.out.find('\n'));
        answer.status = answer.path.empty() ? ChooserStatus::Cancelled : ChooserStatus::Chosen;
        // zenity's GTK chooser asks itself before it returns an existing file;
        // kdialog does not.
        answer.overwriteConfirmed = tool == ChooserTool::Zenity && request.save && request.confirmOverwrite;
    } else {
        answer.reason = run.code == 127 ? "could not be run" : "ended with status " + std::to_string(run.code);
    }
    return answer;
}

}  // namespace nol::comdlg
