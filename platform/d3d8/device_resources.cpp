// Creating resources, render targets, and copies between surfaces.
#include <cstring>
#include <vector>

#include "d3d8/adapter.h"
#include "d3d8/device.h"
#include "d3d8/formats.h"
#include "d3d8/gl_api.h"

namespace nol::d3d8 {

namespace {

bool PoolValid(D3DPOOL pool) { return pool <= D3DPOOL_SYSTEMMEM; }

Surface* ToSurface(IDirect3DSurface8* s) { return s ? dynamic_cast<Surface*>(s) : nullptr; }

bool Inside(const RECT& r, const D3DSURFACE_DESC& d) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           r.right <= static_cast<LONG>(d.Width) && r.bottom <= static_cast<LONG>(d.Height);
}

}  // namespace

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture8** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const DWORD knownUsage = D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC;
    if (width == 0 || height == 0 || width > MaxTextureSize() || height > MaxTextureSize() ||
        !FindColorFormat(format) || !PoolValid(pool) || (usage & ~knownUsage))
        return D3DERR_INVALIDCALL;
    // Render targets live in the default pool, one level each; managed textures
    // cannot be dynamic.
    if ((usage & D3DUSAGE_RENDERTARGET) && (pool != D3DPOOL_DEFAULT || levels > 1))
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
    Texture* t = nullptr;
    HRESULT hr = Texture::Create(this, width, height, levels, usage, format, pool, &t);
    if (FAILED(hr)) return hr;
    *texture = t;
    return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer8** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    const DWORD knownUsage = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC | D3DUSAGE_SOFTWAREPROCESSING |
                             D3DUSAGE_DONOTCLIP | D3DUSAGE_POINTS;
    if (length == 0 || !PoolValid(pool) || (usage & ~knownUsage)) return D3DERR_INVALIDCALL;
    if (fvf != 0) {
        VertexLayout layout;
        if (!DecodeFvf(fvf, &layout) || length < layout.size) return D3DERR_INVALIDCALL;
    }
    VertexBuffer* b = nullptr;
    HRESULT hr = VertexBuffer::Create(this, length, usage, fvf, pool, &b);
    if (FAILED(hr)) return hr;
    *buffer = b;
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    const DWORD knownUsage = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC | D3DUSAGE_SOFTWAREPROCESSING |
                             D3DUSAGE_DONOTCLIP | D3DUSAGE_POINTS;
    UINT size = format == D3DFMT_INDEX32 ? 4 : 2;
    if ((format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) || length < size ||
        !PoolValid(pool) || (usage & ~knownUsage))
        return D3DERR_INVALIDCALL;
    IndexBuffer* b = nullptr;
    HRESULT hr = IndexBuffer::Create(this, length, usage, format, pool, &b);
    if (FAILED(hr)) return hr;
    *buffer = b;
    return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE multiSample,
                                          IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > MaxTextureSize() || height > MaxTextureSize() ||
        !DepthFormatAvailable(format) || multiSample != D3DMULTISAMPLE_NONE)
        return D3DERR_INVALIDCALL;
    auto* s = new StandaloneSurface(this, Surface::Kind::Depth, format, width, height,
                                    D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT);
    HRESULT hr = s->AllocateGl();
    if (FAILED(hr)) {
        s->Release();
        return hr;
    }
    *surface = s;
    return D3D_OK;
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                                   IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (width == 0 || height == 0 || width > MaxTextureSize() || height > MaxTextureSize() ||
        !FindColorFormat(format))
        return D3DERR_INVALIDCALL;
    auto* s = new StandaloneSurface(this, Surface::Kind::Memory, format, width, height, 0,
                                    D3DPOOL_SYSTEMMEM);
    if (!s->AllocateMemory()) {
        s->Release();
        return E_OUTOFMEMORY;
    }
    s->SetLockable(true);
    *surface = s;
    return D3D_OK;
}

// ---- render targets ---------------------------------------------------------------------

HRESULT Device::SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* newZStencil) {
    Surface* target = renderTarget_;
    if (renderTarget) {
        target = ToSurface(renderTarget);
        if (!target || target->SurfaceDevice() != this || target->GetKind() != Surface::Kind::Color)
            return D3DERR_INVALIDCALL;
    }
    Surface* depth = nullptr;
    if (newZStencil) {
        depth = ToSurface(newZStencil);
        if (!depth || depth->SurfaceDevice() != this || depth->GetKind() != Surface::Kind::Depth ||
            !target || depth->Desc().Width < target->Desc().Width ||
            depth->Desc().Height < target->Desc().Height)
            return D3DERR_INVALIDCALL;
    }
    if (!target) return D3DERR_INVALIDCALL;
    BindTargets(target, depth);
    FullViewport();
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** renderTarget) {
    if (!renderTarget) return D3DERR_INVALIDCALL;
    *renderTarget = renderTarget_;
    if (!renderTarget_) return D3DERR_NOTFOUND;
    renderTarget_->AddRef();
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = depthStencil_;
    if (!depthStencil_) return D3DERR_NOTFOUND;
    depthStencil_->AddRef();
    return D3D_OK;
}

// ---- copies -------------------------------------------------------------------------------

bool Device::ReadColorRect(Surface* s, const RECT& r, uint32_t* argb) {
    const UINT w = static_cast<UINT>(r.right - r.left), h = static_cast<UINT>(r.bottom - r.top);
    if (s->GetKind() == Surface::Kind::Memory) {
        if (!s->Bits()) return false;
        const ColorFormatInfo& f = *s->Format();
        for (UINT y = 0; y < h; ++y)
            RowToArgb(f, s->Bits() + size_t(r.top + y) * s->Pitch() + size_t(r.left) * f.bytesPerPixel,
                      argb + size_t(y) * w, w);
        return true;
    }
    if (s->GetKind() != Surface::Kind::Color || !MakeCurrent() || !s->ColorTexture()) return false;
    gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    gl::FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, s->ColorTexture(), 0);
    gl::PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl::PixelStorei(GL_PACK_ROW_LENGTH, 0);
    gl::ReadPixels(r.left, r.top, static_cast<GLsizei>(w), static_cast<GLsizei>(h), GL_BGRA,
                   GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    // A colour target without alpha reads as opaque.
    if (!s->Format()->hasAlpha)
        for (size_t i = 0; i < size_t(w) * h; ++i) argb[i] |= 0xFF000000u;
    return true;
}

void Device::WriteColorRect(Surface* s, const RECT& r, const uint32_t* argb) {
    const UINT w = static_cast<UINT>(r.right - r.left), h = static_cast<UINT>(r.bottom - r.top);
    if (s->GetKind() == Surface::Kind::Memory) {
        if (!s->Bits()) return;
        const ColorFormatInfo& f = *s->Format();
        for (UINT y = 0; y < h; ++y)
            RowFromArgb(f, argb + size_t(y) * w,
                        s->Bits() + size_t(r.top + y) * s->Pitch() + size_t(r.left) * f.bytesPerPixel, w);
        s->ContentsChanged();
        return;
    }
    if (!MakeCurrent() || !s->ColorTexture()) return;
    gl::ActiveTexture(GL_TEXTURE0 + kUploadUnit);
    gl::BindTexture(GL_TEXTURE_2D, s->ColorTexture());
    gl::PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl::PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl::TexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, static_cast<GLsizei>(w),
                      static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
}

HRESULT Device::CopyBetween(Surface* src, const RECT& r, Surface* dst, POINT to) {
    const UINT w = static_cast<UINT>(r.right - r.left), h = static_cast<UINT>(r.bottom - r.top);
    const RECT target{to.x, to.y, to.x + static_cast<LONG>(w), to.y + static_cast<LONG>(h)};
    if (src->GetKind() == Surface::Kind::Memory && dst->GetKind() == Surface::Kind::Memory) {
        if (!src->Bits() || !dst->Bits()) return E_OUTOFMEMORY;
        // Same format on both sides: whole rows of bytes.
        const UINT bpp = src->Format()->bytesPerPixel;
        for (UINT y = 0; y < h; ++y)
            std::memcpy(dst->Bits() + size_t(target.top + y) * dst->Pitch() + size_t(target.left) * bpp,
                        src->Bits() + size_t(r.top + y) * src->Pitch() + size_t(r.left) * bpp,
                        size_t(w) * bpp);
        dst->ContentsChanged();
        return D3D_OK;
    }
    if (src->GetKind() == Surface::Kind::Color && dst->GetKind() == Surface::Kind::Color) {
        if (!MakeCurrent()) return D3DERR_INVALIDCALL;
        gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
        gl::FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                                 src->ColorTexture(), 0);
            gl::ActiveTexture(GL_TEXTURE0 + kUploadUnit);
        gl::BindTexture(GL_TEXTURE_2D, dst->ColorTexture());
        gl::CopyTexSubImage2D(GL_TEXTURE_2D, 0, target.left, target.top, r.left, r.top,
                              static_cast<GLsizei>(w), static_cast<GLsizei>(h));
        return D3D_OK;
    }
    std::vector<uint32_t> argb;
    try {
        argb.resize(size_t(w) * h);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (!ReadColorRect(src, r, argb.data())) return D3DERR_INVALIDCALL;
    WriteColorRect(dst, target, argb.data());
    return D3D_OK;
}

HRESULT Device::CopyRects(IDirect3DSurface8* source, const RECT* rects, UINT count,
                          IDirect3DSurface8* destination, const POINT* points) {
    Surface* src = ToSurface(source);
    Surface* dst = ToSurface(destination);
    if (!src || !dst || src == dst || src->SurfaceDevice() != this || dst->SurfaceDevice() != this)
        return D3DERR_INVALIDCALL;
    if (src->GetKind() == Surface::Kind::Depth || dst->GetKind() == Surface::Kind::Depth ||
        src->Desc().Format != dst->Desc().Format || src->IsLocked() || dst->IsLocked())
        return D3DERR_INVALIDCALL;
    if (rects && count == 0) return D3DERR_INVALIDCALL;

    const RECT whole{0, 0, static_cast<LONG>(src->Desc().Width),
                     static_cast<LONG>(src->Desc().Height)};
    const UINT n = rects ? count : 1;
    // Everything is checked before anything is copied.
    for (UINT i = 0; i < n; ++i) {
        const RECT& r = rects ? rects[i] : whole;
        POINT to = points ? points[i] : POINT{r.left, r.top};
        RECT target{to.x, to.y, to.x + (r.right - r.left), to.y + (r.bottom - r.top)};
        if (!Inside(r, src->Desc()) || !Inside(target, dst->Desc())) return D3DERR_INVALIDCALL;
    }
    for (UINT i = 0; i < n; ++i) {
        const RECT& r = rects ? rects[i] : whole;
        POINT to = points ? points[i] : POINT{r.left, r.top};
        HRESULT hr = CopyBetween(src, r, dst, to);
        if (FAILED(hr)) return hr;
    }
    return D3D_OK;
}

bool Device::ReadSurface(Surface* surface, std::vector<uint32_t>* pixels, UINT* width,
                         UINT* height) {
    Surface* s = surface ? surface : backBuffer_;
    if (!s || s->SurfaceDevice() != this || s->GetKind() == Surface::Kind::Depth) return false;
    const D3DSURFACE_DESC& d = s->Desc();
    pixels->assign(size_t(d.Width) * d.Height, 0);
    *width = d.Width;
    *height = d.Height;
    RECT all{0, 0, static_cast<LONG>(d.Width), static_cast<LONG>(d.Height)};
    return ReadColorRect(s, all, pixels->data());
}

}  // namespace nol::d3d8
