// The grammar of a .x file body, shared by both encodings: template declarations,
// data objects with their member values, nested objects and references.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "d3dx8/xfile/x_data.h"
#include "d3dx8/xfile/x_header.h"
#include "d3dx8/xfile/x_lexer.h"
#include "d3dx8/xfile/x_status.h"
#include "d3dx8/xfile/x_template.h"

namespace nol::d3dx8::xfile {

class XBodyParser {
public:
    XBodyParser(const uint8_t* body, size_t size, const XHeader& header, XTemplateScope& scope);

    // Reads the whole body. Top-level objects are appended to out, or dropped
    // when out is null; declared templates go into the scope.
    XParseResult Run(std::vector<std::unique_ptr<XData>>* out);

private:
    // Declarations and objects (x_body_parser.cpp).
    bool Template();
    bool Restrictions(XTemplate& t);
    bool ArrayMember(XTemplate& t);
    bool Object(const XToken& identifier, int depth, std::unique_ptr<XData>& out);
    bool Children(XData& obj, int depth);
    bool Reference(XReference& ref);
    bool SkipBody();
    bool NameLike(const XToken& t) const;
    bool Expect(XTok kind, const char* what);

    // Member values (x_value_reader.cpp).
    bool Members(const XTemplate& t, XData& obj, bool topLevel);
    bool Element(const XMember& m, XData& obj, uint64_t* integer);
    bool Primitive(XPrimitive p, XData& obj, uint64_t* integer);
    void StartList(const XToken& t);
    bool NextInteger(uint64_t& value);
    bool NextFloat(XPrimitive p, double& value);
    bool NextString(std::string_view& value);
    size_t RemainingValueBytes() const;

    // Counts bytes of tree overhead against kMaxTreeOverhead; false (with the
    // reason set) once the file has asked for more.
    bool Charge(size_t bytes, size_t offset);
    bool Fail(XStatus status, size_t offset, const std::string& reason);
    bool LexFail();
    std::string Where(size_t offset) const;
    static const char* Describe(XTok kind);

    const uint8_t* body_;
    size_t size_;
    XLexer lex_;
    XTemplateScope& scope_;
    XParseResult result_;
    size_t treeOverhead_ = 0;

    // The binary list values are being taken from.
    const uint8_t* list_ = nullptr;
    uint32_t listLeft_ = 0;
    bool listFloat_ = false;
};

}  // namespace nol::d3dx8::xfile
