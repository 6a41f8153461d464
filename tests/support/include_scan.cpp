#include "support/include_scan.h"

#include <algorithm>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

std::vector<std::string> ListSourceFiles(const fs::path& root, const std::vector<std::string>& dirs) {
    static const std::vector<std::string> extensions = {".h", ".hpp", ".cpp", ".cc", ".inl"};
    std::vector<std::string> files;
    for (const std::string& dir : dirs) {
        std::error_code ec;
        if (!fs::is_directory(root / dir, ec)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / dir, ec)) {
            std::string ext = entry.path().extension().string();
            if (entry.is_regular_file() && std::count(extensions.begin(), extensions.end(), ext))
                files.push_back(entry.path().lexically_relative(root).generic_string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ResolveInclude(const fs::path& root, const std::string& from, const std::string& name, bool quoted) {
    std::vector<fs::path> bases;
    if (quoted) bases.push_back(root / fs::path(from).parent_path());
    for (const char* base : {"platform/include", "", "platform"}) bases.push_back(root / base);
    for (const fs::path& base : bases) {
        fs::path candidate = (base / name).lexically_normal();
        std::error_code ec;
        if (!fs::is_regular_file(candidate, ec)) continue;
        std::string rel = candidate.lexically_relative(root).generic_string();
        if (!rel.empty() && rel.rfind("..", 0) != 0) return rel;
    }
    return "";
}

std::vector<IncludeDirective> ReadIncludes(const fs::path& root, const std::string& rel) {
    static const std::regex directive(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<IncludeDirective> found;
    std::ifstream in(root / rel);
    std::string text;
    bool inComment = false;
    for (int line = 1; std::getline(in, text); ++line) {
        if (inComment) {
            size_t end = text.find("*/");
            if (end == std::string::npos) continue;
            inComment = false;
            text = text.substr(end + 2);
        }
        size_t open = text.find("/*");
        if (open != std::string::npos && text.find("*/", open + 2) == std::string::npos) inComment = true;
        std::smatch m;
        if (!std::regex_search(text, m, directive)) continue;
        IncludeDirective d{line, m[2], m[1] == "\"", ""};
        d.target = ResolveInclude(root, rel, d.name, d.quoted);
        found.push_back(std::move(d));
    }
    return found;
}
