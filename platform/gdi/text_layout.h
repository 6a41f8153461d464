// Where DrawTextA puts each character: the layout shared by the D3DX font and GDI,
// so that both measure and place a string alike.
#pragma once

#include <string>
#include <vector>

#include "gdi/glyph_source.h"

namespace nol::gdi {

struct PlacedGlyph {
    char32_t code;
    int x;  // pen position
    int y;  // top of the line's cell
};

struct Underline {  // a prefixed ("&x") character's mark
    int x, y, width;
};

struct TextLayout {
    std::vector<PlacedGlyph> glyphs;
    std::vector<Underline> underlines;
    std::vector<RECT> lineBoxes;  // each drawn line's cells, for an opaque background
    bool draw = false;  // false: nothing to draw (empty text, DT_CALCRECT, empty rectangle)
    bool clip = false;  // true: cut every glyph at clipRect
    RECT clipRect{};
    int height = 0;     // DrawTextA's result
};

// Lays text out the way DrawTextA does with these DT_ flags: line breaks at "\n",
// "\r\n" and "\r" (not with DT_SINGLELINE), tabs to every eight average widths
// (DT_EXPANDTABS), "&" prefixes (not with DT_NOPREFIX), word wrapping at the
// rectangle's width (DT_WORDBREAK), horizontal and vertical alignment. With
// DT_CALCRECT, rect's right and bottom are fitted to the text. count < 0: up to the
// terminator; otherwise at most count bytes, never past a terminator; never more
// than kMaxTextBytes, which keeps every pixel position far inside an int. The
// work buffers of out are reused between calls.
constexpr size_t kMaxTextBytes = size_t(1) << 20;

void LayoutText(TextMetrics& metrics, const char* text, int count, RECT* rect, unsigned format,
                TextLayout* out);

}  // namespace nol::gdi
