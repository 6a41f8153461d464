// Text read item by item as the C library's formatted input reads it (fscanf in
// the "C" locale): white space, "%d" integers, "%s" tokens, "%f" numbers and
// literal characters. Each read takes exactly the characters fscanf would take
// and gives the value fscanf would store, from a buffer in memory, whatever the
// program's locale. A NUL byte is an ordinary character, as in a file.
//
// "%f" follows the GNU C library, including its leniencies: a number may end in
// an unfinished exponent ("1e", "1e+" read as 1, the "e" and "+" taken), "0x."
// reads as 0, "nan" takes no parenthesised tail, and "inf" followed by an "i"
// must go on to "infinity". A bare sign, ".", "0x" or "infin" is a mismatch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class TextScanner {
public:
    enum class Result {
        Ok,
        End,       // the text ended before the item began (fscanf's input failure)
        Mismatch,  // the characters there do not make the item
    };

    TextScanner(const char* text, size_t size) : begin_(text), p_(text), end_(text + size) {}

    // White space as a blank in a format skips it: any amount, none included.
    void SkipSpace();
    // "%d": optional sign and decimal digits. Values beyond the 64-bit range
    // saturate (callers take only what fits their counts).
    Result ReadInteger(int64_t* value);
    // "%s": the characters up to the next white space. The view points into the text.
    Result ReadToken(std::string_view* token);
    // "%f".
    Result ReadFloat(float* value);
    // A literal character of a format: taken only when it comes next (no white
    // space is skipped before it).
    bool ReadLiteral(char c);

    bool AtEnd() const { return p_ == end_; }
    size_t Offset() const { return size_t(p_ - begin_); }
    size_t Remaining() const { return size_t(end_ - p_); }

private:
    Result ReadSpecialFloat(bool negative, float* value);
    const char* begin_;
    const char* p_;
    const char* end_;
};

// What the C library's isspace says in the "C" locale.
inline bool IsFormatSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
