// The sphere and the box, and what every shape shares: a managed mesh of
// positions and normals with optional adjacency.
#include <cmath>
#include <cstring>
#include <new>

#include "d3dx8/d3dx8mesh_object.h"

namespace nol::d3dx8 {

static_assert(sizeof(ShapeVertex) == 24, "a shape vertex is D3DFVF_XYZ | D3DFVF_NORMAL");

HRESULT MakeShapeMesh(IDirect3DDevice8* device, const std::vector<ShapeVertex>& vertices,
                      const std::vector<uint16_t>& indices, LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency) {
    const DWORD faces = static_cast<DWORD>(indices.size() / 3);
    Mesh* m = nullptr;
    HRESULT hr = Mesh::Create(faces, static_cast<DWORD>(vertices.size()), D3DXMESH_MANAGED,
                              D3DFVF_XYZ | D3DFVF_NORMAL, device, &m);
    if (FAILED(hr)) return hr;
    LPD3DXBUFFER adjacencyBuffer = nullptr;
    try {
        MeshData data;
        data.vertices.resize(vertices.size() * sizeof(ShapeVertex));
        std::memcpy(data.vertices.data(), vertices.data(), data.vertices.size());
        data.indices = indices;
        data.attributes.assign(faces, 0);
        hr = m->Write(data);
        if (SUCCEEDED(hr) && adjacency && SUCCEEDED(hr = D3DXCreateBuffer(faces * 3 * sizeof(DWORD), &adjacencyBuffer)))
            hr = m->GenerateAdjacency(0.0f, static_cast<DWORD*>(adjacencyBuffer->GetBufferPointer()));
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        if (adjacencyBuffer) adjacencyBuffer->Release();
        m->Release();
        return hr;
    }
    *mesh = m;
    if (adjacency) *adjacency = adjacencyBuffer;
    return D3D_OK;
}

}  // namespace nol::d3dx8

using nol::d3dx8::ShapeVertex;

// Rings of latitude from the +z pole to the -z pole; vertex 0 is the +z pole, then
// stacks - 1 rings of slices vertices, then the -z pole. Corners run clockwise
// seen from outside.
HRESULT WINAPI D3DXCreateSphere(IDirect3DDevice8* device, float radius, UINT slices, UINT stacks,
                                LPD3DXMESH* mesh, LPD3DXBUFFER* adjacency) {
    if (adjacency) *adjacency = nullptr;
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    if (!device || !(radius >= 0.0f) || slices < 2 || stacks < 2) return D3DERR_INVALIDCALL;
    const uint64_t vertexCount = 2 + uint64_t(slices) * (stacks - 1);
    if (vertexCount > nol::d3dx8::kMaxMeshVertices) {
        nol::d3dx8::MeshLog("a sphere of %u slices and %u stacks has too many vertices", slices, stacks);
        return D3DERR_INVALIDCALL;
    }
    try {
        std::vector<ShapeVertex> v;
        v.reserve(vertexCount);
        auto add = [&](float nx, float ny, float nz) {
            v.push_back(ShapeVertex{D3DXVECTOR3(nx * radius, ny * radius, nz * radius), D3DXVECTOR3(nx, ny, nz)});
        };
        add(0.0f, 0.0f, 1.0f);
        for (UINT i = 1; i < stacks; ++i) {
            double theta = D3DX_PI * double(i) / stacks;
            for (UINT j = 0; j < slices; ++j) {
                double phi = 2.0 * D3DX_PI * double(j) / slices;
                add(float(std::sin(theta) * std::cos(phi)), float(std::sin(theta) * std::sin(phi)),
                    float(std::cos(theta)));
            }
        }
        add(0.0f, 0.0f, -1.0f);

        const uint16_t top = 0, bottom = static_cast<uint16_t>(vertexCount - 1);
        auto ring = [&](UINT i, UINT j) { return static_cast<uint16_t>(1 + (i - 1) * slices + j % slices); };
        std::vector<uint16_t> f;
        f.reserve(size_t(slices) * (stacks - 1) * 6);
        for (UINT j = 0; j < slices; ++j) f.insert(f.end(), {top, ring(1, j), ring(1, j + 1)});
        for (UINT i = 1; i + 1 < stacks; ++i)
            for (UINT j = 0; j < slices; ++j) {
                f.insert(f.end(), {ring(i, j), ring(i + 1, j), ring(i, j + 1)});
                f.insert(f.end(), {ring(i, j + 1), ring(i + 1, j), ring(i + 1, j + 1)});
            }
        for (UINT j = 0; j < slices; ++j) f.insert(f.end(), {bottom, ring(stacks - 1, j + 1), ring(stacks - 1, j)});
        return nol::d3dx8::MakeShapeMesh(device, v, f, mesh, adjacency);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// Four vertices of its own for each side, so that every side has its normal.
HRESULT WINAPI D3DXCreateBox(IDirect3DDevice8* device, float width, float height, float depth, LPD3DXMESH* mesh,
                             LPD3DXBUFFER* adjacency) {
    if (adjacency) *adjacency = nullptr;
    if (!mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    if (!device || !(width >= 0.0f) || !(height >= 0.0f) || !(depth >= 0.0f)) return D3DERR_INVALIDCALL;
    const D3DXVECTOR3 half(width * 0.5f, height * 0.5f, depth * 0.5f);
    std::vector<ShapeVertex> v;
    std::vector<uint16_t> f;
    for (int axis = 0; axis < 3; ++axis)
        for (float sign : {1.0f, -1.0f}) {
            D3DXVECTOR3 n(0, 0, 0), u(0, 0, 0), w(0, 0, 0);
            (&n.x)[axis] = sign;
            (&u.x)[(axis + 1) % 3] = 1.0f;
            (&w.x)[(axis + 2) % 3] = 1.0f;
            auto corner = [&](float a, float b) {
                D3DXVECTOR3 p;
                for (int k = 0; k < 3; ++k) (&p.x)[k] = ((&n.x)[k] + a * (&u.x)[k] + b * (&w.x)[k]) * (&half.x)[k];
                return ShapeVertex{p, n};
            };
            const uint16_t base = static_cast<uint16_t>(v.size());
            v.insert(v.end(), {corner(-1, -1), corner(-1, 1), corner(1, 1), corner(1, -1)});
            // u x w points along +axis, so the loop turns the other way on the
            // negative side to stay clockwise seen from outside.
            if (sign > 0)
                f.insert(f.end(), {base, uint16_t(base + 2), uint16_t(base + 1), base, uint16_t(base + 3),
                                   uint16_t(base + 2)});
            else
                f.insert(f.end(), {base, uint16_t(base + 1), uint16_t(base + 2), base, uint16_t(base + 2),
                                   uint16_t(base + 3)});
        }
    return nol::d3dx8::MakeShapeMesh(device, v, f, mesh, adjacency);
}
