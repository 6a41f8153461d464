#include "d3dx8/font_states.h"

namespace d3dx8 {
namespace {

constexpr DWORD kRenderState = ~0u;

struct Setting {
    DWORD stage;
    DWORD type;
    DWORD value;
};

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

HRESULT Get(IDirect3DDevice8* device, DWORD stage, DWORD type, DWORD* value) {
    return stage == kRenderState ? device->GetRenderState(D3DRENDERSTATETYPE(type), value)
                                 : device->GetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), value);
}

void Set(IDirect3DDevice8* device, DWORD stage, DWORD type, DWORD value) {
    if (stage == kRenderState)
        device->SetRenderState(D3DRENDERSTATETYPE(type), value);
    else
        device->SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), value);
}

}  // namespace

bool FontStates::Apply(IDirect3DDevice8* device, DWORD fvf) {
    Restore();
    saved_.clear();
    for (const Setting& s : kSettings) {
        DWORD value = 0;
        // A state this device does not keep is neither changed nor put back.
        if (SUCCEEDED(Get(device, s.stage, s.type, &value)) && value != s.value)
            saved_.push_back({s.stage, s.type, value});
    }
    if (FAILED(device->GetTexture(0, &texture_)) || FAILED(device->GetVertexShader(&vertexShader_))) {
        if (texture_) texture_->Release();
        texture_ = nullptr;
        return false;
    }
    if (FAILED(device->GetStreamSource(0, &stream_, &streamStride_))) stream_ = nullptr;
    device_ = device;
    for (const Setting& s : kSettings) Set(device, s.stage, s.type, s.value);
    device->SetVertexShader(fvf);
    return true;
}

void FontStates::Restore() {
    if (!device_) return;
    for (const Saved& s : saved_) Set(device_, s.stage, s.type, s.value);
    device_->SetTexture(0, texture_);
    device_->SetVertexShader(vertexShader_);
    device_->SetStreamSource(0, stream_, streamStride_);
    if (texture_) texture_->Release();
    if (stream_) stream_->Release();
    texture_ = nullptr;
    stream_ = nullptr;
    device_ = nullptr;
}

}  // namespace d3dx8
