// The file a RenderFile name means, and its URI for GStreamer.
#pragma once

#include <string>

#include "win32/windows.h"

namespace nol::dshow {

// The path of the regular file that name means: '\' separates folders as '/' does;
// the name is looked up as a Linux desktop spells file names (UTF-8), then as the
// rest of the platform opens files (the program's code page, ASCII letters in any
// case). "" with the reason when there is no such file.
std::string MediaFilePath(LPCWSTR name, std::string* reason);

// The file: URI of a path (made absolute from the working directory); "" when
// the path cannot be one.
std::string FileUri(const std::string& path);

}  // namespace nol::dshow
