#include "d3dx8/xfile/x_parser.h"

#include <unordered_map>

#include "d3dx8/xfile/x_body_parser.h"
#include "d3dx8/whole_file.h"
#include "d3dx8/xfile/x_mszip.h"

namespace nol::d3dx8::xfile {

namespace {

// Parses header and body; declared templates land in scope.
XParseResult ParseInto(const void* data, size_t size, XTemplateScope& scope, XHeader& header,
                       std::vector<std::unique_ptr<XData>>* objects) {
    XParseResult result;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!bytes) size = 0;
    result.status = ParseXHeader(bytes, size, header, result.error);
    if (!result.Ok()) return result;

    const uint8_t* body = bytes + kXHeaderSize;
    size_t bodySize = size - kXHeaderSize;
    std::vector<uint8_t> inflated;
    if (header.compressed) {
        if (!MszipDecompress(body, bodySize, inflated, result.error)) {
            result.status = XStatus::BadCompression;
            return result;
        }
        body = inflated.data();
        bodySize = inflated.size();
    }
    XBodyParser parser(body, bodySize, header, scope);
    return parser.Run(objects);
}

void CollectNamed(const XData& obj, std::unordered_map<std::string, const XData*>& byName,
                  std::vector<const XData*>& withId) {
    if (!obj.name.empty()) byName.emplace(obj.name, &obj);  // the first of a name wins
    if (obj.hasId) withId.push_back(&obj);
    for (const XChild& c : obj.children)
        if (c.object) CollectNamed(*c.object, byName, withId);
}

void Resolve(XData& obj, const std::unordered_map<std::string, const XData*>& byName,
             const std::vector<const XData*>& withId) {
    for (XChild& c : obj.children) {
        if (c.object) {
            Resolve(*c.object, byName, withId);
            continue;
        }
        XReference& r = c.reference;
        if (!r.name.empty()) {
            auto it = byName.find(r.name);
            if (it != byName.end()) r.target = it->second;
        }
        if (!r.target && r.hasId)
            for (const XData* o : withId)
                if (o->id == r.id) {
                    r.target = o;
                    break;
                }
    }
}

}  // namespace

XParseResult ParseXFile(const void* data, size_t size, XFileTree& out, const XTemplateRegistry* known) {
    out = XFileTree{};
    XTemplateScope scope(known ? known : &StandardTemplates());
    XFileTree tree;
    XParseResult result = ParseInto(data, size, scope, tree.header, &tree.objects);
    if (!result.Ok()) return result;

    std::unordered_map<std::string, const XData*> byName;
    std::vector<const XData*> withId;
    for (const auto& o : tree.objects) CollectNamed(*o, byName, withId);
    for (auto& o : tree.objects) Resolve(*o, byName, withId);
    out = std::move(tree);
    return result;
}

XParseResult ParseXFileFromPath(const char* path, XFileTree& out, const XTemplateRegistry* known) {
    out = XFileTree{};
    std::vector<uint8_t> bytes;
    XParseResult result;
    if (!nol::d3dx8::ReadWholeFile(path, kMaxXFileSize, &bytes, &result.error)) {
        result.status = XStatus::FileNotFound;
        return result;
    }
    return ParseXFile(bytes.data(), bytes.size(), out, known);
}

bool ParseTemplates(const void* data, size_t size, XTemplateRegistry& into, std::string& error) {
    XTemplateScope scope(&into);
    XHeader header;
    XParseResult result = ParseInto(data, size, scope, header, nullptr);
    if (!result.Ok()) {
        error = result.error;
        return false;
    }
    for (const auto& t : scope.Local().All()) into.Add(t);
    return true;
}

}  // namespace nol::d3dx8::xfile
