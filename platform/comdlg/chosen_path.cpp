#include "comdlg/chosen_path.h"

#include <glib.h>

#include "base/codepage.h"

namespace nol::comdlg {

bool LocalPathFromUri(const std::string& uri, std::string* path) {
    gchar* host = nullptr;
    gchar* local = g_filename_from_uri(uri.c_str(), &host, nullptr);
    const bool ok = local && (!host || g_str_equal(host, "localhost"));
    if (ok) *path = local;
    g_free(local);
    g_free(host);
    return ok;
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
