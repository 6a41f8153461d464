// Input-method functions: a window's input context, its composition and result
// strings in the program's code page, and where the candidate list goes.
#pragma once

#include "win32/windows.h"

struct HIMC__;
typedef HIMC__* HIMC;

// ImmGetCompositionStringA: which string.
#define GCS_COMPSTR 0x0008
#define GCS_RESULTSTR 0x0800

// ImmGetCompositionStringA: a failure, as opposed to an empty string (0).
#define IMM_ERROR_NODATA (-1)
#define IMM_ERROR_GENERAL (-2)

// Styles of CANDIDATEFORM.
#define CFS_CANDIDATEPOS 0x0040
#define CFS_EXCLUDE 0x0080

struct CANDIDATEFORM {
    DWORD dwIndex;  // which candidate list, 0 to 3
    DWORD dwStyle;  // CFS_CANDIDATEPOS or CFS_EXCLUDE
    POINT ptCurrentPos;
    RECT rcArea;  // with CFS_EXCLUDE: what the list must not cover
};
typedef CANDIDATEFORM* LPCANDIDATEFORM;

// The input context of a window, null for a window that is not live. While any
// context is held, keys go through the system's input method (IBus, Fcitx) and
// its text arrives; with none held, keys reach the program directly.
HIMC ImmGetContext(HWND hwnd);
BOOL ImmReleaseContext(HWND hwnd, HIMC himc);

// Whether the input method is on for this context. The platform cannot tell
// an input method's direct mode from its composing mode, so a held context
// counts as open; a null or released one as closed.
BOOL ImmGetOpenStatus(HIMC himc);

// The composition (GCS_COMPSTR) or the last result (GCS_RESULTSTR) in CP932.
// With no buffer or a length of 0: the string's length in bytes. Otherwise at
// most bufLen bytes are copied, never half a double-byte character, and the
// count copied is returned; there is no terminator. A null or released context
// or an unknown index gives IMM_ERROR_GENERAL.
LONG ImmGetCompositionStringA(HIMC himc, DWORD index, LPVOID buf, DWORD bufLen);

// Where the input method's candidate list goes, in client coordinates of the
// context's window: below the area given (CFS_EXCLUDE), or at the point
// (CFS_CANDIDATEPOS). FALSE for a dead context, another list than 0 to 3 or
// another style.
BOOL ImmSetCandidateWindow(HIMC himc, LPCANDIDATEFORM form);

// The input method's default window of a window. SDL composes text inside the
// program's own window, so there is no such window and the result is null.
HWND ImmGetDefaultIMEWnd(HWND hwnd);
