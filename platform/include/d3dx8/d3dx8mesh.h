// D3DX 8 meshes: the buffer and mesh interfaces with the original names, mesh
// creation, the built-in shapes (sphere, box, teapot) and bounding volumes.
//
// A mesh is a triangle list over one vertex buffer and one index buffer of the
// device (16-bit indices), with one attribute (subset id) per face. The buffers
// are the device's own IDirect3DVertexBuffer8 and IDirect3DIndexBuffer8.
#pragma once

#include "com/objbase.h"
#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8errors.h"
#include "d3dx8/d3dx8math.h"

// ---- mesh creation options --------------------------------------------------------------
// The VB_ bits choose the vertex buffer's pool and usage, the IB_ bits the index
// buffer's. Without a SYSTEMMEM or MANAGED bit a buffer goes to D3DPOOL_DEFAULT.
#define D3DXMESH_32BIT 0x001  // refused here: indices are 16-bit
#define D3DXMESH_DONOTCLIP 0x002
#define D3DXMESH_POINTS 0x004
#define D3DXMESH_RTPATCHES 0x008
#define D3DXMESH_NPATCHES 0x4000
#define D3DXMESH_VB_SYSTEMMEM 0x010
#define D3DXMESH_VB_MANAGED 0x020
#define D3DXMESH_VB_WRITEONLY 0x040
#define D3DXMESH_VB_DYNAMIC 0x080
#define D3DXMESH_VB_SOFTWAREPROCESSING 0x8000
#define D3DXMESH_IB_SYSTEMMEM 0x100
#define D3DXMESH_IB_MANAGED 0x200
#define D3DXMESH_IB_WRITEONLY 0x400
#define D3DXMESH_IB_DYNAMIC 0x800
#define D3DXMESH_IB_SOFTWAREPROCESSING 0x10000
#define D3DXMESH_VB_SHARE 0x1000
#define D3DXMESH_USEHWONLY 0x2000
#define D3DXMESH_SYSTEMMEM 0x110
#define D3DXMESH_MANAGED 0x220
#define D3DXMESH_WRITEONLY 0x440
#define D3DXMESH_DYNAMIC 0x880
#define D3DXMESH_SOFTWAREPROCESSING 0x18000

// ---- ID3DXMesh::OptimizeInplace flags -------------------------------------------------
#define D3DXMESHOPT_COMPACT 0x001       // drop vertices no face uses
#define D3DXMESHOPT_ATTRSORT 0x002      // faces grouped by attribute; builds the attribute table
#define D3DXMESHOPT_VERTEXCACHE 0x004   // faces ordered for the vertex cache (implies ATTRSORT)
#define D3DXMESHOPT_STRIPREORDER 0x008  // faces ordered for long strips (implies ATTRSORT)
#define D3DXMESHOPT_IGNOREVERTS 0x010   // reorder faces only; the vertex buffer stays as it is
#define D3DXMESHOPT_SHAREVB 0x020       // for meshes sharing a vertex buffer; not supported

// An adjacency entry for an edge without a neighbour.
#define UNUSED32 0xffffffffu
#define UNUSED16 0xffffu

// ---- structures -------------------------------------------------------------------------
struct D3DXATTRIBUTERANGE {
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};
typedef D3DXATTRIBUTERANGE* LPD3DXATTRIBUTERANGE;

// A material of a loaded mesh, with the texture file it names (null for none).
struct D3DXMATERIAL {
    D3DMATERIAL8 MatD3D;
    LPSTR pTextureFilename;
};
typedef D3DXMATERIAL* LPD3DXMATERIAL;

// ---- interfaces -------------------------------------------------------------------------
extern const IID IID_ID3DXBuffer;
extern const IID IID_ID3DXBaseMesh;
extern const IID IID_ID3DXMesh;

// A block of memory handed out by D3DX (adjacency, materials, remaps).
struct ID3DXBuffer : IUnknown {
    STDMETHOD_(LPVOID, GetBufferPointer)() = 0;
    STDMETHOD_(DWORD, GetBufferSize)() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

struct ID3DXBaseMesh : IUnknown {
    // Draws the faces whose attribute is attribId: with an attribute table (after
    // OptimizeInplace with ATTRSORT) its range, otherwise every run of such faces.
    // D3DERR_INVALIDCALL when no face has the attribute.
    STDMETHOD(DrawSubset)(DWORD attribId) = 0;
    STDMETHOD_(DWORD, GetNumFaces)() = 0;
    STDMETHOD_(DWORD, GetNumVertices)() = 0;
    STDMETHOD_(DWORD, GetFVF)() = 0;
    STDMETHOD_(DWORD, GetOptions)() = 0;
    STDMETHOD(GetDevice)(IDirect3DDevice8** device) = 0;
    STDMETHOD(GetVertexBuffer)(IDirect3DVertexBuffer8** vertexBuffer) = 0;
    STDMETHOD(GetIndexBuffer)(IDirect3DIndexBuffer8** indexBuffer) = 0;
    STDMETHOD(LockVertexBuffer)(DWORD flags, BYTE** data) = 0;
    STDMETHOD(UnlockVertexBuffer)() = 0;
    STDMETHOD(LockIndexBuffer)(DWORD flags, BYTE** data) = 0;
    STDMETHOD(UnlockIndexBuffer)() = 0;
    // With table null, *tableSize receives the number of entries. Otherwise up to
    // *tableSize entries are copied and *tableSize receives how many were.
    STDMETHOD(GetAttributeTable)(D3DXATTRIBUTERANGE* table, DWORD* tableSize) = 0;
    // Three entries per face: the face across each edge (corners 0-1, 1-2, 2-0),
    // UNUSED32 for none. Corners whose positions differ by at most epsilon in every
    // coordinate count as one point.
    STDMETHOD(GenerateAdjacency)(float epsilon, DWORD* adjacency) = 0;
};
typedef ID3DXBaseMesh* LPD3DXBASEMESH;

struct ID3DXMesh : ID3DXBaseMesh {
    // One DWORD per face. A lock for writing drops the attribute table, so that
    // DrawSubset goes back to finding the faces itself.
    STDMETHOD(LockAttributeBuffer)(DWORD flags, DWORD** data) = 0;
    STDMETHOD(UnlockAttributeBuffer)() = 0;
    // Reorders faces and vertices. adjacencyIn (3 per face) may be null; then the
    // output adjacency is generated from exact positions. faceRemap receives, per
    // new face, the old face it came from; vertexRemap a buffer with, per new
    // vertex, the old vertex (as many entries as the mesh had vertices, the ones
    // past the new count UNUSED32). Every face keeps its corners' order and its
    // attribute. The mesh stays unchanged when the call fails.
    STDMETHOD(OptimizeInplace)(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                               DWORD* faceRemap, LPD3DXBUFFER* vertexRemap) = 0;
};
typedef ID3DXMesh* LPD3DXMESH;

// ---- functions --------------------------------------------------------------------------
HRESULT WINAPI D3DXCreateBuffer(DWORD numBytes, LPD3DXBUFFER* buffer);

// An empty mesh: zeroed vertices, indices and attributes. At most 65535 vertices.
HRESULT WINAPI D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                                 IDirect3DDevice8* device, LPD3DXMESH* mesh);

// Shapes centred on the origin, D3DXMESH_MANAGED, position and normal, front faces
// outward; adjacency (3 DWORDs per face) when asked for.
// The sphere's poles lie on the z axis; slices and stacks at least 2.
HRESULT WINAPI D3DXCreateSphere(IDirect3DDevice8* device, float radius, UINT slices, UINT stacks,
                                LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency);
// Width along x, height along y, depth along z; 24 vertices, 12 faces.
HRESULT WINAPI D3DXCreateBox(IDirect3DDevice8* device, float width, float height, float depth,
                             LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency);
// The Utah teapot, upright along y with the spout toward +x, 3.15 units tall,
// centred on the origin in height.
HRESULT WINAPI D3DXCreateTeapot(IDirect3DDevice8* device, LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency);

// Bounds of numVertices vertices of format fvf (positions are each vertex's first
// three floats). D3DERR_INVALIDCALL for null pointers, no vertices or a format
// without positions.
HRESULT WINAPI D3DXComputeBoundingBox(const void* pointsFvf, DWORD numVertices, DWORD fvf, D3DXVECTOR3* min,
                                      D3DXVECTOR3* max);
// Centre = the average of the vertices; radius = the largest distance from it.
HRESULT WINAPI D3DXComputeBoundingSphere(const void* pointsFvf, DWORD numVertices, DWORD fvf,
                                         D3DXVECTOR3* centre, float* radius);

// Bytes per vertex of a flexible vertex format; 0 for a code that is not one.
UINT WINAPI D3DXGetFVFVertexSize(DWORD fvf);
