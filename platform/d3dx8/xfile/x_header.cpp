#include "d3dx8/xfile/x_header.h"

#include <cstdio>
#include <cstring>

namespace nol::d3dx8::xfile {

namespace {

bool TwoDigits(const uint8_t* p, int& out) {
    if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9') return false;
    out = (p[0] - '0') * 10 + (p[1] - '0');
    return true;
}

std::string Printable(const uint8_t* p, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s += (p[i] >= 0x20 && p[i] < 0x7F) ? char(p[i]) : '?';
    return s;
}

}  // namespace

XStatus ParseXHeader(const uint8_t* data, size_t size, XHeader& out, std::string& error) {
    if (size < kXHeaderSize) {
        error = "file is too short for the .x header (" + std::to_string(size) + " bytes)";
        return XStatus::BadFileType;
    }
    if (std::memcmp(data, "xof ", 4) != 0) {
        error = "not a .x file: the header does not start with \"xof \"";
        return XStatus::BadFileType;
    }
    XHeader h;
    if (!TwoDigits(data + 4, h.major) || !TwoDigits(data + 6, h.minor) || h.major != 3) {
        error = "unsupported .x version \"" + Printable(data + 4, 4) + "\"";
        return XStatus::BadVersion;
    }
    const uint8_t* format = data + 8;
    if (std::memcmp(format, "txt ", 4) == 0) {
        h.encoding = XEncoding::Text;
    } else if (std::memcmp(format, "bin ", 4) == 0) {
        h.encoding = XEncoding::Binary;
    } else if (std::memcmp(format, "tzip", 4) == 0) {
        h.encoding = XEncoding::Text;
        h.compressed = true;
    } else if (std::memcmp(format, "bzip", 4) == 0) {
        h.encoding = XEncoding::Binary;
        h.compressed = true;
    } else {
        error = "unknown .x format \"" + Printable(format, 4) + "\"";
        return XStatus::BadFileType;
    }
    if (std::memcmp(data + 12, "0032", 4) == 0) {
        h.floatBits = 32;
    } else if (std::memcmp(data + 12, "0064", 4) == 0) {
        h.floatBits = 64;
    } else {
        error = "unsupported float size \"" + Printable(data + 12, 4) + "\"";
        return XStatus::BadFloatSize;
    }
    out = h;
    return XStatus::Ok;
}

std::string FormatXHeader(const XHeader& h) {
    char buf[32];
    const char* format = h.encoding == XEncoding::Text ? (h.compressed ? "tzip" : "txt ")
                                                       : (h.compressed ? "bzip" : "bin ");
    std::snprintf(buf, sizeof buf, "xof %02d%02d%s%04d", h.major % 100, h.minor % 100, format,
                  h.floatBits == 64 ? 64 : 32);
    return std::string(buf, kXHeaderSize);
}

}  // namespace nol::d3dx8::xfile
