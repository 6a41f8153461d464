// Tokens of a .x file body, from either encoding. The text encoding is split at
// blanks, comments and punctuation; numbers stay as their text until the reader
// knows which type a member wants. The binary encoding is a stream of 16-bit token
// codes, some followed by a record (a name, a string, an integer, a GUID, or a list
// of integers or floats); lists are handed out as raw little-endian data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "com/objbase.h"
#include "d3dx8/xfile/x_template.h"

namespace nol::d3dx8::xfile {

enum class XTok : uint8_t {
    End,
    Error,
    Name,
    String,       // text without its quotes
    Number,       // text encoding: the number's characters
    Integer,      // binary TOKEN_INTEGER
    Guid,
    IntegerList,  // binary: count 32-bit integers at list
    FloatList,    // binary: count floats (4 or 8 bytes each) at list
    OBrace,
    CBrace,
    OParen,
    CParen,
    OBracket,
    CBracket,
    OAngle,
    CAngle,
    Dot,
    Comma,
    Semicolon,
    Template,
    Array,
    Primitive,
};

struct XToken {
    XTok kind = XTok::End;
    XPrimitive primitive = XPrimitive::None;
    uint32_t count = 0;
    // Name, String, Number: the characters; keywords: as written; Guid: its
    // digits (text) or its 16 bytes (binary), read with XLexer::GuidOf.
    std::string_view text;
    uint32_t integer = 0;
    const uint8_t* list = nullptr;
    size_t offset = 0;  // where the token starts in the body
};

// Binary token codes.
enum : uint16_t {
    kTokName = 1,
    kTokString = 2,
    kTokInteger = 3,
    kTokGuid = 5,
    kTokIntegerList = 6,
    kTokFloatList = 7,
    kTokOBrace = 10,
    kTokCBrace = 11,
    kTokOParen = 12,
    kTokCParen = 13,
    kTokOBracket = 14,
    kTokCBracket = 15,
    kTokOAngle = 16,
    kTokCAngle = 17,
    kTokDot = 18,
    kTokComma = 19,
    kTokSemicolon = 20,
    kTokTemplate = 31,
    kTokWord = 40,
    kTokDword = 41,
    kTokFloat = 42,
    kTokDouble = 43,
    kTokChar = 44,
    kTokUchar = 45,
    kTokSword = 46,
    kTokSdword = 47,
    kTokVoid = 48,
    kTokLpstr = 49,
    kTokUnicode = 50,
    kTokCstring = 51,
    kTokArray = 52,
};

class XLexer {
public:
    XLexer(const uint8_t* data, size_t size, bool binary, int floatBits)
        : data_(data), size_(size), binary_(binary), floatBytes_(floatBits == 64 ? 8 : 4) {}

    // The next token; XTok::Error carries its reason in Error().
    XToken Next();
    // The next token that is not ',' or ';': where member values are read, the
    // separators carry nothing.
    XToken NextValue();
    // The next token without consuming it.
    const XToken& Peek();
    // The value of a Guid token.
    GUID GuidOf(const XToken& t) const;

    bool Binary() const { return binary_; }
    int FloatBytes() const { return floatBytes_; }
    // Bytes not yet consumed (a peeked token counts as not consumed).
    size_t Remaining() const { return size_ - (peeked_ ? peek_.offset : pos_); }
    size_t Position() const { return peeked_ ? peek_.offset : pos_; }
    // The reason for the last XTok::Error and where it happened.
    const std::string& Error() const { return error_; }
    size_t ErrorOffset() const { return errorOffset_; }

private:
    void Lex(XToken& t);
    void NextText(XToken& t);
    void NextBinary(XToken& t);
    void SkipBlanks(bool separators);
    void Fail(XToken& t, size_t at, std::string reason);

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool binary_;
    int floatBytes_;
    bool peeked_ = false;
    XToken peek_;
    std::string error_;
    size_t errorOffset_ = 0;
};

}  // namespace nol::d3dx8::xfile
