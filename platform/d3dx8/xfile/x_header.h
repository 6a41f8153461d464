// The 16-byte header that opens every .x file: "xof 0303txt 0032".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "d3dx8/xfile/x_status.h"

namespace nol::d3dx8::xfile {

enum class XEncoding : uint8_t { Text, Binary };

struct XHeader {
    int major = 3;
    int minor = 3;
    XEncoding encoding = XEncoding::Text;
    bool compressed = false;  // MSZIP ("tzip", "bzip")
    int floatBits = 32;       // 32 or 64
};

constexpr size_t kXHeaderSize = 16;

// Reads the header at the start of data. On failure gives the kind of fault and a
// reason.
XStatus ParseXHeader(const uint8_t* data, size_t size, XHeader& out, std::string& error);

// The 16 header bytes for a header.
std::string FormatXHeader(const XHeader& header);

}  // namespace nol::d3dx8::xfile
