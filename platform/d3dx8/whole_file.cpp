#include "d3dx8/whole_file.h"

#include <cstdio>

#include "base/file_path.h"

namespace nol::d3dx8 {

namespace {

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

}  // namespace

bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes, std::string* error) {
    bytes->clear();
    std::FILE* f = path && *path ? std::fopen(path, "rb") : nullptr;
    if (!f && path && *path) {
        // Names from files made on Windows: "\" separators, any letter case.
        const std::string found = nol::base::ResolvePath(path);
        if (!found.empty() && found != path) f = std::fopen(found.c_str(), "rb");
    }
    if (!f) return Fail(error, std::string("cannot open ") + (path ? path : "(null)"));
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long length = ok ? std::ftell(f) : -1;
    ok = ok && length >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok && static_cast<unsigned long>(length) > maxBytes) {
        std::fclose(f);
        return Fail(error, std::string(path) + " is too large (" + std::to_string(length) + " bytes)");
    }
    if (ok) {
        bytes->resize(static_cast<size_t>(length));
        ok = length == 0 || std::fread(bytes->data(), 1, bytes->size(), f) == bytes->size();
    }
    std::fclose(f);
    if (ok) return true;
    bytes->clear();
    return Fail(error, std::string("cannot read ") + path);
}

}  // namespace nol::d3dx8
