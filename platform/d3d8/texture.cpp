#include <algorithm>
#include <new>

#include "d3d8/device.h"
#include "d3d8/formats.h"
#include "d3d8/gl_api.h"
#include "d3d8/resources.h"
#include "base/platform_log.h"

namespace nol::d3d8 {

Texture::Texture(Device* device, D3DPOOL pool, DWORD usage, D3DFORMAT format)
    : Resource(device, pool), usage_(usage), format_(format) {}

Texture::~Texture() {
    if (gl_ && device_->MakeCurrent()) {
        gl::DeleteTextures(1, &gl_);
        device_->ForgetGlBindings();
    }
}

HRESULT Texture::Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                        D3DFORMAT format, D3DPOOL pool, Texture** out) {
    *out = nullptr;
    UINT full = FullChainLength(width, height);
    if (levels == 0) levels = (usage & D3DUSAGE_RENDERTARGET) ? 1 : full;
    if (levels > full) return D3DERR_INVALIDCALL;

    Texture* t = new (std::nothrow) Texture(device, pool, usage, format);
    if (!t) return E_OUTOFMEMORY;
    bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
    bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
    for (UINT i = 0; i < levels; ++i) {
        UINT w = std::max(1u, width >> i), h = std::max(1u, height >> i);
        auto level = std::make_unique<Surface>(
            device, t, t, i, renderTarget ? Surface::Kind::Color : Surface::Kind::Memory, format,
            w, h, usage, pool);
        if (!renderTarget && !level->AllocateMemory()) {
            t->Release();
            return E_OUTOFMEMORY;
        }
        level->SetLockable(lockable);
        t->levels_.push_back(std::move(level));
    }
    t->dirty_.assign(levels, 1);
    t->keep_.assign(levels, 0);
    if (renderTarget) {
        HRESULT hr = t->CreateGl();
        if (FAILED(hr)) {
            t->Release();
            return hr;
        }
    }
    *out = t;
    return D3D_OK;
}

HRESULT Texture::CreateGl() {
    if (!device_->MakeCurrent()) return D3DERR_INVALIDCALL;
    const ColorFormatInfo* info = FindColorFormat(format_);
    while (gl::GetError() != GL_NO_ERROR) {
    }
    gl::GenTextures(1, &gl_);
    gl::ActiveTexture(GL_TEXTURE0 + kUploadUnit);
    gl::BindTexture(GL_TEXTURE_2D, gl_);
    for (UINT i = 0; i < levels_.size(); ++i) {
        const D3DSURFACE_DESC& d = levels_[i]->Desc();
        gl::TexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), info->hasAlpha ? GL_RGBA8 : GL_RGB8,
                       static_cast<GLsizei>(d.Width), static_cast<GLsizei>(d.Height), 0, GL_BGRA,
                       GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
    }
    gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels_.size() - 1));
    gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL,
                      static_cast<GLint>(std::min<size_t>(lod_, levels_.size() - 1)));
    if (gl::GetError() != GL_NO_ERROR) {
        gl::DeleteTextures(1, &gl_);
        gl_ = 0;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    std::fill(dirty_.begin(), dirty_.end(), 1);
    anyDirty_ = !IsRenderTarget();
    return D3D_OK;
}

unsigned Texture::Prepare() {
    if (pool_ == D3DPOOL_SYSTEMMEM || !device_->Alive()) return 0;
    if (!gl_ && FAILED(CreateGl())) return 0;
    if (!anyDirty_ || IsRenderTarget()) return gl_;
    gl::ActiveTexture(GL_TEXTURE0 + kUploadUnit);
    gl::BindTexture(GL_TEXTURE_2D, gl_);
    gl::PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    std::vector<uint32_t> argb;
    for (UINT i = 0; i < levels_.size(); ++i) {
        if (!dirty_[i]) continue;
        Surface& level = *levels_[i];
        const ColorFormatInfo& f = *level.Format();
        UINT w = level.Desc().Width, h = level.Desc().Height;
        if (f.bytesPerPixel == 4) {
            // A8R8G8B8 and X8R8G8B8 are the GL layout already (X's alpha is not kept).
            gl::PixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(level.Pitch() / 4));
            gl::TexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), 0, 0, static_cast<GLsizei>(w),
                              static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                              level.Bits());
            gl::PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        } else {
            argb.resize(static_cast<size_t>(w) * h);
            for (UINT y = 0; y < h; ++y)
                RowToArgb(f, level.Bits() + static_cast<size_t>(y) * level.Pitch(),
                          argb.data() + static_cast<size_t>(y) * w, w);
            gl::TexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), 0, 0, static_cast<GLsizei>(w),
                              static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                              argb.data());
        }
        dirty_[i] = 0;
        // The driver keeps its own copy of what it was given: holding a second one
        // would double a large course texture's memory.
        if (MayRelease(i)) level.ReleaseMemory();
    }
    anyDirty_ = false;
    return gl_;
}

bool Texture::MayRelease(UINT level) const {
    return pool_ == D3DPOOL_MANAGED && !IsRenderTarget() && !keep_[level] &&
           levels_[level]->Format()->bytesPerPixel == 4;
}

void Texture::RestoreLevel(UINT i, bool keepFromNowOn) {
    Surface& level = *levels_[i];
    if (!level.MemoryReleased()) return;
    if (keepFromNowOn) keep_[i] = 1;
    if (!level.TakeMemoryBack()) {
        NolLog("Direct3D: no memory to read a %ux%u texture level back\n", level.Desc().Width,
               level.Desc().Height);
        return;
    }
    if (!gl_ || !device_->MakeCurrent()) {
        NolLog("Direct3D: a managed texture level's contents went with the OpenGL context\n");
        return;
    }
    // Four bytes a pixel in the GL layout: the bytes come back as they went up
    // (an X8R8G8B8 level's unused byte reads 0xFF).
    gl::ActiveTexture(GL_TEXTURE0 + kUploadUnit);
    gl::BindTexture(GL_TEXTURE_2D, gl_);
    gl::PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl::PixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(level.Pitch() / 4));
    gl::GetTexImage(GL_TEXTURE_2D, static_cast<GLint>(i), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                    level.Bits());
    gl::PixelStorei(GL_PACK_ROW_LENGTH, 0);
}

size_t Texture::BytesHeld() const {
    size_t bytes = 0;
    for (const auto& level : levels_) bytes += level->BytesHeld();
    return bytes;
}

void Texture::LevelChanged(UINT level) {
    if (level < dirty_.size()) {
        dirty_[level] = 1;
        anyDirty_ = true;
    }
}

void Texture::DropGl(bool deleteObjects) {
    // Levels that gave their bytes to the GL texture take them back before it goes
    // (without a current context they cannot, and start again from zeros).
    for (UINT i = 0; i < levels_.size(); ++i) RestoreLevel(i, /*keepFromNowOn=*/false);
    if (deleteObjects && gl_) {
        gl::DeleteTextures(1, &gl_);
        device_->ForgetGlBindings();
    }
    gl_ = 0;
    std::fill(dirty_.begin(), dirty_.end(), 1);
    anyDirty_ = true;
}

void Texture::PreLoad() {
    if (pool_ == D3DPOOL_MANAGED && device_->MakeCurrent()) Prepare();
}

DWORD Texture::SetLOD(DWORD lodNew) {
    DWORD old = lod_;
    if (pool_ != D3DPOOL_MANAGED) return 0;  // only managed textures have a LOD
    lod_ = std::min<DWORD>(lodNew, static_cast<DWORD>(levels_.size() - 1));
    if (gl_ && device_->MakeCurrent()) {
        gl::ActiveTexture(GL_TEXTURE0 + kUploadUnit);
        gl::BindTexture(GL_TEXTURE_2D, gl_);
        gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(lod_));
    }
    return old;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level >= levels_.size()) return D3DERR_INVALIDCALL;
    *desc = levels_[level]->Desc();
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    levels_[level]->AddRef();
    *surface = levels_[level].get();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    if (level >= levels_.size()) {
        if (lockedRect) lockedRect->pBits = nullptr;
        return D3DERR_INVALIDCALL;
    }
    return levels_[level]->LockRect(lockedRect, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level) {
    if (level >= levels_.size()) return D3DERR_INVALIDCALL;
    return levels_[level]->UnlockRect();
}

HRESULT Texture::AddDirtyRect(const RECT*) {
    // The whole of level 0 goes up again with the next use.
    LevelChanged(0);
    return D3D_OK;
}

}  // namespace nol::d3d8
