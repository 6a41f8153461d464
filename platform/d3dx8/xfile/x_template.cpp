#include "d3dx8/xfile/x_template.h"

#include <algorithm>
#include <cctype>

namespace nol::d3dx8::xfile {

namespace {

struct Keyword {
    const char* word;
    XPrimitive primitive;
};

constexpr Keyword kKeywords[] = {
    {"WORD", XPrimitive::Word},       {"DWORD", XPrimitive::Dword},
    {"FLOAT", XPrimitive::Float},     {"DOUBLE", XPrimitive::Double},
    {"CHAR", XPrimitive::Char},       {"UCHAR", XPrimitive::Uchar},
    {"BYTE", XPrimitive::Uchar},      {"SWORD", XPrimitive::Sword},
    {"SDWORD", XPrimitive::Sdword},   {"ULONGLONG", XPrimitive::Ulonglong},
    {"STRING", XPrimitive::String},   {"LPSTR", XPrimitive::String},
    {"CSTRING", XPrimitive::String},  {"UNICODE", XPrimitive::String},
};

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

uint64_t SaturatingMul(uint64_t a, uint64_t b) {
    constexpr uint64_t kMax = UINT64_MAX;
    if (a != 0 && b > kMax / a) return kMax;
    return a * b;
}

uint64_t SaturatingAdd(uint64_t a, uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

}  // namespace

size_t PackedSize(XPrimitive p) {
    switch (p) {
    case XPrimitive::Word:
    case XPrimitive::Sword: return 2;
    case XPrimitive::Dword:
    case XPrimitive::Sdword:
    case XPrimitive::Float: return 4;
    case XPrimitive::Double:
    case XPrimitive::Ulonglong: return 8;
    case XPrimitive::Char:
    case XPrimitive::Uchar: return 1;
    case XPrimitive::String: return sizeof(const char*);
    case XPrimitive::None: break;
    }
    return 0;
}

bool IsInteger(XPrimitive p) {
    switch (p) {
    case XPrimitive::Word:
    case XPrimitive::Dword:
    case XPrimitive::Char:
    case XPrimitive::Uchar:
    case XPrimitive::Sword:
    case XPrimitive::Sdword:
    case XPrimitive::Ulonglong: return true;
    default: return false;
    }
}

XPrimitive PrimitiveFromKeyword(std::string_view word) {
    if (word.size() > 9) return XPrimitive::None;
    for (const Keyword& k : kKeywords) {
        std::string_view kw = k.word;
        if (kw.size() != word.size()) continue;
        bool same = true;
        for (size_t i = 0; i < kw.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(word[i])) == kw[i];
        if (same) return k.primitive;
    }
    return XPrimitive::None;
}

const char* PrimitiveKeyword(XPrimitive p) {
    for (const Keyword& k : kKeywords)
        if (k.primitive == p) return k.word;
    return "";
}

bool XTemplate::Finish(std::string& error) {
    minValues = 0;
    depth = 1;
    fixedBytes = 0;
    for (const XMember& m : members) {
        uint64_t each = 1;
        uint64_t bytes = PackedSize(m.primitive);
        if (m.primitive == XPrimitive::None) {
            each = m.type->minValues;
            bytes = m.type->fixedBytes;
            depth = std::max(depth, m.type->depth + 1);
        }
        if (m.isArray) {
            // A size taken from another member may be zero.
            uint64_t count = 1;
            bool fixed = true;
            for (const XDimension& d : m.dims) {
                count = SaturatingMul(count, d.member >= 0 ? 0 : d.size);
                fixed = fixed && d.member < 0;
            }
            each = SaturatingMul(each, count);
            bytes = fixed ? SaturatingMul(bytes, count) : kVariableSize;
        }
        minValues = SaturatingAdd(minValues, each);
        fixedBytes = SaturatingAdd(fixedBytes, bytes);
    }
    if (depth > kMaxTemplateDepth) {
        error = "template " + name + " nests templates more than " + std::to_string(kMaxTemplateDepth) +
                " levels deep";
        return false;
    }
    return true;
}

bool SameLayout(const XTemplate& a, const XTemplate& b) {
    if (&a == &b) return true;
    if (a.members.size() != b.members.size()) return false;
    for (size_t i = 0; i < a.members.size(); ++i) {
        const XMember& x = a.members[i];
        const XMember& y = b.members[i];
        if (x.primitive != y.primitive || x.isArray != y.isArray || x.dims.size() != y.dims.size())
            return false;
        for (size_t d = 0; d < x.dims.size(); ++d)
            if (x.dims[d].member != y.dims[d].member ||
                (x.dims[d].member < 0 && x.dims[d].size != y.dims[d].size))
                return false;
        if (x.primitive == XPrimitive::None && !SameLayout(*x.type, *y.type)) return false;
    }
    return true;
}

void XTemplateRegistry::Add(std::shared_ptr<const XTemplate> t) {
    // A file may declare one name over and over: replacing takes constant time.
    auto [it, added] = byName_.try_emplace(t->name, ordered_.size());
    lowerToName_[Lower(t->name)] = t->name;
    if (added) ordered_.push_back(std::move(t));
    else ordered_[it->second] = std::move(t);
}

std::shared_ptr<const XTemplate> XTemplateRegistry::FindExact(std::string_view name) const {
    auto it = byName_.find(std::string(name));
    return it != byName_.end() ? ordered_[it->second] : nullptr;
}

std::shared_ptr<const XTemplate> XTemplateRegistry::Find(std::string_view name) const {
    if (auto t = FindExact(name)) return t;
    // Exporters are not always careful with case ("TextureFileName").
    auto lower = lowerToName_.find(Lower(name));
    if (lower == lowerToName_.end()) return nullptr;
    return ordered_[byName_.at(lower->second)];
}

std::shared_ptr<const XTemplate> XTemplateRegistry::FindByGuid(const GUID& guid) const {
    for (const auto& t : ordered_)
        if (t->guid == guid) return t;
    return nullptr;
}

std::shared_ptr<const XTemplate> XTemplateScope::Find(std::string_view name) const {
    if (auto t = local_.FindExact(name)) return t;
    if (base_)
        if (auto t = base_->FindExact(name)) return t;
    if (auto t = local_.Find(name)) return t;
    return base_ ? base_->Find(name) : nullptr;
}

}  // namespace nol::d3dx8::xfile
