// Meshes from .x files: the merged mesh of a file, or of one Mesh data object,
// put into an ID3DXMesh with its adjacency and its material list.
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "d3dx8/d3dx8mesh.h"
#include "d3dx8/d3dx8mesh_load.h"
#include "d3dx8/load_reason.h"
#include "d3dx8/xfile/dxfile_access.h"
#include "d3dx8/xfile/x_mesh.h"

namespace {

DWORD FvfOf(const nol::d3dx8::xfile::XMeshData& data) {
    DWORD fvf = D3DFVF_XYZ;
    if (data.hasNormals) fvf |= D3DFVF_NORMAL;
    if (data.hasColours) fvf |= D3DFVF_DIFFUSE;
    if (data.hasTexCoords) fvf |= D3DFVF_TEX1;
    return fvf;
}

// The vertices in the order of the format's components.
void WriteVertices(const nol::d3dx8::xfile::XMeshData& data, BYTE* out, UINT stride) {
    for (size_t i = 0; i < data.positions.size(); ++i) {
        BYTE* v = out + i * stride;
        std::memcpy(v, &data.positions[i], 12);
        v += 12;
        if (data.hasNormals) {
            std::memcpy(v, &data.normals[i], 12);
            v += 12;
        }
        if (data.hasColours) {
            std::memcpy(v, &data.colours[i], 4);
            v += 4;
        }
        if (data.hasTexCoords) std::memcpy(v, &data.texCoords[i], 8);
    }
}

// One buffer: the D3DXMATERIAL array, then the texture names it points into.
HRESULT MakeMaterialBuffer(const std::vector<nol::d3dx8::xfile::XMaterial>& materials, LPD3DXBUFFER* out) {
    size_t bytes = materials.size() * sizeof(D3DXMATERIAL);
    for (const auto& m : materials)
        if (!m.textureFilename.empty()) bytes += m.textureFilename.size() + 1;
    LPD3DXBUFFER buffer = nullptr;
    HRESULT hr = D3DXCreateBuffer((DWORD)(bytes ? bytes : 1), &buffer);
    if (FAILED(hr)) return hr;
    auto* table = static_cast<D3DXMATERIAL*>(buffer->GetBufferPointer());
    char* names = reinterpret_cast<char*>(table + materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        const nol::d3dx8::xfile::XMaterial& m = materials[i];
        D3DXMATERIAL& d = table[i];
        d.MatD3D = D3DMATERIAL8{};
        d.MatD3D.Diffuse = m.Diffuse;
        d.MatD3D.Ambient = m.Ambient;
        d.MatD3D.Specular = m.Specular;
        d.MatD3D.Emissive = m.Emissive;
        d.MatD3D.Power = m.Power;
        d.pTextureFilename = nullptr;
        if (!m.textureFilename.empty()) {
            std::memcpy(names, m.textureFilename.c_str(), m.textureFilename.size() + 1);
            d.pTextureFilename = names;
            names += m.textureFilename.size() + 1;
        }
    }
    *out = buffer;
    return D3D_OK;
}

HRESULT BuildMesh(const nol::d3dx8::xfile::XMeshData& data, DWORD options, IDirect3DDevice8* device,
                  LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials, LPD3DXMESH* out) {
    DWORD faces = (DWORD)data.TriangleCount();
    DWORD vertices = (DWORD)data.positions.size();
    if (faces == 0 || vertices == 0) {
        nol::d3dx8::SetLoadReason("the mesh has no triangles");
        return E_FAIL;
    }
    // Differing normals at one corner can add vertices beyond the file's count.
    if (vertices > nol::d3dx8::xfile::kMaxXMeshVertices) {
        nol::d3dx8::SetLoadReason("the mesh needs " + std::to_string(vertices) + " vertices, more than the " +
                             std::to_string(nol::d3dx8::xfile::kMaxXMeshVertices) + " a mesh may have");
        return D3DERR_INVALIDCALL;
    }
    LPD3DXMESH mesh = nullptr;
    DWORD fvf = FvfOf(data);
    HRESULT hr = D3DXCreateMeshFVF(faces, vertices, options, fvf, device, &mesh);
    if (FAILED(hr)) {
        nol::d3dx8::SetLoadReason("the mesh could not be created");
        return hr;
    }

    BYTE* vb = nullptr;
    WORD* ib = nullptr;
    DWORD* attributes = nullptr;
    if (FAILED(hr = mesh->LockVertexBuffer(0, &vb))) goto fail;
    WriteVertices(data, vb, D3DXGetFVFVertexSize(fvf));
    mesh->UnlockVertexBuffer();
    if (FAILED(hr = mesh->LockIndexBuffer(0, reinterpret_cast<BYTE**>(&ib)))) goto fail;
    for (size_t i = 0; i < data.indices.size(); ++i) ib[i] = (WORD)data.indices[i];
    mesh->UnlockIndexBuffer();
    if (FAILED(hr = mesh->LockAttributeBuffer(0, &attributes))) goto fail;
    for (DWORD f = 0; f < faces; ++f) attributes[f] = data.attributes[f];
    mesh->UnlockAttributeBuffer();

    if (adjacency) {
        *adjacency = nullptr;
        if (FAILED(hr = D3DXCreateBuffer(faces * 3 * sizeof(DWORD), adjacency))) goto fail;
        mesh->GenerateAdjacency(0.0f, static_cast<DWORD*>((*adjacency)->GetBufferPointer()));
    }
    if (materials) {
        *materials = nullptr;
        if (FAILED(hr = MakeMaterialBuffer(data.materials, materials))) goto fail;
    }
    if (numMaterials) *numMaterials = (DWORD)data.materials.size();
    *out = mesh;
    return D3D_OK;

fail:
    nol::d3dx8::SetLoadReason("the mesh's buffers could not be filled");
    if (adjacency && *adjacency) {
        (*adjacency)->Release();
        *adjacency = nullptr;
    }
    mesh->Release();
    return hr;
}

// Every way out of the loaders is a code: an allocation that fails on the way
// (a file can still ask for a lot within its limits) must not end the program.
template <typename Load>
HRESULT Guarded(Load load) {
    nol::d3dx8::ClearLoadReason();
    try {
        return load();
    } catch (const std::bad_alloc&) {
        nol::d3dx8::SetLoadReason("out of memory while building the mesh");
        return E_OUTOFMEMORY;
    } catch (...) {
        nol::d3dx8::SetLoadReason("internal error while building the mesh");
        return E_FAIL;
    }
}

}  // namespace

HRESULT WINAPI D3DXLoadMeshFromX(LPCSTR filename, DWORD options, IDirect3DDevice8* device,
                                 LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                 LPD3DXMESH* mesh) {
    if (!filename || !device || !mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    return Guarded([&]() -> HRESULT {
        nol::d3dx8::xfile::XMeshData data;
        nol::d3dx8::xfile::XParseResult result = nol::d3dx8::xfile::LoadXMeshFromFile(filename, data);
        if (!result.Ok()) {
            nol::d3dx8::SetLoadReason(result.error);
            return result.status == nol::d3dx8::xfile::XStatus::TooLarge ? E_OUTOFMEMORY : E_FAIL;
        }
        return BuildMesh(data, options, device, adjacency, materials, numMaterials, mesh);
    });
}

HRESULT WINAPI D3DXLoadMeshFromXof(IDirectXFileData* xofMesh, DWORD options, IDirect3DDevice8* device,
                                   LPD3DXBUFFER* adjacency, LPD3DXBUFFER* materials, DWORD* numMaterials,
                                   LPD3DXMESH* mesh) {
    if (!xofMesh || !device || !mesh) return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    return Guarded([&]() -> HRESULT {
        const nol::d3dx8::xfile::XData* object = nol::d3dx8::xfile::DataObjectOf(xofMesh);
        if (!object) {
            nol::d3dx8::SetLoadReason("the data object does not come from this library's file reader");
            return D3DERR_INVALIDCALL;
        }
        nol::d3dx8::xfile::XMeshData data;
        std::string error;
        if (!nol::d3dx8::xfile::ExtractXMeshObject(*object, data, error)) {
            nol::d3dx8::SetLoadReason(error);
            return E_FAIL;
        }
        return BuildMesh(data, options, device, adjacency, materials, numMaterials, mesh);
    });
}
