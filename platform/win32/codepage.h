// Conversions between the program's code page (CP932) and UTF-8, used where text
// leaves or enters the program: window titles, message boxes, debugger output,
// typed characters.
#pragma once

#include <string>

// Bytes that do not convert are replaced by '?', so the result is always usable.
std::string Cp932ToUtf8(const std::string& cp932);
std::string Utf8ToCp932(const std::string& utf8);
