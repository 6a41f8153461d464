// Member values of data objects, read in the order their template lays them out.
// Text gives one number or string per value, with ',' and ';' between them; binary
// gives runs of integers and floats as lists, and strings one by one.
#include <algorithm>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "d3dx8/xfile/x_body_parser.h"

namespace nol::d3dx8::xfile {

namespace {

constexpr uint64_t kMaxReserve = 64u << 20;

uint64_t SaturatingMul(uint64_t a, uint64_t b) {
    if (a != 0 && b > UINT64_MAX / a) return UINT64_MAX;
    return a * b;
}

uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

template <typename T>
void Append(std::vector<uint8_t>& data, T value) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    data.insert(data.end(), bytes, bytes + sizeof(T));
}

// Text numbers may carry a '+' that from_chars does not take.
std::string_view Unsigned(std::string_view s) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    return s;
}

}  // namespace

size_t XBodyParser::RemainingValueBytes() const {
    return lex_.Remaining() + size_t(listLeft_) * (listFloat_ ? size_t(lex_.FloatBytes()) : 4u);
}

bool XBodyParser::Members(const XTemplate& t, XData& obj, bool topLevel) {
    // Integer members seen so far, for arrays sized by them.
    uint64_t small[16];
    std::vector<uint64_t> large;
    uint64_t* integers = small;
    if (t.members.size() > 16) {
        large.resize(t.members.size());
        integers = large.data();
    }
    if (topLevel) obj.memberOffset.reserve(t.members.size());

    for (size_t i = 0; i < t.members.size(); ++i) {
        const XMember& m = t.members[i];
        if (topLevel) obj.memberOffset.push_back(obj.data.size());
        integers[i] = 0;
        if (!m.isArray) {
            if (!Element(m, obj, &integers[i])) return false;
            continue;
        }
        uint64_t count = 1;
        for (const XDimension& d : m.dims) count = SaturatingMul(count, d.member >= 0 ? integers[d.member] : d.size);
        const uint64_t each = m.primitive != XPrimitive::None ? 1 : m.type->minValues;
        if (count == 0 || each == 0) continue;  // nothing to read
        // Every value takes at least one character of text or four bytes of
        // binary: an array that cannot fit in the rest of the file is refused
        // before anything is allocated for it.
        const uint64_t least = SaturatingMul(SaturatingMul(count, each), lex_.Binary() ? 4 : 1);
        if (least > RemainingValueBytes())
            return Fail(XStatus::BadArraySize, lex_.Position(),
                        "array " + m.name + " of " + t.name + " claims " + std::to_string(count) +
                            " elements, more than the rest of the file holds");
        // Room for the elements when their size is known, up to a bound: a larger
        // array grows as its values actually arrive.
        const uint64_t elementBytes = m.primitive != XPrimitive::None ? PackedSize(m.primitive) : m.type->fixedBytes;
        if (elementBytes != XTemplate::kVariableSize)
            obj.data.reserve(obj.data.size() + size_t(std::min(SaturatingMul(count, elementBytes), kMaxReserve)));
        for (uint64_t k = 0; k < count; ++k)
            if (!Element(m, obj, nullptr)) return false;
    }
    return true;
}

bool XBodyParser::Element(const XMember& m, XData& obj, uint64_t* integer) {
    if (m.primitive != XPrimitive::None) return Primitive(m.primitive, obj, integer);
    // Nesting is bounded: templates are at most kMaxTemplateDepth deep.
    return Members(*m.type, obj, false);
}

bool XBodyParser::Primitive(XPrimitive p, XData& obj, uint64_t* integer) {
    switch (p) {
    case XPrimitive::Float:
    case XPrimitive::Double: {
        double v;
        if (!NextFloat(p, v)) return false;
        // A double beyond float's range is infinite as a float; converting it
        // directly would be undefined.
        if (p == XPrimitive::Float)
            Append(obj.data, std::fabs(v) > double(FLT_MAX) && std::isfinite(v)
                                 ? (v > 0 ? HUGE_VALF : -HUGE_VALF)
                                 : static_cast<float>(v));
        else Append(obj.data, v);
        return true;
    }
    case XPrimitive::String: {
        std::string_view s;
        if (!NextString(s) || !Charge(s.size() + 1 + sizeof(char*) + 32, lex_.Position())) return false;
        auto copy = std::make_unique<char[]>(s.size() + 1);
        std::memcpy(copy.get(), s.data(), s.size());
        copy[s.size()] = '\0';
        Append(obj.data, static_cast<const char*>(copy.get()));
        obj.strings.push_back(std::move(copy));
        return true;
    }
    default: break;
    }
    uint64_t v;
    if (!NextInteger(v)) return false;
    if (integer) *integer = v;
    // Stored at the member's own width; wider values keep their low bits.
    switch (PackedSize(p)) {
    case 1: Append(obj.data, static_cast<uint8_t>(v)); break;
    case 2: Append(obj.data, static_cast<uint16_t>(v)); break;
    case 4: Append(obj.data, static_cast<uint32_t>(v)); break;
    default: Append(obj.data, v); break;
    }
    return true;
}

// Binary integer and float lists hand out their values one at a time.
void XBodyParser::StartList(const XToken& t) {
    list_ = t.list;
    listLeft_ = t.count;
    listFloat_ = t.kind == XTok::FloatList;
}

bool XBodyParser::NextInteger(uint64_t& value) {
    for (;;) {
        if (listLeft_ > 0) {
            if (listFloat_) return Fail(XStatus::ParseError, lex_.Position(), "expected an integer, found a float");
            value = Read32(list_);
            list_ += 4;
            --listLeft_;
            return true;
        }
        XToken t = lex_.NextValue();
        switch (t.kind) {
        case XTok::Comma:
        case XTok::Semicolon: continue;
        case XTok::IntegerList:
        case XTok::FloatList: StartList(t); continue;
        case XTok::Integer: value = t.integer; return true;
        case XTok::Number: {
            const std::string_view text = Unsigned(t.text);
            const char* end = text.data() + text.size();
            int64_t v;
            auto r = std::from_chars(text.data(), end, v);
            if (r.ec == std::errc() && r.ptr == end) {
                value = static_cast<uint64_t>(v);
                return true;
            }
            uint64_t u;
            r = std::from_chars(text.data(), end, u);
            if (r.ec == std::errc() && r.ptr == end) {
                value = u;
                return true;
            }
            // "3.000000" where an integer belongs: taken when it is whole.
            double d;
            r = std::from_chars(text.data(), end, d);
            if (r.ec == std::errc() && r.ptr == end && std::floor(d) == d && std::fabs(d) < 9.0e15) {
                value = static_cast<uint64_t>(static_cast<int64_t>(d));
                return true;
            }
            return Fail(XStatus::ParseError, t.offset, "malformed integer \"" + std::string(t.text) + "\"");
        }
        case XTok::Error: return LexFail();
        case XTok::End: return Fail(XStatus::ParseError, t.offset, "file ends inside the values of an object");
        default:
            return Fail(XStatus::ParseError, t.offset, std::string("expected an integer, found ") + Describe(t.kind));
        }
    }
}

bool XBodyParser::NextFloat(XPrimitive p, double& value) {
    for (;;) {
        if (listLeft_ > 0) {
            if (!listFloat_) {
                value = static_cast<int32_t>(Read32(list_));
                list_ += 4;
            } else if (lex_.FloatBytes() == 8) {
                std::memcpy(&value, list_, 8);
                list_ += 8;
            } else {
                float f;
                std::memcpy(&f, list_, 4);
                value = f;
                list_ += 4;
            }
            --listLeft_;
            return true;
        }
        XToken t = lex_.NextValue();
        switch (t.kind) {
        case XTok::Comma:
        case XTok::Semicolon: continue;
        case XTok::IntegerList:
        case XTok::FloatList: StartList(t); continue;
        case XTok::Integer: value = static_cast<int32_t>(t.integer); return true;
        case XTok::Number: {
            const std::string_view text = Unsigned(t.text);
            const char* end = text.data() + text.size();
            std::from_chars_result r;
            // A FLOAT member is read straight to float, so that a value written
            // in its shortest form comes back exactly.
            value = 0.0;
            if (p == XPrimitive::Float) {
                float f = 0.0f;
                r = std::from_chars(text.data(), end, f);
                value = f;
            } else {
                r = std::from_chars(text.data(), end, value);
            }
            if (r.ptr != end || (r.ec != std::errc() && r.ec != std::errc::result_out_of_range))
                return Fail(XStatus::ParseError, t.offset, "malformed number \"" + std::string(t.text) + "\"");
            return true;
        }
        case XTok::Error: return LexFail();
        case XTok::End: return Fail(XStatus::ParseError, t.offset, "file ends inside the values of an object");
        default:
            return Fail(XStatus::ParseError, t.offset, std::string("expected a number, found ") + Describe(t.kind));
        }
    }
}

bool XBodyParser::NextString(std::string_view& value) {
    if (listLeft_ > 0) return Fail(XStatus::ParseError, lex_.Position(), "expected a string, found a number");
    for (;;) {
        XToken t = lex_.NextValue();
        switch (t.kind) {
        case XTok::Comma:
        case XTok::Semicolon: continue;
        case XTok::String: value = t.text; return true;
        case XTok::Error: return LexFail();
        case XTok::End: return Fail(XStatus::ParseError, t.offset, "file ends inside the values of an object");
        default:
            return Fail(XStatus::ParseError, t.offset, std::string("expected a string, found ") + Describe(t.kind));
        }
    }
}

}  // namespace nol::d3dx8::xfile
