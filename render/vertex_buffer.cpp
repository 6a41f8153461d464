// Vertex buffers in the managed pool, so that they survive a device reset.
#include "render/vertex_buffer.h"

#include <cstring>

#include "d3dx8/d3dx8mesh.h"
#include "render/graphics_state.h"

UINT VertexStride(DWORD fvf) {
    switch (fvf) {
        case D3DFVF_XYZ | D3DFVF_DIFFUSE:
        case D3DFVF_XYZRHW | D3DFVF_DIFFUSE:
        case D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE:
        case D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1:
        case D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1:
        case D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1:
        case D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2:
        case D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2: return D3DXGetFVFVertexSize(fvf);
        default: return 0;
    }
}

VertexBuffer::~VertexBuffer() { Release(); }

int VertexBuffer::Create(const void* data, DWORD fvfCode, UINT bytes) {
    Release();
    fvf = fvfCode;
    stride = VertexStride(fvf);
    count = 0;
    if (stride == 0) return 0;
    count = bytes / stride;
    IDirect3DDevice8* device = GraphicsState.device;
    if (!device || FAILED(device->CreateVertexBuffer(bytes, 0, fvf, D3DPOOL_MANAGED, &buffer)) || !buffer) {
        buffer = nullptr;
        return 0;
    }
    BYTE* target = nullptr;
    if (FAILED(buffer->Lock(0, bytes, &target, 0)) || !target) {
        // An unfilled buffer would draw whatever it holds: nothing is drawn instead.
        Release();
        return 0;
    }
    if (data && bytes) std::memcpy(target, data, bytes);
    buffer->Unlock();
    return 1;
}

bool VertexBuffer::Lock(void** data) {
    if (data) *data = nullptr;
    if (!buffer || !data) return false;
    BYTE* bits = nullptr;
    if (FAILED(buffer->Lock(0, 0, &bits, 0))) return false;
    *data = bits;
    return true;
}

void VertexBuffer::Unlock() {
    if (buffer) buffer->Unlock();
}

void VertexBuffer::Release() {
    if (buffer) buffer->Release();
    buffer = nullptr;
}

void VertexBuffer::DrawPrimitives(D3DPRIMITIVETYPE type, UINT primitives) {
    IDirect3DDevice8* device = GraphicsState.device;
    if (!buffer || !device) return;
    device->SetStreamSource(0, buffer, stride);
    device->SetVertexShader(fvf);
    device->DrawPrimitive(type, 0, primitives);
}

void VertexBuffer::DrawPoints() { DrawPrimitives(D3DPT_POINTLIST, count); }
void VertexBuffer::DrawLines() { DrawPrimitives(D3DPT_LINELIST, count / 2); }
void VertexBuffer::DrawLineStrip(UINT n) { DrawPrimitives(D3DPT_LINESTRIP, n); }
void VertexBuffer::DrawTriangles() { DrawPrimitives(D3DPT_TRIANGLELIST, count / 3); }
void VertexBuffer::DrawTriangleStrip(UINT n) { DrawPrimitives(D3DPT_TRIANGLESTRIP, n); }
void VertexBuffer::DrawTriangleFan(UINT n) { DrawPrimitives(D3DPT_TRIANGLEFAN, n); }
