// Whole files into memory, bounded.
#include "scene/whole_file.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "win32/file_lookup.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File Open(const char* path) {
    if (!path || !*path) return nullptr;
    if (std::FILE* f = std::fopen(path, "rb")) return File(f);
    const std::string found = NolFindFile(path);
    return found.empty() || found == path ? nullptr : File(std::fopen(found.c_str(), "rb"));
}

}  // namespace

WholeFileResult ReadWholeFile(const char* path, size_t maxBytes, std::string* bytes) {
    bytes->clear();
    File file = Open(path);
    if (!file) return WholeFileResult::CannotOpen;
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0) return WholeFileResult::ReadError;
    if (S_ISDIR(info.st_mode)) return WholeFileResult::ReadError;
    // A regular file's size is known up front; anything else (a pipe, a device)
    // is read in pieces until it ends or passes the limit.
    if (S_ISREG(info.st_mode)) {
        if (uint64_t(info.st_size) > maxBytes) return WholeFileResult::TooLarge;
        bytes->reserve(size_t(info.st_size));
    }
    char chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got > maxBytes - bytes->size()) {
            bytes->clear();
            return WholeFileResult::TooLarge;
        }
        bytes->append(chunk, got);
        if (got < sizeof chunk) break;
    }
    if (std::ferror(file.get())) {
        bytes->clear();
        return WholeFileResult::ReadError;
    }
    return WholeFileResult::Ok;
}
