// Reading a whole file into memory, with a limit on its size checked before
// anything is allocated for it.
#pragma once

#include <cstddef>
#include <string>

enum class WholeFileResult {
    Ok,
    CannotOpen,
    TooLarge,  // longer than the limit
    ReadError,  // opened, but not readable (a folder, an I/O error)
};

// The bytes of the file at path, unchanged. A path that does not open as given is
// looked up as a name made on Windows ("\" separators, any letter case).
WholeFileResult ReadWholeFile(const char* path, size_t maxBytes, std::string* bytes);
