#include "gdi/cp932_text.h"

#include <iconv.h>

#include <array>
#include <memory>

#include "win32/windows.h"

namespace nol::gdi {
namespace {

bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// The double-byte characters of one lead byte, indexed by trail byte - 0x40.
using LeadRow = std::array<char32_t, 0xFD - 0x40>;

// The system's CP932 converter answers each pair once; rows are filled the
// first time a lead byte is seen, so text that stays in ASCII costs nothing.
class DoubleByteTable {
public:
    char32_t Lookup(unsigned char lead, unsigned char trail) {
        std::unique_ptr<LeadRow>& row = rows_[lead];
        if (!row) row = BuildRow(lead);
        return (*row)[trail - 0x40];
    }

private:
    static std::unique_ptr<LeadRow> BuildRow(unsigned char lead) {
        auto row = std::make_unique<LeadRow>();
        row->fill(kReplacementChar);
        iconv_t cd = iconv_open("UTF-32LE", "CP932");
        if (cd == (iconv_t)-1) return row;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (!IsTrailByte((unsigned char)trail)) continue;
            char in[2] = {(char)lead, (char)trail};
            unsigned char out[8];
            char* inPtr = in;
            char* outPtr = reinterpret_cast<char*>(out);
            size_t inLeft = 2, outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            // Exactly one code point, or the pair stays a replacement.
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != (size_t)-1 && inLeft == 0 &&
                outLeft == sizeof out - 4)
                (*row)[trail - 0x40] = out[0] | out[1] << 8 | out[2] << 16 | (char32_t)out[3] << 24;
        }
        iconv_close(cd);
        return row;
    }

    std::array<std::unique_ptr<LeadRow>, 256> rows_;
};

DoubleByteTable& Table() {
    static DoubleByteTable table;
    return table;
}

}  // namespace

char32_t NextCp932(const char* text, size_t length, size_t* pos) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const unsigned char b = bytes[*pos];
    if (b < 0x80) {
        ++*pos;
        return b;
    }
    if (b >= 0xA1 && b <= 0xDF) {  // half-width katakana
        ++*pos;
        return 0xFF61 + (b - 0xA1);
    }
    if (IsDBCSLeadByte(b) && *pos + 1 < length && IsTrailByte(bytes[*pos + 1])) {
        const char32_t c = Table().Lookup(b, bytes[*pos + 1]);
        *pos += 2;
        return c;
    }
    ++*pos;  // 0x80, 0xA0, 0xFD-0xFF, or a lead byte left alone
    return kReplacementChar;
}

void DecodeCp932(const char* text, size_t length, std::u32string* out) {
    size_t pos = 0;
    while (pos < length) out->push_back(NextCp932(text, length, &pos));
}

}  // namespace nol::gdi
