#include "input/file_dialog.h"

#include <cstdio>
#include <cstring>

#include "comdlg/commdlg.h"
#include "input/input.h"
#include "shell/log.h"
#include "shell/window.h"

namespace {

constexpr int kFilterBytes = 256;

// "Text (*.txt)", "*.txt", as the dialog's one filter pair. A description and
// extension that do not fit the buffer together with the 11 bytes the format adds
// are refused rather than cut: a cut filter would name another file type.
bool BuildFilter(char (&filter)[kFilterBytes], const char* description, const char* extension) {
    std::memset(filter, 0, sizeof filter);
    const int length = std::snprintf(filter, sizeof filter, "%s (*.%s)\t*.%s\t\t", description, extension, extension);
    if (length < 0 || length >= kFilterBytes) return false;
    for (char& c : filter)
        if (c == '\t') c = '\0';
    return true;
}

}  // namespace

int FileDialog(char* file, int size, const char* description, const char* extension, int save) {
    if (!file || size <= 0 || !description || !extension) {
        LogMessage("FileDialog: no file buffer, description or extension\n");
        return 0;
    }
    // No initial name.
    std::memset(file, 0, size < 4 ? size : 4);
    char filter[kFilterBytes];
    if (!BuildFilter(filter, description, extension)) {
        LogMessage("FileDialog: description and extension too long for the filter\n");
        return 0;
    }

    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = mainWindow;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 0;
    ofn.lpstrFile = file;
    ofn.nMaxFile = static_cast<DWORD>(size);
    ofn.lpstrDefExt = extension;
    int result = 0;
    if (save) {
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        result = GetSaveFileNameA(&ofn);
    } else {
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        result = GetOpenFileNameA(&ofn);
    }
    // The key that opened the dialog typed its character before it came up: it
    // is no text for whatever reads characters next.
    GetTypedChar();
    return result;
}
