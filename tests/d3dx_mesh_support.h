// Helpers for the D3DX mesh tests: a real device, a mesh's contents read back
// through its locks, and small geometry helpers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "d3dx8/d3dx8mesh.h"
#include "tests/d3d8_fixture.h"

namespace meshtest {

struct Contents {
    UINT stride = 0;
    std::vector<uint8_t> vertices;
    std::vector<uint16_t> indices;
    std::vector<DWORD> attributes;

    DWORD Faces() const { return static_cast<DWORD>(attributes.size()); }
    DWORD Vertices() const { return stride ? static_cast<DWORD>(vertices.size() / stride) : 0; }
    D3DXVECTOR3 Position(DWORD v) const {
        D3DXVECTOR3 p;
        std::memcpy(&p, &vertices[size_t(v) * stride], sizeof p);
        return p;
    }
    // Normals of D3DFVF_XYZ | D3DFVF_NORMAL vertices.
    D3DXVECTOR3 Normal(DWORD v) const {
        D3DXVECTOR3 n;
        std::memcpy(&n, &vertices[size_t(v) * stride + 12], sizeof n);
        return n;
    }
    const uint8_t* VertexBytes(DWORD v) const { return &vertices[size_t(v) * stride]; }
    D3DXVECTOR3 Corner(DWORD face, int k) const { return Position(indices[size_t(face) * 3 + k]); }
    // (B - A) x (C - A): points toward the side the face is seen clockwise from.
    D3DXVECTOR3 FaceNormal(DWORD face) const {
        D3DXVECTOR3 a = Corner(face, 0), ab = Corner(face, 1) - a, ac = Corner(face, 2) - a, n;
        D3DXVec3Cross(&n, &ab, &ac);
        return n;
    }
};

inline Contents Read(ID3DXMesh* mesh) {
    Contents c;
    c.stride = D3DXGetFVFVertexSize(mesh->GetFVF());
    BYTE* bytes = nullptr;
    EXPECT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &bytes), D3D_OK);
    if (bytes) c.vertices.assign(bytes, bytes + size_t(mesh->GetNumVertices()) * c.stride);
    mesh->UnlockVertexBuffer();
    bytes = nullptr;
    EXPECT_EQ(mesh->LockIndexBuffer(D3DLOCK_READONLY, &bytes), D3D_OK);
    if (bytes) {
        c.indices.resize(size_t(mesh->GetNumFaces()) * 3);
        std::memcpy(c.indices.data(), bytes, c.indices.size() * 2);
    }
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    EXPECT_EQ(mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes), D3D_OK);
    if (attributes) c.attributes.assign(attributes, attributes + mesh->GetNumFaces());
    mesh->UnlockAttributeBuffer();
    return c;
}

inline std::vector<D3DXATTRIBUTERANGE> AttributeTable(ID3DXMesh* mesh) {
    DWORD size = 0;
    EXPECT_EQ(mesh->GetAttributeTable(nullptr, &size), D3D_OK);
    std::vector<D3DXATTRIBUTERANGE> table(size);
    if (size) {
        EXPECT_EQ(mesh->GetAttributeTable(table.data(), &size), D3D_OK);
    }
    table.resize(size);
    return table;
}

inline std::vector<DWORD> Adjacency(ID3DXMesh* mesh, float epsilon = 0.0f) {
    std::vector<DWORD> adjacency(size_t(mesh->GetNumFaces()) * 3, 0xDEADBEEF);
    EXPECT_EQ(mesh->GenerateAdjacency(epsilon, adjacency.data()), D3D_OK);
    return adjacency;
}

// A real device on a hidden window for every test of the fixture.
class MeshTest : public d3dtest::D3DDeviceTest {
protected:
    void TearDown() override {
        for (IUnknown* o : owned) o->Release();
        D3DDeviceTest::TearDown();
    }
    // Released at tear-down.
    template <typename T>
    T* Own(T* object) {
        if (object) owned.push_back(object);
        return object;
    }
    ULONG DeviceRefs() {
        ULONG n = device->AddRef();
        device->Release();
        return n - 1;
    }
    std::vector<IUnknown*> owned;
};

}  // namespace meshtest
