// File names as programs written for Windows give them: "\" between folders, and
// any mix of letter case, since the files were made on a system that ignores it.
// Here the separator is "/" and case matters, so each name is looked up.
#pragma once

#include <string>

namespace nol::base {

// The path under which the file or folder that name means can be opened here, or
// "" when there is none. "\" counts as a separator (never the second byte of a
// double-byte character); a component that does not exist as spelled is matched
// ignoring the case of ASCII letters, one folder listing per component. A drive
// letter ("C:\art\top.tga") names nothing here. A name that exists as given
// comes back unchanged.
std::string ResolvePath(const char* name);

}  // namespace nol::base
