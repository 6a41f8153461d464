// Outcomes of reading a .x file, for callers that report an error code as well
// as the reason text.
#pragma once

#include <string>

namespace nol::d3dx8::xfile {

enum class XStatus {
    Ok,
    FileNotFound,
    BadFileType,     // not a .x file
    BadVersion,
    BadFloatSize,
    BadCompression,  // damaged MSZIP data
    ParseError,      // damaged or truncated body
    BadArraySize,    // an array claims more elements than the file can hold
    TooDeep,         // objects nested beyond the limit
    BadMesh,         // the file reads, but holds no usable mesh
    TooLarge,        // the file's objects would take more memory than a file may
};

struct XParseResult {
    XStatus status = XStatus::Ok;
    std::string error;  // empty on success
    bool Ok() const { return status == XStatus::Ok; }
};

}  // namespace nol::d3dx8::xfile
