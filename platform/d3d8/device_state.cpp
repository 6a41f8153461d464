// Transforms, viewport, material, lights, render states, texture stages, streams.
#include <cmath>
#include <cfloat>

#include "d3d8/adapter.h"
#include "d3d8/device.h"
#include "d3d8/shader_cache.h"
#include "math/matrix.h"

namespace nol::d3d8 {

namespace {

bool IsWorld(D3DTRANSFORMSTATETYPE s) { return s >= 256 && s < 512; }
bool IsTextureTransform(D3DTRANSFORMSTATETYPE s) { return s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7; }

bool Finite(const D3DVECTOR& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool LightValid(const D3DLIGHT8& l) {
    if (l.Type < D3DLIGHT_POINT || l.Type > D3DLIGHT_DIRECTIONAL) return false;
    bool zeroDirection = l.Direction.x == 0.0f && l.Direction.y == 0.0f && l.Direction.z == 0.0f;
    if (l.Type != D3DLIGHT_POINT && (zeroDirection || !Finite(l.Direction))) return false;
    if (l.Type == D3DLIGHT_DIRECTIONAL) return true;
    if (!Finite(l.Position) || !(l.Range >= 0.0f) || l.Range > std::sqrt(FLT_MAX)) return false;
    if (!(l.Attenuation0 >= 0.0f && l.Attenuation1 >= 0.0f && l.Attenuation2 >= 0.0f))
        return false;
    if (l.Attenuation0 == 0.0f && l.Attenuation1 == 0.0f && l.Attenuation2 == 0.0f) return false;
    if (l.Type == D3DLIGHT_SPOT &&
        !(l.Theta >= 0.0f && l.Theta <= l.Phi && l.Phi <= 3.14159275f))
        return false;
    return true;
}

// A light enabled without being set: white, directional, along +z.
D3DLIGHT8 DefaultLight() {
    D3DLIGHT8 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    l.Direction = {0.0f, 0.0f, 1.0f};
    return l;
}

}  // namespace

// ---- transforms and viewport --------------------------------------------------------

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    if (state == D3DTS_VIEW) {
        view_ = *matrix;
        ++versions_[kTransformUniforms];
        ++versions_[kLightUniforms];  // lights are lit in eye space
    } else if (state == D3DTS_PROJECTION) {
        projection_ = *matrix;
        ++versions_[kTransformUniforms];
        keyDirty_ = true;  // table fog reads eye depth only under a perspective projection
    } else if (IsWorld(state)) {
        worlds_[state - 256] = *matrix;
        if (state == D3DTS_WORLD) ++versions_[kTransformUniforms];
    } else if (IsTextureTransform(state)) {
        textureTransforms_[state - D3DTS_TEXTURE0] = *matrix;
    } else {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (!matrix) return D3DERR_INVALIDCALL;
    if (state == D3DTS_VIEW) *matrix = view_;
    else if (state == D3DTS_PROJECTION) *matrix = projection_;
    else if (IsWorld(state)) *matrix = worlds_[state - 256];
    else if (IsTextureTransform(state)) *matrix = textureTransforms_[state - D3DTS_TEXTURE0];
    else return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    D3DMATRIX current;
    if (!matrix || FAILED(GetTransform(state, &current))) return D3DERR_INVALIDCALL;
    D3DMATRIX product;
    NolMatrixMultiply(&product, *matrix, current);
    return SetTransform(state, &product);
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* vp) {
    if (!vp || !renderTarget_) return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& rt = renderTarget_->Desc();
    if (vp->Width == 0 || vp->Height == 0 || uint64_t(vp->X) + vp->Width > rt.Width ||
        uint64_t(vp->Y) + vp->Height > rt.Height || !(vp->MinZ >= 0.0f) || !(vp->MaxZ <= 1.0f) ||
        !(vp->MinZ <= vp->MaxZ))
        return D3DERR_INVALIDCALL;
    viewport_ = *vp;
    fixedStateDirty_ = true;
    ++versions_[kTransformUniforms];
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* vp) {
    if (!vp) return D3DERR_INVALIDCALL;
    *vp = viewport_;
    return D3D_OK;
}

// ---- material and lights -----------------------------------------------------------------

HRESULT Device::SetMaterial(const D3DMATERIAL8* material) {
    if (!material) return D3DERR_INVALIDCALL;
    material_ = *material;
    ++versions_[kMaterialUniforms];
    return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL8* material) {
    if (!material) return D3DERR_INVALIDCALL;
    *material = material_;
    return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT8* light) {
    if (!light || !LightValid(*light)) return D3DERR_INVALIDCALL;
    auto it = lights_.find(index);
    if (it == lights_.end()) {
        lights_[index] = LightSlot{*light, false};
        return D3D_OK;
    }
    if (it->second.enabled && it->second.light.Type != light->Type) keyDirty_ = true;
    it->second.light = *light;
    if (it->second.enabled) ++versions_[kLightUniforms];
    return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT8* light) {
    auto it = lights_.find(index);
    if (!light || it == lights_.end()) return D3DERR_INVALIDCALL;
    *light = it->second.light;
    return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
    auto it = lights_.find(index);
    if (it == lights_.end()) it = lights_.emplace(index, LightSlot{DefaultLight(), false}).first;
    bool on = enable != FALSE;
    if (it->second.enabled == on) return D3D_OK;
    if (on) {
        if (activeLights_.size() >= kMaxActiveLights) return D3DERR_INVALIDCALL;
        activeLights_.push_back(index);
    } else {
        std::erase(activeLights_, index);
    }
    it->second.enabled = on;
    keyDirty_ = true;
    ++versions_[kLightUniforms];
    return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* enable) {
    auto it = lights_.find(index);
    if (!enable || it == lights_.end()) return D3DERR_INVALIDCALL;
    *enable = it->second.enabled ? TRUE : FALSE;
    return D3D_OK;
}

// ---- render states ------------------------------------------------------------------------

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (!RenderStateAccepts(state, value)) return D3DERR_INVALIDCALL;
    if (renderStates_[state] == value) return D3D_OK;
    renderStates_[state] = value;
    switch (state) {
        case D3DRS_LIGHTING:
        case D3DRS_NORMALIZENORMALS:
        case D3DRS_LOCALVIEWER:
        case D3DRS_COLORVERTEX:
        case D3DRS_DIFFUSEMATERIALSOURCE:
        case D3DRS_SPECULARMATERIALSOURCE:
        case D3DRS_AMBIENTMATERIALSOURCE:
        case D3DRS_EMISSIVEMATERIALSOURCE:
        case D3DRS_SPECULARENABLE:
        case D3DRS_FOGENABLE:
        case D3DRS_FOGTABLEMODE:
        case D3DRS_FOGVERTEXMODE:
        case D3DRS_RANGEFOGENABLE:
        case D3DRS_ALPHATESTENABLE:
        case D3DRS_ALPHAFUNC:
        case D3DRS_SHADEMODE: keyDirty_ = true; break;
        case D3DRS_AMBIENT: ++versions_[kMaterialUniforms]; break;
        case D3DRS_FOGCOLOR:
        case D3DRS_FOGSTART:
        case D3DRS_FOGEND:
        case D3DRS_FOGDENSITY: ++versions_[kFogUniforms]; break;
        case D3DRS_TEXTUREFACTOR:
        case D3DRS_ALPHAREF:
        case D3DRS_POINTSIZE:
        case D3DRS_POINTSIZE_MIN:
        case D3DRS_POINTSIZE_MAX: ++versions_[kMiscUniforms]; break;
        case D3DRS_ZENABLE:
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ZFUNC:
        case D3DRS_ZBIAS:
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
        case D3DRS_ALPHABLENDENABLE:
        case D3DRS_BLENDOP:
        case D3DRS_CULLMODE:
        case D3DRS_FILLMODE:
        case D3DRS_COLORWRITEENABLE:
        case D3DRS_STENCILENABLE:
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS:
        case D3DRS_STENCILFUNC:
        case D3DRS_STENCILREF:
        case D3DRS_STENCILMASK:
        case D3DRS_STENCILWRITEMASK: fixedStateDirty_ = true; break;
        default: break;  // kept for GetRenderState, no effect on drawing here
    }
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (!value || !RenderStateRule(state)) return D3DERR_INVALIDCALL;
    *value = renderStates_[state];
    return D3D_OK;
}

HRESULT Device::SetClipStatus(const D3DCLIPSTATUS8* clipStatus) {
    if (!clipStatus) return D3DERR_INVALIDCALL;
    clipStatus_ = *clipStatus;
    return D3D_OK;
}

HRESULT Device::GetClipStatus(D3DCLIPSTATUS8* clipStatus) {
    if (!clipStatus) return D3DERR_INVALIDCALL;
    *clipStatus = clipStatus_;
    return D3D_OK;
}

// ---- textures and stages ------------------------------------------------------------------

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
    if (!texture || stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
    *texture = textures_[stage];
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    if (stage >= kMaxTextureStages) return D3DERR_INVALIDCALL;
    Texture* t = nullptr;
    if (texture) {
        t = dynamic_cast<Texture*>(texture);
        // Textures of another device, of another implementation, or in system
        // memory cannot be sampled.
        if (!t || t->OwnerDevice() != this || t->Pool() == D3DPOOL_SYSTEMMEM)
            return D3DERR_INVALIDCALL;
    }
    BindTexture(stage, t);
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (!value || stage >= kMaxTextureStages || !StageStateKnown(type)) return D3DERR_INVALIDCALL;
    *value = stageStates_[stage][type];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= kMaxTextureStages || !StageStateAccepts(type, value)) return D3DERR_INVALIDCALL;
    if (stageStates_[stage][type] == value) return D3D_OK;
    stageStates_[stage][type] = value;
    switch (type) {
        case D3DTSS_COLOROP:
        case D3DTSS_COLORARG0:
        case D3DTSS_COLORARG1:
        case D3DTSS_COLORARG2:
        case D3DTSS_ALPHAOP:
        case D3DTSS_ALPHAARG0:
        case D3DTSS_ALPHAARG1:
        case D3DTSS_ALPHAARG2:
        case D3DTSS_RESULTARG:
        case D3DTSS_TEXCOORDINDEX: keyDirty_ = true; break;
        case D3DTSS_ADDRESSU:
        case D3DTSS_ADDRESSV:
        case D3DTSS_ADDRESSW:
        case D3DTSS_BORDERCOLOR:
        case D3DTSS_MAGFILTER:
        case D3DTSS_MINFILTER:
        case D3DTSS_MIPFILTER:
        case D3DTSS_MIPMAPLODBIAS:
        case D3DTSS_MAXMIPLEVEL:
        case D3DTSS_MAXANISOTROPY: samplerDirty_[stage] = true; break;
        default: break;
    }
    return D3D_OK;
}

HRESULT Device::ValidateDevice(DWORD* numPasses) {
    if (!numPasses) return D3DERR_INVALIDCALL;
    // Every accepted stage set-up is drawn in one pass.
    *numPasses = 1;
    return D3D_OK;
}

// ---- vertex input -----------------------------------------------------------------------

HRESULT Device::SetVertexShader(DWORD handle) {
    VertexLayout layout;
    // Odd handles name programmable shaders, which this layer does not have.
    if ((handle & 1) || !DecodeFvf(handle, &layout)) return D3DERR_INVALIDCALL;
    if (layoutValid_ && handle == vertexShader_) return D3D_OK;
    vertexShader_ = handle;
    layout_ = layout;
    layoutValid_ = true;
    keyDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* handle) {
    if (!handle) return D3DERR_INVALIDCALL;
    *handle = vertexShader_;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* data, UINT stride) {
    if (streamNumber != 0) return D3DERR_INVALIDCALL;  // one stream: fixed function
    VertexBuffer* vb = nullptr;
    if (data) {
        vb = dynamic_cast<VertexBuffer*>(data);
        if (!vb || vb->OwnerDevice() != this || stride == 0 || stride > kMaxStreamStride)
            return D3DERR_INVALIDCALL;
    }
    BindStream(vb, stride);
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** data, UINT* stride) {
    if (!data || !stride || streamNumber != 0) return D3DERR_INVALIDCALL;
    *data = stream_;
    *stride = streamStride_;
    if (stream_) stream_->AddRef();
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer8* data, UINT baseVertexIndex) {
    IndexBuffer* ib = nullptr;
    if (data) {
        ib = dynamic_cast<IndexBuffer*>(data);
        if (!ib || ib->OwnerDevice() != this) return D3DERR_INVALIDCALL;
    }
    BindIndices(ib, baseVertexIndex);
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer8** data, UINT* baseVertexIndex) {
    if (!data || !baseVertexIndex) return D3DERR_INVALIDCALL;
    *data = indices_;
    *baseVertexIndex = baseVertexIndex_;
    if (indices_) indices_->AddRef();
    return D3D_OK;
}

}  // namespace nol::d3d8
