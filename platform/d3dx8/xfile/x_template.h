// Templates: the record layouts that give the members of .x data objects their
// types. Data of an object is kept packed in member order, as the DirectX file
// API hands it out: integers and floats at their natural size, strings as char
// pointers, nested templates inline, arrays as consecutive elements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "com/objbase.h"

namespace nol::d3dx8::xfile {

enum class XPrimitive : uint8_t {
    None,  // the member is a template
    Word,
    Dword,
    Float,
    Double,
    Char,
    Uchar,
    Sword,
    Sdword,
    Ulonglong,
    String,  // STRING, LPSTR, CSTRING and UNICODE alike: a char pointer in the data
};

// Bytes a primitive takes in packed object data.
size_t PackedSize(XPrimitive p);
bool IsInteger(XPrimitive p);
// Looks up a primitive type keyword ("DWORD", "float", ...), any case.
XPrimitive PrimitiveFromKeyword(std::string_view word);
const char* PrimitiveKeyword(XPrimitive p);

struct XTemplate;

// One array dimension: a fixed size, or the value of an earlier integer member.
struct XDimension {
    uint32_t size = 0;
    int member = -1;  // index of the earlier member, or -1 for a fixed size
};

struct XMember {
    std::string name;  // may be empty
    XPrimitive primitive = XPrimitive::None;
    std::shared_ptr<const XTemplate> type;  // set when primitive is None
    bool isArray = false;
    std::vector<XDimension> dims;
};

enum class XRestriction : uint8_t { Closed, Open, Restricted };

struct XTemplate {
    std::string name;
    GUID guid{};
    std::vector<XMember> members;
    XRestriction restriction = XRestriction::Closed;
    std::vector<std::string> allowed;  // child template names of a restricted template

    // Derived when the template is declared (see Finish).
    uint64_t minValues = 0;  // fewest primitive values an instance can hold
    int depth = 1;           // levels of nested templates, this one included
    uint64_t fixedBytes = 0; // packed size of an instance, kVariableSize when arrays vary

    static constexpr uint64_t kVariableSize = UINT64_MAX;

    // Computes minValues, depth and fixedBytes. Returns false with a reason when the layout is
    // unusable (nested too deeply).
    bool Finish(std::string& error);
};

// The deepest nesting of templates inside templates a layout may have.
constexpr int kMaxTemplateDepth = 32;

// True when two templates lay out their data identically (member types, array
// dimensions and nested layouts), whatever their names.
bool SameLayout(const XTemplate& a, const XTemplate& b);

// Templates by name (exact, then ignoring case) and by GUID. A later template of
// the same name replaces the earlier one.
class XTemplateRegistry {
public:
    void Add(std::shared_ptr<const XTemplate> t);
    std::shared_ptr<const XTemplate> Find(std::string_view name) const;
    std::shared_ptr<const XTemplate> FindExact(std::string_view name) const;
    std::shared_ptr<const XTemplate> FindByGuid(const GUID& guid) const;
    size_t Size() const { return byName_.size(); }
    // In the order they were first added.
    const std::vector<std::shared_ptr<const XTemplate>>& All() const { return ordered_; }

private:
    std::unordered_map<std::string, size_t> byName_;  // index into ordered_
    std::unordered_map<std::string, std::string> lowerToName_;
    std::vector<std::shared_ptr<const XTemplate>> ordered_;
};

// Templates seen while parsing one file, over a registry the caller supplies.
class XTemplateScope {
public:
    explicit XTemplateScope(const XTemplateRegistry* base) : base_(base) {}
    void Add(std::shared_ptr<const XTemplate> t) { local_.Add(std::move(t)); }
    std::shared_ptr<const XTemplate> Find(std::string_view name) const;
    const XTemplateRegistry& Local() const { return local_; }

private:
    const XTemplateRegistry* base_;
    XTemplateRegistry local_;
};

// The standard retained-mode templates (Header, Vector, Mesh, Frame, Material,
// the animation templates, ...), built once from their declaration text.
const XTemplateRegistry& StandardTemplates();

}  // namespace nol::d3dx8::xfile
