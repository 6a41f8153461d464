#include "comdlg/chosen_path.h"

#include "base/codepage.h"

namespace nol::comdlg {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

bool LocalPathFromUri(const std::string& uri, std::string* path) {
    std::string rest;
    if (StartsWith(uri, "file:///"))
        rest = uri.substr(7);
    else if (StartsWith(uri, "file://localhost/"))
        rest = uri.substr(16);
    else
        return false;
    std::string out;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '%') {
            out.push_back(rest[i]);
            continue;
        }
        const int high = i + 2 < rest.size() ? HexDigit(rest[i + 1]) : -1;
        const int low = i + 2 < rest.size() ? HexDigit(rest[i + 2]) : -1;
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return false;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    *path = out;
    return true;
}

std::string WithDefaultExtension(const std::string& path, std::string extension) {
    if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
    if (extension.empty()) return path;
    const size_t name = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
    const size_t dot = path.find('.', name + 1);
    if (dot != std::string::npos) return path;
    return path + "." + extension;
}

bool PathToCp932(const std::string& utf8, std::string* cp932) {
    // The conversion marks what it cannot convert with '?', which a path may also
    // hold: only a path that converts back to itself converted whole.
    std::string converted = nol::base::Utf8ToCp932(utf8);
    if (nol::base::Cp932ToUtf8(converted) != utf8) return false;
    *cp932 = std::move(converted);
    return true;
}

// Neither '/' nor '.' is ever the second byte of a double-byte character, so
// looking for them byte by byte is safe in CP932.
void NameOffsets(const std::string& cp932, size_t* name, size_t* extension) {
    const size_t slash = cp932.rfind('/');
    *name = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = cp932.rfind('.');
    *extension = dot != std::string::npos && dot > *name ? dot + 1 : cp932.size();
}

}  // namespace nol::comdlg
