#include <algorithm>
#include <new>

#include "base/platform_log.h"
#include "d3d8/device.h"
#include "d3d8/fvf.h"
#include "d3d8/gl_api.h"
#include "d3d8/opaque_alpha.h"
#include "d3d8/resources.h"
#include "d3d8/d3d8contents.h"

namespace nol::d3d8 {

// ---- BufferData ----------------------------------------------------------------------

bool BufferData::Allocate(UINT length) {
    try {
        data_.assign(length, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    size_ = length;
    return true;
}

bool BufferData::TakeBack(Device* device) {
    if (!released_) return true;
    if (!Allocate(size_)) {
        NolLog("Direct3D: no memory to read a %u-byte buffer back\n", size_);
        return false;
    }
    released_ = false;
    if (!gl_.name || !device->MakeCurrent()) {
        NolLog("Direct3D: a managed buffer's contents went with the OpenGL context\n");
        return true;
    }
    // The copy-read target: the device's own bindings stay as they are.
    gl::BindBuffer(GL_COPY_READ_BUFFER, gl_.name);
    gl::GetBufferSubData(GL_COPY_READ_BUFFER, 0, static_cast<GLsizeiptr>(size_), data_.data());
    gl::BindBuffer(GL_COPY_READ_BUFFER, 0);
    return true;
}

HRESULT BufferData::Lock(Device* device, UINT offset, UINT size, BYTE** data, DWORD flags) {
    const DWORD knownFlags = D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK | D3DLOCK_NOOVERWRITE |
                             D3DLOCK_DISCARD | D3DLOCK_NO_DIRTY_UPDATE;
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    if (flags & ~knownFlags) return D3DERR_INVALIDCALL;
    uint64_t end = size == 0 ? size_ : uint64_t(offset) + size;
    if (offset > size_ || end > size_) return D3DERR_INVALIDCALL;
    if (released_) {
        keep_ = true;
        if (!TakeBack(device)) return E_OUTOFMEMORY;
    }
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

unsigned BufferData::Prepare(Device* device, unsigned target, bool dynamic, bool mayRelease) {
    if (!device->Alive()) return 0;
    if (!gl_.name) {
        gl_ = device->TakeGlBuffer(size_);
        dirty_ = true;
    }
    if (dirty_) {
        device->BindGlBuffer(target, gl_.name);
        // Whole contents every time: storage of the same size is refilled in place
        // by the driver, any other is made anew (and a busy one orphaned).
        gl::BufferData(target, static_cast<GLsizeiptr>(data_.size()), data_.data(),
                       dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
        gl_.capacity = data_.size();
        dirty_ = false;
        // The driver keeps what it was given; a second copy here is not needed
        // until a lock asks for it.
        if (mayRelease && !keep_ && locks_ == 0) {
            std::vector<uint8_t>().swap(data_);
            released_ = true;
        }
    }
    return gl_.name;
}

void BufferData::Forget(Device* device, bool deleteObjects) {
    if (deleteObjects && gl_.name) {
        gl::DeleteBuffers(1, &gl_.name);
        device->ForgetGlBindings();
    }
    gl_ = {};
    dirty_ = true;
}

void BufferData::Recycle(Device* device) {
    const bool current = device->MakeCurrent();
    if (current && gl_.name && device->KeepGlBuffer(gl_)) {
        gl_ = {};
        return;
    }
    Forget(device, current);
}

uint32_t MaxIndexOf(const uint8_t* indices, UINT count, UINT indexSize) {
    uint32_t max = 0;
    for (UINT i = 0; i < count; ++i) max = std::max(max, IndexAt(indices, i, indexSize));
    return max;
}

// ---- Buffer ----------------------------------------------------------------------------

template <typename Interface, const IID& Iid>
Buffer<Interface, Iid>::~Buffer() {
    data_.Recycle(this->device_);
}

template <typename Interface, const IID& Iid>
void Buffer<Interface, Iid>::DropGl(bool deleteObjects) {
    // Released contents come back before their GL buffer goes (without a current
    // context they cannot, and start again from zeros).
    data_.TakeBack(this->device_);
    data_.Forget(this->device_, deleteObjects);
}

template <typename Interface, const IID& Iid>
template <typename Made>
HRESULT Buffer<Interface, Iid>::Finish(Made* made, UINT length, Made** out) {
    *out = nullptr;
    if (!made) return E_OUTOFMEMORY;
    if (!made->data_.Allocate(length)) {
        made->Release();
        return E_OUTOFMEMORY;
    }
    *out = made;
    return D3D_OK;
}

template <typename Interface, const IID& Iid>
unsigned Buffer<Interface, Iid>::PrepareAs(unsigned target, bool mayRelease) {
    return data_.Prepare(this->device_, target, (usage_ & D3DUSAGE_DYNAMIC) != 0, mayRelease);
}

template class Buffer<IDirect3DVertexBuffer8, IID_IDirect3DVertexBuffer8>;
template class Buffer<IDirect3DIndexBuffer8, IID_IDirect3DIndexBuffer8>;

// ---- VertexBuffer --------------------------------------------------------------------

VertexBuffer::VertexBuffer(Device* device, D3DPOOL pool, DWORD usage, DWORD fvf)
    : Buffer(device, pool, usage), fvf_(fvf) {}

HRESULT VertexBuffer::Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             VertexBuffer** out) {
    return Finish(new (std::nothrow) VertexBuffer(device, pool, usage, fvf), length, out);
}

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

unsigned VertexBuffer::Prepare() { return PrepareAs(GL_ARRAY_BUFFER, pool_ == D3DPOOL_MANAGED); }

bool VertexBuffer::DiffuseOpaque(UINT stride, UINT offset) {
    if (opaque_.generation != data_.Generation() || opaque_.stride != stride || opaque_.offset != offset) {
        const size_t count = stride && data_.Size() >= offset + 4u ? (data_.Size() - offset - 4) / stride + 1 : 0;
        opaque_ = {data_.Generation(), stride, offset, DiffuseAlphaIsOne(data_.Data(), count, stride, offset)};
    }
    return opaque_.opaque;
}

// ---- IndexBuffer ---------------------------------------------------------------------

IndexBuffer::IndexBuffer(Device* device, D3DPOOL pool, DWORD usage, D3DFORMAT format)
    : Buffer(device, pool, usage), format_(format) {}

HRESULT IndexBuffer::Create(Device* device, UINT length, DWORD usage, D3DFORMAT format,
                            D3DPOOL pool, IndexBuffer** out) {
    return Finish(new (std::nothrow) IndexBuffer(device, pool, usage, format), length, out);
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Format = format_;
    desc->Type = D3DRTYPE_INDEXBUFFER;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Size = data_.Size();
    return D3D_OK;
}

// Indices stay on this side too: draws check them against the vertices.
unsigned IndexBuffer::Prepare() { return PrepareAs(GL_ELEMENT_ARRAY_BUFFER, false); }

uint32_t IndexBuffer::MaxIndex() {
    if (maxIndexGeneration_ != data_.Generation()) {
        maxIndex_ = MaxIndexOf(data_.Data(), IndexCount(), IndexSize());
        maxIndexGeneration_ = data_.Generation();
    }
    return maxIndex_;
}

}  // namespace nol::d3d8

uint64_t NolBufferContentsVersion(IDirect3DResource8* buffer) {
    using namespace nol::d3d8;
    if (auto* vertices = dynamic_cast<VertexBuffer*>(buffer)) return vertices->Generation();
    if (auto* indices = dynamic_cast<IndexBuffer*>(buffer)) return indices->Generation();
    return 0;
}
