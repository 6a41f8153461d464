// The sizes the program may give its structures: the size here, or the size on
// the original 32-bit platform where the two differ.
#pragma once

#include "win32/windows.h"

namespace nol::dsound8 {

// Accepted dwSize of structures whose size differs on the original 32-bit platform.
inline bool IsValidSize(DWORD size, DWORD native, DWORD original32) {
    return size == native || size == original32;
}

}  // namespace nol::dsound8
