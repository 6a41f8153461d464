#include <cstring>
#include <new>

#include "d3d8/device.h"
#include "d3d8/gl_api.h"
#include "d3d8/resources.h"

namespace nol::d3d8 {

// ---- DeviceChild -------------------------------------------------------------------

DeviceChild::DeviceChild(Device* device, D3DPOOL pool) : device_(device), pool_(pool) {
    device_->AddInternalRef();
    device_->Register(this);
}

DeviceChild::~DeviceChild() {
    device_->Unregister(this);
    device_->ReleaseInternalRef();  // may delete the device: nothing may follow
}

HRESULT HandOutDevice(Device* device, IDirect3DDevice8** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!device->Alive()) return D3DERR_INVALIDCALL;
    device->AddRef();
    *out = device;
    return D3D_OK;
}

void DeviceChild::Unhold() {
    if (held_ > 0) --held_;
    ReleaseChild();
}

// ---- Surface -------------------------------------------------------------------------

Surface::Surface(Device* device, DeviceChild* owner, Texture* container, UINT level, Kind kind,
                 D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool)
    : device_(device), owner_(owner), container_(container), level_(level), kind_(kind) {
    format_ = FindColorFormat(format);
    desc_.Format = format;
    desc_.Type = D3DRTYPE_SURFACE;
    desc_.Usage = usage;
    desc_.Pool = pool;
    desc_.MultiSampleType = D3DMULTISAMPLE_NONE;
    desc_.Width = width;
    desc_.Height = height;
    if (format_) {
        pitch_ = SurfacePitch(*format_, width);
        desc_.Size = pitch_ * height;
    } else {
        desc_.Size = width * height * (format == D3DFMT_D16 ? 2 : 4);
    }
}

Surface::~Surface() = default;

bool Surface::AllocateMemory() {
    if (!format_) return false;
    try {
        bits_.assign(static_cast<size_t>(pitch_) * desc_.Height, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void Surface::ReleaseMemory() {
    std::vector<uint8_t>().swap(bits_);
    released_ = true;
}

bool Surface::TakeMemoryBack() {
    if (!AllocateMemory()) return false;
    released_ = false;
    return true;
}

uint8_t* Surface::Bits() {
    if (released_ && container_) container_->RestoreLevel(level_, /*keepFromNowOn=*/true);
    return bits_.empty() ? nullptr : bits_.data();
}

HRESULT Surface::AllocateGl() {
    if (!device_->MakeCurrent()) return D3DERR_INVALIDCALL;
    while (gl::GetError() != GL_NO_ERROR) {
    }
    if (kind_ == Kind::Color) {
        if (!glTexture_) gl::GenTextures(1, &glTexture_);
        gl::ActiveTexture(GL_TEXTURE0 + kUploadUnit);
        gl::BindTexture(GL_TEXTURE_2D, glTexture_);
        gl::TexImage2D(GL_TEXTURE_2D, 0, format_->hasAlpha ? GL_RGBA8 : GL_RGB8,
                       static_cast<GLsizei>(desc_.Width), static_cast<GLsizei>(desc_.Height), 0,
                       GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
        gl::TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    } else if (kind_ == Kind::Depth) {
        if (!renderbuffer_) gl::GenRenderbuffers(1, &renderbuffer_);
        gl::BindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
        gl::RenderbufferStorage(GL_RENDERBUFFER, GlDepthFormat(desc_.Format),
                                static_cast<GLsizei>(desc_.Width),
                                static_cast<GLsizei>(desc_.Height));
    }
    return gl::GetError() == GL_NO_ERROR ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
}

void Surface::DeleteGl(bool deleteObjects) {
    if (deleteObjects && (glTexture_ || renderbuffer_)) {
        if (glTexture_) gl::DeleteTextures(1, &glTexture_);
        if (renderbuffer_) gl::DeleteRenderbuffers(1, &renderbuffer_);
        device_->ForgetGlBindings();
    }
    glTexture_ = 0;
    renderbuffer_ = 0;
}

HRESULT Surface::Reconfigure(D3DFORMAT format, UINT width, UINT height) {
    const ColorFormatInfo* info = FindColorFormat(format);
    if (kind_ == Kind::Color && !info) return D3DERR_INVALIDCALL;
    format_ = info;
    desc_.Format = format;
    desc_.Width = width;
    desc_.Height = height;
    if (format_) {
        pitch_ = SurfacePitch(*format_, width);
        desc_.Size = pitch_ * height;
    }
    return AllocateGl();
}

unsigned Surface::ColorTexture() const {
    if (kind_ != Kind::Color) return 0;
    return container_ ? container_->GlName() : glTexture_;
}

void Surface::ContentsChanged() {
    if (container_) container_->LevelChanged(level_);
}

HRESULT Surface::GetDevice(IDirect3DDevice8** device) { return HandOutDevice(device_, device); }

HRESULT Surface::GetContainer(REFIID riid, void** container) {
    if (!container) return D3DERR_INVALIDCALL;
    if (container_) return container_->QueryInterface(riid, container);
    // A surface of its own belongs to the device.
    if (!device_->Alive()) {
        *container = nullptr;
        return D3DERR_INVALIDCALL;
    }
    return device_->QueryInterface(riid, container);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) {
    const DWORD knownFlags = D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK | D3DLOCK_NOOVERWRITE |
                             D3DLOCK_DISCARD | D3DLOCK_NO_DIRTY_UPDATE;
    if (!lockedRect) return D3DERR_INVALIDCALL;
    lockedRect->pBits = nullptr;
    lockedRect->Pitch = 0;
    // Render targets, the back buffer and depth buffers live in OpenGL only.
    if (kind_ != Kind::Memory || !lockable_ || locked_ || (flags & ~knownFlags))
        return D3DERR_INVALIDCALL;
    RECT r{0, 0, static_cast<LONG>(desc_.Width), static_cast<LONG>(desc_.Height)};
    if (rect) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || rect->right > r.right || rect->bottom > r.bottom)
            return D3DERR_INVALIDCALL;
        r = *rect;
    }
    uint8_t* bits = Bits();
    if (!bits) return E_OUTOFMEMORY;  // released and not to be had back
    lockedRect->Pitch = static_cast<INT>(pitch_);
    lockedRect->pBits = bits + static_cast<size_t>(r.top) * pitch_ +
                        static_cast<size_t>(r.left) * format_->bytesPerPixel;
    locked_ = true;
    lockFlags_ = flags;
    return D3D_OK;
}

HRESULT Surface::UnlockRect() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!(lockFlags_ & D3DLOCK_READONLY)) ContentsChanged();
    return D3D_OK;
}

// ---- StandaloneSurface ---------------------------------------------------------------

StandaloneSurface::StandaloneSurface(Device* device, Kind kind, D3DFORMAT format, UINT width,
                                     UINT height, DWORD usage, D3DPOOL pool)
    : DeviceChild(device, pool),
      Surface(device, this, nullptr, 0, kind, format, width, height, usage, pool) {}

StandaloneSurface::~StandaloneSurface() { DeleteGl(DeviceChild::device_->MakeCurrent()); }

void StandaloneSurface::DropGl(bool deleteObjects) { DeleteGl(deleteObjects); }

}  // namespace nol::d3d8
