// The parsed form of a .x file: a tree of data objects, each with its template,
// optional name and GUID, its member data packed as the template lays it out,
// and its children (nested objects and references to other objects) in file order.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "com/objbase.h"
#include "d3dx8/xfile/x_header.h"
#include "d3dx8/xfile/x_template.h"

namespace nol::d3dx8::xfile {

// The deepest nesting of data objects a file may have.
constexpr int kMaxObjectDepth = 64;

// The most memory a parsed tree may spend on its objects, references and strings,
// beyond the member values themselves. Member values grow with the bytes that
// hold them; these do not: "A{}" or "{A}" is three bytes of text but a few
// hundred bytes of tree, so a 64 MB compressed body of them would need gigabytes.
// 32 MB is over a hundred thousand objects, far more than any model has.
constexpr size_t kMaxTreeOverhead = 32u << 20;

struct XData;

// "{ Name }", "{ <GUID> }" or "{ Name <GUID> }" in place of a child object.
struct XReference {
    std::string name;
    bool hasId = false;
    GUID id{};
    const XData* target = nullptr;  // the named object, when the file has it
};

struct XChild {
    std::unique_ptr<XData> object;  // set for a nested object
    XReference reference;           // used when object is null
};

struct XData {
    std::shared_ptr<const XTemplate> tmpl;
    std::string name;  // empty when the object has none
    bool hasId = false;
    GUID id{};
    std::vector<uint8_t> data;         // packed member values
    std::vector<size_t> memberOffset;  // where each top-level member starts in data
    std::vector<std::unique_ptr<char[]>> strings;  // what the string members point at
    std::vector<XChild> children;

    const GUID& Type() const { return tmpl->guid; }
    // The bytes of top-level member i (its offset up to the next member's).
    size_t MemberSize(size_t i) const {
        const size_t end = i + 1 < memberOffset.size() ? memberOffset[i + 1] : data.size();
        return end - memberOffset[i];
    }
};

struct XFileTree {
    XHeader header;
    std::vector<std::unique_ptr<XData>> objects;  // top-level objects in file order
};

}  // namespace nol::d3dx8::xfile
