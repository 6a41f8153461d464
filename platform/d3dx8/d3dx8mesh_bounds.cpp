// Bounding box and bounding sphere of a vertex array.
#include <cmath>
#include <cstring>

#include "d3dx8/d3dx8mesh.h"

namespace {

bool Usable(const void* points, DWORD count, DWORD fvf, UINT* stride) {
    *stride = D3DXGetFVFVertexSize(fvf);
    return points && count > 0 && (fvf & D3DFVF_POSITION_MASK) && *stride >= sizeof(D3DXVECTOR3);
}

D3DXVECTOR3 PositionAt(const void* points, DWORD i, UINT stride) {
    D3DXVECTOR3 p;
    std::memcpy(&p, static_cast<const uint8_t*>(points) + size_t(i) * stride, sizeof p);
    return p;
}

}  // namespace

HRESULT WINAPI D3DXComputeBoundingBox(const void* pointsFvf, DWORD numVertices, DWORD fvf, D3DXVECTOR3* min,
                                      D3DXVECTOR3* max) {
    UINT stride = 0;
    if (!min || !max || !Usable(pointsFvf, numVertices, fvf, &stride)) return D3DERR_INVALIDCALL;
    *min = *max = PositionAt(pointsFvf, 0, stride);
    for (DWORD i = 1; i < numVertices; ++i) {
        D3DXVECTOR3 p = PositionAt(pointsFvf, i, stride);
        D3DXVec3Minimize(min, min, &p);
        D3DXVec3Maximize(max, max, &p);
    }
    return D3D_OK;
}

// The sphere is not the smallest one: it is centred on the average of the
// vertices (summed in double precision) and reaches the farthest of them.
HRESULT WINAPI D3DXComputeBoundingSphere(const void* pointsFvf, DWORD numVertices, DWORD fvf,
                                         D3DXVECTOR3* centre, float* radius) {
    UINT stride = 0;
    if (!centre || !radius || !Usable(pointsFvf, numVertices, fvf, &stride)) return D3DERR_INVALIDCALL;
    double sum[3] = {0, 0, 0};
    for (DWORD i = 0; i < numVertices; ++i) {
        D3DXVECTOR3 p = PositionAt(pointsFvf, i, stride);
        sum[0] += p.x;
        sum[1] += p.y;
        sum[2] += p.z;
    }
    *centre = D3DXVECTOR3(float(sum[0] / numVertices), float(sum[1] / numVertices), float(sum[2] / numVertices));
    float farthest = 0.0f;
    for (DWORD i = 0; i < numVertices; ++i) {
        D3DXVECTOR3 d = PositionAt(pointsFvf, i, stride) - *centre;
        farthest = std::fmax(farthest, D3DXVec3LengthSq(&d));
    }
    *radius = std::sqrt(farthest);
    return D3D_OK;
}
