// A recording device whose textures, vertex buffers and index buffers are plain
// memory, for the tests and the fuzz targets alike: tests read back what the
// framework and the D3DX loaders put into them, see every draw, and make creation
// or locks fail on demand; a fuzz target makes one device that serves every input.
//
// A resource is deleted on its last Release, and the device counts those alive
// (live), so that a caller can check that the code under test let go of all it
// made. By default the device keeps a reference to everything it creates, so that
// a test can look at an object after the code under test let go of it (refs == 1:
// only the device's); with keepResources off it keeps nothing, and memory stays
// flat over any number of inputs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "d3d8_fakes.h"

// Counted by the device that made it while it lives; each kind deletes itself
// on its last Release.
template <typename Interface>
struct MemoryResource : Interface, RefCounted {
    explicit MemoryResource(int& live) : live_(live) { ++live_; }
    MemoryResource(const MemoryResource&) = delete;
    MemoryResource& operator=(const MemoryResource&) = delete;
    virtual ~MemoryResource() { --live_; }

    NOL_FAKE_UNKNOWN
    DWORD SetPriority(DWORD) override { return 0; }
    DWORD GetPriority() override { return 0; }
    void PreLoad() override {}

private:
    int& live_;
};

struct MemoryTexture : MemoryResource<IDirect3DTexture8> {
    struct Level {
        D3DSURFACE_DESC desc{};
        UINT pitch = 0;
        std::vector<uint8_t> bytes;
        bool locked = false;
    };
    std::vector<Level> levels;
    IDirect3DDevice8* owner;
    HRESULT lockResult = D3D_OK;
    std::vector<DWORD> lockFlags;

    MemoryTexture(IDirect3DDevice8* device, int& live) : MemoryResource(live), owner(device) {}
    void OnFinalRelease() override { delete this; }

    HRESULT GetDevice(IDirect3DDevice8** device) override {
        owner->AddRef();
        *device = owner;
        return D3D_OK;
    }
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD SetLOD(DWORD) override { return 0; }
    DWORD GetLOD() override { return 0; }
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
        if (level >= levels.size()) return D3DERR_INVALIDCALL;
        *desc = levels[level].desc;
        return D3D_OK;
    }
    HRESULT GetSurfaceLevel(UINT, IDirect3DSurface8**) override { return D3DERR_INVALIDCALL; }
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lr, const RECT*, DWORD flags) override {
        if (level >= levels.size() || levels[level].locked) return D3DERR_INVALIDCALL;
        if (FAILED(lockResult)) return lockResult;
        Level& l = levels[level];
        l.locked = true;
        lockFlags.push_back(flags);
        lr->Pitch = static_cast<INT>(l.pitch);
        lr->pBits = l.bytes.data();
        return D3D_OK;
    }
    HRESULT UnlockRect(UINT level) override {
        if (level >= levels.size() || !levels[level].locked) return D3DERR_INVALIDCALL;
        levels[level].locked = false;
        return D3D_OK;
    }
    HRESULT AddDirtyRect(const RECT*) override { return D3D_OK; }

    // Texel (x, y) of a level of a 32-bit format, as stored.
    uint32_t Texel(UINT level, UINT x, UINT y) const {
        const Level& l = levels.at(level);
        uint32_t v;
        std::memcpy(&v, l.bytes.data() + size_t(y) * l.pitch + size_t(x) * 4, 4);
        return v;
    }
};

template <typename Interface, typename Desc, D3DRESOURCETYPE kType>
struct MemoryBuffer : MemoryResource<Interface> {
    Desc desc{};
    std::vector<uint8_t> bytes;
    HRESULT lockResult = D3D_OK;
    int lockCount = 0;
    bool locked = false;

    MemoryBuffer(const Desc& d, int& live) : MemoryResource<Interface>(live), desc(d), bytes(d.Size, 0xCD) {}
    void OnFinalRelease() override { delete this; }

    HRESULT GetDevice(IDirect3DDevice8**) override { return D3DERR_INVALIDCALL; }
    D3DRESOURCETYPE GetType() override { return kType; }
    // Size 0 locks the whole buffer.
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD) override {
        ++lockCount;
        if (FAILED(lockResult)) return lockResult;
        if (!data || offset > bytes.size() || size > bytes.size() - offset) return D3DERR_INVALIDCALL;
        locked = true;
        *data = bytes.data() + offset;
        return D3D_OK;
    }
    HRESULT Unlock() override {
        if (!locked) return D3DERR_INVALIDCALL;
        locked = false;
        return D3D_OK;
    }
    HRESULT GetDesc(Desc* out) override {
        *out = desc;
        return D3D_OK;
    }

    template <typename T>
    const T& Vertex(size_t i) const {
        return *reinterpret_cast<const T*>(bytes.data() + i * sizeof(T));
    }
};

using MemoryVertexBuffer = MemoryBuffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC, D3DRTYPE_VERTEXBUFFER>;
using MemoryIndexBuffer = MemoryBuffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC, D3DRTYPE_INDEXBUFFER>;

struct DrawCall {
    D3DPRIMITIVETYPE type;
    UINT startVertex;
    UINT primitives;
    IDirect3DVertexBuffer8* stream;
    UINT stride;
    DWORD shader;
    IDirect3DBaseTexture8* texture0;
};

struct MemoryDevice : FakeDevice {
    bool keepResources = true;
    int live = 0;  // resources made here and not yet deleted
    std::vector<MemoryTexture*> textures;
    std::vector<MemoryVertexBuffer*> vertexBuffers;
    std::vector<MemoryIndexBuffer*> indexBuffers;
    std::vector<DrawCall> draws;
    IDirect3DVertexBuffer8* stream = nullptr;
    UINT streamStride = 0;
    DWORD shader = 0;
    IDirect3DBaseTexture8* texture0 = nullptr;
    HRESULT createTextureResult = D3D_OK;
    HRESULT createVertexBufferResult = D3D_OK;
    HRESULT vertexLockResult = D3D_OK;  // given to every new vertex buffer

    MemoryDevice() {
        caps.TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
        caps.MaxTextureWidth = caps.MaxTextureHeight = 4096;
        caps.MaxPrimitiveCount = 0xFFFFF;
    }
    // What it kept goes with it, whoever else still holds a reference.
    ~MemoryDevice() {
        for (auto* t : textures) delete t;
        for (auto* b : vertexBuffers) delete b;
        for (auto* b : indexBuffers) delete b;
    }

    static UINT BytesPerTexel(D3DFORMAT f) {
        switch (f) {
            case D3DFMT_A8R8G8B8:
            case D3DFMT_X8R8G8B8: return 4;
            case D3DFMT_R8G8B8: return 3;
            case D3DFMT_R5G6B5:
            case D3DFMT_X1R5G5B5:
            case D3DFMT_A1R5G5B5:
            case D3DFMT_A4R4G4B4: return 2;
            default: return 0;
        }
    }

    HRESULT CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** out) override {
        if (!out) return D3DERR_INVALIDCALL;
        *out = nullptr;
        const UINT bpp = BytesPerTexel(format);
        if (FAILED(createTextureResult)) return createTextureResult;
        if (w == 0 || h == 0 || bpp == 0 || w > caps.MaxTextureWidth || h > caps.MaxTextureHeight)
            return D3DERR_INVALIDCALL;
        UINT full = 1;
        for (UINT s = std::max(w, h); s > 1; s >>= 1) ++full;
        if (levels == 0) levels = full;
        if (levels > full) return D3DERR_INVALIDCALL;
        auto* t = new MemoryTexture(this, live);
        for (UINT i = 0; i < levels; ++i) {
            MemoryTexture::Level l;
            UINT lw = std::max(1u, w >> i), lh = std::max(1u, h >> i);
            l.desc = {format, D3DRTYPE_SURFACE, usage, pool, lw * lh * bpp, D3DMULTISAMPLE_NONE, lw, lh};
            l.pitch = (lw * bpp + 3) & ~3u;
            // Filled with a pattern, so that texels nobody wrote stand out.
            l.bytes.assign(size_t(l.pitch) * lh, 0xCD);
            t->levels.push_back(std::move(l));
        }
        *out = Keep(t, textures);
        return D3D_OK;
    }
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** out) override {
        if (!out) return D3DERR_INVALIDCALL;
        *out = nullptr;
        if (FAILED(createVertexBufferResult)) return createVertexBufferResult;
        if (length == 0) return D3DERR_INVALIDCALL;
        auto* b = new MemoryVertexBuffer({D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf}, live);
        b->lockResult = vertexLockResult;
        *out = Keep(b, vertexBuffers);
        return D3D_OK;
    }
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** out) override {
        if (!out) return D3DERR_INVALIDCALL;
        *out = nullptr;
        if (length == 0) return D3DERR_INVALIDCALL;
        *out = Keep(new MemoryIndexBuffer({format, D3DRTYPE_INDEXBUFFER, usage, pool, length}, live), indexBuffers);
        return D3D_OK;
    }
    HRESULT SetStreamSource(UINT n, IDirect3DVertexBuffer8* b, UINT stride) override {
        if (n == 0) stream = b, streamStride = stride;
        return D3D_OK;
    }
    HRESULT SetVertexShader(DWORD handle) override {
        shader = handle;
        return D3D_OK;
    }
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* t) override {
        if (stage == 0) texture0 = t;
        return D3D_OK;
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT start, UINT count) override {
        draws.push_back({type, start, count, stream, streamStride, shader, texture0});
        return D3D_OK;
    }

    // The last texture or vertex buffer created (kept ones only).
    MemoryTexture* LastTexture() const { return textures.empty() ? nullptr : textures.back(); }
    MemoryVertexBuffer* LastVertexBuffer() const { return vertexBuffers.empty() ? nullptr : vertexBuffers.back(); }

private:
    template <typename T>
    T* Keep(T* made, std::vector<T*>& kept) {
        if (keepResources) {
            made->AddRef();
            kept.push_back(made);
        }
        return made;
    }
};
