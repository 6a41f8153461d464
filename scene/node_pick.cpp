// Ray picking against a node's model: the triangles its box tree cannot rule out.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "render/mesh.h"
#include "render/pick_tree.h"
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

// The model-space corners of every face, three per face in face order; a face
// whose indices run past the vertices gets NaN corners, which never hit.
std::vector<D3DXVECTOR3> FaceCorners(ID3DXMesh* mesh) {
    std::vector<D3DXVECTOR3> corners;
    LockedMesh locked(mesh);
    if (!locked.Ok()) return corners;
    const UINT stride = D3DXGetFVFVertexSize(mesh->GetFVF());
    UINT faces = mesh->GetNumFaces();
    // Never read past either buffer, whatever the mesh claims.
    const UINT vertexCount = stride >= sizeof(D3DXVECTOR3) ? locked.vertexBytes / stride : 0;
    faces = std::min<UINT>(faces, locked.indexBytes / (3 * sizeof(WORD)));
    corners.resize(3 * size_t(faces));
    const D3DXVECTOR3 broken(NAN, NAN, NAN);
    for (UINT f = 0; f < faces; ++f) {
        const WORD* tri = locked.indices + 3 * f;
        const bool inside = tri[0] < vertexCount && tri[1] < vertexCount && tri[2] < vertexCount;
        for (int k = 0; k < 3; ++k) {
            if (inside)
                std::memcpy(&corners[3 * size_t(f) + k], locked.vertices + size_t(tri[k]) * stride,
                            sizeof(D3DXVECTOR3));
            else
                corners[3 * size_t(f) + k] = broken;
        }
    }
    return corners;
}

const PickTree& TreeOf(Mesh& model) {
    model.RefreshDerived();
    if (!model.pickTree) model.pickTree = std::make_unique<PickTree>(FaceCorners(model.mesh));
    return *model.pickTree;
}

}  // namespace

int CNode::Pick(const Ray& ray) {
    if (!model || !model->mesh || !ray.hit) return 0;

    D3DXMATRIX world = GetWorldMatrix(), inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &world)) return 0;
    // The origin is relative to the node's position, so the rotation and scale
    // part alone takes both into model space.
    D3DXVECTOR3 o, d;
    D3DXVec3TransformNormal(&o, &ray.origin, &inverse);
    D3DXVec3TransformNormal(&d, &ray.direction, &inverse);

    const PickTree& tree = TreeOf(*model);
    // The tree only leaves out faces the ray cannot meet; the rest are tested in
    // face order, so the nearest hit, and which of two equally near faces wins,
    // are those of a test of every face.
    static thread_local std::vector<uint32_t> candidates;
    tree.Candidates(o, d, &candidates);

    D3DXVECTOR3& hit = *ray.hit;
    hit = D3DXVECTOR3(1000.0f, 1000.0f, 1000.0f);
    int hits = 0;
    for (uint32_t f : candidates) {
        const D3DXVECTOR3* corner = tree.Face(f);
        const D3DXVECTOR3 a = corner[0], b = corner[1], c = corner[2];
        float t, u, v;
        if (!IntersectTriangle(o, d, a, b, c, &t, &u, &v)) continue;
        D3DXVECTOR3 p = a + u * (b - a) + v * (c - a);
        D3DXVECTOR3 toP = p - o, toHit = hit - o;
        if (D3DXVec3Dot(&toP, &d) < 0.0f) continue;
        if (D3DXVec3Length(&toP) >= D3DXVec3Length(&toHit)) continue;
        hit = p;
        if (ray.triangle) std::memcpy(ray.triangle, corner, 3 * sizeof(D3DXVECTOR3));
        ++hits;
    }
    if (hits == 0) {
        hit = D3DXVECTOR3(0, 0, 0);
        return 0;
    }
    hit *= scale;
    return 1;
}
