// GDI's DrawTextA: the shared layout, drawn into the DIB section selected into a
// memory context.
#include <algorithm>

#include "gdi/gdi_objects.h"
#include "gdi/text_layout.h"

namespace {

// GDI draws with its system font until a font is selected.
nol::gdi::GlyphSource* DefaultSource() {
    static std::shared_ptr<nol::gdi::GlyphSource> source = [] {
        LOGFONTA font{};
        font.lfHeight = nol::gdi::kDefaultCellHeight;
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = SHIFTJIS_CHARSET;
        return nol::gdi::GlyphSource::Open(font);
    }();
    return source.get();
}

struct Painter {
    HBITMAP__& bitmap;
    RECT clip;  // already inside the bitmap
    uint32_t r, g, b;
    bool solid;

    // The background of OPAQUE mode, white as a new context has it.
    void Background(const RECT& box) {
        const int x0 = std::max<int>(box.left, clip.left), x1 = std::min<int>(box.right, clip.right);
        const int y0 = std::max<int>(box.top, clip.top), y1 = std::min<int>(box.bottom, clip.bottom);
        for (int y = y0; y < y1; ++y) std::fill(bitmap.Row(y) + x0, bitmap.Row(y) + std::max(x0, x1), 0x00FFFFFFu);
    }

    void Blend(int x, int y, unsigned coverage) {
        if (solid) coverage = coverage >= 128 ? 255 : 0;
        if (coverage == 0) return;
        uint32_t& pixel = bitmap.Row(y)[x];
        auto mix = [coverage](uint32_t src, uint32_t dst) { return (src * coverage + dst * (255 - coverage) + 127) / 255; };
        pixel = mix(r, (pixel >> 16) & 0xFF) << 16 | mix(g, (pixel >> 8) & 0xFF) << 8 | mix(b, pixel & 0xFF);
    }

    void Glyph(const nol::gdi::Glyph& glyph, int left, int top) {
        const int x0 = std::max<int>(left, clip.left), x1 = std::min<int>(left + glyph.width, clip.right);
        const int y0 = std::max<int>(top, clip.top), y1 = std::min<int>(top + glyph.height, clip.bottom);
        for (int y = y0; y < y1; ++y) {
            const uint8_t* row = &glyph.coverage[size_t(y - top) * size_t(glyph.width)];
            for (int x = x0; x < x1; ++x) Blend(x, y, row[x - left]);
        }
    }

    void Fill(int left, int top, int width, int height) {
        const int x0 = std::max<int>(left, clip.left), x1 = std::min<int>(left + width, clip.right);
        const int y0 = std::max<int>(top, clip.top), y1 = std::min<int>(top + height, clip.bottom);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Blend(x, y, 255);
    }
};

}  // namespace

int DrawTextA(HDC handle, LPCSTR text, int count, LPRECT rect, UINT format) {
    HDC__* dc = nol::gdi::DcOf(handle);
    if (!dc || !rect) return 0;
    nol::gdi::GlyphSource* source = dc->font ? dc->font->source.get() : DefaultSource();
    if (!source) return 0;

    static nol::gdi::TextLayout layout;
    nol::gdi::LayoutText(*source, text, count, rect, format, &layout);
    if (!layout.draw || !dc->bitmap) return layout.height;

    HBITMAP__& bitmap = *dc->bitmap;
    RECT clip{0, 0, bitmap.width, bitmap.height};
    if (layout.clip) {
        clip.left = std::max(clip.left, layout.clipRect.left);
        clip.top = std::max(clip.top, layout.clipRect.top);
        clip.right = std::min(clip.right, layout.clipRect.right);
        clip.bottom = std::min(clip.bottom, layout.clipRect.bottom);
    }
    Painter painter{bitmap, clip, GetRValue(dc->textColour), GetGValue(dc->textColour), GetBValue(dc->textColour),
                    source->LogFont().lfQuality == NONANTIALIASED_QUALITY};
    if (dc->bkMode == OPAQUE)
        for (const RECT& box : layout.lineBoxes) painter.Background(box);
    for (const nol::gdi::PlacedGlyph& placed : layout.glyphs) {
        const nol::gdi::Glyph& glyph = source->Get(placed.code);
        painter.Glyph(glyph, placed.x + glyph.left, placed.y + glyph.top);
    }
    for (const nol::gdi::Underline& line : layout.underlines) painter.Fill(line.x, line.y, line.width, 1);
    return layout.height;
}
