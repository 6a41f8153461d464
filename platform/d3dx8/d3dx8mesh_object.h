// The mesh object behind ID3DXMesh, shared by the mesh sources of this folder.
#pragma once

#include <cstdint>
#include <vector>

#include "com/com_object.h"
#include "d3dx8/d3dx8mesh.h"

namespace nol::d3dx8 {

// Indices are 16-bit and 0xFFFF stays free, so a mesh has at most this many
// vertices.
constexpr DWORD kMaxMeshVertices = 0xFFFF;
// Keeps the index buffer's size (6 bytes a face) and every face-indexed array far
// inside 32 bits.
constexpr DWORD kMaxMeshFaces = 0x10000000;

// Writes a message about refused input to the platform log.
void MeshLog(const char* format, ...);

// A mesh's contents read out of its buffers: what the optimiser and the shape
// builders work on.
struct MeshData {
    std::vector<uint8_t> vertices;  // vertexSize bytes per vertex
    std::vector<uint16_t> indices;  // three per face
    std::vector<DWORD> attributes;  // one per face
};

class Mesh final : public nol::com::Object<ID3DXMesh, IID_ID3DXBaseMesh, IID_ID3DXMesh> {
public:
    // Validates the arguments and makes the buffers; D3DERR_INVALIDCALL for what a
    // mesh cannot be, the device's error when it refuses a buffer.
    static HRESULT Create(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice8* device, Mesh** out);

    HRESULT DrawSubset(DWORD attribId) override;
    DWORD GetNumFaces() override { return numFaces_; }
    DWORD GetNumVertices() override { return numVertices_; }
    DWORD GetFVF() override { return fvf_; }
    DWORD GetOptions() override { return options_; }
    HRESULT GetDevice(IDirect3DDevice8** device) override;
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** vertexBuffer) override;
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** indexBuffer) override;
    HRESULT LockVertexBuffer(DWORD flags, BYTE** data) override;
    HRESULT UnlockVertexBuffer() override;
    HRESULT LockIndexBuffer(DWORD flags, BYTE** data) override;
    HRESULT UnlockIndexBuffer() override;
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* tableSize) override;
    HRESULT GenerateAdjacency(float epsilon, DWORD* adjacency) override;

    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) override;
    HRESULT UnlockAttributeBuffer() override;
    HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                            LPD3DXBUFFER* vertexRemap) override;

    UINT VertexSize() const { return vertexSize_; }
    // Copies of the buffers' contents; false when a buffer cannot be read.
    bool Read(MeshData* data, bool withVertices);
    // Replaces vertices, indices and attributes (same face count; the vertex count
    // may change, which replaces the vertex buffer). On failure nothing changes.
    HRESULT Write(const MeshData& data);

private:
    Mesh() = default;
    ~Mesh() override;
    HRESULT MakeVertexBuffer(DWORD numVertices, IDirect3DVertexBuffer8** out) const;
    bool Locked() const { return vertexLocks_ || indexLocks_ || attributeLocks_; }
    // The table for attribute-sorted faces: one range per attribute, or none when
    // an attribute is found in more than one run of faces.
    void BuildAttributeTable(const std::vector<uint16_t>& indices);
    HRESULT Draw(DWORD faceStart, DWORD faceCount, DWORD minIndex, DWORD vertexCount);
    HRESULT Optimize(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                     LPD3DXBUFFER* vertexRemap);

    IDirect3DDevice8* device_ = nullptr;
    IDirect3DVertexBuffer8* vertexBuffer_ = nullptr;
    IDirect3DIndexBuffer8* indexBuffer_ = nullptr;
    DWORD options_ = 0;
    DWORD fvf_ = 0;
    UINT vertexSize_ = 0;
    DWORD numFaces_ = 0;
    DWORD numVertices_ = 0;
    std::vector<DWORD> attributes_;
    std::vector<D3DXATTRIBUTERANGE> attributeTable_;
    int vertexLocks_ = 0;
    int indexLocks_ = 0;
    int attributeLocks_ = 0;
    bool indicesWritten_ = false;
};

// Adjacency of a triangle list: 3 entries per face, see GenerateAdjacency.
// positions holds one point per vertex.
void ComputeAdjacency(const std::vector<D3DXVECTOR3>& positions, const std::vector<uint16_t>& indices,
                      float epsilon, DWORD* adjacency);

// The positions of vertexCount vertices of vertexSize bytes each.
std::vector<D3DXVECTOR3> Positions(const uint8_t* vertices, DWORD vertexCount, UINT vertexSize);

// A shape's vertices (position and normal) and faces into a new managed mesh,
// with adjacency when asked for.
struct ShapeVertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
};
HRESULT MakeShapeMesh(IDirect3DDevice8* device, const std::vector<ShapeVertex>& vertices,
                      const std::vector<uint16_t>& indices, LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency);

}  // namespace nol::d3dx8
