// The chosen path on its way from the chooser (a UTF-8 path or a file:// URI) to
// the caller's buffer (CP932).
#pragma once

#include <cstddef>
#include <string>

namespace nol::comdlg {

// The local path of a file:// URI, unescaped. False for any other scheme, for a
// host other than localhost, and for a bad or NUL escape.
bool LocalPathFromUri(const std::string& uri, std::string* path);

// The path with "." + extension appended when its file name has no extension of
// its own (a dot after its first character). extension may start with its dot;
// an empty one changes nothing.
std::string WithDefaultExtension(const std::string& path, std::string extension);

// False when a character has no CP932 form: the converted name would be another
// file's.
bool PathToCp932(const std::string& utf8, std::string* cp932);

// Where the file name starts in a CP932 path, and where its extension starts
// (after the dot; the path's length when it has none).
void NameOffsets(const std::string& cp932, size_t* name, size_t* extension);

}  // namespace nol::comdlg
