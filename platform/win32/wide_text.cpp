#include <cstring>
#include <string>

#include "base/codepage.h"
#include "base/platform_log.h"
#include "win32/windows.h"

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int textLength, LPWSTR wide,
                        int wideSize) {
    if (!text || textLength == 0 || textLength < -1 || wideSize < 0) return 0;
    // -1: the text ends at its zero, and the zero is converted with it.
    std::string bytes = textLength == -1 ? std::string(text, std::strlen(text) + 1)
                                         : std::string(text, static_cast<size_t>(textLength));
    std::u16string converted;
    if (codePage == CP_ACP || codePage == 932)
        converted = nol::base::Utf8ToUtf16(nol::base::Cp932ToUtf8(bytes));
    else if (codePage == CP_UTF8)
        converted = nol::base::Utf8ToUtf16(bytes);
    else {
        NolLog("MultiByteToWideChar: code page %u is not supported\n", codePage);
        return 0;
    }
    int needed = static_cast<int>(converted.size());
    if (wideSize == 0) return needed;
    if (!wide || needed > wideSize) return 0;
    std::memcpy(wide, converted.data(), converted.size() * sizeof(WCHAR));
    return needed;
}
