// The dialogs' filter list: pairs of zero-terminated strings in the program's
// code page, (description, patterns separated by ';'), ended by an empty string.
#pragma once

#include <vector>

#include "comdlg/file_request.h"

namespace nol::comdlg {

// The list scanned no further than this: a list without its end is refused
// rather than read on through memory.
constexpr size_t kMaxFilterListBytes = 32768;

// False (filters untouched) for a list that does not end within
// kMaxFilterListBytes, or a description without patterns. Null is an empty list.
bool ParseFilterList(const char* list, std::vector<FileFilter>* filters);

}  // namespace nol::comdlg
