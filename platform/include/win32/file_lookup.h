// Finding the file a Windows program means by a name: "\" between folders and
// letter case that need not match the file's (that system ignores it).
#pragma once

#include <string>

// The path under which the file named name opens here, or "" when there is none.
// "\" is a separator; a component missing as spelled is matched ignoring the case
// of ASCII letters. A drive letter ("C:\art\top.tga") names nothing here. A name
// that opens as given comes back unchanged.
std::string NolFindFile(const char* name);
