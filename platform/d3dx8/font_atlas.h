// The textures a D3DX font keeps its glyphs in: pages of white texels whose alpha
// is the glyph's coverage, filled shelf by shelf as new characters are drawn.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "d3d8/d3d8.h"
#include "gdi/glyph_source.h"

namespace nol::d3dx8 {

struct AtlasSlot {
    int page = -1;  // -1: the glyph has no pixels
    int x = 0, y = 0;          // texels of its top left corner on the page
    int width = 0, height = 0;
    int left = 0, top = 0;     // the glyph's offsets from pen position and cell top
};

class FontAtlas {
public:
    FontAtlas(IDirect3DDevice8* device, int cellHeight);
    ~FontAtlas();
    FontAtlas(const FontAtlas&) = delete;
    FontAtlas& operator=(const FontAtlas&) = delete;

    // The slot of a code already in the atlas, or null.
    const AtlasSlot* Find(char32_t code) const {
        auto it = slots_.find(code);
        return it == slots_.end() ? nullptr : &it->second;
    }
    // Places a glyph; false when every page allowed is full (Clear, then add
    // again). A glyph larger than a page gets a slot with no pixels.
    bool Add(char32_t code, const nol::gdi::Glyph& glyph);
    // Makes sure a page exists, for the solid block underlines use.
    bool EnsurePage() { return !pages_.empty() || NewPage(); }
    // Sends what Add placed since the last upload to the textures.
    bool Upload();
    // Forgets every glyph; the pages stay and are filled again.
    void Clear();
    // Drops the textures (and with them every glyph); they come back on demand.
    void ReleaseTextures();

    IDirect3DTexture8* Page(int page) const { return pages_[size_t(page)].texture; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    int PageSize() const { return pageSize_; }
    // Texels of every page's solid block: underlines are drawn from its centre.
    static constexpr int kSolidSize = 2;

    // Pages of a font never hold more than this many texels between them (but a
    // font always gets two pages); when they are all full the font draws what it
    // has, clears the atlas and fills it again.
    static constexpr int64_t kMaxTexels = int64_t(16) * 256 * 256;

private:
    struct Sheet {
        IDirect3DTexture8* texture = nullptr;
        std::vector<uint8_t> alpha;  // pageSize × pageSize, what the texture should hold
        int shelfY = 0, shelfHeight = 0, penX = 0;
        int dirtyTop = 0, dirtyBottom = 0;  // rows changed since the last upload
    };
    bool NewPage();
    void ResetPage(Sheet& page);
    bool Place(Sheet& page, int width, int height, int* x, int* y);

    IDirect3DDevice8* device_;
    int pageSize_;
    std::vector<Sheet> pages_;
    std::unordered_map<char32_t, AtlasSlot> slots_;
    int maxPages_;
    int current_ = 0;  // the page being filled
    bool refusedLogged_ = false;
};

}  // namespace nol::d3dx8
