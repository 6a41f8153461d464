// ID3DXMesh::OptimizeInplace.
//
// Faces: ATTRSORT is a stable sort by attribute. VERTEXCACHE (or STRIPREORDER)
// then orders the faces of each attribute group with meshoptimizer, and implies
// ATTRSORT so that the groups stay whole. A face keeps its corners in their order,
// so its winding and its adjacency slots stay as they were.
//
// Vertices (unless IGNOREVERTS): after a face reordering they are renumbered in
// the order the new faces first use them; COMPACT alone keeps their order. COMPACT
// drops the vertices no face uses; without it they follow the used ones. Vertices
// shared by two attribute groups stay shared, so a group's vertex range in the
// attribute table is simply the span of the indices it uses.
#include <meshoptimizer.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>

#include "d3dx8/d3dx8mesh_object.h"

namespace nol::d3dx8 {

namespace {

constexpr DWORD kFaceOrderFlags = D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER;
constexpr DWORD kKnownFlags = D3DXMESHOPT_COMPACT | kFaceOrderFlags | D3DXMESHOPT_IGNOREVERTS;

// A triangle's corners as one number, starting from the rotation that reads
// smallest, so that a triangle and any rotation of it give the same key.
uint64_t TriangleKey(uint32_t a, uint32_t b, uint32_t c) {
    auto pack = [](uint64_t x, uint64_t y, uint64_t z) { return x << 32 | y << 16 | z; };
    return std::min({pack(a, b, c), pack(b, c, a), pack(c, a, b)});
}

// Orders faces (a group of one attribute) for the vertex cache. meshoptimizer
// returns indices, not faces; each output triangle is matched back to an input
// face with the same corners. Should any fail to match, the group keeps its order.
void OrderForCache(uint32_t* faces, size_t count, const std::vector<uint16_t>& indices, size_t vertexCount,
                   bool strips) {
    std::vector<unsigned int> in(count * 3), out(count * 3);
    for (size_t t = 0; t < count; ++t)
        for (int k = 0; k < 3; ++k) in[t * 3 + k] = indices[size_t(faces[t]) * 3 + k];
    if (strips)
        meshopt_optimizeVertexCacheStrip(out.data(), in.data(), in.size(), vertexCount);
    else
        meshopt_optimizeVertexCache(out.data(), in.data(), in.size(), vertexCount);

    struct Entry {
        uint64_t key;
        uint32_t face;
        bool operator<(const Entry& o) const { return key != o.key ? key < o.key : face < o.face; }
    };
    std::vector<Entry> entries(count);
    for (size_t t = 0; t < count; ++t) entries[t] = Entry{TriangleKey(in[t * 3], in[t * 3 + 1], in[t * 3 + 2]), faces[t]};
    std::sort(entries.begin(), entries.end());
    std::vector<char> taken(count, 0);
    std::vector<uint32_t> result(count);
    for (size_t t = 0; t < count; ++t) {
        uint64_t key = TriangleKey(out[t * 3], out[t * 3 + 1], out[t * 3 + 2]);
        auto it = std::lower_bound(entries.begin(), entries.end(), Entry{key, 0});
        while (it != entries.end() && it->key == key && taken[it - entries.begin()]) ++it;
        if (it == entries.end() || it->key != key) return;
        taken[it - entries.begin()] = 1;
        result[t] = it->face;
    }
    std::copy(result.begin(), result.end(), faces);
}

// Logs and refuses flags this optimiser does not know or that exclude each other.
bool FlagsAllowed(DWORD flags) {
    if (flags & ~kKnownFlags) {
        MeshLog("unsupported optimisation flags 0x%lx", (unsigned long)(flags & ~kKnownFlags));
        return false;
    }
    if ((flags & D3DXMESHOPT_VERTEXCACHE) && (flags & D3DXMESHOPT_STRIPREORDER)) {
        MeshLog("VERTEXCACHE and STRIPREORDER exclude each other");
        return false;
    }
    return true;
}

// Whether every entry of an adjacency array is a face of the mesh or UNUSED32.
bool AdjacencyWithin(const DWORD* adjacency, DWORD faceCount) {
    for (size_t i = 0; i < size_t(faceCount) * 3; ++i)
        if (adjacency[i] != UNUSED32 && adjacency[i] >= faceCount) {
            MeshLog("adjacency names face %lu of %lu", (unsigned long)adjacency[i], (unsigned long)faceCount);
            return false;
        }
    return true;
}

bool IndicesWithin(const std::vector<uint16_t>& indices, DWORD vertexCount) {
    for (uint16_t v : indices)
        if (v >= vertexCount) {
            MeshLog("index %u is past the mesh's %lu vertices", v, (unsigned long)vertexCount);
            return false;
        }
    return true;
}

bool SortsFaces(DWORD flags) { return (flags & kFaceOrderFlags) != 0; }

// The old face at each new place.
std::vector<uint32_t> FaceOrder(DWORD flags, const MeshData& mesh, DWORD vertexCount) {
    std::vector<uint32_t> order(mesh.attributes.size());
    std::iota(order.begin(), order.end(), 0u);
    if (SortsFaces(flags))
        std::stable_sort(order.begin(), order.end(),
                         [&](uint32_t a, uint32_t b) { return mesh.attributes[a] < mesh.attributes[b]; });
    if (flags & (D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER)) {
        for (size_t start = 0; start < order.size();) {
            size_t end = start;
            while (end < order.size() && mesh.attributes[order[end]] == mesh.attributes[order[start]]) ++end;
            OrderForCache(order.data() + start, end - start, mesh.indices, vertexCount,
                          (flags & D3DXMESHOPT_STRIPREORDER) != 0);
            start = end;
        }
    }
    return order;
}

// The faces and their attributes in the new order; no vertices yet.
MeshData ReorderFaces(const MeshData& old, const std::vector<uint32_t>& order) {
    MeshData next;
    next.indices.resize(old.indices.size());
    next.attributes.resize(order.size());
    for (size_t f = 0; f < order.size(); ++f) {
        std::memcpy(&next.indices[f * 3], &old.indices[size_t(order[f]) * 3], 3 * sizeof(uint16_t));
        next.attributes[f] = old.attributes[order[f]];
    }
    return next;
}

// Fills next's vertices from old's and renumbers next's indices to match; returns
// the old vertex at each new place.
std::vector<uint32_t> RenumberVertices(DWORD flags, MeshData& old, MeshData& next, DWORD vertexCount,
                                       UINT vertexSize) {
    std::vector<uint32_t> newToOld;
    if ((flags & D3DXMESHOPT_IGNOREVERTS) || !(flags & (D3DXMESHOPT_COMPACT | kFaceOrderFlags))) {
        newToOld.resize(vertexCount);
        std::iota(newToOld.begin(), newToOld.end(), 0u);
        next.vertices = std::move(old.vertices);
        return newToOld;
    }
    std::vector<uint32_t> oldToNew(vertexCount, UNUSED32);
    auto take = [&](uint32_t v) {
        if (oldToNew[v] != UNUSED32) return;
        oldToNew[v] = static_cast<uint32_t>(newToOld.size());
        newToOld.push_back(v);
    };
    if (SortsFaces(flags)) {
        for (uint16_t v : next.indices) take(v);
    } else {
        std::vector<char> used(vertexCount, 0);
        for (uint16_t v : next.indices) used[v] = 1;
        for (uint32_t v = 0; v < vertexCount; ++v)
            if (used[v]) take(v);
    }
    if (!(flags & D3DXMESHOPT_COMPACT))
        for (uint32_t v = 0; v < vertexCount; ++v) take(v);
    for (uint16_t& v : next.indices) v = static_cast<uint16_t>(oldToNew[v]);
    next.vertices.resize(newToOld.size() * vertexSize);
    for (size_t v = 0; v < newToOld.size(); ++v)
        std::memcpy(&next.vertices[v * vertexSize], &old.vertices[size_t(newToOld[v]) * vertexSize], vertexSize);
    return newToOld;
}

// The vertex remap buffer: the old vertex of each new one, UNUSED32 past the end.
HRESULT VertexRemapBuffer(const std::vector<uint32_t>& newToOld, DWORD vertexCount, LPD3DXBUFFER* out) {
    HRESULT hr = D3DXCreateBuffer(vertexCount * sizeof(DWORD), out);
    if (FAILED(hr)) return hr;
    auto* remap = static_cast<DWORD*>((*out)->GetBufferPointer());
    for (DWORD v = 0; v < vertexCount; ++v) remap[v] = v < newToOld.size() ? newToOld[v] : UNUSED32;
    return D3D_OK;
}

// Same edges, new face numbers (adjacencyIn may be adjacencyOut).
void RenumberAdjacency(const std::vector<uint32_t>& order, const DWORD* adjacencyIn, DWORD* adjacencyOut) {
    std::vector<DWORD> newOf(order.size());
    for (DWORD f = 0; f < order.size(); ++f) newOf[order[f]] = f;
    std::vector<DWORD> result(order.size() * 3);
    for (size_t f = 0; f < order.size(); ++f)
        for (int k = 0; k < 3; ++k) {
            DWORD a = adjacencyIn[size_t(order[f]) * 3 + k];
            result[f * 3 + k] = a == UNUSED32 ? UNUSED32 : newOf[a];
        }
    std::copy(result.begin(), result.end(), adjacencyOut);
}

}  // namespace

HRESULT Mesh::OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                              LPD3DXBUFFER* vertexRemap) {
    if (vertexRemap) *vertexRemap = nullptr;
    try {
        return Optimize(flags, adjacencyIn, adjacencyOut, faceRemap, vertexRemap);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Mesh::Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                       LPD3DXBUFFER* vertexRemap) {
    if (!FlagsAllowed(flags)) return D3DERR_INVALIDCALL;
    if (Locked()) {
        MeshLog("a mesh cannot be optimised while one of its buffers is locked");
        return D3DERR_INVALIDCALL;
    }
    if (adjacencyIn && !AdjacencyWithin(adjacencyIn, numFaces_)) return D3DERR_INVALIDCALL;
    MeshData old;
    if (!Read(&old, true) || !IndicesWithin(old.indices, numVertices_)) return D3DERR_INVALIDCALL;

    const std::vector<uint32_t> order = FaceOrder(flags, old, numVertices_);
    MeshData next = ReorderFaces(old, order);
    const std::vector<uint32_t> newToOld = RenumberVertices(flags, old, next, numVertices_, vertexSize_);

    // Every output that can fail comes before the mesh changes.
    LPD3DXBUFFER remap = nullptr;
    if (vertexRemap) {
        HRESULT hr = VertexRemapBuffer(newToOld, numVertices_, &remap);
        if (FAILED(hr)) return hr;
    }
    HRESULT hr = Write(next);
    if (FAILED(hr)) {
        if (remap) remap->Release();
        return hr;
    }
    if (SortsFaces(flags) || !attributeTable_.empty()) BuildAttributeTable(next.indices);

    if (vertexRemap) *vertexRemap = remap;
    if (faceRemap) std::copy(order.begin(), order.end(), faceRemap);
    if (adjacencyOut) {
        if (adjacencyIn)
            RenumberAdjacency(order, adjacencyIn, adjacencyOut);
        else
            ComputeAdjacency(Positions(next.vertices.data(), numVertices_, vertexSize_), next.indices, 0.0f,
                             adjacencyOut);
    }
    return D3D_OK;
}

}  // namespace nol::d3dx8
