// A device without a display for the loaders under fuzzing: vertex and index
// buffers and system-memory textures are plain memory, freed on their last
// Release, so that a device made once serves every input. It counts what is
// alive, so that a target can check that a loader let go of everything it made.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "d3d8_null.h"

namespace fuzz {

inline int liveResources = 0;

// Deleted on the last Release.
#define NOL_FUZZ_UNKNOWN                                          \
    HRESULT QueryInterface(REFIID, void** object) override {     \
        if (object) *object = nullptr;                           \
        return E_NOINTERFACE;                                    \
    }                                                            \
    ULONG AddRef() override { return ++refs; }                  \
    ULONG Release() override {                                  \
        ULONG left = --refs;                                     \
        if (left == 0) delete this;                              \
        return left;                                             \
    }

template <typename Interface, typename Desc>
struct MemoryBuffer : Interface, RefCounted {
    Desc desc{};
    std::vector<uint8_t> bytes;
    bool locked = false;

    explicit MemoryBuffer(UINT length) : bytes(length) { ++liveResources; }
    virtual ~MemoryBuffer() { --liveResources; }

    NOL_FUZZ_UNKNOWN
    HRESULT GetDevice(IDirect3DDevice8**) override { return D3DERR_INVALIDCALL; }
    DWORD SetPriority(DWORD) override { return 0; }
    DWORD GetPriority() override { return 0; }
    void PreLoad() override {}
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD) override {
        if (!data || locked || offset > bytes.size() || size > bytes.size() - offset) return D3DERR_INVALIDCALL;
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
};

struct MemoryVertexBuffer : MemoryBuffer<IDirect3DVertexBuffer8, D3DVERTEXBUFFER_DESC> {
    explicit MemoryVertexBuffer(UINT length) : MemoryBuffer(length) {}
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
};

struct MemoryIndexBuffer : MemoryBuffer<IDirect3DIndexBuffer8, D3DINDEXBUFFER_DESC> {
    explicit MemoryIndexBuffer(UINT length) : MemoryBuffer(length) {}
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
};

// 32-bit formats only, which is what the loaders fuzzed here ask for.
struct MemoryTexture : IDirect3DTexture8, RefCounted {
    struct Level {
        D3DSURFACE_DESC desc{};
        std::vector<uint8_t> bytes;
        bool locked = false;
    };
    IDirect3DDevice8* owner;
    std::vector<Level> levels;

    explicit MemoryTexture(IDirect3DDevice8* device) : owner(device) { ++liveResources; }
    virtual ~MemoryTexture() { --liveResources; }

    NOL_FUZZ_UNKNOWN
    HRESULT GetDevice(IDirect3DDevice8** device) override {
        owner->AddRef();
        *device = owner;
        return D3D_OK;
    }
    DWORD SetPriority(DWORD) override { return 0; }
    DWORD GetPriority() override { return 0; }
    void PreLoad() override {}
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD SetLOD(DWORD) override { return 0; }
    DWORD GetLOD() override { return 0; }
    DWORD GetLevelCount() override { return DWORD(levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
        if (level >= levels.size()) return D3DERR_INVALIDCALL;
        *desc = levels[level].desc;
        return D3D_OK;
    }
    HRESULT GetSurfaceLevel(UINT, IDirect3DSurface8**) override { return D3DERR_INVALIDCALL; }
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lr, const RECT*, DWORD) override {
        if (level >= levels.size() || levels[level].locked) return D3DERR_INVALIDCALL;
        levels[level].locked = true;
        lr->Pitch = INT(levels[level].desc.Width * 4);
        lr->pBits = levels[level].bytes.data();
        return D3D_OK;
    }
    HRESULT UnlockRect(UINT level) override {
        if (level >= levels.size() || !levels[level].locked) return D3DERR_INVALIDCALL;
        levels[level].locked = false;
        return D3D_OK;
    }
    HRESULT AddDirtyRect(const RECT*) override { return D3D_OK; }
};

// Made once and never released.
struct MemoryDevice : NullDevice {
    D3DCAPS8 caps{};

    MemoryDevice() {
        caps.TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
        caps.MaxTextureWidth = caps.MaxTextureHeight = 4096;
        caps.MaxPrimitiveCount = 0xFFFFF;
    }

    HRESULT GetDeviceCaps(D3DCAPS8* out) override {
        *out = caps;
        return D3D_OK;
    }
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** out) override {
        if (!out || length == 0) return D3DERR_INVALIDCALL;
        auto* b = new MemoryVertexBuffer(length);
        b->desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
        *out = b;
        return D3D_OK;
    }
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** out) override {
        if (!out || length == 0) return D3DERR_INVALIDCALL;
        auto* b = new MemoryIndexBuffer(length);
        b->desc = {format, D3DRTYPE_INDEXBUFFER, usage, pool, length};
        *out = b;
        return D3D_OK;
    }
    HRESULT CreateTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** out) override {
        if (!out) return D3DERR_INVALIDCALL;
        *out = nullptr;
        if (w == 0 || h == 0 || w > caps.MaxTextureWidth || h > caps.MaxTextureHeight ||
            (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8))
            return D3DERR_INVALIDCALL;
        UINT full = 1;
        for (UINT s = std::max(w, h); s > 1; s >>= 1) ++full;
        if (levels == 0) levels = full;
        if (levels > full) return D3DERR_INVALIDCALL;
        auto* t = new MemoryTexture(this);
        for (UINT i = 0; i < levels; ++i) {
            MemoryTexture::Level l;
            const UINT lw = std::max(1u, w >> i), lh = std::max(1u, h >> i);
            l.desc = {format, D3DRTYPE_SURFACE, usage, pool, lw * lh * 4, D3DMULTISAMPLE_NONE, lw, lh};
            l.bytes.assign(size_t(lw) * lh * 4, 0);
            t->levels.push_back(std::move(l));
        }
        *out = t;
        return D3D_OK;
    }
};

// The one device of an image-reading target's process, playing a small card:
// larger images are scaled down to 256 x 256, so an input's cost stays with its
// decoding (a 256 x 256 height map already makes 393,216 terrain vertices).
inline MemoryDevice* SmallCardDevice() {
    static MemoryDevice* device = [] {
        auto* d = new MemoryDevice;
        d->caps.MaxTextureWidth = d->caps.MaxTextureHeight = 256;
        return d;
    }();
    return device;
}

}  // namespace fuzz
