#include "d3dx8/xfile/x_emitter.h"

#include <charconv>
#include <cstring>

#include "d3dx8/xfile/x_guid.h"
#include "d3dx8/xfile/x_lexer.h"

namespace nol::d3dx8::xfile {

namespace {

uint16_t PrimitiveToken(XPrimitive p) {
    switch (p) {
    case XPrimitive::Word: return kTokWord;
    case XPrimitive::Dword: return kTokDword;
    case XPrimitive::Float: return kTokFloat;
    case XPrimitive::Double: return kTokDouble;
    case XPrimitive::Char: return kTokChar;
    case XPrimitive::Uchar: return kTokUchar;
    case XPrimitive::Sword: return kTokSword;
    case XPrimitive::Sdword: return kTokSdword;
    default: return kTokLpstr;
    }
}

}  // namespace

// ---- binary pieces ---------------------------------------------------------------

void XEmitter::Token(uint16_t code) {
    out_.push_back(static_cast<uint8_t>(code));
    out_.push_back(static_cast<uint8_t>(code >> 8));
}

void XEmitter::U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void XEmitter::NameToken(uint16_t code, std::string_view s) {
    Token(code);
    U32(static_cast<uint32_t>(s.size()));
    out_.insert(out_.end(), s.begin(), s.end());
}

void XEmitter::Flush() {
    if (!ints_.empty()) {
        Token(kTokIntegerList);
        U32(static_cast<uint32_t>(ints_.size()));
        for (uint32_t v : ints_) U32(v);
        ints_.clear();
    }
    if (!floats_.empty()) {
        Token(kTokFloatList);
        U32(static_cast<uint32_t>(floats_.size()));
        for (double v : floats_) {
            uint8_t bytes[8];
            size_t n = 8;
            if (floatBits_ == 64) {
                std::memcpy(bytes, &v, 8);
            } else {
                const float f = static_cast<float>(v);
                std::memcpy(bytes, &f, 4);
                n = 4;
            }
            out_.insert(out_.end(), bytes, bytes + n);
        }
        floats_.clear();
    }
}

// ---- templates -------------------------------------------------------------------

void XEmitter::Template(const XTemplate& t) {
    if (!binary_) {
        Text("template " + t.name + " {\n <" + FormatGuid(t.guid) + ">\n");
        for (const XMember& m : t.members) {
            const std::string type = m.primitive != XPrimitive::None ? PrimitiveKeyword(m.primitive) : m.type->name;
            Text(m.isArray ? " array " + type + " " + m.name : " " + type + (m.name.empty() ? "" : " " + m.name));
            for (const XDimension& d : m.dims)
                Text("[" + (d.member >= 0 ? t.members[d.member].name : std::to_string(d.size)) + "]");
            Text(";\n");
        }
        if (t.restriction == XRestriction::Open) Text(" [...]\n");
        if (t.restriction == XRestriction::Restricted) {
            Text(" [");
            for (size_t i = 0; i < t.allowed.size(); ++i) Text((i ? ", " : "") + t.allowed[i]);
            Text("]\n");
        }
        Text("}\n\n");
        return;
    }
    Token(kTokTemplate);
    NameToken(kTokName, t.name);
    Token(kTokOBrace);
    Token(kTokGuid);
    U32(t.guid.Data1);
    Token(t.guid.Data2);
    Token(t.guid.Data3);
    out_.insert(out_.end(), t.guid.Data4, t.guid.Data4 + 8);
    for (const XMember& m : t.members) {
        if (m.isArray) Token(kTokArray);
        if (m.primitive != XPrimitive::None) Token(PrimitiveToken(m.primitive));
        else NameToken(kTokName, m.type->name);
        if (!m.name.empty()) NameToken(kTokName, m.name);
        for (const XDimension& d : m.dims) {
            Token(kTokOBracket);
            if (d.member >= 0) {
                NameToken(kTokName, t.members[d.member].name);
            } else {
                Token(kTokInteger);
                U32(d.size);
            }
            Token(kTokCBracket);
        }
        Token(kTokSemicolon);
    }
    if (t.restriction != XRestriction::Closed) {
        Token(kTokOBracket);
        if (t.restriction == XRestriction::Open) {
            for (int i = 0; i < 3; ++i) Token(kTokDot);
        }
        for (size_t i = 0; i < t.allowed.size(); ++i) {
            if (i) Token(kTokComma);
            NameToken(kTokName, t.allowed[i]);
        }
        Token(kTokCBracket);
    }
    Token(kTokCBrace);
}

// ---- objects ---------------------------------------------------------------------

void XEmitter::Object(const XNode& node, int indent) {
    if (!node.tmpl) {  // a reference
        if (binary_) {
            Token(kTokOBrace);
            NameToken(kTokName, node.name);
            Token(kTokCBrace);
        } else {
            Indent(indent);
            Text("{ " + node.name + " }\n");
        }
        return;
    }
    size_t number = 0, string = 0;
    if (binary_) {
        NameToken(kTokName, node.tmpl->name);
        if (!node.name.empty()) NameToken(kTokName, node.name);
        Token(kTokOBrace);
        Members(*node.tmpl, node, number, string, 0, true);
        Flush();
        for (const XNode& child : node.children) Object(child, 0);
        Token(kTokCBrace);
        return;
    }
    Indent(indent);
    Text(node.tmpl->name + (node.name.empty() ? "" : " " + node.name) + " {\n");
    Members(*node.tmpl, node, number, string, indent + 1, true);
    if (!node.children.empty()) Text("\n");
    for (const XNode& child : node.children) Object(child, indent + 1);
    Indent(indent);
    Text("}\n");
}

void XEmitter::Value(XPrimitive p, const XNode& node, size_t& number, size_t& string, uint64_t* integer) {
    if (p == XPrimitive::String) {
        const std::string& s = string < node.strings.size() ? node.strings[string] : std::string();
        ++string;
        if (binary_) {
            Flush();
            NameToken(kTokString, s);
            Token(kTokSemicolon);
        } else {
            Text("\"" + s + "\"");
        }
        return;
    }
    const double v = number < node.numbers.size() ? node.numbers[number] : 0.0;
    ++number;
    if (p == XPrimitive::Float || p == XPrimitive::Double) {
        if (binary_) {
            if (!ints_.empty()) Flush();
            floats_.push_back(v);
            return;
        }
        // Shortest form that reads back to the same value.
        char buf[32];
        auto r = p == XPrimitive::Float ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(v))
                                        : std::to_chars(buf, buf + sizeof buf, v);
        Text(std::string_view(buf, r.ptr - buf));
        return;
    }
    const int64_t i = static_cast<int64_t>(v);
    if (integer) *integer = static_cast<uint64_t>(i);
    if (binary_) {
        if (!floats_.empty()) Flush();
        ints_.push_back(static_cast<uint32_t>(i));
        return;
    }
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, i);
    Text(std::string_view(buf, r.ptr - buf));
}

void XEmitter::Members(const XTemplate& t, const XNode& node, size_t& number, size_t& string, int indent, bool top) {
    std::vector<uint64_t> integers(t.members.size(), 0);
    for (size_t i = 0; i < t.members.size(); ++i) {
        const XMember& m = t.members[i];
        if (!binary_ && top) Indent(indent);
        if (!m.isArray) {
            if (m.primitive != XPrimitive::None) Value(m.primitive, node, number, string, &integers[i]);
            else Members(*m.type, node, number, string, indent, false);
            if (!binary_) Text(top ? ";\n" : ";");
            continue;
        }
        uint64_t count = 1;
        for (const XDimension& d : m.dims) count *= d.member >= 0 ? integers[d.member] : d.size;
        // Arrays of templates put one element on each line.
        const bool lines = !binary_ && top && m.primitive == XPrimitive::None;
        for (uint64_t k = 0; k < count; ++k) {
            if (!binary_ && k > 0) {
                Text(",");
                if (lines) {
                    Text("\n");
                    Indent(indent);
                }
            }
            if (m.primitive != XPrimitive::None) Value(m.primitive, node, number, string, nullptr);
            else Members(*m.type, node, number, string, indent, false);
        }
        if (!binary_) Text(top ? ";\n" : ";");
    }
}

}  // namespace nol::d3dx8::xfile
