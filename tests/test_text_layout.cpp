// DrawTextA's layout, shared by the D3DX font and GDI, on a font of fixed cells:
// 8 pixels per half-width character, 16 per full-width one, 16-pixel lines.
#include <gtest/gtest.h>

#include <string>

#include "gdi/text_layout.h"

namespace {

class FixedCells : public nol::gdi::TextMetrics {
public:
    int Advance(char32_t code) override { return code >= 0x2E80 && !(code >= 0xFF61 && code <= 0xFF9F) ? 16 : 8; }
    int CellHeight() const override { return 16; }
    int Ascent() const override { return 13; }
    int AverageWidth() const override { return 8; }
};

struct Result {
    int height;
    RECT rect;
    nol::gdi::TextLayout layout;
};

Result Lay(const char* text, RECT rect, unsigned format, int count = -1) {
    FixedCells metrics;
    Result r;
    r.rect = rect;
    nol::gdi::LayoutText(metrics, text, count, &r.rect, format, &r.layout);
    r.height = r.layout.height;
    return r;
}

// Each placed glyph as "c@x,y".
std::string Places(const nol::gdi::TextLayout& layout) {
    std::string out;
    for (const auto& g : layout.glyphs) {
        if (!out.empty()) out += ' ';
        out += g.code < 0x80 ? std::string(1, char(g.code)) : "U+" + std::to_string(unsigned(g.code));
        out += "@" + std::to_string(g.x) + "," + std::to_string(g.y);
    }
    return out;
}

constexpr RECT kScreen{0, 0, 640, 480};

TEST(TextLayout, LineBreaksTabsAndPrefixes) {
    const unsigned plain = DT_NOPREFIX | DT_EXPANDTABS;
    EXPECT_EQ(Places(Lay("ab\ncd", {10, 20, 640, 480}, plain).layout), "a@10,20 b@18,20 c@10,36 d@18,36");
    // "\r\n" is one break, "\r" alone another; a break at the end starts no line.
    Result r = Lay("a\r\nb\rc\n", kScreen, plain);
    EXPECT_EQ(Places(r.layout), "a@0,0 b@0,16 c@0,32");
    EXPECT_EQ(r.height, 48);
    // An empty line in between still takes its cell.
    EXPECT_EQ(Lay("a\n\nb", kScreen, plain).height, 48);
    // Tab stops every eight average widths from the line's start.
    EXPECT_EQ(Places(Lay("a\tb\tc", {5, 0, 640, 480}, plain).layout), "a@5,0 b@69,0 c@133,0");
    EXPECT_EQ(Lay("abcdefgh\tc", kScreen, plain).layout.glyphs.back().x, 128);  // a full stop: the next one
    // Without DT_EXPANDTABS a tab takes no room.
    EXPECT_EQ(Places(Lay("a\tb", kScreen, DT_NOPREFIX).layout), "a@0,0 b@8,0");

    // "&" is itself under DT_NOPREFIX; otherwise it marks the next character.
    EXPECT_EQ(Places(Lay("&a", kScreen, plain).layout), "&@0,0 a@8,0");
    r = Lay("x&ab&&c&", kScreen, DT_EXPANDTABS);
    EXPECT_EQ(Places(r.layout), "x@0,0 a@8,0 b@16,0 &@24,0 c@32,0");
    ASSERT_EQ(r.layout.underlines.size(), 1u);
    EXPECT_EQ(r.layout.underlines[0].x, 8);
    EXPECT_EQ(r.layout.underlines[0].y, 14);
    EXPECT_EQ(r.layout.underlines[0].width, 8);
}

TEST(TextLayout, AlignmentAndItsResult) {
    const RECT box{100, 100, 300, 200};
    EXPECT_EQ(Places(Lay("ab", box, DT_CENTER).layout), "a@192,100 b@200,100");
    EXPECT_EQ(Places(Lay("ab", box, DT_RIGHT).layout), "a@284,100 b@292,100");
    // Each line is aligned by its own width.
    EXPECT_EQ(Places(Lay("ab\nc", box, DT_RIGHT).layout), "a@284,100 b@292,100 c@292,116");

    Result r = Lay("ab", box, DT_BOTTOM | DT_SINGLELINE);
    EXPECT_EQ(Places(r.layout), "a@100,184 b@108,184");
    EXPECT_EQ(r.height, 100);  // from the rectangle's top to the text's bottom
    r = Lay("ab", box, DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(Places(r.layout), "a@100,142 b@108,142");
    EXPECT_EQ(r.height, 58);
    // With DT_SINGLELINE a line feed breaks nothing and draws nothing.
    EXPECT_EQ(Places(Lay("a\nb", box, DT_SINGLELINE).layout), "a@100,100 b@108,100");
}

TEST(TextLayout, WordBreakWrapsAtBlanksAndBetweenJapaneseCharacters) {
    Result r = Lay("aaaa bbbb cccc", {0, 0, 80, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.height, 32);
    EXPECT_EQ(Places(r.layout),
              "a@0,0 a@8,0 a@16,0 a@24,0 b@40,0 b@48,0 b@56,0 b@64,0 c@0,16 c@8,16 c@16,16 c@24,16");
    // A word wider than the line runs on; the blank after it breaks.
    r = Lay("abcdefghijkl mn", {0, 0, 40, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.height, 32);
    EXPECT_EQ(r.layout.glyphs.back().y, 16);
    EXPECT_EQ(r.layout.glyphs.back().x, 8);
    // "漢字漢字" (64 px) in 40 px: two per line, no blanks needed.
    r = Lay("漢字漢字", {0, 0, 40, 100}, DT_WORDBREAK);
    EXPECT_EQ(r.height, 32);
    EXPECT_EQ(r.layout.glyphs[2].x, 0);
    EXPECT_EQ(r.layout.glyphs[2].y, 16);
    // DT_CALCRECT with DT_WORDBREAK keeps the wrapping width, fits right to the widest line.
    RECT rect{0, 0, 80, 1};
    FixedCells metrics;
    nol::gdi::TextLayout layout;
    nol::gdi::LayoutText(metrics, "aaaa bbbb cccc", -1, &rect, DT_WORDBREAK | DT_CALCRECT, &layout);
    EXPECT_EQ(rect.right, 72);
    EXPECT_EQ(rect.bottom, 32);
}

TEST(TextLayout, CalcRectEmptyTextAndEmptyRectangles) {
    Result r = Lay("ab\tc\nxyz", {0, 0, 1, 1}, DT_NOPREFIX | DT_CALCRECT | DT_EXPANDTABS);
    EXPECT_EQ(r.rect.right, 72);
    EXPECT_EQ(r.rect.bottom, 32);
    EXPECT_EQ(r.height, 32);
    EXPECT_FALSE(r.layout.draw);
    EXPECT_TRUE(r.layout.glyphs.empty());

    r = Lay("", kScreen, 0);
    EXPECT_EQ(r.height, 0);
    EXPECT_FALSE(r.layout.draw);
    r = Lay(nullptr, kScreen, 0);
    EXPECT_EQ(r.height, 0);

    // An empty rectangle draws nothing but tells the height; DT_NOCLIP draws anyway.
    r = Lay("a\nb", {50, 50, 50, 40}, 0);
    EXPECT_FALSE(r.layout.draw);
    EXPECT_EQ(r.height, 32);
    r = Lay("a\nb", {50, 50, 50, 40}, DT_NOCLIP);
    EXPECT_TRUE(r.layout.draw);
    EXPECT_FALSE(r.layout.clip);
    EXPECT_EQ(r.layout.glyphs.size(), 2u);

    // Beyond a mebibyte the text is cut, so no pixel position can overflow.
    const std::string huge(nol::gdi::kMaxTextBytes + 10, 'a');
    r = Lay(huge.c_str(), {0, 0, 1, 1}, DT_CALCRECT);
    EXPECT_EQ(r.rect.right, 8 * int(nol::gdi::kMaxTextBytes));

    // A count stops early, and never runs past a terminator.
    EXPECT_EQ(Places(Lay("abc", kScreen, 0, 2).layout), "a@0,0 b@8,0");
    EXPECT_EQ(Places(Lay("ab\0cd", kScreen, 0, 5).layout), "a@0,0 b@8,0");
}

}  // namespace
