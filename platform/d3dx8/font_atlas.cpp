#include "d3dx8/font_atlas.h"

#include <algorithm>
#include <cstring>

#include "base/platform_log.h"

namespace nol::d3dx8 {
namespace {

constexpr int kPadding = 1;  // empty texels between glyphs

}  // namespace

FontAtlas::FontAtlas(IDirect3DDevice8* device, int cellHeight) : device_(device), pageSize_(256) {
    // Room for at least eight rows of the largest glyphs on a page.
    while (pageSize_ < 8 * cellHeight && pageSize_ < 2048) pageSize_ *= 2;
    maxPages_ = static_cast<int>(std::max<int64_t>(2, kMaxTexels / (int64_t(pageSize_) * pageSize_)));
}

FontAtlas::~FontAtlas() { ReleaseTextures(); }

void FontAtlas::ReleaseTextures() {
    for (Sheet& page : pages_)
        if (page.texture) page.texture->Release();
    pages_.clear();
    slots_.clear();
    current_ = 0;
}

void FontAtlas::ResetPage(Sheet& page) {
    std::fill(page.alpha.begin(), page.alpha.end(), 0);
    for (int y = 0; y < kSolidSize; ++y)
        std::memset(&page.alpha[size_t(y) * size_t(pageSize_)], 0xFF, kSolidSize);
    page.shelfY = 0;
    page.shelfHeight = kSolidSize;
    page.penX = kSolidSize + kPadding;
    page.dirtyTop = 0;
    page.dirtyBottom = pageSize_;
}

bool FontAtlas::NewPage() {
    if (PageCount() >= maxPages_) return false;
    Sheet page;
    if (FAILED(device_->CreateTexture(UINT(pageSize_), UINT(pageSize_), 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                      &page.texture)) ||
        !page.texture) {
        if (!refusedLogged_) NolLog("font: no glyph texture of %d x %d\n", pageSize_, pageSize_);
        refusedLogged_ = true;  // once, not once per glyph
        return false;
    }
    page.alpha.resize(size_t(pageSize_) * size_t(pageSize_));
    ResetPage(page);
    pages_.push_back(std::move(page));
    return true;
}

void FontAtlas::Clear() {
    slots_.clear();
    current_ = 0;
    for (Sheet& page : pages_) ResetPage(page);
}

bool FontAtlas::Place(Sheet& page, int width, int height, int* x, int* y) {
    if (page.penX + width > pageSize_) {  // next shelf
        page.shelfY += page.shelfHeight + kPadding;
        page.shelfHeight = 0;
        page.penX = 0;
    }
    if (page.shelfY + height > pageSize_ || width > pageSize_) return false;
    *x = page.penX;
    *y = page.shelfY;
    page.penX += width + kPadding;
    page.shelfHeight = std::max(page.shelfHeight, height);
    return true;
}

bool FontAtlas::Add(char32_t code, const nol::gdi::Glyph& glyph) {
    AtlasSlot slot;
    slot.left = glyph.left;
    slot.top = glyph.top;
    const int room = pageSize_ - kSolidSize - kPadding;  // what a fresh page surely holds
    if (glyph.width <= 0 || glyph.height <= 0 || glyph.width > room || glyph.height > room) {
        slots_[code] = slot;
        return true;
    }
    int x = 0, y = 0;
    // Pages before the current one are full; after Clear they fill again in order.
    while (current_ >= PageCount() || !Place(pages_[size_t(current_)], glyph.width, glyph.height, &x, &y)) {
        if (current_ < PageCount()) ++current_;
        if (current_ >= PageCount() && !NewPage()) return false;
    }
    const int page = current_;
    Sheet& p = pages_[size_t(page)];
    for (int row = 0; row < glyph.height; ++row)
        std::memcpy(&p.alpha[size_t(y + row) * size_t(pageSize_) + size_t(x)],
                    &glyph.coverage[size_t(row) * size_t(glyph.width)], size_t(glyph.width));
    if (p.dirtyTop >= p.dirtyBottom) {
        p.dirtyTop = y;
        p.dirtyBottom = y + glyph.height;
    } else {
        p.dirtyTop = std::min(p.dirtyTop, y);
        p.dirtyBottom = std::max(p.dirtyBottom, y + glyph.height);
    }
    slot.page = page;
    slot.x = x;
    slot.y = y;
    slot.width = glyph.width;
    slot.height = glyph.height;
    slots_[code] = slot;
    return true;
}

bool FontAtlas::Upload() {
    bool ok = true;
    for (Sheet& page : pages_) {
        if (page.dirtyTop >= page.dirtyBottom) continue;
        const RECT rows{0, page.dirtyTop, pageSize_, page.dirtyBottom};
        D3DLOCKED_RECT locked{};
        if (FAILED(page.texture->LockRect(0, &locked, &rows, 0)) || !locked.pBits) {
            ok = false;
            continue;
        }
        for (int y = page.dirtyTop; y < page.dirtyBottom; ++y) {
            auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) +
                                                    size_t(y - page.dirtyTop) * size_t(locked.Pitch));
            const uint8_t* in = &page.alpha[size_t(y) * size_t(pageSize_)];
            for (int x = 0; x < pageSize_; ++x) out[x] = uint32_t(in[x]) << 24 | 0x00FFFFFFu;
        }
        page.texture->UnlockRect(0);
        page.dirtyTop = page.dirtyBottom = 0;
    }
    return ok;
}

}  // namespace nol::d3dx8
