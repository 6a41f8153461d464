// ID3DXSprite: textured screen rectangles drawn as alpha-blended pre-transformed
// quads. Sprites that follow each other with the same texture go to the device in
// one draw call; the device states the sprite needs are set by Begin and put back
// as they were by End.
#include <cmath>
#include <new>
#include <vector>

#include "com/com_object.h"
#include "d3dx8/d3dx8core.h"
#include "d3dx8/screen_quad_states.h"

const IID IID_ID3DXSprite = {0x13d69d15, 0xf9b0, 0x4e0f, {0xb3, 0x9e, 0xc9, 0x1e, 0xb3, 0x3f, 0x6c, 0xe7}};

namespace {

struct SpriteVertex {
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kSpriteFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A batch is drawn once it holds this many sprites, so that a long run of one
// texture does not grow the vertex list without bound.
constexpr size_t kMaxBatchSprites = 1024;

constexpr DWORD kRenderState = nol::d3dx8::ScreenQuadStates::kRenderState;
using Setting = nol::d3dx8::ScreenQuadStates::Setting;

// Blended over whatever is on the screen, never hidden by depth, fog or culling
// (a rotated or mirrored sprite turns its triangles round). The texels times the
// sprite's colour, alpha included. Filters are left as the caller set them: with
// point sampling a sprite at a whole-pixel position shows every texel on its own
// pixel.
constexpr Setting kSettings[] = {
    {kRenderState, D3DRS_ALPHABLENDENABLE, TRUE},
    {kRenderState, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
    {kRenderState, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
    {kRenderState, D3DRS_BLENDOP, D3DBLENDOP_ADD},
    {kRenderState, D3DRS_ALPHATESTENABLE, FALSE},
    {kRenderState, D3DRS_CULLMODE, D3DCULL_NONE},
    {kRenderState, D3DRS_ZENABLE, D3DZB_FALSE},
    {kRenderState, D3DRS_FOGENABLE, FALSE},
    {kRenderState, D3DRS_FILLMODE, D3DFILL_SOLID},
    {kRenderState, D3DRS_STENCILENABLE, FALSE},
    {kRenderState, D3DRS_SPECULARENABLE, FALSE},
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
    {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
    {1, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
};

// D3DXMatrixTransformation2D without a scaling centre or scaling rotation:
// scale about the origin, rotate about the centre, then move.
D3DXMATRIX SpriteMatrix(const D3DXVECTOR2& scaling, const D3DXVECTOR2& centre, float rotation,
                        const D3DXVECTOR2& translation) {
    const float c = std::cos(rotation), s = std::sin(rotation);
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = scaling.x * c;
    m._12 = scaling.x * s;
    m._21 = -scaling.y * s;
    m._22 = scaling.y * c;
    // The centre moves to the origin, turns, and comes back.
    m._41 = centre.x - centre.x * c + centre.y * s + translation.x;
    m._42 = centre.y - centre.x * s - centre.y * c + translation.y;
    return m;
}

class Sprite final : public nol::com::Object<ID3DXSprite, IID_ID3DXSprite> {
public:
    explicit Sprite(IDirect3DDevice8* device) : device_(device) { device_->AddRef(); }

    HRESULT GetDevice(IDirect3DDevice8** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        device_->AddRef();
        *device = device_;
        return D3D_OK;
    }

    HRESULT Begin() override {
        if (begun_) return D3DERR_INVALIDCALL;
        if (!states_.Apply(device_, kSpriteFvf)) return D3DERR_INVALIDCALL;
        begun_ = true;
        return D3D_OK;
    }

    HRESULT Draw(IDirect3DTexture8* texture, const RECT* srcRect, const D3DXVECTOR2* scaling,
                 const D3DXVECTOR2* rotationCenter, float rotation, const D3DXVECTOR2* translation,
                 D3DCOLOR colour) override {
        const D3DXMATRIX m = SpriteMatrix(scaling ? *scaling : D3DXVECTOR2(1.0f, 1.0f),
                                          rotationCenter ? *rotationCenter : D3DXVECTOR2(0.0f, 0.0f), rotation,
                                          translation ? *translation : D3DXVECTOR2(0.0f, 0.0f));
        return DrawTransform(texture, srcRect, &m, colour);
    }

    HRESULT DrawTransform(IDirect3DTexture8* texture, const RECT* srcRect, const D3DXMATRIX* transform,
                          D3DCOLOR colour) override {
        if (!texture || !transform) return D3DERR_INVALIDCALL;
        D3DSURFACE_DESC desc{};
        if (FAILED(texture->GetLevelDesc(0, &desc)) || desc.Width == 0 || desc.Height == 0)
            return D3DERR_INVALIDCALL;
        const RECT whole{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
        const RECT r = srcRect ? *srcRect : whole;
        if (r.right <= r.left || r.bottom <= r.top) return D3DERR_INVALIDCALL;

        const bool inside = begun_;
        if (!inside) Begin();
        if (texture != batchTexture_ || vertices_.size() >= kMaxBatchSprites * 6) {
            Flush();
            batchTexture_ = texture;
            batchTexture_->AddRef();
        }
        AddQuad(r, desc, *transform, colour);
        if (!inside) End();
        return D3D_OK;
    }

    HRESULT End() override {
        if (!begun_) return D3DERR_INVALIDCALL;
        Flush();
        states_.Restore();
        begun_ = false;
        return D3D_OK;
    }

    // Nothing of the sprite lives in the default pool.
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

private:
    ~Sprite() override {
        if (begun_) End();
        if (batchTexture_) batchTexture_->Release();
        device_->Release();
    }

    // Texel (i, j) of the source rectangle covers pixel (i, j) of the sprite: the
    // corners lie half a pixel before the pixel centres.
    void AddQuad(const RECT& r, const D3DSURFACE_DESC& desc, const D3DXMATRIX& m, D3DCOLOR colour) {
        const float w = static_cast<float>(r.right - r.left), h = static_cast<float>(r.bottom - r.top);
        const float u0 = r.left / float(desc.Width), u1 = r.right / float(desc.Width);
        const float v0 = r.top / float(desc.Height), v1 = r.bottom / float(desc.Height);
        auto corner = [&](float sx, float sy, float u, float v) {
            return SpriteVertex{sx * m._11 + sy * m._21 + m._41 - 0.5f, sx * m._12 + sy * m._22 + m._42 - 0.5f,
                                sx * m._13 + sy * m._23 + m._43, 1.0f, colour, u, v};
        };
        const SpriteVertex tl = corner(0, 0, u0, v0), tr = corner(w, 0, u1, v0);
        const SpriteVertex bl = corner(0, h, u0, v1), br = corner(w, h, u1, v1);
        try {
            vertices_.insert(vertices_.end(), {tl, tr, bl, bl, tr, br});
        } catch (const std::bad_alloc&) {
            // The sprite is dropped; the batch so far still draws.
        }
    }

    void Flush() {
        if (!vertices_.empty() && batchTexture_) {
            device_->SetTexture(0, batchTexture_);
            device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(vertices_.size() / 3), vertices_.data(),
                                     sizeof(SpriteVertex));
        }
        vertices_.clear();
        if (batchTexture_) batchTexture_->Release();
        batchTexture_ = nullptr;
    }

    IDirect3DDevice8* device_;
    bool begun_ = false;
    nol::d3dx8::ScreenQuadStates states_{kSettings};
    IDirect3DTexture8* batchTexture_ = nullptr;
    std::vector<SpriteVertex> vertices_;
};

}  // namespace

HRESULT D3DXCreateSprite(IDirect3DDevice8* device, LPD3DXSPRITE* result) {
    if (!result) return D3DERR_INVALIDCALL;
    *result = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    Sprite* sprite = new (std::nothrow) Sprite(device);
    if (!sprite) return E_OUTOFMEMORY;
    *result = sprite;
    return D3D_OK;
}
