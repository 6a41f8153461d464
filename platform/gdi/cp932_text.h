// CP932 (Shift-JIS) text as Unicode code points, one character at a time, for the
// glyph look-ups of the fonts.
#pragma once

#include <cstddef>
#include <string>

namespace nol::gdi {

// What a byte sequence that names no character becomes; the fonts draw it as
// their replacement glyph.
constexpr char32_t kReplacementChar = 0xFFFD;

// The character starting at text[*pos] (*pos < length). Advances *pos by the
// bytes it used: one, or two for a lead byte with a valid trail byte inside
// length. A lead byte without one (at the end, or before a byte that cannot
// follow it) is one replacement character, and the next byte starts afresh.
char32_t NextCp932(const char* text, size_t length, size_t* pos);

// The whole of text[0, length) appended to out.
void DecodeCp932(const char* text, size_t length, std::u32string* out);

}  // namespace nol::gdi
