// Ray picking against a node's model, triangle by triangle.
#include <cstring>

#include "render/mesh.h"
#include "scene/intersect.h"
#include "scene/node.h"

namespace {

// Read-only views of a mesh's vertex and index buffers, unlocked and released
// when the view ends.
struct LockedMesh {
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    const BYTE* vertices = nullptr;
    const WORD* indices = nullptr;
    UINT vertexBytes = 0;
    UINT indexBytes = 0;

    explicit LockedMesh(ID3DXMesh* mesh) {
        if (FAILED(mesh->GetVertexBuffer(&vb)) || FAILED(mesh->GetIndexBuffer(&ib)) || !vb || !ib) return;
        D3DVERTEXBUFFER_DESC vdesc{};
        D3DINDEXBUFFER_DESC idesc{};
        vb->GetDesc(&vdesc);
        ib->GetDesc(&idesc);
        BYTE* v = nullptr;
        BYTE* i = nullptr;
        if (FAILED(vb->Lock(0, 0, &v, D3DLOCK_READONLY))) return;
        vertices = v;
        vertexBytes = vdesc.Size;
        if (FAILED(ib->Lock(0, 0, &i, D3DLOCK_READONLY))) return;
        indices = reinterpret_cast<const WORD*>(i);
        indexBytes = idesc.Size;
    }
    ~LockedMesh() {
        if (indices) ib->Unlock();
        if (vertices) vb->Unlock();
        if (ib) ib->Release();
        if (vb) vb->Release();
    }
    bool Ok() const { return vertices && indices; }
};

}  // namespace

int CNode::Pick(const Ray& ray) {
    if (!model || !model->mesh || !ray.hit) return 0;
    ID3DXMesh* mesh = model->mesh;

    D3DXMATRIX world = GetWorldMatrix(), inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &world)) return 0;
    // The origin is relative to the node's position, so the rotation and scale
    // part alone takes both into model space.
    D3DXVECTOR3 o, d;
    D3DXVec3TransformNormal(&o, &ray.origin, &inverse);
    D3DXVec3TransformNormal(&d, &ray.direction, &inverse);

    LockedMesh locked(mesh);
    if (!locked.Ok()) return 0;
    UINT stride = D3DXGetFVFVertexSize(mesh->GetFVF());
    UINT faces = mesh->GetNumFaces();
    // Never read past either buffer, whatever the mesh claims.
    UINT vertexCount = stride ? locked.vertexBytes / stride : 0;
    if (faces > locked.indexBytes / (3 * sizeof(WORD))) faces = locked.indexBytes / (3 * sizeof(WORD));

    D3DXVECTOR3& hit = *ray.hit;
    hit = D3DXVECTOR3(1000.0f, 1000.0f, 1000.0f);
    int hits = 0;
    auto corner = [&](WORD index) {
        D3DXVECTOR3 p;
        std::memcpy(&p, locked.vertices + (size_t)index * stride, sizeof p);
        return p;
    };
    for (UINT f = 0; f < faces; ++f) {
        const WORD* tri = locked.indices + 3 * f;
        if (tri[0] >= vertexCount || tri[1] >= vertexCount || tri[2] >= vertexCount) continue;
        D3DXVECTOR3 a = corner(tri[0]), b = corner(tri[1]), c = corner(tri[2]);
        float t, u, v;
        if (!IntersectTriangle(o, d, a, b, c, &t, &u, &v)) continue;
        D3DXVECTOR3 p = a + u * (b - a) + v * (c - a);
        D3DXVECTOR3 toP = p - o, toHit = hit - o;
        if (D3DXVec3Dot(&toP, &d) < 0.0f) continue;
        if (D3DXVec3Length(&toP) >= D3DXVec3Length(&toHit)) continue;
        hit = p;
        if (ray.triangle) {
            const D3DXVECTOR3 abc[3] = {a, b, c};
            std::memcpy(ray.triangle, abc, sizeof abc);
        }
        ++hits;
    }
    if (hits == 0) {
        hit = D3DXVECTOR3(0, 0, 0);
        return 0;
    }
    hit *= scale;
    return 1;
}
