#include "d3dx8/xfile/x_lexer.h"

#include <cctype>
#include <cstring>

#include "d3dx8/xfile/x_guid.h"

namespace nol::d3dx8::xfile {

namespace {

constexpr size_t kMaxGuidText = 64;

// What each byte is to the text scanner.
enum CharClass : uint8_t { kWordChar, kBlank, kPunct, kSlash };

struct CharTable {
    CharClass c[256];
    constexpr CharTable() : c() {
        for (int i = 0; i < 256; ++i) c[i] = i <= ' ' ? kBlank : kWordChar;
        for (unsigned char p : std::string_view("{}[](),;<>\"#")) c[p] = kPunct;
        c[static_cast<unsigned char>('/')] = kSlash;
    }
};
constexpr CharTable kChars;

// Whether a word ends before data[i]: at a blank, punctuation or "//".
bool EndsWord(const uint8_t* data, size_t i, size_t size) {
    const CharClass k = kChars.c[data[i]];
    return k == kBlank || k == kPunct || (k == kSlash && i + 1 < size && data[i + 1] == '/');
}

bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// word equals the lower-case keyword, ignoring the case of word.
bool SameWord(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(word[i])) != keyword[i]) return false;
    return true;
}

uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

XPrimitive BinaryPrimitive(uint16_t code) {
    switch (code) {
    case kTokWord: return XPrimitive::Word;
    case kTokDword: return XPrimitive::Dword;
    case kTokFloat: return XPrimitive::Float;
    case kTokDouble: return XPrimitive::Double;
    case kTokChar: return XPrimitive::Char;
    case kTokUchar: return XPrimitive::Uchar;
    case kTokSword: return XPrimitive::Sword;
    case kTokSdword: return XPrimitive::Sdword;
    case kTokLpstr:
    case kTokUnicode:
    case kTokCstring: return XPrimitive::String;
    default: return XPrimitive::None;
    }
}

}  // namespace

void XLexer::Fail(XToken& t, size_t at, std::string reason) {
    error_ = std::move(reason);
    errorOffset_ = at;
    t = XToken{};
    t.kind = XTok::Error;
    t.offset = at;
    pos_ = size_;  // nothing more is read after an error
}

const XToken& XLexer::Peek() {
    if (!peeked_) {
        Lex(peek_);
        peeked_ = true;
    }
    return peek_;
}

GUID XLexer::GuidOf(const XToken& t) const {
    GUID guid{};
    if (t.kind != XTok::Guid) return guid;
    if (!binary_) {
        ParseGuid(t.text, guid);  // checked when the token was read
        return guid;
    }
    const auto* p = reinterpret_cast<const uint8_t*>(t.text.data());
    guid.Data1 = Read32(p);
    guid.Data2 = static_cast<uint16_t>(p[4] | (p[5] << 8));
    guid.Data3 = static_cast<uint16_t>(p[6] | (p[7] << 8));
    std::memcpy(guid.Data4, p + 8, 8);
    return guid;
}

void XLexer::Lex(XToken& t) {
    if (binary_) NextBinary(t);
    else NextText(t);
}

XToken XLexer::Next() {
    XToken t;
    if (peeked_) {
        peeked_ = false;
        t = peek_;
    } else {
        Lex(t);
    }
    return t;
}

XToken XLexer::NextValue() {
    XToken t;
    for (;;) {
        if (peeked_) {
            peeked_ = false;
            t = peek_;
        } else {
            if (!binary_) SkipBlanks(true);
            Lex(t);
        }
        if (t.kind != XTok::Comma && t.kind != XTok::Semicolon) return t;
    }
}

void XLexer::SkipBlanks(bool separators) {
    for (;;) {
        while (pos_ < size_ && (data_[pos_] <= ' ' || (separators && (data_[pos_] == ',' || data_[pos_] == ';'))))
            ++pos_;
        if (pos_ >= size_) return;
        const uint8_t c = data_[pos_];
        if (c != '#' && !(c == '/' && pos_ + 1 < size_ && data_[pos_ + 1] == '/')) return;
        while (pos_ < size_ && data_[pos_] != '\n') ++pos_;
    }
}

void XLexer::NextText(XToken& t) {
    SkipBlanks(false);
    t = XToken{};
    t.offset = pos_;
    if (pos_ >= size_) return;  // End

    const uint8_t c = data_[pos_];
    auto single = [&](XTok kind) {
        t.kind = kind;
        t.text = std::string_view(reinterpret_cast<const char*>(data_ + pos_), 1);
        ++pos_;
    };
    switch (c) {
    case '{': return single(XTok::OBrace);
    case '}': return single(XTok::CBrace);
    case '[': return single(XTok::OBracket);
    case ']': return single(XTok::CBracket);
    case '(': return single(XTok::OParen);
    case ')': return single(XTok::CParen);
    case ',': return single(XTok::Comma);
    case ';': return single(XTok::Semicolon);
    case '>': return single(XTok::CAngle);
    case '<': {
        // A GUID in angle brackets.
        size_t end = pos_ + 1;
        while (end < size_ && data_[end] != '>' && end - pos_ <= kMaxGuidText) ++end;
        if (end >= size_ || data_[end] != '>') return Fail(t, pos_, "unterminated GUID");
        std::string_view inner(reinterpret_cast<const char*>(data_ + pos_ + 1), end - pos_ - 1);
        GUID guid;
        if (!ParseGuid(inner, guid)) return Fail(t, pos_, "malformed GUID <" + std::string(inner) + ">");
        t.kind = XTok::Guid;
        t.text = inner;
        pos_ = end + 1;
        return;
    }
    case '"': {
        const uint8_t* start = data_ + pos_ + 1;
        const void* close = std::memchr(start, '"', size_ - pos_ - 1);
        if (!close) return Fail(t, pos_, "unterminated string");
        const size_t len = static_cast<const uint8_t*>(close) - start;
        t.kind = XTok::String;
        t.text = std::string_view(reinterpret_cast<const char*>(start), len);
        pos_ += len + 2;
        return;
    }
    default: break;
    }
    if (c == '.' && !(pos_ + 1 < size_ && IsDigit(data_[pos_ + 1]))) return single(XTok::Dot);

    // A word: a number or a name, up to the next delimiter.
    size_t end = pos_;
    while (end < size_ && !EndsWord(data_, end, size_)) ++end;
    t.text = std::string_view(reinterpret_cast<const char*>(data_ + pos_), end - pos_);
    pos_ = end;
    if (IsDigit(c) || c == '-' || c == '+' || c == '.') {
        t.kind = XTok::Number;
        return;
    }
    t.kind = XTok::Name;
    // Keywords, in any case.
    if (SameWord(t.text, "template")) {
        t.kind = XTok::Template;
    } else if (SameWord(t.text, "array")) {
        t.kind = XTok::Array;
    } else if (XPrimitive p = PrimitiveFromKeyword(t.text); p != XPrimitive::None) {
        t.kind = XTok::Primitive;
        t.primitive = p;
    }
    return;
}

void XLexer::NextBinary(XToken& t) {
    t = XToken{};
    t.offset = pos_;
    if (pos_ >= size_) return;  // End
    if (size_ - pos_ < 2) return Fail(t, pos_, "binary token cut short");
    const uint16_t code = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    const size_t left = size_ - pos_;
    switch (code) {
    case kTokName:
    case kTokString: {
        if (left < 4) return Fail(t, t.offset, "binary name or string cut short");
        const uint32_t len = Read32(data_ + pos_);
        if (len > left - 4) return Fail(t, t.offset, "binary name or string runs past the end");
        t.kind = code == kTokName ? XTok::Name : XTok::String;
        t.text = std::string_view(reinterpret_cast<const char*>(data_ + pos_ + 4), len);
        pos_ += 4 + size_t(len);
        // A string's terminator is documented as a 32-bit token, but files carry
        // it as an ordinary 16-bit one. No token has the code 0, so a ';' or ','
        // followed by two zero bytes can only be the long form: it is dropped.
        if (code == kTokString && size_ - pos_ >= 4 && (data_[pos_] == kTokSemicolon || data_[pos_] == kTokComma) &&
            data_[pos_ + 1] == 0 && data_[pos_ + 2] == 0 && data_[pos_ + 3] == 0)
            pos_ += 4;
        return;
    }
    case kTokInteger:
        if (left < 4) return Fail(t, t.offset, "binary integer cut short");
        t.kind = XTok::Integer;
        t.integer = Read32(data_ + pos_);
        pos_ += 4;
        return;
    case kTokGuid: {
        if (left < 16) return Fail(t, t.offset, "binary GUID cut short");
        t.kind = XTok::Guid;
        t.text = std::string_view(reinterpret_cast<const char*>(data_ + pos_), 16);
        pos_ += 16;
        return;
    }
    case kTokIntegerList:
    case kTokFloatList: {
        if (left < 4) return Fail(t, t.offset, "binary list cut short");
        const uint32_t count = Read32(data_ + pos_);
        const uint64_t bytes = uint64_t(count) * (code == kTokIntegerList ? 4u : unsigned(floatBytes_));
        if (bytes > left - 4)
            return Fail(t, t.offset, "binary list of " + std::to_string(count) + " values runs past the end");
        t.kind = code == kTokIntegerList ? XTok::IntegerList : XTok::FloatList;
        t.count = count;
        t.list = data_ + pos_ + 4;
        pos_ += 4 + size_t(bytes);
        return;
    }
    case kTokOBrace: t.kind = XTok::OBrace; return;
    case kTokCBrace: t.kind = XTok::CBrace; return;
    case kTokOParen: t.kind = XTok::OParen; return;
    case kTokCParen: t.kind = XTok::CParen; return;
    case kTokOBracket: t.kind = XTok::OBracket; return;
    case kTokCBracket: t.kind = XTok::CBracket; return;
    case kTokOAngle: t.kind = XTok::OAngle; return;
    case kTokCAngle: t.kind = XTok::CAngle; return;
    case kTokDot: t.kind = XTok::Dot; return;
    case kTokComma: t.kind = XTok::Comma; return;
    case kTokSemicolon: t.kind = XTok::Semicolon; return;
    case kTokTemplate: t.kind = XTok::Template; return;
    case kTokArray: t.kind = XTok::Array; return;
    default:
        if (XPrimitive p = BinaryPrimitive(code); p != XPrimitive::None) {
            t.kind = XTok::Primitive;
            t.primitive = p;
            t.text = PrimitiveKeyword(p);
            return;
        }
        return Fail(t, t.offset, "unknown binary token " + std::to_string(code));
    }
}

}  // namespace nol::d3dx8::xfile
