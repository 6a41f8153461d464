// ID3DXFont: strings laid out as GDI would, drawn as screen quads from the
// glyphs in the font's atlas.
#include <algorithm>
#include <memory>
#include <vector>

#include "com/com_object.h"
#include "d3dx8/d3dx8core.h"
#include "d3dx8/font_atlas.h"
#include "d3dx8/screen_quad_states.h"
#include "gdi/gdi_objects.h"
#include "gdi/text_layout.h"

const IID IID_ID3DXFont = {0x89FAD6A5, 0x024D, 0x49AF, {0x8F, 0xE7, 0xF5, 0x11, 0x23, 0xB8, 0x5E, 0x25}};

namespace nol::d3dx8 {
namespace {

struct FontVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kFontFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// Quads per DrawPrimitiveUP, far below any device's primitive limit.
constexpr size_t kQuadsPerDraw = 4096;

constexpr DWORD kRenderState = ScreenQuadStates::kRenderState;
using Setting = ScreenQuadStates::Setting;

// Screen quads blended over what is there by the glyph's coverage, untouched by
// depth, fog, lighting, stencil or culling; texels taken one to one.
constexpr Setting kSettings[] = {
    {kRenderState, D3DRS_ALPHABLENDENABLE, TRUE},
    {kRenderState, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {kRenderState, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {kRenderState, D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {kRenderState, D3DRS_ALPHATESTENABLE, TRUE},
    {kRenderState, D3DRS_ALPHAFUNC, D3DCMP_GREATER},
    {kRenderState, D3DRS_ALPHAREF, 0},
    {kRenderState, D3DRS_ZENABLE, FALSE},
    {kRenderState, D3DRS_ZWRITEENABLE, FALSE},
    {kRenderState, D3DRS_STENCILENABLE, FALSE},
    {kRenderState, D3DRS_FILLMODE, D3DFILL_SOLID},
    {kRenderState, D3DRS_CULLMODE, D3DCULL_NONE},
    {kRenderState, D3DRS_FOGENABLE, FALSE},
    {kRenderState, D3DRS_LIGHTING, FALSE},
    {kRenderState, D3DRS_SPECULARENABLE, FALSE},
    {kRenderState, D3DRS_CLIPPING, TRUE},
    {kRenderState, D3DRS_COLORWRITEENABLE, 0xF},
    {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
    {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
    {0, D3DTSS_COLORARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
    {0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
    {0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE},
    {0, D3DTSS_TEXCOORDINDEX, 0},
    {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
    {0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP},
    {0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP},
    {0, D3DTSS_MAGFILTER, D3DTEXF_POINT},
    {0, D3DTSS_MINFILTER, D3DTEXF_POINT},
    {0, D3DTSS_MIPFILTER, D3DTEXF_NONE},
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};

class Font final : public nol::com::Object<ID3DXFont, IID_ID3DXFont> {
public:
    Font(IDirect3DDevice8* device, std::shared_ptr<nol::gdi::GlyphSource> source)
        : device_(device), source_(std::move(source)), atlas_(device, source_->CellHeight()) {
        device_->AddRef();
    }

    HRESULT GetDevice(IDirect3DDevice8** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        device_->AddRef();
        *device = device_;
        return D3D_OK;
    }
    HRESULT GetLogFont(LOGFONT* logFont) override {
        if (!logFont) return D3DERR_INVALIDCALL;
        *logFont = source_->LogFont();
        return D3D_OK;
    }

    HRESULT Begin() override {
        if (states_.Applied()) return D3DERR_INVALIDCALL;
        return states_.Apply(device_, kFontFvf) ? D3D_OK : D3DERR_INVALIDCALL;
    }

    HRESULT End() override {
        if (!states_.Applied()) return D3DERR_INVALIDCALL;
        states_.Restore();
        return D3D_OK;
    }

    INT DrawTextA(LPCSTR text, INT count, LPRECT rect, DWORD format, D3DCOLOR colour) override {
        if (!rect) return 0;
        nol::gdi::LayoutText(*source_, text, count, rect, format, &layout_);
        if (!layout_.draw) return layout_.height;
        const bool own = !states_.Applied();
        if (own && !states_.Apply(device_, kFontFvf)) return 0;
        for (const nol::gdi::PlacedGlyph& placed : layout_.glyphs) {
            const AtlasSlot* slot = SlotFor(placed.code);
            if (slot && slot->page >= 0)
                AddQuad(slot->page, placed.x + slot->left, placed.y + slot->top, slot->width, slot->height, slot->x,
                        slot->y, colour);
        }
        if (!layout_.underlines.empty() && atlas_.EnsurePage())
            for (const nol::gdi::Underline& line : layout_.underlines)
                AddQuad(0, line.x, line.y, line.width, 1, -1, -1, colour);
        Flush();
        if (own) states_.Restore();
        return layout_.height;
    }

    // Drawing in progress ends (putting the caller's state back); the atlas lives
    // in the managed pool and needs nothing rebuilt after a Reset.
    HRESULT OnLostDevice() override {
        states_.Restore();
        return D3D_OK;
    }
    HRESULT OnResetDevice() override { return D3D_OK; }

private:
    ~Font() override {
        states_.Restore();
        atlas_.ReleaseTextures();
        device_->Release();
    }

    const AtlasSlot* SlotFor(char32_t code) {
        if (const AtlasSlot* slot = atlas_.Find(code)) return slot;
        const nol::gdi::Glyph& glyph = source_->Get(code);
        if (!atlas_.Add(code, glyph)) {
            // Every page is full: draw what uses the old glyphs, then start over.
            Flush();
            atlas_.Clear();
            if (!atlas_.Add(code, glyph)) return nullptr;
        }
        return atlas_.Find(code);
    }

    // A quad of width × height pixels at (left, top) showing the texels from
    // (u, v) one to one, cut at the clip rectangle. u < 0: the page's solid block.
    void AddQuad(int page, int left, int top, int width, int height, int u, int v, D3DCOLOR colour) {
        int x0 = left, y0 = top, x1 = left + width, y1 = top + height;
        if (layout_.clip) {
            const RECT& c = layout_.clipRect;
            x0 = std::max<int>(x0, c.left), y0 = std::max<int>(y0, c.top);
            x1 = std::min<int>(x1, c.right), y1 = std::min<int>(y1, c.bottom);
            if (x0 >= x1 || y0 >= y1) return;
        }
        const float scale = 1.0f / float(atlas_.PageSize());
        float u0, v0, u1, v1;
        if (u < 0) {
            u0 = u1 = v0 = v1 = FontAtlas::kSolidSize * 0.5f * scale;
        } else {
            u0 = float(u + (x0 - left)) * scale, u1 = float(u + (x1 - left)) * scale;
            v0 = float(v + (y0 - top)) * scale, v1 = float(v + (y1 - top)) * scale;
        }
        // Pixel centres lie on whole coordinates: edges half a pixel before them.
        const float l = float(x0) - 0.5f, t = float(y0) - 0.5f, r = float(x1) - 0.5f, b = float(y1) - 0.5f;
        if (batches_.size() <= size_t(page)) batches_.resize(size_t(page) + 1);
        std::vector<FontVertex>& batch = batches_[size_t(page)];
        const FontVertex tl{l, t, 0, 1, colour, u0, v0}, tr{r, t, 0, 1, colour, u1, v0};
        const FontVertex bl{l, b, 0, 1, colour, u0, v1}, br{r, b, 0, 1, colour, u1, v1};
        batch.insert(batch.end(), {tl, tr, bl, tr, br, bl});
    }

    // Draws every batch, one page at a time.
    void Flush() {
        atlas_.Upload();
        for (size_t page = 0; page < batches_.size(); ++page) {
            std::vector<FontVertex>& batch = batches_[page];
            if (batch.empty()) continue;
            device_->SetTexture(0, atlas_.Page(int(page)));
            for (size_t first = 0; first < batch.size(); first += kQuadsPerDraw * 6) {
                const size_t quads = std::min(kQuadsPerDraw, (batch.size() - first) / 6);
                device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(quads * 2), &batch[first], sizeof(FontVertex));
            }
            batch.clear();
        }
    }

    IDirect3DDevice8* device_;
    std::shared_ptr<nol::gdi::GlyphSource> source_;
    FontAtlas atlas_;
    ScreenQuadStates states_{kSettings};
    nol::gdi::TextLayout layout_;
    std::vector<std::vector<FontVertex>> batches_;
};

}  // namespace
}  // namespace nol::d3dx8

HRESULT D3DXCreateFontIndirect(IDirect3DDevice8* device, const LOGFONT* logFont, LPD3DXFONT* result) {
    if (result) *result = nullptr;
    if (!device || !logFont || !result) return D3DERR_INVALIDCALL;
    auto source = nol::gdi::GlyphSource::Open(*logFont);
    if (!source) return E_FAIL;
    *result = new nol::d3dx8::Font(device, std::move(source));
    return D3D_OK;
}

HRESULT D3DXCreateFont(IDirect3DDevice8* device, HFONT font, LPD3DXFONT* result) {
    if (result) *result = nullptr;
    HFONT__* object = nol::gdi::FontOf(font);
    if (!device || !object || !result) return D3DERR_INVALIDCALL;
    *result = new nol::d3dx8::Font(device, object->source);
    return D3D_OK;
}
