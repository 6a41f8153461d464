// Conversions between the program's code page (CP932) and UTF-8, used where text
// leaves or enters the program: window titles, message boxes, debugger output,
// typed characters.
#pragma once

#include <string>

// Bytes that do not convert are replaced by '?', so the result is always usable;
// a UTF-8 character CP932 has no code for becomes one '?'.
namespace nol::base {

std::string Cp932ToUtf8(const std::string& cp932);
std::string Utf8ToCp932(const std::string& utf8);

// UTF-8 to UTF-16; malformed sequences become U+FFFD, one per bad byte.
std::u16string Utf8ToUtf16(const std::string& utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& utf16);

}  // namespace nol::base
