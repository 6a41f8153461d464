// The #include directives of a source tree, read as text, for the tests that check
// how its files depend on one another.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct IncludeDirective {
    int line = 0;
    std::string name;    // as written between the quotes or the angle brackets
    bool quoted = false;
    std::string target;  // the tree file it names, relative to the root; "" for none
};

// The source files (.h .hpp .cpp .cc .inl) below the given top-level folders of
// root, relative to root, sorted. A missing folder adds nothing.
std::vector<std::string> ListSourceFiles(const std::filesystem::path& root, const std::vector<std::string>& dirs);

// The tree file an include from `from` names, relative to the root, or "" when it
// names none (a system or library header). Quoted names are looked up beside the
// including file first, as the compiler does; then in the platform's public
// interfaces, the root, and the platform's internals, so that a private header is
// recognised even where it could not be compiled.
std::string ResolveInclude(const std::filesystem::path& root, const std::string& from, const std::string& name,
                           bool quoted);

// Every directive of the file rel below root, in order, resolved against the tree.
// A directive inside a block comment is not one; comments that open and close on a
// single line before a directive are not worth the trouble.
std::vector<IncludeDirective> ReadIncludes(const std::filesystem::path& root, const std::string& rel);
