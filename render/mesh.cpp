// Models: loading from .x files, the built-in shapes, release and drawing.
#include "render/mesh.h"

#include <algorithm>
#include <vector>

#include "d3d8/d3d8contents.h"
#include "d3dx8/d3dx8mesh_load.h"
#include "render/direct3d.h"
#include "render/load_failure.h"
#include "render/mesh_runs.h"
#include "render/pick_tree.h"
#include "render/texture.h"
#include "shell/log.h"
#include "win32/file_lookup.h"
#include "win32/windows.h"

namespace {

IDirect3DDevice8* Device() { return GraphicsState.device; }

// Where the last component of a path starts: after its last "/" or "\" (never
// the second byte of a double-byte character), or after a drive letter's ':'.
size_t LastComponent(const std::string& path) {
    size_t start = path.size() >= 2 && path[1] == ':' ? 2 : 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (c == '/' || c == '\\') start = i + 1;
        else if (IsDBCSLeadByte(c)) ++i;
    }
    return start;
}

// The file a model's texture name means. Models made on Windows give names such
// as "C:\art\car\top.tga", ".\top.tga" or "Top.TGA": the name is tried as
// it stands (the platform reads "\" and ignores letter case), then its file
// name beside the model, then in the current folder. The path found is also
// the cache's key, so that one file reached by different spellings loads once.
// When none exists the name comes back as given, and its load fails.
std::string TextureFileOf(const char* texture, const std::string& modelPath) {
    const std::string given(texture);
    const std::string fileName = given.substr(LastComponent(given));
    const std::string modelFolder = modelPath.substr(0, LastComponent(modelPath));
    for (const std::string& candidate : {given, modelFolder + fileName, fileName}) {
        if (candidate.empty()) continue;
        std::string found = NolFindFile(candidate.c_str());
        if (!found.empty()) return found;
    }
    return given;
}

}  // namespace

Mesh::Mesh() = default;

Mesh::~Mesh() { Release(); }

int Mesh::Load(const char* path, D3DCOLOR colourKey, UINT mipLevels) {
    if (mesh) Release();
    LogMessage("load(%s) ... ", path);
    name = path;
    LPD3DXBUFFER adjacency = nullptr, materialBuffer = nullptr;
    DWORD count = 0;
    if (!Device() || FAILED(D3DXLoadMeshFromX(path, D3DXMESH_SYSTEMMEM, Device(), &adjacency, &materialBuffer,
                                              &count, &mesh))) {
        mesh = nullptr;
        LogLoadFailed();
        return 0;
    }
    LogMessage("ok.\n");
    TakeMaterials(materialBuffer, count, FALSE, colourKey, mipLevels);
    ComputeBounds();
    // An unoptimised mesh still draws: the load succeeds either way.
    if (!Optimise(adjacency)) LogMessage("optimization failed.\n");
    drawRuns = MeshRuns::Build(mesh);
    derivedFrom_ = CurrentGeometry();
    return 1;
}

void Mesh::TakeMaterials(LPD3DXBUFFER buffer, DWORD count, BOOL fromResource, D3DCOLOR colourKey,
                         UINT mipLevels) {
    materialCount = count;
    materials = new D3DMATERIAL8[count];
    textures = new IDirect3DTexture8*[count];
    auto* loaded = static_cast<D3DXMATERIAL*>(buffer->GetBufferPointer());
    for (DWORD i = 0; i < count; ++i) {
        materials[i] = loaded[i].MatD3D;
        // The file's ambient colour is never used: models light with their diffuse.
        materials[i].Ambient = materials[i].Diffuse;
        const char* texture = loaded[i].pTextureFilename;
        textures[i] = nullptr;
        if (texture && fromResource) {
            textures[i] = TextureCache.Acquire(TRUE, texture, colourKey, mipLevels);
        } else if (texture) {
            // name is the model's path here.
            textures[i] = TextureCache.Acquire(FALSE, TextureFileOf(texture, name).c_str(), colourKey, mipLevels);
        }
    }
    buffer->Release();
}

// Releases the loader's adjacency either way.
bool Mesh::Optimise(LPD3DXBUFFER adjacency) {
    std::vector<DWORD> optimisedAdjacency(3 * (size_t)mesh->GetNumFaces());
    HRESULT hr = mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                       static_cast<const DWORD*>(adjacency->GetBufferPointer()),
                                       optimisedAdjacency.data(), nullptr, nullptr);
    adjacency->Release();
    return SUCCEEDED(hr);
}

// The program carries no resources: the DirectX file object finds nothing.
int Mesh::LoadFromResource(const char* resourceName, D3DCOLOR colourKey, UINT mipLevels) {
    if (mesh) Release();
    std::string label = ResourceLabel(resourceName);
    LogMessage("load(%s) ... ", label.c_str());
    name = label;

    LPDIRECTXFILE file = nullptr;
    LPDIRECTXFILEENUMOBJECT enumerator = nullptr;
    DXFILELOADRESOURCE source{nullptr, resourceName, "X"};
    if (FAILED(DirectXFileCreate(&file)) ||
        FAILED(file->RegisterTemplates((LPVOID)D3DRM_XTEMPLATES, D3DRM_XTEMPLATE_BYTES)) ||
        FAILED(file->CreateEnumObject(&source, DXFILELOAD_FROMRESOURCE, &enumerator))) {
        LogMessage("open failed.\n");
        if (file) file->Release();
        return 0;
    }

    LPDIRECTXFILEDATA found = nullptr;
    LPDIRECTXFILEDATA data = nullptr;
    while (!found && SUCCEEDED(enumerator->GetNextDataObject(&data))) {
        const GUID* type = nullptr;
        if (SUCCEEDED(data->GetType(&type)) && type && *type == TID_D3DRMMesh)
            found = data;
        else
            data->Release();
    }
    int result = 0;
    if (!found) {
        LogMessage("mesh is not found.\n");
    } else {
        LPD3DXBUFFER adjacency = nullptr, materialBuffer = nullptr;
        DWORD count = 0;
        HRESULT hr = D3DXLoadMeshFromXof(found, D3DXMESH_SYSTEMMEM, Device(), &adjacency, &materialBuffer, &count,
                                         &mesh);
        found->Release();
        if (FAILED(hr)) {
            mesh = nullptr;
            LogLoadFailed();
        } else {
            LogMessage("ok.\n");
            TakeMaterials(materialBuffer, count, TRUE, colourKey, mipLevels);
            ComputeBounds();
            if (Optimise(adjacency))
                result = 1;
            else
                LogMessage("optimization failed.\n");
            drawRuns = MeshRuns::Build(mesh);
            derivedFrom_ = CurrentGeometry();
        }
    }
    enumerator->Release();
    file->Release();
    return result;
}

int Mesh::SetSingleMaterial(float r, float g, float b, float a) {
    name.clear();
    materialCount = 1;
    materials = new D3DMATERIAL8[1];
    materials[0] = D3DMATERIAL8{};
    materials[0].Diffuse = materials[0].Ambient = D3DCOLORVALUE{r, g, b, a};
    textures = new IDirect3DTexture8*[1];
    textures[0] = nullptr;
    ComputeBounds();
    return 1;
}

int Mesh::CreateSphere(float radius, UINT slices, UINT stacks, float r, float g, float b, float a) {
    if (mesh) Release();
    if (!Device() || FAILED(D3DXCreateSphere(Device(), radius, slices, stacks, &mesh, nullptr))) {
        mesh = nullptr;
        LogMessage("D3DXCreateSphere\n");
        return 0;
    }
    return SetSingleMaterial(r, g, b, a);
}

int Mesh::CreateBox(float width, float height, float depth, float r, float g, float b, float a) {
    if (mesh) Release();
    if (!Device() || FAILED(D3DXCreateBox(Device(), width, height, depth, &mesh, nullptr))) {
        mesh = nullptr;
        return 0;
    }
    return SetSingleMaterial(r, g, b, a);
}

int Mesh::CreateTeapot(float r, float g, float b, float a) {
    if (mesh) Release();
    if (!Device() || FAILED(D3DXCreateTeapot(Device(), &mesh, nullptr))) {
        mesh = nullptr;
        LogMessage("D3DXCreateTeapot\n");
        return 0;
    }
    return SetSingleMaterial(r, g, b, a);
}

void Mesh::ComputeBounds() {
    BYTE* vertices = nullptr;
    if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK, &vertices))) return;
    D3DXComputeBoundingBox(vertices, mesh->GetNumVertices(), mesh->GetFVF(), &boxMin, &boxMax);
    D3DXComputeBoundingSphere(vertices, mesh->GetNumVertices(), mesh->GetFVF(), &sphereCentre, &sphereRadius);
    mesh->UnlockVertexBuffer();
}

void Mesh::Release() {
    if (!name.empty()) {
        LogMessage("release(%s)\n", name.c_str());
        name.clear();
    }
    delete[] materials;
    materials = nullptr;
    if (textures) {
        for (DWORD i = 0; i < materialCount; ++i) TextureCache.Release(textures[i]);
        delete[] textures;
        textures = nullptr;
    }
    materialCount = 0;
    pickTree.reset();
    drawRuns.reset();
    derivedFrom_ = Geometry{};
    if (mesh) mesh->Release();
    mesh = nullptr;
}

// ---- drawing -------------------------------------------------------------------

Mesh::Geometry Mesh::CurrentGeometry() const {
    Geometry now;
    now.mesh = mesh;
    if (!mesh) return now;
    IDirect3DVertexBuffer8* vertices = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;
    if (SUCCEEDED(mesh->GetVertexBuffer(&vertices)) && vertices) {
        now.vertices = NolBufferContentsVersion(vertices);
        vertices->Release();
    }
    if (SUCCEEDED(mesh->GetIndexBuffer(&indices)) && indices) {
        now.indices = NolBufferContentsVersion(indices);
        indices->Release();
    }
    return now;
}

void Mesh::RefreshDerived() {
    const Geometry now = CurrentGeometry();
    if (now == derivedFrom_) return;
    derivedFrom_ = now;
    pickTree.reset();
    drawRuns = MeshRuns::Build(mesh);
}

std::unique_ptr<ViewVolume> Mesh::VolumeFor(const D3DXMATRIX& world) {
    RefreshDerived();
    if (!drawRuns) return nullptr;
    D3DXMATRIX view, projection;
    if (FAILED(Device()->GetTransform(D3DTS_VIEW, &view)) ||
        FAILED(Device()->GetTransform(D3DTS_PROJECTION, &projection)))
        return nullptr;
    D3DXMATRIX all = world * view * projection;
    return std::make_unique<ViewVolume>(all);
}

void Mesh::DrawPart(DWORD subset, const ViewVolume* volume) {
    if (!volume || drawRuns->DrawSubset(Device(), mesh, subset, *volume) < 0) mesh->DrawSubset(subset);
}

void Mesh::Draw(const D3DXMATRIX& world) {
    if (!mesh) return;
    SetWorldMatrix(world);
    const auto volume = VolumeFor(world);
    for (DWORD i = 0; i < materialCount; ++i) {
        Device()->SetMaterial(&materials[i]);
        Device()->SetTexture(0, textures[i]);
        DrawPart(i, volume.get());
    }
}

void Mesh::DrawWithTexture(const D3DXMATRIX& world, IDirect3DTexture8* texture) {
    if (!mesh) return;
    SetWorldMatrix(world);
    const auto volume = VolumeFor(world);
    for (DWORD i = 0; i < materialCount; ++i) {
        Device()->SetMaterial(&materials[i]);
        Device()->SetTexture(0, texture);
        DrawPart(i, volume.get());
    }
}

// The stored material changes for the subset's draw and is put back after it;
// Diffuse ends equal to Ambient, as the load made it.
void Mesh::DrawWithAmbientAlpha(const D3DXMATRIX& world, float value, bool offset) {
    if (!mesh) return;
    SetWorldMatrix(world);
    const auto volume = VolumeFor(world);
    for (DWORD i = 0; i < materialCount; ++i) {
        D3DMATERIAL8& m = materials[i];
        D3DCOLORVALUE saved = m.Ambient;
        m.Ambient.a = offset ? std::clamp(m.Ambient.a + value, -1.0f, 1.0f) : value;
        m.Diffuse = m.Ambient;
        Device()->SetMaterial(&m);
        Device()->SetTexture(0, textures[i]);
        DrawPart(i, volume.get());
        m.Ambient = saved;
        m.Diffuse = m.Ambient;
    }
}

void Mesh::DrawWithAlpha(const D3DXMATRIX& world, float alpha) { DrawWithAmbientAlpha(world, alpha, false); }

void Mesh::DrawWithAlphaOffset(const D3DXMATRIX& world, float delta) { DrawWithAmbientAlpha(world, delta, true); }

void Mesh::DrawWithMaterial(const D3DXMATRIX& world, const D3DMATERIAL8& material) {
    if (!mesh) return;
    SetWorldMatrix(world);
    const auto volume = VolumeFor(world);
    for (DWORD i = 0; i < materialCount; ++i) {
        Device()->SetMaterial(&material);
        Device()->SetTexture(0, nullptr);
        DrawPart(i, volume.get());
    }
}
