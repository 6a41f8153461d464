// Common dialogs: the open and save file dialogs.
//
// The dialog is the desktop's own file chooser (the XDG desktop portal, else zenity,
// else kdialog). The call is modal: it returns when the user has chosen or
// cancelled, and the owner window gets no input meanwhile. Names in and out are in
// the program's code page (CP932).
#pragma once

#include "win32/windows.h"

typedef uintptr_t(CALLBACK* LPOFNHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

// The structure without the Windows 2000 additions (pvReserved, dwReserved,
// FlagsEx); its size is OPENFILENAME_SIZE_VERSION_400A, 76 bytes on the original
// 32-bit platform.
struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    // Pairs of (description, patterns), each zero-terminated, the list ended by an
    // empty string; several patterns are separated by ';' ("*.txt;*.log").
    LPCSTR lpstrFilter;
    LPSTR lpstrCustomFilter;  // not supported: ignored
    DWORD nMaxCustFilter;
    // 1-based index of the filter shown first (0: the first); the one the user
    // left selected on return, where the chooser says.
    DWORD nFilterIndex;
    // In: an initial file name (or an empty string). Out: the full path chosen.
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;  // out: the file name without its folder (may be null)
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;  // null: the chooser's own title
    DWORD Flags;
    WORD nFileOffset;     // out: where the file name starts in lpstrFile
    WORD nFileExtension;  // out: where the extension starts (after the dot), or the end
    // Appended with a dot to a name typed without an extension (no dot: "txt").
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;  // not supported: ignored
    LPCSTR lpTemplateName;   // not supported: ignored
};
typedef OPENFILENAMEA* LPOPENFILENAMEA;

#define OPENFILENAME_SIZE_VERSION_400A sizeof(OPENFILENAMEA)
static_assert(sizeof(void*) != 4 || OPENFILENAME_SIZE_VERSION_400A == 76);

// Flags honoured; the others are accepted and have no effect.
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004  // there is never a read-only box
#define OFN_NOCHANGEDIR 0x00000008   // the working directory is never changed
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000

// Results are nonzero when the user chose a file; on 0, CommDlgExtendedError says
// why: 0 when the user cancelled.
BOOL GetOpenFileNameA(LPOPENFILENAMEA ofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn);
DWORD CommDlgExtendedError();

#define CDERR_DIALOGFAILURE 0xFFFF  // no chooser could be shown
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002  // a malformed filter list
#define FNERR_INVALIDFILENAME 0x3002  // not a local file, not in CP932, or missing
// The path does not fit lpstrFile; its first two bytes then hold the size needed.
#define FNERR_BUFFERTOOSMALL 0x3003
