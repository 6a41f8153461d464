// Formatted input over a buffer, character for character as fscanf takes it.
#include "scene/text_scanner.h"

#include <locale.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (Lower(c) >= 'a' && Lower(c) <= 'f'); }

// A larger integer than any count needs; "%d" magnitudes stop growing there.
constexpr uint64_t kIntegerCeiling = uint64_t(1) << 62;

// The C library's own conversion of [first, last), for what from_chars does not
// settle: hexadecimal numbers, and values beyond float's range, which strtof makes
// infinite or zero. Like strtof, it converts the longest prefix that is a number.
bool ConvertWithCLibrary(const char* first, const char* last, float* value) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    const std::string copy(first, last);
    char* stop = nullptr;
    *value = cLocale ? strtof_l(copy.c_str(), &stop, cLocale) : std::strtof(copy.c_str(), &stop);
    return stop != copy.c_str();
}

// A decimal number: from_chars reads the same longest prefix as strtof, rounds the
// same way, but takes no '+' and leaves values out of float's range to the caller.
bool ConvertDecimal(const char* first, const char* last, float* value) {
    const char* digits = *first == '+' ? first + 1 : first;
    const std::errc error = std::from_chars(digits, last, *value).ec;
    if (error == std::errc()) return true;
    if (error == std::errc::result_out_of_range) return ConvertWithCLibrary(first, last, value);
    return false;
}

}  // namespace

void TextScanner::SkipSpace() {
    while (p_ != end_ && IsFormatSpace(static_cast<unsigned char>(*p_))) ++p_;
}

bool TextScanner::ReadLiteral(char c) {
    if (p_ == end_ || *p_ != c) return false;
    ++p_;
    return true;
}

TextScanner::Result TextScanner::ReadInteger(int64_t* value) {
    SkipSpace();
    if (p_ == end_) return Result::End;
    const bool negative = *p_ == '-';
    if (*p_ == '-' || *p_ == '+') ++p_;
    if (p_ == end_ || !IsDigit(*p_)) return Result::Mismatch;
    uint64_t magnitude = 0;
    for (; p_ != end_ && IsDigit(*p_); ++p_)
        magnitude = std::min(magnitude * 10 + uint64_t(*p_ - '0'), kIntegerCeiling);  // no wrap: <= 2^62 * 10 + 9
    *value = negative ? -int64_t(magnitude) : int64_t(magnitude);
    return Result::Ok;
}

TextScanner::Result TextScanner::ReadToken(std::string_view* token) {
    SkipSpace();
    if (p_ == end_) return Result::End;
    const char* start = p_;
    while (p_ != end_ && !IsFormatSpace(static_cast<unsigned char>(*p_))) ++p_;
    *token = std::string_view(start, size_t(p_ - start));
    return Result::Ok;
}

// "nan", "inf" or "infinity", any letter case, p_ at the first letter.
TextScanner::Result TextScanner::ReadSpecialFloat(bool negative, float* value) {
    auto take = [this](std::string_view word) {
        for (char c : word) {
            if (p_ == end_ || Lower(*p_) != c) return false;
            ++p_;
        }
        return true;
    };
    float magnitude;
    if (Lower(*p_) == 'n') {
        if (!take("nan")) return Result::Mismatch;
        magnitude = std::numeric_limits<float>::quiet_NaN();
    } else {
        if (!take("inf")) return Result::Mismatch;
        // Once an "i" follows "inf", only the whole "infinity" will do.
        if (p_ != end_ && Lower(*p_) == 'i' && !take("inity")) return Result::Mismatch;
        magnitude = std::numeric_limits<float>::infinity();
    }
    *value = negative ? -magnitude : magnitude;
    return Result::Ok;
}

TextScanner::Result TextScanner::ReadFloat(float* value) {
    SkipSpace();
    if (p_ == end_) return Result::End;
    const char* start = p_;
    const bool negative = *p_ == '-';
    size_t signLength = 0;
    if (*p_ == '-' || *p_ == '+') {
        ++p_;
        signLength = 1;
        if (p_ == end_) return Result::Mismatch;
    }
    if (Lower(*p_) == 'n' || Lower(*p_) == 'i') return ReadSpecialFloat(negative, value);

    // The characters are taken as long as they could still continue a number;
    // what they then hold is converted as far as it is one.
    bool hex = false, digit = false, dot = false, exponent = false;
    if (*p_ == '0') {
        ++p_;
        if (p_ != end_ && Lower(*p_) == 'x') {
            hex = true;
            ++p_;
        } else {
            digit = true;
        }
    }
    const char exponentMark = hex ? 'p' : 'e';
    for (; p_ != end_; ++p_) {
        const char c = *p_;
        if (IsDigit(c) || (hex && !exponent && IsHexDigit(c))) {
            digit = true;
        } else if (exponent && Lower(p_[-1]) == exponentMark && (c == '-' || c == '+')) {
            // the exponent's sign
        } else if (digit && !exponent && Lower(c) == exponentMark) {
            exponent = dot = true;
        } else if (!dot && c == '.') {
            dot = true;
        } else {
            break;
        }
    }
    const size_t length = size_t(p_ - start);
    if (length == signLength || (hex && length == signLength + 2)) return Result::Mismatch;
    const bool converted = hex ? ConvertWithCLibrary(start, p_, value) : ConvertDecimal(start, p_, value);
    return converted ? Result::Ok : Result::Mismatch;
}
