// GetOpenFileNameA and GetSaveFileNameA: the request read from OPENFILENAMEA, the
// choosers tried in turn (the desktop portal, zenity, kdialog), and the chosen path
// checked and handed back in the program's code page.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "base/codepage.h"
#include "base/platform_log.h"
#include "comdlg/chosen_path.h"
#include "comdlg/command_chooser.h"
#include "comdlg/commdlg.h"
#include "comdlg/filter_list.h"
#include "comdlg/portal_chooser.h"

namespace nol::comdlg {
namespace {

DWORD lastError = 0;

BOOL Fail(DWORD error) {
    lastError = error;
    return FALSE;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string Utf8(LPCSTR cp932) { return cp932 ? nol::base::Cp932ToUtf8(cp932) : ""; }

// Log lines are in the program's code page.
std::string Shown(const std::string& utf8) { return nol::base::Utf8ToCp932(utf8); }

// The caller's initial name: what lpstrFile holds before its terminator, if it
// has one within nMaxFile.
std::string InitialName(const OPENFILENAMEA& ofn) {
    const void* end = std::memchr(ofn.lpstrFile, '\0', ofn.nMaxFile);
    return end ? Utf8(ofn.lpstrFile) : "";
}

bool ReadRequest(const OPENFILENAMEA& ofn, bool save, FileRequest* request) {
    if (!ParseFilterList(ofn.lpstrFilter, &request->filters)) return false;
    request->save = save;
    request->title = Utf8(ofn.lpstrTitle);
    if (ofn.nFilterIndex > 0 && !request->filters.empty())
        request->currentFilter = std::min<size_t>(ofn.nFilterIndex, request->filters.size()) - 1;
    request->folder = Utf8(ofn.lpstrInitialDir);
    const std::string initial = InitialName(ofn);
    request->name = NameOf(initial);
    if (initial.find('/') != std::string::npos) request->folder = FolderOf(initial);
    request->confirmOverwrite = save && (ofn.Flags & OFN_OVERWRITEPROMPT);
    request->ownerWindow = X11WindowOf(ofn.hwndOwner);
    return true;
}

// The portal first, then the programs; the first that can be shown answers.
ChooserAnswer Choose(const FileRequest& request, HWND owner) {
    ModalWait wait(owner);
    std::string reasons;
    ChooserAnswer answer = ChooseWithPortal(request, wait);
    if (answer.status != ChooserStatus::Unavailable) return answer;
    reasons = "portal: " + answer.reason;
    for (ChooserTool tool : {ChooserTool::Zenity, ChooserTool::Kdialog}) {
        answer = ChooseWithTool(tool, request, wait);
        if (answer.status != ChooserStatus::Unavailable) {
            NolLog("file dialog: %s; using %s\n", Shown(reasons).c_str(), ToolName(tool));
            return answer;
        }
        reasons += std::string("; ") + ToolName(tool) + ": " + answer.reason;
    }
    NolLog("file dialog: no file chooser could be shown (%s)\n", Shown(reasons).c_str());
    return answer;
}

// The user's own word before an existing file is replaced, where the chooser has
// not asked (it does not, or the default extension made it another file).
bool MayReplace(HWND owner, const std::string& path) {
    const std::string text = Shown(path) + " already exists.\nDo you want to replace it?";
    return MessageBoxA(owner, text.c_str(), "Save As", MB_YESNO | MB_ICONWARNING) == IDYES;
}

BOOL Store(OPENFILENAMEA* ofn, const std::string& cp932, int filter) {
    if (cp932.size() + 1 > ofn->nMaxFile) {
        NolLog("file dialog: the path chosen takes %zu bytes, the buffer has %u\n", cp932.size() + 1,
               unsigned(ofn->nMaxFile));
        // As the original: the size needed in the buffer's first two bytes.
        if (ofn->nMaxFile >= 2) {
            const WORD needed = static_cast<WORD>(std::min<size_t>(cp932.size() + 1, 0xFFFF));
            std::memcpy(ofn->lpstrFile, &needed, sizeof needed);
        }
        return Fail(FNERR_BUFFERTOOSMALL);
    }
    std::memcpy(ofn->lpstrFile, cp932.c_str(), cp932.size() + 1);
    size_t name = 0, extension = 0;
    NameOffsets(cp932, &name, &extension);
    ofn->nFileOffset = static_cast<WORD>(std::min<size_t>(name, 0xFFFF));
    ofn->nFileExtension = static_cast<WORD>(std::min<size_t>(extension, 0xFFFF));
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
        const size_t n = std::min<size_t>(cp932.size() - name, ofn->nMaxFileTitle - 1);
        std::memcpy(ofn->lpstrFileTitle, cp932.data() + name, n);
        ofn->lpstrFileTitle[n] = '\0';
    }
    if (filter >= 0) ofn->nFilterIndex = DWORD(filter) + 1;
    return TRUE;
}

BOOL ShowFileDialog(OPENFILENAMEA* ofn, bool save) {
    lastError = 0;
    if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEA)) {
        NolLog("file dialog: OPENFILENAMEA of a size not known\n");
        return Fail(CDERR_STRUCTSIZE);
    }
    FileRequest request;
    if (!ofn->lpstrFile || ofn->nMaxFile == 0 || !ReadRequest(*ofn, save, &request)) {
        NolLog("file dialog: no file buffer, or a filter list without its end\n");
        return Fail(CDERR_INITIALIZATION);
    }
    const std::string defaultExtension = Utf8(ofn->lpstrDefExt);
    for (;;) {
        const ChooserAnswer answer = Choose(request, ofn->hwndOwner);
        switch (answer.status) {
            case ChooserStatus::Chosen: break;
            case ChooserStatus::Unavailable: return Fail(CDERR_DIALOGFAILURE);
            case ChooserStatus::Refused:
                NolLog("file dialog: %s\n", Shown(answer.reason).c_str());
                return Fail(FNERR_INVALIDFILENAME);
            default: return FALSE;  // cancelled, or the program is ending
        }
        std::string path = answer.path;
        bool confirmed = answer.overwriteConfirmed;
        if (save || !Exists(path)) {
            const std::string extended = WithDefaultExtension(path, defaultExtension);
            confirmed = confirmed && extended == path;
            if (save || Exists(extended)) path = extended;
        }
        if (!save && (ofn->Flags & OFN_FILEMUSTEXIST) && !Exists(path)) {
            NolLog("file dialog: %s does not exist\n", Shown(path).c_str());
            return Fail(FNERR_INVALIDFILENAME);
        }
        if ((ofn->Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !Exists(FolderOf(path).empty() ? "." : FolderOf(path))) {
            NolLog("file dialog: the folder of %s does not exist\n", Shown(path).c_str());
            return Fail(FNERR_INVALIDFILENAME);
        }
        if (request.confirmOverwrite && !confirmed && Exists(path) && !MayReplace(ofn->hwndOwner, path)) {
            // Not this one: the chooser again, at the same place.
            request.folder = FolderOf(path);
            request.name = NameOf(path);
            continue;
        }
        std::string cp932;
        if (!PathToCp932(path, &cp932)) {
            NolLog("file dialog: %s has characters the program's code page does not have\n", Shown(path).c_str());
            return Fail(FNERR_INVALIDFILENAME);
        }
        return Store(ofn, cp932, answer.filter);
    }
}

}  // namespace
}  // namespace nol::comdlg

BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn) { return nol::comdlg::ShowFileDialog(ofn, false); }

BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) { return nol::comdlg::ShowFileDialog(ofn, true); }

DWORD CommDlgExtendedError() { return nol::comdlg::lastError; }
