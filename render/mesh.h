// A model loaded from a .x file (or built as a shape): the D3DX mesh, one
// material and texture per subset, and its bounding volumes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8math.h"
#include "d3dx8/d3dx8mesh.h"

class MeshRuns;
class PickTree;
class ViewVolume;

class Mesh {
public:
    Mesh();
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    int Load(const char* path, D3DCOLOR colourKey, UINT mipLevels);
    int LoadFromResource(const char* name, D3DCOLOR colourKey, UINT mipLevels);
    int CreateSphere(float radius, UINT slices, UINT stacks, float r, float g, float b, float a);
    int CreateBox(float width, float height, float depth, float r, float g, float b, float a);
    int CreateTeapot(float r, float g, float b, float a);
    void Release();

    void Draw(const D3DXMATRIX& world);
    void DrawWithTexture(const D3DXMATRIX& world, IDirect3DTexture8* texture);
    void DrawWithAlpha(const D3DXMATRIX& world, float alpha);
    void DrawWithAlphaOffset(const D3DXMATRIX& world, float delta);
    void DrawWithMaterial(const D3DXMATRIX& world, const D3DMATERIAL8& material);

    ID3DXMesh* mesh = nullptr;
    D3DMATERIAL8* materials = nullptr;
    IDirect3DTexture8** textures = nullptr;
    DWORD materialCount = 0;
    std::string name;
    D3DXVECTOR3 boxMin{0, 0, 0};
    D3DXVECTOR3 boxMax{0, 0, 0};
    D3DXVECTOR3 sphereCentre{0, 0, 0};
    float sphereRadius = 0.0f;
    // CNode::Pick's index of the triangles, built by the first ray and dropped with
    // the model.
    std::unique_ptr<PickTree> pickTree;
    // A large model's faces in runs with their boxes: draws skip the runs outside
    // the view. Built by the load.
    std::unique_ptr<MeshRuns> drawRuns;
    // Brings the pick tree and the draw runs up to date with the mesh's vertex and
    // index buffers: a program may rewrite a loaded model's geometry through Lock
    // (or put another mesh in its place), and its picks and draws follow.
    void RefreshDerived();

private:
    // Which geometry the pick tree and the draw runs were worked out from.
    struct Geometry {
        const ID3DXMesh* mesh = nullptr;
        uint64_t vertices = 0;  // the buffers' contents versions
        uint64_t indices = 0;
        bool operator==(const Geometry&) const = default;
    };
    Geometry CurrentGeometry() const;
    Geometry derivedFrom_;

    void ComputeBounds();
    // The view volume a draw with this world matrix culls against; null when the
    // model is drawn whole.
    std::unique_ptr<ViewVolume> VolumeFor(const D3DXMATRIX& world);
    // Draws one subset, culled when there is a volume.
    void DrawPart(DWORD subset, const ViewVolume* volume);
    void TakeMaterials(LPD3DXBUFFER buffer, DWORD count, BOOL fromResource, D3DCOLOR colourKey, UINT mipLevels);
    bool Optimise(LPD3DXBUFFER adjacency);
    int SetSingleMaterial(float r, float g, float b, float a);
    // Draws every subset with its material's alpha set to value (or moved by it,
    // clamped to -1..1, with offset).
    void DrawWithAmbientAlpha(const D3DXMATRIX& world, float value, bool offset);
};
