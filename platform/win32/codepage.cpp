#include "win32/codepage.h"

#include <errno.h>
#include <iconv.h>

namespace {

std::string Convert(const char* to, const char* from, const std::string& text) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return text;
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, sizeof buffer - outLeft);
        if (r == (size_t)-1 && errno != E2BIG) {
            // An invalid or incomplete sequence: mark it and go on after one byte.
            out.push_back('?');
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Cp932ToUtf8(const std::string& cp932) { return Convert("UTF-8", "CP932", cp932); }

std::string Utf8ToCp932(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8); }
