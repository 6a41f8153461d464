// GUIDs as the .x text form writes them: 8-4-4-4-12 hexadecimal digits.
#pragma once

#include <string>
#include <string_view>

#include "com/objbase.h"

namespace nol::d3dx8::xfile {

// Parses "3D82AB44-62DA-11CF-AB39-0020AF71E433" (surrounding blanks allowed,
// no angle brackets). Returns false on anything else.
bool ParseGuid(std::string_view text, GUID& out);

// "3D82AB44-62DA-11CF-AB39-0020AF71E433", upper case.
std::string FormatGuid(const GUID& guid);

}  // namespace nol::d3dx8::xfile
