#include "dshow/media_path.h"

#include <gst/gst.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/codepage.h"
#include "base/file_path.h"

namespace nol::dshow {
namespace {

// Far beyond any path the program can name (MAX_PATH), short of reading on
// through memory for a name that never ends.
constexpr size_t kMaxNameLength = 4096;

}  // namespace

std::string MediaFilePath(LPCWSTR name, std::string* reason) {
    if (!name || !name[0]) {
        *reason = "no file name";
        return {};
    }
    std::u16string text;
    for (size_t i = 0; name[i]; ++i) {
        if (i == kMaxNameLength) {
            *reason = "the file name is too long";
            return {};
        }
        text.push_back(name[i] == u'\\' ? u'/' : name[i]);
    }
    std::string path = nol::base::Utf16ToUtf8(text);
    if (access(path.c_str(), F_OK) != 0) path = nol::base::ResolvePath(nol::base::Utf8ToCp932(path).c_str());
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0) {
        *reason = "no such file";
        return {};
    }
    if (!S_ISREG(info.st_mode)) {
        *reason = "not a file";
        return {};
    }
    return path;
}

std::string FileUri(const std::string& path) {
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    std::string text = uri ? uri : "";
    g_free(uri);
    return text;
}

}  // namespace nol::dshow
