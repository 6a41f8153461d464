#include "comdlg/filter_list.h"

#include <cstring>

#include "base/codepage.h"

namespace nol::comdlg {
namespace {

// The string at list[at], if it ends before the limit.
bool ReadString(const char* list, size_t at, std::string* out) {
    if (at >= kMaxFilterListBytes) return false;
    const void* end = std::memchr(list + at, '\0', kMaxFilterListBytes - at);
    if (!end) return false;
    out->assign(list + at, static_cast<const char*>(end));
    return true;
}

std::vector<std::string> SplitPatterns(const std::string& patterns) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        std::string p = patterns.substr(start, end - start);
        p.erase(0, p.find_first_not_of(' '));
        p.erase(p.find_last_not_of(' ') + 1);
        // "*.*" matches every file on the original, also names without a dot.
        if (p == "*.*") p = "*";
        if (!p.empty()) out.push_back(nol::base::Cp932ToUtf8(p));
        start = end + 1;
    }
    return out;
}

}  // namespace

bool ParseFilterList(const char* list, std::vector<FileFilter>* filters) {
    std::vector<FileFilter> parsed;
    size_t at = 0;
    while (list) {
        std::string description, patterns;
        if (!ReadString(list, at, &description)) return false;
        if (description.empty()) break;
        at += description.size() + 1;
        if (!ReadString(list, at, &patterns)) return false;
        at += patterns.size() + 1;
        FileFilter filter{nol::base::Cp932ToUtf8(description), SplitPatterns(patterns)};
        if (filter.patterns.empty()) return false;
        parsed.push_back(std::move(filter));
    }
    *filters = std::move(parsed);
    return true;
}

}  // namespace nol::comdlg
