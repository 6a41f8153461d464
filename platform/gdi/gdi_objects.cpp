// Creating, selecting and deleting GDI objects.
#include "gdi/gdi_objects.h"

#include <cstring>
#include <new>
#include <unordered_map>

#include "base/platform_log.h"

namespace nol::gdi {
namespace {

enum class Kind { Dc, Font, Bitmap };

std::unordered_map<const void*, Kind>& Live() {
    static std::unordered_map<const void*, Kind> live;
    return live;
}

bool IsLive(const void* handle, Kind kind) {
    auto it = Live().find(handle);
    return handle && it != Live().end() && it->second == kind;
}

// Sizes beyond this are refused: 16384² pixels is already a gigabyte.
constexpr LONG kMaxBitmapSide = 16384;

}  // namespace

HFONT__* FontOf(HGDIOBJ handle) { return IsLive(handle, Kind::Font) ? static_cast<HFONT__*>(handle) : nullptr; }
HBITMAP__* BitmapOf(HGDIOBJ handle) {
    return IsLive(handle, Kind::Bitmap) ? static_cast<HBITMAP__*>(handle) : nullptr;
}
HDC__* DcOf(HDC handle) { return IsLive(handle, Kind::Dc) ? handle : nullptr; }

namespace {

template <typename T>
T* Register(T* object, Kind kind) {
    Live()[object] = kind;
    return object;
}

// Contexts that still select an object being deleted let go of it.
void Unselect(const void* object) {
    for (auto& [handle, kind] : Live()) {
        if (kind != Kind::Dc) continue;
        auto* dc = static_cast<HDC__*>(const_cast<void*>(handle));
        if (dc->font == object) dc->font = nullptr;
        if (dc->bitmap == object) dc->bitmap = nullptr;
    }
}

}  // namespace

}  // namespace nol::gdi

using nol::gdi::Kind;

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    if (!font) return nullptr;
    auto source = nol::gdi::GlyphSource::Open(*font);
    if (!source) return nullptr;
    auto* object = new HFONT__;
    object->source = std::move(source);
    return nol::gdi::Register(object, Kind::Font);
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfEscapement = escapement;
    font.lfOrientation = orientation;
    font.lfWeight = weight;
    font.lfItalic = BYTE(italic);
    font.lfUnderline = BYTE(underline);
    font.lfStrikeOut = BYTE(strikeOut);
    font.lfCharSet = BYTE(charSet);
    font.lfOutPrecision = BYTE(outPrecision);
    font.lfClipPrecision = BYTE(clipPrecision);
    font.lfQuality = BYTE(quality);
    font.lfPitchAndFamily = BYTE(pitchAndFamily);
    if (faceName) std::strncpy(font.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&font);
}

HDC CreateCompatibleDC(HDC) { return nol::gdi::Register(new HDC__, Kind::Dc); }

BOOL DeleteDC(HDC dc) {
    if (!nol::gdi::DcOf(dc)) return FALSE;
    nol::gdi::Live().erase(dc);
    delete dc;
    return TRUE;
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
    HDC__* dc = nol::gdi::DcOf(handle);
    if (!dc) return nullptr;
    if (HFONT__* font = nol::gdi::FontOf(object)) {
        HFONT previous = dc->font;
        dc->font = font;
        return previous;
    }
    if (HBITMAP__* bitmap = nol::gdi::BitmapOf(object)) {
        HBITMAP previous = dc->bitmap;
        dc->bitmap = bitmap;
        return previous;
    }
    return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
    if (HFONT__* font = nol::gdi::FontOf(object)) {
        nol::gdi::Unselect(font);
        nol::gdi::Live().erase(font);
        delete font;
        return TRUE;
    }
    if (HBITMAP__* bitmap = nol::gdi::BitmapOf(object)) {
        nol::gdi::Unselect(bitmap);
        nol::gdi::Live().erase(bitmap);
        delete bitmap;
        return TRUE;
    }
    return FALSE;
}

int SetMapMode(HDC handle, int mode) {
    HDC__* dc = nol::gdi::DcOf(handle);
    if (!dc || mode != MM_TEXT) return 0;  // only pixels are mapped
    const int previous = dc->mapMode;
    dc->mapMode = mode;
    return previous;
}

int SetBkMode(HDC handle, int mode) {
    HDC__* dc = nol::gdi::DcOf(handle);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    const int previous = dc->bkMode;
    dc->bkMode = mode;
    return previous;
}

COLORREF SetTextColor(HDC handle, COLORREF colour) {
    HDC__* dc = nol::gdi::DcOf(handle);
    if (!dc) return CLR_INVALID;
    const COLORREF previous = dc->textColour;
    dc->textColour = colour & 0x00FFFFFF;
    return previous;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
    if (bits) *bits = nullptr;
    if (!info) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const int64_t width = h.biWidth;
    const int64_t height = h.biHeight < 0 ? -int64_t(h.biHeight) : int64_t(h.biHeight);
    if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biBitCount != 32 || h.biCompression != BI_RGB ||
        usage != DIB_RGB_COLORS || h.biPlanes != 1 || width <= 0 || height <= 0 ||
        width > nol::gdi::kMaxBitmapSide || height > nol::gdi::kMaxBitmapSide) {
        NolLog("CreateDIBSection: refused %ld x %ld, %d bits\n", long(h.biWidth), long(h.biHeight),
               int(h.biBitCount));
        return nullptr;
    }
    auto* bitmap = new HBITMAP__;
    bitmap->width = int(width);
    bitmap->height = int(height);
    bitmap->bottomUp = h.biHeight > 0;
    bitmap->pixels.reset(new (std::nothrow) uint32_t[size_t(width) * size_t(height)]());
    if (!bitmap->pixels) {
        delete bitmap;
        NolLog("CreateDIBSection: no memory for %ld x %ld\n", long(width), long(height));
        return nullptr;
    }
    if (bits) *bits = bitmap->pixels.get();
    return nol::gdi::Register(bitmap, Kind::Bitmap);
}
