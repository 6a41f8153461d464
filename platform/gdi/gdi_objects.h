// What GDI handles stand for: memory device contexts, fonts and DIB sections,
// each a small object owned through its handle. Handles are checked against the
// live ones before use, so a stale or made-up handle is refused, never followed.
#pragma once

#include <cstdint>
#include <memory>

#include "gdi/glyph_source.h"
#include "gdi/wingdi.h"

struct HFONT__ {
    std::shared_ptr<nol::gdi::GlyphSource> source;
};

struct HBITMAP__ {
    int width = 0;
    int height = 0;
    bool bottomUp = false;               // rows stored from the bottom up
    std::unique_ptr<uint32_t[]> pixels;  // 0x00RRGGBB, rows of width words

    uint32_t* Row(int y) { return pixels.get() + size_t(bottomUp ? height - 1 - y : y) * size_t(width); }
};

struct HDC__ {
    HFONT font = nullptr;
    HBITMAP bitmap = nullptr;
    int mapMode = MM_TEXT;
    int bkMode = OPAQUE;
    COLORREF textColour = RGB(0, 0, 0);
};

namespace nol::gdi {

// The live object behind a handle, or null for anything else.
HFONT__* FontOf(HGDIOBJ handle);
HBITMAP__* BitmapOf(HGDIOBJ handle);
HDC__* DcOf(HDC handle);

}  // namespace nol::gdi
