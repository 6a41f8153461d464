// A managed vertex buffer that knows its vertex format, stride and vertex count,
// and draws itself as any primitive type.
#pragma once

#include "d3d8/d3d8.h"

class VertexBuffer {
public:
    VertexBuffer() = default;
    ~VertexBuffer();
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;

    // Copies bytes of vertex data into a new buffer; 0 for an unknown format or
    // when the buffer cannot be made or filled.
    int Create(const void* data, DWORD fvf, UINT bytes);
    bool Lock(void** data);
    void Unlock();
    void Release();

    void DrawPoints();
    void DrawLines();
    void DrawLineStrip(UINT count);
    void DrawTriangles();
    void DrawTriangleStrip(UINT count);
    void DrawTriangleFan(UINT count);
    void DrawPrimitives(D3DPRIMITIVETYPE type, UINT count);

    IDirect3DVertexBuffer8* buffer = nullptr;
    DWORD fvf = 0;
    UINT stride = 0;
    UINT count = 0;
};

// Bytes per vertex of the formats VertexBuffer knows; 0 for any other.
UINT VertexStride(DWORD fvf);
