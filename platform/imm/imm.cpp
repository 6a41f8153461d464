#include "imm/imm.h"

HWND ImmGetDefaultIMEWnd(HWND) { return nullptr; }
