#include "render/mesh_runs.h"

#include <algorithm>
#include <cmath>

namespace {

// The mesh's buffers, locked for reading and unlocked when the view ends.
struct MeshData {
    ID3DXMesh* mesh;
    BYTE* vertices = nullptr;
    BYTE* indices = nullptr;
    explicit MeshData(ID3DXMesh* m) : mesh(m) {
        if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices))) vertices = nullptr;
        if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices))) indices = nullptr;
    }
    ~MeshData() {
        if (indices) mesh->UnlockIndexBuffer();
        if (vertices) mesh->UnlockVertexBuffer();
    }
};

}  // namespace

ViewVolume::ViewVolume(const D3DXMATRIX& m) {
    // A model-space point p is inside when, with c = p * m, -c.w <= c.x <= c.w,
    // -c.w <= c.y <= c.w and 0 <= c.z <= c.w: each is p against a combination of
    // the matrix's columns.
    const float x[4] = {m._11, m._21, m._31, m._41};
    const float y[4] = {m._12, m._22, m._32, m._42};
    const float z[4] = {m._13, m._23, m._33, m._43};
    const float w[4] = {m._14, m._24, m._34, m._44};
    for (int i = 0; i < 4; ++i) {
        planes_[0][i] = w[i] + x[i];
        planes_[1][i] = w[i] - x[i];
        planes_[2][i] = w[i] + y[i];
        planes_[3][i] = w[i] - y[i];
        planes_[4][i] = z[i];
        planes_[5][i] = w[i] - z[i];
    }
}

bool ViewVolume::Excludes(const float lo[3], const float hi[3]) const {
    for (const float* p : planes_) {
        // The box's corner furthest along the plane's normal.
        float reach = p[3], size = std::fabs(p[3]);
        for (int a = 0; a < 3; ++a) {
            reach += p[a] * (p[a] >= 0.0f ? hi[a] : lo[a]);
            size += std::fabs(p[a]) * std::max(std::fabs(lo[a]), std::fabs(hi[a]));
        }
        // Outside by more than rounding could account for (NaN never excludes).
        if (reach < -1e-5f * size) return true;
    }
    return false;
}

std::unique_ptr<MeshRuns> MeshRuns::Build(ID3DXMesh* mesh) {
    if (!mesh || mesh->GetNumFaces() < kMinFaces) return nullptr;
    const DWORD fvf = mesh->GetFVF();
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == 0 || position == D3DFVF_XYZRHW) return nullptr;  // no model-space position
    DWORD ranges = 0;
    if (FAILED(mesh->GetAttributeTable(nullptr, &ranges)) || ranges == 0) return nullptr;
    std::vector<D3DXATTRIBUTERANGE> table(ranges);
    if (FAILED(mesh->GetAttributeTable(table.data(), &ranges))) return nullptr;
    table.resize(ranges);
    // A subset drawn from one range only: then runs of that range are the subset.
    for (size_t i = 0; i < table.size(); ++i)
        for (size_t j = i + 1; j < table.size(); ++j)
            if (table[i].AttribId == table[j].AttribId) return nullptr;

    MeshData data(mesh);
    if (!data.vertices || !data.indices) return nullptr;
    const UINT stride = D3DXGetFVFVertexSize(fvf);
    const DWORD vertexCount = mesh->GetNumVertices(), faceCount = mesh->GetNumFaces();
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    auto index = [&](DWORD i) -> DWORD {
        if (wide) return reinterpret_cast<const DWORD*>(data.indices)[i];
        return reinterpret_cast<const WORD*>(data.indices)[i];
    };

    auto runs = std::make_unique<MeshRuns>();
    for (const D3DXATTRIBUTERANGE& range : table) {
        if (range.FaceStart > faceCount || range.FaceCount > faceCount - range.FaceStart) return nullptr;
        for (DWORD first = range.FaceStart; first < range.FaceStart + range.FaceCount; first += kRunFaces) {
            Run run{};
            run.attribId = range.AttribId;
            run.faceStart = first;
            run.faceCount = std::min(kRunFaces, range.FaceStart + range.FaceCount - first);
            run.minIndex = vertexCount;
            run.maxIndex = 0;
            for (int a = 0; a < 3; ++a) run.lo[a] = INFINITY, run.hi[a] = -INFINITY;
            for (DWORD i = 3 * first; i < 3 * (first + run.faceCount); ++i) {
                const DWORD v = index(i);
                if (v >= vertexCount) return nullptr;  // drawn as the device sees fit, never culled
                run.minIndex = std::min(run.minIndex, v);
                run.maxIndex = std::max(run.maxIndex, v);
                const float* p = reinterpret_cast<const float*>(data.vertices + size_t(v) * stride);
                for (int a = 0; a < 3; ++a) {
                    run.lo[a] = std::min(run.lo[a], p[a]);
                    run.hi[a] = std::max(run.hi[a], p[a]);
                }
            }
            runs->runs_.push_back(run);
        }
    }
    return runs;
}

int MeshRuns::DrawSubset(IDirect3DDevice8* device, ID3DXMesh* mesh, DWORD attribId, const ViewVolume& volume) const {
    IDirect3DVertexBuffer8* vb = nullptr;
    IDirect3DIndexBuffer8* ib = nullptr;
    mesh->GetVertexBuffer(&vb);
    mesh->GetIndexBuffer(&ib);
    bool ok = vb && ib && SUCCEEDED(device->SetVertexShader(mesh->GetFVF())) &&
              SUCCEEDED(device->SetStreamSource(0, vb, D3DXGetFVFVertexSize(mesh->GetFVF()))) &&
              SUCCEEDED(device->SetIndices(ib, 0));
    if (ib) ib->Release();
    if (vb) vb->Release();
    if (!ok) return -1;

    int drawn = 0;
    // Visible runs that follow one another are drawn in one call.
    DWORD start = 0, count = 0, lo = 0, hi = 0;
    auto flush = [&] {
        if (count == 0) return;
        if (FAILED(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, lo, hi - lo + 1, 3 * start, count))) ok = false;
        drawn += int(count);
        count = 0;
    };
    for (const Run& run : runs_) {
        if (run.attribId != attribId) continue;
        if (volume.Excludes(run.lo, run.hi)) {
            flush();
            continue;
        }
        if (count > 0 && run.faceStart == start + count) {
            count += run.faceCount;
            lo = std::min(lo, run.minIndex);
            hi = std::max(hi, run.maxIndex);
        } else {
            flush();
            start = run.faceStart;
            count = run.faceCount;
            lo = run.minIndex;
            hi = run.maxIndex;
        }
    }
    flush();
    return ok ? drawn : -1;
}
