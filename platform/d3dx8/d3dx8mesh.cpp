// ID3DXMesh over the device's own vertex and index buffers, ID3DXBuffer, and mesh
// creation.
#include "d3dx8/d3dx8mesh.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/platform_log.h"
#include "d3d8/fvf.h"
#include "d3dx8/d3dx8mesh_object.h"

const IID IID_ID3DXBuffer = {0x932e6a7e, 0xc68e, 0x45dd, {0xa7, 0xbf, 0x53, 0xd1, 0x9c, 0x86, 0xdb, 0x1f}};
const IID IID_ID3DXBaseMesh = {0x2a835771, 0xbf4d, 0x43f4, {0x8e, 0x14, 0x82, 0xa8, 0x09, 0xf1, 0x7d, 0x8a}};
const IID IID_ID3DXMesh = {0xccae5c3b, 0x4dd1, 0x4d0f, {0x99, 0x7e, 0x46, 0x84, 0xca, 0x64, 0x55, 0x7f}};

namespace nol::d3dx8 {

void MeshLog(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    NolLog("D3DX: %s\n", line);
}

std::vector<D3DXVECTOR3> Positions(const uint8_t* vertices, DWORD vertexCount, UINT vertexSize) {
    std::vector<D3DXVECTOR3> positions(vertexCount);
    for (DWORD i = 0; i < vertexCount; ++i)
        std::memcpy(&positions[i], vertices + size_t(i) * vertexSize, sizeof(D3DXVECTOR3));
    return positions;
}

namespace {

constexpr DWORD kKnownOptions = D3DXMESH_32BIT | D3DXMESH_DONOTCLIP | D3DXMESH_POINTS | D3DXMESH_RTPATCHES |
                                D3DXMESH_NPATCHES | D3DXMESH_SYSTEMMEM | D3DXMESH_MANAGED | D3DXMESH_WRITEONLY |
                                D3DXMESH_DYNAMIC | D3DXMESH_SOFTWAREPROCESSING | D3DXMESH_VB_SHARE |
                                D3DXMESH_USEHWONLY;

D3DPOOL PoolOf(DWORD options, DWORD systemBit, DWORD managedBit) {
    if (options & systemBit) return D3DPOOL_SYSTEMMEM;
    if (options & managedBit) return D3DPOOL_MANAGED;
    return D3DPOOL_DEFAULT;
}

// Patch options only matter to a device that tessellates; this one does not.
DWORD UsageOf(DWORD options, DWORD writeOnlyBit, DWORD dynamicBit, DWORD softwareBit) {
    DWORD usage = 0;
    if (options & writeOnlyBit) usage |= D3DUSAGE_WRITEONLY;
    if (options & dynamicBit) usage |= D3DUSAGE_DYNAMIC;
    if (options & softwareBit) usage |= D3DUSAGE_SOFTWAREPROCESSING;
    if (options & D3DXMESH_DONOTCLIP) usage |= D3DUSAGE_DONOTCLIP;
    if (options & D3DXMESH_POINTS) usage |= D3DUSAGE_POINTS;
    return usage;
}

template <typename T>
void ReleaseAndClear(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

class Buffer final : public nol::com::Object<ID3DXBuffer, IID_ID3DXBuffer> {
public:
    static HRESULT Create(DWORD size, Buffer** out) {
        Buffer* b = new (std::nothrow) Buffer;
        if (!b) return E_OUTOFMEMORY;
        try {
            b->bytes_.assign(size, 0);
        } catch (const std::bad_alloc&) {
            delete b;
            return E_OUTOFMEMORY;
        }
        *out = b;
        return D3D_OK;
    }

    LPVOID GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

private:
    Buffer() = default;
    ~Buffer() override = default;
    std::vector<uint8_t> bytes_;
};

}  // namespace

// ---- Mesh ------------------------------------------------------------------------------

HRESULT Mesh::Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, IDirect3DDevice8* device,
                     Mesh** out) {
    *out = nullptr;
    if (!device || numFaces == 0 || numVertices == 0) return D3DERR_INVALIDCALL;
    if (options & D3DXMESH_32BIT) {
        MeshLog("meshes with 32-bit indices are not supported");
        return D3DERR_INVALIDCALL;
    }
    if (options & ~kKnownOptions) {
        MeshLog("unknown mesh options 0x%lx", (unsigned long)(options & ~kKnownOptions));
        return D3DERR_INVALIDCALL;
    }
    if (((options & D3DXMESH_VB_SYSTEMMEM) && (options & D3DXMESH_VB_MANAGED)) ||
        ((options & D3DXMESH_IB_SYSTEMMEM) && (options & D3DXMESH_IB_MANAGED))) {
        MeshLog("a mesh buffer cannot be in system memory and managed at once");
        return D3DERR_INVALIDCALL;
    }
    if (numVertices > kMaxMeshVertices) {
        MeshLog("%lu vertices do not fit 16-bit indices", (unsigned long)numVertices);
        return D3DERR_INVALIDCALL;
    }
    if (numFaces > kMaxMeshFaces) {
        MeshLog("%lu faces are too many for a mesh", (unsigned long)numFaces);
        return D3DERR_INVALIDCALL;
    }
    UINT vertexSize = D3DXGetFVFVertexSize(fvf);
    if (vertexSize == 0 || !(fvf & D3DFVF_POSITION_MASK)) {
        MeshLog("vertex format 0x%lx has no positions or is not a format", (unsigned long)fvf);
        return D3DERR_INVALIDCALL;
    }

    Mesh* m = new (std::nothrow) Mesh;
    if (!m) return E_OUTOFMEMORY;
    try {
        m->attributes_.assign(numFaces, 0);
    } catch (const std::bad_alloc&) {
        delete m;
        return E_OUTOFMEMORY;
    }
    m->device_ = device;
    device->AddRef();
    m->options_ = options;
    m->fvf_ = fvf;
    m->vertexSize_ = vertexSize;
    m->numFaces_ = numFaces;
    m->numVertices_ = numVertices;

    HRESULT hr = m->MakeVertexBuffer(numVertices, &m->vertexBuffer_);
    if (SUCCEEDED(hr))
        hr = device->CreateIndexBuffer(numFaces * 3 * sizeof(uint16_t),
                                       UsageOf(options, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC,
                                               D3DXMESH_IB_SOFTWAREPROCESSING),
                                       D3DFMT_INDEX16, PoolOf(options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED),
                                       &m->indexBuffer_);
    if (SUCCEEDED(hr) && !m->indexBuffer_) hr = E_FAIL;
    // A new mesh starts zeroed, whatever the device's buffers start with.
    BYTE* bytes = nullptr;
    if (SUCCEEDED(hr) && SUCCEEDED(hr = m->indexBuffer_->Lock(0, 0, &bytes, 0))) {
        std::memset(bytes, 0, size_t(numFaces) * 3 * sizeof(uint16_t));
        m->indexBuffer_->Unlock();
    }
    if (FAILED(hr)) {
        m->Release();
        return hr;
    }
    *out = m;
    return D3D_OK;
}

HRESULT Mesh::MakeVertexBuffer(DWORD numVertices, IDirect3DVertexBuffer8** out) const {
    *out = nullptr;
    IDirect3DVertexBuffer8* vb = nullptr;
    HRESULT hr = device_->CreateVertexBuffer(
        numVertices * vertexSize_,
        UsageOf(options_, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC, D3DXMESH_VB_SOFTWAREPROCESSING), fvf_,
        PoolOf(options_, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), &vb);
    if (FAILED(hr)) return hr;
    if (!vb) return E_FAIL;
    BYTE* bytes = nullptr;
    if (FAILED(hr = vb->Lock(0, 0, &bytes, 0))) {
        vb->Release();
        return hr;
    }
    std::memset(bytes, 0, size_t(numVertices) * vertexSize_);
    vb->Unlock();
    *out = vb;
    return D3D_OK;
}

Mesh::~Mesh() {
    ReleaseAndClear(vertexBuffer_);
    ReleaseAndClear(indexBuffer_);
    ReleaseAndClear(device_);
}

HRESULT Mesh::GetDevice(IDirect3DDevice8** device) {
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT Mesh::GetVertexBuffer(IDirect3DVertexBuffer8** vertexBuffer) {
    if (!vertexBuffer) return D3DERR_INVALIDCALL;
    vertexBuffer_->AddRef();
    *vertexBuffer = vertexBuffer_;
    return D3D_OK;
}

HRESULT Mesh::GetIndexBuffer(IDirect3DIndexBuffer8** indexBuffer) {
    if (!indexBuffer) return D3DERR_INVALIDCALL;
    indexBuffer_->AddRef();
    *indexBuffer = indexBuffer_;
    return D3D_OK;
}

HRESULT Mesh::LockVertexBuffer(DWORD flags, BYTE** data) {
    HRESULT hr = vertexBuffer_->Lock(0, 0, data, flags);
    if (SUCCEEDED(hr)) ++vertexLocks_;
    return hr;
}

HRESULT Mesh::UnlockVertexBuffer() {
    if (vertexLocks_ == 0) return D3DERR_INVALIDCALL;
    --vertexLocks_;
    return vertexBuffer_->Unlock();
}

HRESULT Mesh::LockIndexBuffer(DWORD flags, BYTE** data) {
    HRESULT hr = indexBuffer_->Lock(0, 0, data, flags);
    if (SUCCEEDED(hr)) {
        ++indexLocks_;
        if (!(flags & D3DLOCK_READONLY)) indicesWritten_ = true;
    }
    return hr;
}

// New indices move the vertex ranges of the attribute table; the face ranges stay.
HRESULT Mesh::UnlockIndexBuffer() {
    if (indexLocks_ == 0) return D3DERR_INVALIDCALL;
    --indexLocks_;
    HRESULT hr = indexBuffer_->Unlock();
    if (indexLocks_ == 0 && indicesWritten_) {
        indicesWritten_ = false;
        try {
            MeshData data;
            if (!attributeTable_.empty() && Read(&data, false)) BuildAttributeTable(data.indices);
        } catch (const std::bad_alloc&) {
            attributeTable_.clear();  // unsorted drawing is always right
        }
    }
    return hr;
}

HRESULT Mesh::LockAttributeBuffer(DWORD flags, DWORD** data) {
    if (!data) return D3DERR_INVALIDCALL;
    ++attributeLocks_;
    if (!(flags & D3DLOCK_READONLY)) attributeTable_.clear();
    *data = attributes_.data();
    return D3D_OK;
}

HRESULT Mesh::UnlockAttributeBuffer() {
    if (attributeLocks_ == 0) return D3DERR_INVALIDCALL;
    --attributeLocks_;
    return D3D_OK;
}

HRESULT Mesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* tableSize) {
    if (!tableSize) return D3DERR_INVALIDCALL;
    DWORD count = static_cast<DWORD>(attributeTable_.size());
    if (!table) {
        *tableSize = count;
        return D3D_OK;
    }
    if (*tableSize < count) count = *tableSize;
    std::memcpy(table, attributeTable_.data(), count * sizeof(D3DXATTRIBUTERANGE));
    *tableSize = count;
    return D3D_OK;
}

void Mesh::BuildAttributeTable(const std::vector<uint16_t>& indices) {
    attributeTable_.clear();
    std::vector<D3DXATTRIBUTERANGE> table;
    for (DWORD f = 0; f < numFaces_;) {
        DWORD id = attributes_[f], start = f;
        DWORD lo = 0xFFFFFFFF, hi = 0;
        for (; f < numFaces_ && attributes_[f] == id; ++f)
            for (int k = 0; k < 3; ++k) {
                DWORD v = indices[size_t(f) * 3 + k];
                lo = v < lo ? v : lo;
                hi = v > hi ? v : hi;
            }
        for (const D3DXATTRIBUTERANGE& r : table)
            if (r.AttribId == id) return;  // the faces are not sorted
        table.push_back(D3DXATTRIBUTERANGE{id, start, f - start, lo, hi - lo + 1});
    }
    attributeTable_ = std::move(table);
}

HRESULT Mesh::DrawSubset(DWORD attribId) {
    const D3DXATTRIBUTERANGE* range = nullptr;
    if (!attributeTable_.empty()) {
        for (const D3DXATTRIBUTERANGE& r : attributeTable_)
            if (r.AttribId == attribId) range = &r;
        if (!range) return D3DERR_INVALIDCALL;
    } else {
        bool found = false;
        for (DWORD f = 0; f < numFaces_ && !found; ++f) found = attributes_[f] == attribId;
        if (!found) return D3DERR_INVALIDCALL;
    }
    HRESULT hr;
    if (FAILED(hr = device_->SetVertexShader(fvf_)) ||
        FAILED(hr = device_->SetStreamSource(0, vertexBuffer_, vertexSize_)) ||
        FAILED(hr = device_->SetIndices(indexBuffer_, 0)))
        return hr;
    if (range) return Draw(range->FaceStart, range->FaceCount, range->VertexStart, range->VertexCount);
    // Unsorted: every run of faces with this attribute is a draw of its own.
    for (DWORD f = 0; f < numFaces_;) {
        if (attributes_[f] != attribId) {
            ++f;
            continue;
        }
        DWORD start = f;
        while (f < numFaces_ && attributes_[f] == attribId) ++f;
        if (FAILED(hr = Draw(start, f - start, 0, numVertices_))) return hr;
    }
    return D3D_OK;
}

HRESULT Mesh::Draw(DWORD faceStart, DWORD faceCount, DWORD minIndex, DWORD vertexCount) {
    return device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, minIndex, vertexCount, faceStart * 3, faceCount);
}

bool Mesh::Read(MeshData* data, bool withVertices) {
    BYTE* bytes = nullptr;
    if (FAILED(indexBuffer_->Lock(0, 0, &bytes, D3DLOCK_READONLY))) return false;
    data->indices.resize(size_t(numFaces_) * 3);
    std::memcpy(data->indices.data(), bytes, data->indices.size() * sizeof(uint16_t));
    indexBuffer_->Unlock();
    if (withVertices) {
        if (FAILED(vertexBuffer_->Lock(0, 0, &bytes, D3DLOCK_READONLY))) return false;
        data->vertices.assign(bytes, bytes + size_t(numVertices_) * vertexSize_);
        vertexBuffer_->Unlock();
    }
    data->attributes = attributes_;
    return true;
}

HRESULT Mesh::Write(const MeshData& data) {
    if (data.indices.size() != size_t(numFaces_) * 3 || data.attributes.size() != numFaces_ ||
        data.vertices.empty() || data.vertices.size() % vertexSize_ != 0)
        return D3DERR_INVALIDCALL;
    const DWORD newVertices = static_cast<DWORD>(data.vertices.size() / vertexSize_);
    if (newVertices > kMaxMeshVertices) return D3DERR_INVALIDCALL;

    IDirect3DVertexBuffer8* vb = vertexBuffer_;
    if (newVertices != numVertices_) {
        HRESULT hr = MakeVertexBuffer(newVertices, &vb);
        if (FAILED(hr)) return hr;
    } else {
        vb->AddRef();
    }
    // Both locks first, so that a refusal leaves both buffers as they were.
    BYTE* vertexBytes = nullptr;
    BYTE* indexBytes = nullptr;
    HRESULT hr = vb->Lock(0, 0, &vertexBytes, 0);
    if (SUCCEEDED(hr)) {
        hr = indexBuffer_->Lock(0, 0, &indexBytes, 0);
        if (FAILED(hr)) vb->Unlock();
    }
    if (FAILED(hr)) {
        vb->Release();
        return hr;
    }
    std::memcpy(vertexBytes, data.vertices.data(), data.vertices.size());
    std::memcpy(indexBytes, data.indices.data(), data.indices.size() * sizeof(uint16_t));
    vb->Unlock();
    indexBuffer_->Unlock();

    vertexBuffer_->Release();
    vertexBuffer_ = vb;
    numVertices_ = newVertices;
    attributes_ = data.attributes;
    return D3D_OK;
}

HRESULT Mesh::GenerateAdjacency(float epsilon, DWORD* adjacency) {
    if (!adjacency || !(epsilon >= 0.0f)) return D3DERR_INVALIDCALL;
    try {
        MeshData data;
        if (!Read(&data, true)) return D3DERR_INVALIDCALL;
        for (uint16_t v : data.indices)
            if (v >= numVertices_) return D3DERR_INVALIDCALL;
        ComputeAdjacency(Positions(data.vertices.data(), numVertices_, vertexSize_), data.indices, epsilon,
                         adjacency);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

}  // namespace nol::d3dx8

// ---- functions -----------------------------------------------------------------------

HRESULT WINAPI D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    nol::d3dx8::Buffer* b = nullptr;
    HRESULT hr = nol::d3dx8::Buffer::Create(numBytes, &b);
    if (SUCCEEDED(hr)) *buffer = b;
    return hr;
}

HRESULT WINAPI D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                                 IDirect3DDevice8* device, LPD3DXMESH* mesh) {
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    nol::d3dx8::Mesh* m = nullptr;
    HRESULT hr = nol::d3dx8::Mesh::Create(numFaces, numVertices, options, fvf, device, &m);
    if (SUCCEEDED(hr)) *mesh = m;
    return hr;
}

UINT WINAPI D3DXGetFVFVertexSize(DWORD fvf) { return nol::d3d8::FvfVertexSize(fvf); }
