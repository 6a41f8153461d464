// The objects a device creates: surfaces, textures, vertex and index buffers.
// Each keeps its contents in the Direct3D memory layout on the CPU side (except
// render targets and depth buffers, which live only in OpenGL) and uploads to
// OpenGL when a draw needs it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "com/com_object.h"
#include "d3d8/d3d8.h"
#include "d3d8/formats.h"
#include "d3d8/gl_buffer_pool.h"

namespace nol::d3d8 {

class Device;
class Texture;

// The texture unit uploads go through, so that they never disturb the units the
// texture stages use.
constexpr unsigned kUploadUnit = 15;

// What the device sees of everything it creates. Of the object's COM references
// it also counts those the device holds itself (current textures, streams, render
// target), so that Reset can tell which objects the application still owns. Every
// child keeps its device object alive; the device's GL context goes with the
// application's last reference to the device.
class DeviceChild {
public:
    DeviceChild(Device* device, D3DPOOL pool);
    DeviceChild(const DeviceChild&) = delete;
    DeviceChild& operator=(const DeviceChild&) = delete;
    virtual ~DeviceChild();

    // The object's own AddRef and Release.
    virtual ULONG AddRefChild() = 0;
    virtual ULONG ReleaseChild() = 0;
    void Hold() {
        AddRefChild();
        ++held_;
    }
    void Unhold();
    // The creator's reference belongs to the device (its own back buffer and
    // automatic depth buffer).
    void MarkOwnedByDevice() { held_ = References(); }
    bool HeldByApplication() const { return References() > held_; }
    D3DPOOL Pool() const { return pool_; }
    Device* OwnerDevice() const { return device_; }

    // The device's GL objects must go: delete them when deleteObjects is true (a
    // current context exists), and forget their names in any case. Contents kept on
    // the CPU side are uploaded again at the next use.
    virtual void DropGl(bool deleteObjects) = 0;

protected:
    // The object's reference count.
    virtual ULONG References() const = 0;

    Device* device_;
    D3DPOOL pool_;

private:
    ULONG held_ = 0;
};

// GetDevice of everything a device creates: the device, while its context lives.
HRESULT HandOutDevice(Device* device, IDirect3DDevice8** out);

// A texture or buffer: a device child that is itself the COM object it hands out,
// answering for IDirect3DResource8 and Iids.
template <typename Interface, const IID&... Iids>
class Resource : public DeviceChild, public nol::com::Object<Interface, IID_IDirect3DResource8, Iids...> {
public:
    using DeviceChild::DeviceChild;
    ULONG AddRefChild() final { return this->AddRef(); }
    ULONG ReleaseChild() final { return this->Release(); }

    HRESULT GetDevice(IDirect3DDevice8** device) override { return HandOutDevice(device_, device); }
    // Only managed resources keep a priority.
    DWORD SetPriority(DWORD priority) override {
        const DWORD old = priority_;
        if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
        return old;
    }
    DWORD GetPriority() override { return priority_; }

protected:
    ULONG References() const final { return this->Counted::References(); }

private:
    using Counted = nol::com::Object<Interface, IID_IDirect3DResource8, Iids...>;
    DWORD priority_ = 0;
};

class Surface : public nol::com::Object<IDirect3DSurface8, IID_IDirect3DSurface8> {
public:
    enum class Kind {
        Memory,  // bytes in the format's layout, lockable in the pools that allow it
        Color,   // a GL texture: back buffer or render-target texture level
        Depth,   // a GL renderbuffer
    };

    Surface(Device* device, DeviceChild* owner, Texture* container, UINT level, Kind kind,
            D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool);
    ~Surface() override;

    // Storage for Memory surfaces; false when it cannot be had.
    bool AllocateMemory();
    // A managed level whose pixels the GL texture holds gives its own copy up;
    // Bits() reads them back when they are wanted again.
    void ReleaseMemory();
    bool MemoryReleased() const { return released_; }
    // Back from a released state: storage again, to be filled by the container.
    bool TakeMemoryBack();
    // GL storage for a Color surface without container, or a Depth surface.
    HRESULT AllocateGl();
    void DeleteGl(bool deleteObjects);
    // New size and format (the device's own surfaces, on Reset).
    HRESULT Reconfigure(D3DFORMAT format, UINT width, UINT height);

    // The owner's references: a level lives exactly as long as its texture.
    ULONG AddRef() override { return owner_->AddRefChild(); }
    ULONG Release() override { return owner_->ReleaseChild(); }
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT GetContainer(REFIID riid, void** container) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    Kind GetKind() const { return kind_; }
    const D3DSURFACE_DESC& Desc() const { return desc_; }
    const ColorFormatInfo* Format() const { return format_; }
    // The level's bytes, read back from the GL texture first when they were released.
    uint8_t* Bits();
    size_t BytesHeld() const { return bits_.capacity(); }
    UINT Pitch() const { return pitch_; }
    unsigned ColorTexture() const;  // GL texture of a Color surface
    unsigned Renderbuffer() const { return renderbuffer_; }
    Texture* Container() const { return container_; }
    UINT Level() const { return level_; }
    DeviceChild* Owner() const { return owner_; }
    Device* SurfaceDevice() const { return device_; }
    bool IsLocked() const { return locked_; }
    // Whether a Memory surface may be locked (managed and system-memory pools, and
    // dynamic default-pool textures).
    void SetLockable(bool lockable) { lockable_ = lockable; }
    // Its bytes changed other than through a lock (CopyRects).
    void ContentsChanged();

private:
    Device* device_;
    DeviceChild* owner_;
    Texture* container_;
    UINT level_;
    Kind kind_;
    D3DSURFACE_DESC desc_{};
    const ColorFormatInfo* format_ = nullptr;
    std::vector<uint8_t> bits_;
    UINT pitch_ = 0;
    unsigned glTexture_ = 0;
    unsigned renderbuffer_ = 0;
    bool lockable_ = false;
    bool released_ = false;
    bool locked_ = false;
    DWORD lockFlags_ = 0;
};

// A surface of its own: image surfaces, depth-stencil surfaces and the device's
// back buffer and automatic depth buffer.
class StandaloneSurface : public DeviceChild, public Surface {
public:
    StandaloneSurface(Device* device, Kind kind, D3DFORMAT format, UINT width, UINT height,
                      DWORD usage, D3DPOOL pool);
    ~StandaloneSurface() override;
    void DropGl(bool deleteObjects) override;

    // Its own count: Surface's AddRef and Release come here.
    ULONG AddRefChild() override { return Counted::AddRef(); }
    ULONG ReleaseChild() override { return Counted::Release(); }

protected:
    ULONG References() const override { return Counted::References(); }

private:
    using Counted = nol::com::Object<IDirect3DSurface8, IID_IDirect3DSurface8>;
};

class Texture : public Resource<IDirect3DTexture8, IID_IDirect3DBaseTexture8, IID_IDirect3DTexture8> {
public:
    static HRESULT Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, Texture** texture);
    ~Texture() override;

    void PreLoad() override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD SetLOD(DWORD lodNew) override;
    DWORD GetLOD() override { return lod_; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** surfaceLevel) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                     DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    HRESULT AddDirtyRect(const RECT* dirtyRect) override;

    void DropGl(bool deleteObjects) override;

    // The GL texture with every level current, or 0 when it cannot be sampled
    // (system memory, or no context).
    unsigned Prepare();
    unsigned GlName() const { return gl_; }
    bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
    void LevelChanged(UINT level);
    Surface* LevelSurface(UINT level) { return levels_[level].get(); }
    // Refills a level that gave its bytes up from the GL texture. With
    // keepFromNowOn (the program locked or copied it) the level keeps its copy from
    // then on, so that a level written every frame is not read back every frame.
    void RestoreLevel(UINT level, bool keepFromNowOn);
    // Bytes of system memory the levels hold.
    size_t BytesHeld() const;

private:
    Texture(Device* device, D3DPOOL pool, DWORD usage, D3DFORMAT format);
    HRESULT CreateGl();
    // Whether a level can give its bytes up once the GL texture has them: managed,
    // four bytes a pixel (read back unchanged), and not asked for since.
    bool MayRelease(UINT level) const;

    DWORD usage_;
    D3DFORMAT format_;
    std::vector<std::unique_ptr<Surface>> levels_;
    std::vector<uint8_t> dirty_;
    std::vector<uint8_t> keep_;  // levels that keep their bytes (asked for again)
    bool anyDirty_ = true;
    unsigned gl_ = 0;
    DWORD lod_ = 0;
};

// The contents of a vertex or index buffer and their GL copy.
class BufferData {
public:
    bool Allocate(UINT length);
    // A released buffer's contents are read back from its GL buffer first.
    HRESULT Lock(Device* device, UINT offset, UINT size, BYTE** data, DWORD flags);
    HRESULT Unlock();
    // The GL buffer with the current contents, bound to target; 0 without context.
    // With mayRelease the contents' own copy is given up once the GL buffer has
    // them (until a lock asks for them again, from when on it is kept).
    unsigned Prepare(Device* device, unsigned target, bool dynamic, bool mayRelease = false);
    void Forget(Device* device, bool deleteObjects);
    // The buffer goes: its GL buffer is left to the device for another one.
    void Recycle(Device* device);
    // Only for buffers that never release their contents.
    const uint8_t* Data() const { return data_.data(); }
    UINT Size() const { return size_; }
    size_t BytesHeld() const { return data_.capacity(); }
    uint64_t Generation() const { return generation_; }

    // Refills released contents from the GL buffer (zeros without one); false
    // without memory for them.
    bool TakeBack(Device* device);

private:
    std::vector<uint8_t> data_;
    UINT size_ = 0;
    bool released_ = false;
    bool keep_ = false;  // a lock asked for released contents: hold them from now on
    GlBuffer gl_;
    bool dirty_ = true;
    UINT locks_ = 0;
    bool writeLocked_ = false;
    uint64_t generation_ = 1;  // changes with every write
};

// Vertex and index buffers share everything but their description and GL target.
template <typename Interface, const IID& Iid>
class Buffer : public Resource<Interface, Iid> {
public:
    void PreLoad() override {}
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) override {
        return data_.Lock(this->device_, offsetToLock, sizeToLock, data, flags);
    }
    HRESULT Unlock() override { return data_.Unlock(); }
    void DropGl(bool deleteObjects) override;
    UINT Size() const { return data_.Size(); }
    size_t BytesHeld() const { return data_.BytesHeld(); }
    uint64_t Generation() const { return data_.Generation(); }

protected:
    Buffer(Device* device, D3DPOOL pool, DWORD usage) : Resource<Interface, Iid>(device, pool), usage_(usage) {}
    ~Buffer() override;
    // Gives made (just constructed, or null) length bytes; on failure it is gone.
    template <typename Made>
    static HRESULT Finish(Made* made, UINT length, Made** out);
    // The GL buffer with the current contents, bound to target.
    unsigned PrepareAs(unsigned target, bool mayRelease);

    DWORD usage_;
    BufferData data_;
};

class VertexBuffer : public Buffer<IDirect3DVertexBuffer8, IID_IDirect3DVertexBuffer8> {
public:
    static HRESULT Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                          VertexBuffer** buffer);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    unsigned Prepare();
    // Whether the diffuse colour at offset in every whole vertex of stride bytes has
    // alpha 0xFF (kept until the contents change).
    bool DiffuseOpaque(UINT stride, UINT offset);

private:
    VertexBuffer(Device* device, D3DPOOL pool, DWORD usage, DWORD fvf);
    DWORD fvf_;
    struct {
        uint64_t generation = 0;
        UINT stride = 0, offset = 0;
        bool opaque = false;
    } opaque_;
};

class IndexBuffer : public Buffer<IDirect3DIndexBuffer8, IID_IDirect3DIndexBuffer8> {
public:
    static HRESULT Create(Device* device, UINT length, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IndexBuffer** buffer);

    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    unsigned Prepare();
    UINT IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }
    UINT IndexCount() const { return data_.Size() / IndexSize(); }
    const uint8_t* Data() const { return data_.Data(); }
    // The largest index in the whole buffer (kept until the contents change).
    uint32_t MaxIndex();

private:
    IndexBuffer(Device* device, D3DPOOL pool, DWORD usage, D3DFORMAT format);
    D3DFORMAT format_;
    uint64_t maxIndexGeneration_ = 0;
    uint32_t maxIndex_ = 0;
};

// Index i of a little-endian index array of the given size (2 or 4 bytes).
inline uint32_t IndexAt(const uint8_t* indices, UINT i, UINT indexSize) {
    const uint8_t* p = indices + size_t(i) * indexSize;
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
    if (indexSize == 4) v |= uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return v;
}

// The largest of count indices of the given size (2 or 4 bytes).
uint32_t MaxIndexOf(const uint8_t* indices, UINT count, UINT indexSize);

}  // namespace nol::d3d8
