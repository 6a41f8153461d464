// .x files to meshes: the whole-file merge of every Mesh in its frames (what
// D3DXLoadMeshFromX builds from), and D3DXLoadMeshFromXof on each Mesh object of
// the DirectX file, read back from the device's buffers. The device is memory
// only; nothing a loader makes may outlive the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "d3dx8/d3dx8mesh.h"
#include "d3dx8/d3dx8mesh_load.h"
#include "d3dx8/dxfile.h"
#include "d3dx8/rmxfguid.h"
#include "d3dx8/xfile/x_mesh.h"
#include "fuzz_device.h"
#include "fuzz_support.h"
#include "standard_x_file.h"

namespace {

// The merged mesh keeps the promises its fields make.
void CheckMerged(const nol::d3dx8::xfile::XMeshData& mesh) {
    const size_t vertices = mesh.positions.size();
    FuzzCheck(mesh.indices.size() == 3 * mesh.TriangleCount(), "three indices per triangle");
    for (uint32_t index : mesh.indices) FuzzCheck(index < vertices, "an index names a vertex");
    FuzzCheck(!mesh.hasNormals || mesh.normals.size() == vertices, "a normal per vertex");
    FuzzCheck(!mesh.hasColours || mesh.colours.size() == vertices, "a colour per vertex");
    FuzzCheck(!mesh.hasTexCoords || mesh.texCoords.size() == vertices, "texture coordinates per vertex");
    for (uint32_t attribute : mesh.attributes)
        FuzzCheck(mesh.materials.empty() || attribute < mesh.materials.size(), "a triangle's material exists");
}

void CheckMesh(ID3DXMesh* mesh, ID3DXBuffer* adjacency, ID3DXBuffer* materials, DWORD materialCount) {
    const DWORD faces = mesh->GetNumFaces(), vertices = mesh->GetNumVertices();
    BYTE* vb = nullptr;
    if (mesh->LockVertexBuffer(D3DLOCK_READONLY, &vb) == D3D_OK) {
        FuzzTouch(vb, size_t(vertices) * D3DXGetFVFVertexSize(mesh->GetFVF()));
        mesh->UnlockVertexBuffer();
    }
    BYTE* ib = nullptr;
    if (mesh->LockIndexBuffer(D3DLOCK_READONLY, &ib) == D3D_OK) {
        const auto* indices = reinterpret_cast<const uint16_t*>(ib);
        for (size_t i = 0; i < size_t(faces) * 3; ++i) FuzzCheck(indices[i] < vertices, "an index names a vertex");
        mesh->UnlockIndexBuffer();
    }
    if (adjacency) {
        FuzzCheck(adjacency->GetBufferSize() >= faces * 3 * sizeof(DWORD), "adjacency for every edge");
        FuzzTouch(adjacency->GetBufferPointer(), faces * 3 * sizeof(DWORD));
    }
    if (materials) {
        FuzzCheck(materials->GetBufferSize() >= materialCount * sizeof(D3DXMATERIAL), "a material per count");
        const auto* table = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
        const char* end = static_cast<const char*>(materials->GetBufferPointer()) + materials->GetBufferSize();
        for (DWORD i = 0; i < materialCount; ++i) {
            const char* name = table[i].pTextureFilename;
            if (name) FuzzCheck(memchr(name, 0, size_t(end - name)) != nullptr, "a texture name ends in its buffer");
        }
    }
}

void LoadMeshes(IDirectXFileData* data) {
    const GUID* type = nullptr;
    if (data->GetType(&type) == DXFILE_OK && type && *type == TID_D3DRMMesh) {
        ID3DXMesh* mesh = nullptr;
        ID3DXBuffer* adjacency = nullptr;
        ID3DXBuffer* materials = nullptr;
        DWORD materialCount = 0;
        if (D3DXLoadMeshFromXof(data, D3DXMESH_MANAGED, FuzzDevice(), &adjacency, &materials, &materialCount, &mesh) ==
            D3D_OK) {
            FuzzCheck(mesh != nullptr, "a loaded mesh exists");
            CheckMesh(mesh, adjacency, materials, materialCount);
            mesh->Release();
            if (adjacency) adjacency->Release();
            if (materials) materials->Release();
        }
    }
    // Meshes sit in frames; the reader bounds the depth.
    IDirectXFileObject* child = nullptr;
    while (data->GetNextObject(&child) == DXFILE_OK) {
        IDirectXFileData* nested = nullptr;
        if (child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&nested)) == S_OK) {
            LoadMeshes(nested);
            nested->Release();
        }
        child->Release();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    nol::d3dx8::xfile::XMeshData merged;
    if (nol::d3dx8::xfile::LoadXMeshFromMemory(bytes, size, merged).Ok()) CheckMerged(merged);

    ForEachTopObject(bytes, size, LoadMeshes);
    FuzzCheck(FuzzDevice()->live == 0, "every buffer a mesh made is released with it");
    return 0;
}
