#include <algorithm>
#include <new>

#include "d3d8/device.h"
#include "d3d8/fvf.h"
#include "d3d8/gl_api.h"
#include "d3d8/resources.h"

namespace d3d8 {

// ---- BufferData ----------------------------------------------------------------------

bool BufferData::Allocate(UINT length) {
    try {
        data_.assign(length, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

HRESULT BufferData::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    const DWORD knownFlags = D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK | D3DLOCK_NOOVERWRITE |
                             D3DLOCK_DISCARD | D3DLOCK_NO_DIRTY_UPDATE;
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (flags & ~knownFlags) return D3DERR_INVALIDCALL;
    uint64_t end = size == 0 ? data_.size() : uint64_t(offset) + size;
    if (offset > data_.size() || end > data_.size()) return D3DERR_INVALIDCALL;
    ++locks_;
    if (!(flags & D3DLOCK_READONLY)) writeLocked_ = true;
    *data = data_.data() + offset;
    return D3D_OK;
}

HRESULT BufferData::Unlock() {
    if (locks_ == 0) return D3DERR_INVALIDCALL;
    if (--locks_ == 0 && writeLocked_) {
        writeLocked_ = false;
        dirty_ = true;
        ++generation_;
    }
    return D3D_OK;
}

unsigned BufferData::Prepare(Device* device, unsigned target, bool dynamic) {
    if (!device->Alive()) return 0;
    if (!gl_) {
        gl::GenBuffers(1, &gl_);
        dirty_ = true;
    }
    gl::BindBuffer(target, gl_);
    if (dirty_) {
        gl::BufferData(target, static_cast<GLsizeiptr>(data_.size()), data_.data(),
                       dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
        dirty_ = false;
    }
    return gl_;
}

void BufferData::Forget(Device* device, bool deleteObjects) {
    if (deleteObjects && gl_) {
        gl::DeleteBuffers(1, &gl_);
        device->ForgetGlBindings();
    }
    gl_ = 0;
    dirty_ = true;
}

uint32_t MaxIndexOf(const uint8_t* indices, UINT count, UINT indexSize) {
    uint32_t max = 0;
    for (UINT i = 0; i < count; ++i) max = std::max(max, IndexAt(indices, i, indexSize));
    return max;
}

// ---- VertexBuffer --------------------------------------------------------------------

VertexBuffer::VertexBuffer(Device* device, D3DPOOL pool, DWORD usage, DWORD fvf)
    : Resource(device, pool), usage_(usage), fvf_(fvf) {}

VertexBuffer::~VertexBuffer() { data_.Forget(device_, device_->MakeCurrent()); }

HRESULT VertexBuffer::Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             VertexBuffer** out) {
    *out = nullptr;
    VertexBuffer* b = new (std::nothrow) VertexBuffer(device, pool, usage, fvf);
    if (!b) return E_OUTOFMEMORY;
    if (!b->data_.Allocate(length)) {
        b->Release();
        return E_OUTOFMEMORY;
    }
    *out = b;
    return D3D_OK;
}

HRESULT VertexBuffer::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!device_->Alive()) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

DWORD VertexBuffer::SetPriority(DWORD priority) {
    DWORD old = priority_;
    if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
    return old;
}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    return data_.Lock(offset, size, data, flags);
}

HRESULT VertexBuffer::Unlock() { return data_.Unlock(); }

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = D3DFMT_VERTEXDATA;
    desc->Type = D3DRTYPE_VERTEXBUFFER;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = data_.Size();
    desc->FVF = fvf_;
    return D3D_OK;
}

void VertexBuffer::DropGl(bool deleteObjects) { data_.Forget(device_, deleteObjects); }

unsigned VertexBuffer::Prepare() {
    return data_.Prepare(device_, GL_ARRAY_BUFFER, (usage_ & D3DUSAGE_DYNAMIC) != 0);
}

// ---- IndexBuffer ---------------------------------------------------------------------

IndexBuffer::IndexBuffer(Device* device, D3DPOOL pool, DWORD usage, D3DFORMAT format)
    : Resource(device, pool), usage_(usage), format_(format) {}

IndexBuffer::~IndexBuffer() { data_.Forget(device_, device_->MakeCurrent()); }

HRESULT IndexBuffer::Create(Device* device, UINT length, DWORD usage, D3DFORMAT format,
                            D3DPOOL pool, IndexBuffer** out) {
    *out = nullptr;
    IndexBuffer* b = new (std::nothrow) IndexBuffer(device, pool, usage, format);
    if (!b) return E_OUTOFMEMORY;
    if (!b->data_.Allocate(length)) {
        b->Release();
        return E_OUTOFMEMORY;
    }
    *out = b;
    return D3D_OK;
}

HRESULT IndexBuffer::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!device_->Alive()) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

DWORD IndexBuffer::SetPriority(DWORD priority) {
    DWORD old = priority_;
    if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
    return old;
}

HRESULT IndexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    return data_.Lock(offset, size, data, flags);
}

HRESULT IndexBuffer::Unlock() { return data_.Unlock(); }

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = format_;
    desc->Type = D3DRTYPE_INDEXBUFFER;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = data_.Size();
    return D3D_OK;
}

void IndexBuffer::DropGl(bool deleteObjects) { data_.Forget(device_, deleteObjects); }

unsigned IndexBuffer::Prepare() {
    return data_.Prepare(device_, GL_ELEMENT_ARRAY_BUFFER, (usage_ & D3DUSAGE_DYNAMIC) != 0);
}

uint32_t IndexBuffer::MaxIndex() {
    if (maxIndexGeneration_ != data_.Generation()) {
        maxIndex_ = MaxIndexOf(data_.Data(), IndexCount(), IndexSize());
        maxIndexGeneration_ = data_.Generation();
    }
    return maxIndex_;
}

}  // namespace d3d8
