// Reading a context's composition and result strings.
#include <cstring>

#include "imm/imm.h"
#include "imm/input_context.h"

namespace {

// The longest prefix of text that fits in room bytes without splitting a
// double-byte character.
size_t WholeCharacters(const std::string& text, size_t room) {
    size_t at = 0;
    while (at < text.size()) {
        const size_t width = IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? 2 : 1;
        if (at + width > room) break;
        at += width;
    }
    return at;
}

}  // namespace

LONG ImmGetCompositionStringA(HIMC himc, DWORD index, LPVOID buf, DWORD bufLen) {
    const nol::imm::Composition* composition = nol::imm::FindComposition(himc);
    if (!composition) return IMM_ERROR_GENERAL;
    const std::string* text = nullptr;
    if (index == GCS_COMPSTR) text = &composition->Current();
    if (index == GCS_RESULTSTR) text = &composition->Result();
    if (!text) return IMM_ERROR_GENERAL;
    if (!buf || bufLen == 0) return static_cast<LONG>(text->size());
    const size_t n = WholeCharacters(*text, bufLen);
    std::memcpy(buf, text->data(), n);
    return static_cast<LONG>(n);
}
