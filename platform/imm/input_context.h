// The input contexts, one per window, for the functions of imm.h. Used inside
// platform/imm only.
#pragma once

#include "imm/composition.h"
#include "imm/imm.h"

namespace nol::imm {

// The live context behind a handle, or null for a null, released or unknown one.
Composition* FindComposition(HIMC himc);
// The window a live context belongs to, or null.
HWND ContextWindow(HIMC himc);

}  // namespace nol::imm
