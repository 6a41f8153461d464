// Template-driven output of data objects. An object's values are given as plain
// numbers and strings in member order; the template says which is which, how
// arrays are sized and, in text, where ',' and ';' go.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx8/xfile/x_template.h"

namespace nol::d3dx8::xfile {

struct XNode {
    std::shared_ptr<const XTemplate> tmpl;  // null for a reference
    std::string name;                       // object name, or the referenced name
    std::vector<double> numbers;            // integer and float members in order
    std::vector<std::string> strings;       // string members in order
    std::vector<XNode> children;
};

class XEmitter {
public:
    XEmitter(bool binary, int floatBits) : binary_(binary), floatBits_(floatBits) {}

    void Template(const XTemplate& t);
    void Object(const XNode& node, int indent = 0);
    // The body written so far.
    std::vector<uint8_t>& Body() { return out_; }

private:
    void Members(const XTemplate& t, const XNode& node, size_t& number, size_t& string, int indent, bool top);
    void Value(XPrimitive p, const XNode& node, size_t& number, size_t& string, uint64_t* integer);

    // Text pieces.
    void Text(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }
    void Indent(int n) { out_.insert(out_.end(), size_t(n), ' '); }

    // Binary pieces.
    void Token(uint16_t code);
    void U32(uint32_t v);
    void NameToken(uint16_t code, std::string_view s);
    void Flush();

    bool binary_;
    int floatBits_;
    std::vector<uint8_t> out_;
    // A run of integers or floats not yet written as a list.
    std::vector<uint32_t> ints_;
    std::vector<double> floats_;
};

}  // namespace nol::d3dx8::xfile
