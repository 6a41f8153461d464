// Glyphs of one font at one pixel size: coverage bitmaps and metrics from
// FreeType, for the D3DX font's atlas and for GDI text in DIB sections.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi/wingdi.h"

namespace nol::gdi {

struct Glyph {
    int left = 0;     // from the pen position to the bitmap's first column
    int top = 0;      // from the top of the line's cell to the bitmap's first row
    int width = 0;    // bitmap size in pixels; 0 for blanks
    int height = 0;
    int advance = 0;  // whole pixels the pen moves on
    std::vector<uint8_t> coverage;  // width × height, 0 (none) .. 255 (full), top row first
};

// What layout needs of a font.
class TextMetrics {
public:
    virtual ~TextMetrics() = default;
    virtual int Advance(char32_t code) = 0;
    virtual int CellHeight() const = 0;    // line to line distance in pixels
    virtual int Ascent() const = 0;        // cell top to baseline
    virtual int AverageWidth() const = 0;  // a tab stop is eight of these
};

// Largest cell height served; larger requests are cut to it.
constexpr int kMaxCellHeight = 256;
// Cell height for a height of 0.
constexpr int kDefaultCellHeight = 16;

class FaceEntry;

class GlyphSource final : public TextMetrics {
public:
    // The face named in font (LOGFONT semantics: lfHeight > 0 is the cell height,
    // < 0 the em height, 0 the default; lfWeight >= 600 is bold), or the fallback
    // face at the same size (its em filling the cell, as the Windows system
    // gothic's does). Logs once which file it took. Null only when no face can be
    // loaded at all (also logged).
    static std::shared_ptr<GlyphSource> Open(const LOGFONTA& font);

    // The glyph for a code point, rasterised on first use and kept. A character
    // the face lacks gives its replacement glyph.
    const Glyph& Get(char32_t code);

    int Advance(char32_t code) override { return Get(code).advance; }
    int CellHeight() const override { return cellHeight_; }
    int Ascent() const override { return ascent_; }
    int AverageWidth() const override { return averageWidth_; }

    const LOGFONTA& LogFont() const { return logFont_; }
    const std::string& FilePath() const;
    bool IsFallback() const { return fallback_; }

    GlyphSource(std::shared_ptr<FaceEntry> face, const LOGFONTA& font, bool bold, bool fallback);

private:
    std::shared_ptr<FaceEntry> face_;
    LOGFONTA logFont_;
    bool bold_;
    bool fallback_;
    int cellHeight_ = 0;
    int ascent_ = 0;
    int averageWidth_ = 0;
};

}  // namespace nol::gdi
