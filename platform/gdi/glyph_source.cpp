#include "gdi/glyph_source.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>

#include "base/platform_log.h"
#include "gdi/face_lookup.h"

namespace nol::gdi {

namespace {

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) {
            NolLog("font: FreeType could not start\n");
            return (FT_Library) nullptr;
        }
        return l;
    }();
    return library;
}

// A bitmap larger than this many cells in either direction is cut: no outline,
// however strange, makes a glyph allocate beyond it.
constexpr int kMaxGlyphCells = 4;

}  // namespace

// One FreeType face of one file at one size, with the glyphs rasterised from it
// (plain and emboldened). Shared by every font of that file and size, and kept
// for the life of the process.
class FaceEntry {
public:
    FaceEntry(FT_Face face, std::string path, int cellHeight, int ascent, int averageWidth)
        : face_(face), path_(std::move(path)), cellHeight_(cellHeight), ascent_(ascent),
          averageWidth_(averageWidth) {}

    const Glyph& Get(char32_t code, bool bold) {
        auto& cache = glyphs_[bold ? 1 : 0];
        auto it = cache.find(code);
        if (it == cache.end()) it = cache.emplace(code, Rasterise(code, bold)).first;
        return it->second;
    }

    const std::string& Path() const { return path_; }
    int CellHeight() const { return cellHeight_; }
    int Ascent() const { return ascent_; }
    int AverageWidth() const { return averageWidth_; }

private:
    Glyph Rasterise(char32_t code, bool bold) {
        Glyph glyph;
        const FT_UInt index = FT_Get_Char_Index(face_, code);
        if (!Render(index, FT_LOAD_DEFAULT, bold)) return Box();
        FT_GlyphSlot slot = face_->glyph;
        // Full hinting can snap a thin stroke away altogether ("_" at 16 pixels,
        // a text field's caret); such a glyph is drawn with light hinting instead.
        if ((slot->bitmap.rows == 0 || slot->bitmap.width == 0) && slot->outline.n_points > 0 &&
            !Render(index, FT_LOAD_TARGET_LIGHT, bold))
            return Box();
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        glyph.left = slot->bitmap_left;
        glyph.top = ascent_ - slot->bitmap_top;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.buffer) {
            const int limit = cellHeight_ * kMaxGlyphCells;
            glyph.width = std::min(static_cast<int>(bitmap.width), limit);
            glyph.height = std::min(static_cast<int>(bitmap.rows), limit);
            glyph.coverage.resize(size_t(glyph.width) * size_t(glyph.height));
            for (int y = 0; y < glyph.height; ++y) {
                const unsigned char* row = bitmap.pitch >= 0
                                               ? bitmap.buffer + size_t(y) * size_t(bitmap.pitch)
                                               : bitmap.buffer + size_t(int(bitmap.rows) - 1 - y) * size_t(-bitmap.pitch);
                std::memcpy(&glyph.coverage[size_t(y) * size_t(glyph.width)], row, size_t(glyph.width));
            }
        }
        // Some faces leave .notdef blank; a missing character must still show.
        if (index == 0 && glyph.width == 0) return Box();
        return glyph;
    }

    bool Render(FT_UInt index, FT_Int32 hinting, bool bold) {
        if (FT_Load_Glyph(face_, index, hinting | FT_LOAD_NO_BITMAP) != 0) return false;
        if (bold) FT_GlyphSlot_Embolden(face_->glyph);
        return FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) == 0;
    }

    // A hollow box the size of a half-width character.
    Glyph Box() const {
        Glyph glyph;
        glyph.advance = std::max(averageWidth_, 3);
        glyph.width = std::max(glyph.advance - 2, 2);
        glyph.height = std::max(ascent_ - cellHeight_ / 8, 2);
        glyph.left = 1;
        glyph.top = std::max(ascent_ - glyph.height, 0);
        glyph.coverage.assign(size_t(glyph.width) * size_t(glyph.height), 0);
        for (int y = 0; y < glyph.height; ++y)
            for (int x = 0; x < glyph.width; ++x)
                if (x == 0 || y == 0 || x == glyph.width - 1 || y == glyph.height - 1)
                    glyph.coverage[size_t(y) * size_t(glyph.width) + size_t(x)] = 255;
        return glyph;
    }

    FT_Face face_;
    std::string path_;
    int cellHeight_, ascent_, averageWidth_;
    std::unordered_map<char32_t, Glyph> glyphs_[2];
};

namespace {

struct VerticalUnits {
    long ascent, descent, average;  // font units; descent positive
};

// The units GDI sizes cells by: the OS/2 Windows ascent and descent where the
// face has them, else the horizontal header's.
VerticalUnits UnitsOf(FT_Face face) {
    VerticalUnits u{face->ascender, -face->descender, 0};
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        if (os2->usWinAscent + os2->usWinDescent > 0) u = {os2->usWinAscent, os2->usWinDescent, 0};
        u.average = os2->xAvgCharWidth;
    }
    if (u.ascent + u.descent <= 0) u = {face->units_per_EM, 0, u.average};
    return u;
}

// Faces already open, by file, index within it, em size (26.6 pixels) and cell
// height.
using FaceKey = std::tuple<std::string, int, long, int>;

std::map<FaceKey, std::shared_ptr<FaceEntry>>& OpenFaces() {
    // Kept to the end of the process on purpose: fonts held by static objects may
    // still draw while other statics are destroyed.
    static auto* faces = new std::map<FaceKey, std::shared_ptr<FaceEntry>>;
    return *faces;
}

// height follows LOGFONT (> 0 cell, < 0 em, never 0). A face standing in for the
// Windows system gothic takes a positive height as its em, as that face's cell is
// its em: half-width characters then keep their 8 pixels in a 16-pixel cell, and
// the typographic ascender and descender (which span the em) split the cell.
std::shared_ptr<FaceEntry> OpenFace(const FaceFile& file, long height) {
    FT_Library library = Library();
    if (!library || file.path.empty()) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.path.c_str(), file.index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    VerticalUnits u = UnitsOf(face);
    const double upem = face->units_per_EM;
    double em;  // pixels
    int cell, ascent;
    if (height > 0 && file.fallback) {
        cell = static_cast<int>(height);
        em = cell;
        const long a = face->ascender, d = -face->descender;
        ascent = a + d > 0 ? static_cast<int>(std::lround(double(cell) * a / double(a + d))) : cell;
    } else {
        const double cellUnits = double(u.ascent + u.descent);
        if (height > 0) {
            cell = static_cast<int>(height);
            em = cell * upem / cellUnits;
        } else {
            em = static_cast<double>(-height);
            cell = std::max(1, static_cast<int>(std::lround(em * cellUnits / upem)));
        }
        ascent = static_cast<int>(std::lround(em * u.ascent / upem));
    }
    const long em26 = std::max(1L, std::lround(em * 64.0));
    const FaceKey key{file.path, file.index, em26, cell};
    auto& faces = OpenFaces();
    if (auto it = faces.find(key); it != faces.end()) {
        FT_Done_Face(face);
        return it->second;
    }
    if (FT_Set_Char_Size(face, 0, em26, 72, 72) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    int average = static_cast<int>(std::lround(em26 / 64.0 * u.average / upem));
    if (average <= 0 || average > cell) {
        // No usable OS/2 average: the width of a digit stands in for it.
        FT_Load_Char(face, '0', FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP);
        average = std::max(1, static_cast<int>((face->glyph->advance.x + 32) >> 6));
    }
    auto entry = std::make_shared<FaceEntry>(face, file.path, cell, std::clamp(ascent, 0, cell), average);
    faces.emplace(key, entry);
    return entry;
}

}  // namespace

GlyphSource::GlyphSource(std::shared_ptr<FaceEntry> face, const LOGFONTA& font, bool bold, bool fallback)
    : face_(std::move(face)), logFont_(font), bold_(bold), fallback_(fallback),
      cellHeight_(face_->CellHeight()), ascent_(face_->Ascent()), averageWidth_(face_->AverageWidth()) {}

const Glyph& GlyphSource::Get(char32_t code) { return face_->Get(code, bold_); }

const std::string& GlyphSource::FilePath() const { return face_->Path(); }

std::shared_ptr<GlyphSource> GlyphSource::Open(const LOGFONTA& font) {
    char name[LF_FACESIZE + 1] = {};
    std::memcpy(name, font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));

    // Cell heights beyond the limit, in either sign, are cut to it.
    long height = font.lfHeight;
    if (height == 0) {
        NolLog("font: %s has height 0, using the default cell of %d px\n", name, kDefaultCellHeight);
        height = kDefaultCellHeight;
    }
    height = std::clamp(height, -static_cast<long>(kMaxCellHeight), static_cast<long>(kMaxCellHeight));
    const bool bold = font.lfWeight >= 600;

    FaceFile file = FindFaceFile(name);
    std::shared_ptr<FaceEntry> face = OpenFace(file, height);
    if (!face && !file.fallback) {
        // The named file would not open: the fallback family may.
        file = FindFaceFile(kFallbackFamily);
        file.fallback = true;
        face = OpenFace(file, height);
    }
    if (!face) {
        NolLog("font: %s -> no usable face\n", name);
        return nullptr;
    }
    NolLog("font: %s -> %s%s\n", name, face->Path().c_str(), file.fallback ? " (fallback)" : "");
    LOGFONTA kept = font;
    std::memcpy(kept.lfFaceName, name, sizeof kept.lfFaceName);
    kept.lfFaceName[LF_FACESIZE - 1] = '\0';
    return std::make_shared<GlyphSource>(std::move(face), kept, bold, file.fallback);
}

}  // namespace nol::gdi
