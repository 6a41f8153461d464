// A recording device whose textures and vertex buffers are plain memory: tests
// read back what the framework and the D3DX loaders put into them, see every
// draw, and make creation or locks fail on demand.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "d3d8_fakes.h"

struct MemoryTexture : IDirect3DTexture8, RefCounted {
    struct Level {
        D3DSURFACE_DESC desc{};
        UINT pitch = 0;
        std::vector<uint8_t> bytes;
        bool locked = false;
    };
    std::vector<Level> levels;
    IDirect3DDevice8* owner = nullptr;
    HRESULT lockResult = D3D_OK;
    std::vector<DWORD> lockFlags;

    NOL_FAKE_UNKNOWN
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
    DWORD GetLevelCount() override { return static_cast<DWORD>(levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
        if (level >= levels.size()) return D3DERR_INVALIDCALL;
        *desc = levels[level].desc;
        return D3D_OK;
    }
    HRESULT GetSurfaceLevel(UINT, IDirect3DSurface8**) override { return D3DERR_INVALIDCALL; }
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lr, const RECT*, DWORD flags) override {
        if (level >= levels.size() || FAILED(lockResult)) return level >= levels.size() ? D3DERR_INVALIDCALL : lockResult;
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

struct MemoryVertexBuffer : IDirect3DVertexBuffer8, RefCounted {
    D3DVERTEXBUFFER_DESC desc{};
    std::vector<uint8_t> bytes;
    HRESULT lockResult = D3D_OK;
    int lockCount = 0;
    bool locked = false;

    NOL_FAKE_UNKNOWN
    HRESULT GetDevice(IDirect3DDevice8**) override { return D3DERR_INVALIDCALL; }
    DWORD SetPriority(DWORD) override { return 0; }
    DWORD GetPriority() override { return 0; }
    void PreLoad() override {}
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD) override {
        ++lockCount;
        if (FAILED(lockResult)) return lockResult;
        if (offset > bytes.size() || (size && size > bytes.size() - offset)) return D3DERR_INVALIDCALL;
        locked = true;
        *data = bytes.data() + offset;
        return D3D_OK;
    }
    HRESULT Unlock() override {
        if (!locked) return D3DERR_INVALIDCALL;
        locked = false;
        return D3D_OK;
    }
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* out) override {
        *out = desc;
        return D3D_OK;
    }

    template <typename T>
    const T& Vertex(size_t i) const {
        return *reinterpret_cast<const T*>(bytes.data() + i * sizeof(T));
    }
};

struct DrawCall {
    D3DPRIMITIVETYPE type;
    UINT startVertex;
    UINT primitives;
    IDirect3DVertexBuffer8* stream;
    UINT stride;
    DWORD shader;
    IDirect3DBaseTexture8* texture0;
};

// Keeps a reference to everything it creates, so that a test can look at an
// object after the code under test let go of it (refs == 1: only the device's).
struct MemoryDevice : FakeDevice {
    std::vector<MemoryTexture*> textures;
    std::vector<MemoryVertexBuffer*> vertexBuffers;
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
    // Everything it made goes with it.
    ~MemoryDevice() {
        for (auto* t : textures) delete t;
        for (auto* b : vertexBuffers) delete b;
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
        *out = nullptr;
        const UINT bpp = BytesPerTexel(format);
        if (FAILED(createTextureResult)) return createTextureResult;
        if (w == 0 || h == 0 || bpp == 0) return D3DERR_INVALIDCALL;
        UINT full = 1;
        for (UINT s = std::max(w, h); s > 1; s >>= 1) ++full;
        if (levels == 0) levels = full;
        if (levels > full) return D3DERR_INVALIDCALL;
        auto* t = new MemoryTexture;
        t->owner = this;
        for (UINT i = 0; i < levels; ++i) {
            MemoryTexture::Level l;
            UINT lw = std::max(1u, w >> i), lh = std::max(1u, h >> i);
            l.desc = {format, D3DRTYPE_SURFACE, usage, pool, lw * lh * bpp, D3DMULTISAMPLE_NONE, lw, lh};
            l.pitch = (lw * bpp + 3) & ~3u;
            // Filled with a pattern, so that texels nobody wrote stand out.
            l.bytes.assign(size_t(l.pitch) * lh, 0xCD);
            t->levels.push_back(std::move(l));
        }
        t->AddRef();
        textures.push_back(t);
        *out = t;
        return D3D_OK;
    }
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** out) override {
        *out = nullptr;
        if (FAILED(createVertexBufferResult)) return createVertexBufferResult;
        auto* b = new MemoryVertexBuffer;
        b->desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
        b->bytes.assign(length, 0xCD);
        b->lockResult = vertexLockResult;
        b->AddRef();
        vertexBuffers.push_back(b);
        *out = b;
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

    // The last texture or vertex buffer created.
    MemoryTexture* LastTexture() const { return textures.empty() ? nullptr : textures.back(); }
    MemoryVertexBuffer* LastVertexBuffer() const { return vertexBuffers.empty() ? nullptr : vertexBuffers.back(); }
};
