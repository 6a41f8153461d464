#include "base/file_path.h"

#include <dirent.h>
#include <unistd.h>

#include <vector>

#include "win32/file_lookup.h"
#include "win32/windows.h"

namespace nol::base {

namespace {

unsigned char FoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Equal ignoring the case of ASCII letters; the second byte of a double-byte
// character is compared as it is.
bool SameIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (FoldAscii(x) != FoldAscii(y)) return false;
        if (IsDBCSLeadByte(x) && i + 1 < a.size()) {
            ++i;
            if (a[i] != b[i]) return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

// The name's components with "\" read as a separator; empty ones dropped.
std::vector<std::string> Components(const std::string& name) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c == '/' || c == '\\') {
            if (!parts.back().empty()) parts.emplace_back();
            continue;
        }
        parts.back() += name[i];
        if (IsDBCSLeadByte(c) && i + 1 < name.size()) parts.back() += name[++i];
    }
    if (parts.back().empty()) parts.pop_back();
    return parts;
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The entry of folder spelled like part but for case; of several, the first in
// byte order, so that the answer does not depend on the listing's order.
std::string FindInFolder(const std::string& folder, const std::string& part) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return {};
    std::string found;
    while (const dirent* entry = readdir(dir))
        if (SameIgnoringCase(part, entry->d_name) && (found.empty() || found > entry->d_name)) found = entry->d_name;
    closedir(dir);
    return found;
}

}  // namespace

std::string ResolvePath(const char* name) {
    if (!name || !*name) return {};
    const std::string given(name);
    if (given.size() >= 2 && given[1] == ':' &&
        ((given[0] >= 'A' && given[0] <= 'Z') || (given[0] >= 'a' && given[0] <= 'z')))
        return {};
    if (Exists(given)) return given;

    std::string path = given[0] == '/' || given[0] == '\\' ? "/" : "";
    for (const std::string& part : Components(given)) {
        const std::string folder = path;
        if (!path.empty() && path.back() != '/') path += '/';
        if (Exists(path + part)) {
            path += part;
            continue;
        }
        const std::string match = part == "." || part == ".." ? std::string() : FindInFolder(folder, part);
        if (match.empty()) return {};
        path += match;
    }
    return path.empty() || path == "/" ? std::string() : path;
}

}  // namespace nol::base

std::string NolFindFile(const char* name) { return nol::base::ResolvePath(name); }
