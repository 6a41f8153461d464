// ID3DXMesh::OptimizeInplace on shuffled grid meshes: every face survives with its
// corners and attribute, the remaps tell the truth, compaction drops exactly the
// unused vertices, the attribute table matches the faces, the adjacency follows
// the faces, and the vertex cache does better.
#include <array>
#include <numeric>
#include <random>
#include <tuple>

#include "tests/d3dx_mesh_support.h"

using namespace meshtest;

namespace {

constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL;  // the normal's x is a tag: the vertex's own number

struct GridMesh {
    ID3DXMesh* mesh = nullptr;
    DWORD unused = 0;  // vertices no face uses
};

// An n x n grid of quads, its vertices numbered at random with `unused` spare
// vertices among them, its faces in random order with attributes from `ids`: at
// random, or by bands of rows, as the materials of a model cover whole regions.
enum class Attributes { Random, Bands };
GridMesh MakeGrid(IDirect3DDevice8* device, int n, DWORD unused, std::vector<DWORD> ids, unsigned seed,
                  Attributes layout = Attributes::Random) {
    std::mt19937 rng(seed);
    const DWORD gridVertices = DWORD((n + 1) * (n + 1)), vertices = gridVertices + unused, faces = DWORD(2 * n * n);
    GridMesh g;
    g.unused = unused;
    EXPECT_EQ(D3DXCreateMeshFVF(faces, vertices, D3DXMESH_SYSTEMMEM, kFvf, device, &g.mesh), D3D_OK);
    if (!g.mesh) return g;

    std::vector<uint16_t> number(vertices);
    std::iota(number.begin(), number.end(), 0);
    std::shuffle(number.begin(), number.end(), rng);
    BYTE* bytes = nullptr;
    EXPECT_EQ(g.mesh->LockVertexBuffer(0, &bytes), D3D_OK);
    auto* v = reinterpret_cast<d3dtest::NormalVertex*>(bytes);
    for (DWORD i = 0; i < vertices; ++i) {
        // Grid vertices first; the spare ones float above the grid.
        float x = i < gridVertices ? float(i % (n + 1)) : float(i), y = i < gridVertices ? 0.0f : 5.0f,
              z = i < gridVertices ? float(i / (n + 1)) : 0.0f;
        v[number[i]] = d3dtest::NormalVertex{x, y, z, float(number[i]), 0, 0};
    }
    g.mesh->UnlockVertexBuffer();

    struct Face {
        std::array<uint16_t, 3> corners;
        DWORD attribute;
    };
    std::vector<Face> tris;
    std::uniform_int_distribution<size_t> pick(0, ids.size() - 1);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            auto at = [&](int rr, int cc) { return number[rr * (n + 1) + cc]; };
            for (int half = 0; half < 2; ++half) {
                DWORD id = layout == Attributes::Bands ? ids[size_t(r) * ids.size() / n] : ids[pick(rng)];
                if (half == 0)
                    tris.push_back({{at(r, c), at(r + 1, c), at(r, c + 1)}, id});
                else
                    tris.push_back({{at(r, c + 1), at(r + 1, c), at(r + 1, c + 1)}, id});
            }
        }
    std::shuffle(tris.begin(), tris.end(), rng);
    EXPECT_EQ(g.mesh->LockIndexBuffer(0, &bytes), D3D_OK);
    for (size_t f = 0; f < tris.size(); ++f) std::memcpy(bytes + f * 6, tris[f].corners.data(), 6);
    g.mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    EXPECT_EQ(g.mesh->LockAttributeBuffer(0, &attributes), D3D_OK);
    for (DWORD f = 0; f < faces; ++f) attributes[f] = tris[f].attribute;
    g.mesh->UnlockAttributeBuffer();
    return g;
}

// Misses per triangle of a 16-entry FIFO vertex cache.
double Acmr(const std::vector<uint16_t>& indices) {
    std::vector<uint16_t> fifo;
    size_t misses = 0;
    for (uint16_t i : indices) {
        if (std::find(fifo.begin(), fifo.end(), i) != fifo.end()) continue;
        ++misses;
        fifo.push_back(i);
        if (fifo.size() > 16) fifo.erase(fifo.begin());
    }
    return double(misses) / double(indices.size() / 3);
}

// A face as its attribute and its corners' bytes, from its first corner on.
std::vector<uint8_t> FaceBytes(const Contents& c, DWORD f) {
    std::vector<uint8_t> out(4);
    std::memcpy(out.data(), &c.attributes[f], 4);
    for (int k = 0; k < 3; ++k) {
        const uint8_t* b = c.VertexBytes(c.indices[size_t(f) * 3 + k]);
        out.insert(out.end(), b, b + c.stride);
    }
    return out;
}

// Every face of the mesh, each started from the rotation that sorts first, in
// sorted order: equal for two meshes with the same faces, corners and winding.
std::vector<std::vector<uint8_t>> FaceSet(const Contents& c) {
    std::vector<std::vector<uint8_t>> faces;
    for (DWORD f = 0; f < c.Faces(); ++f) {
        std::vector<uint8_t> best;
        for (int r = 0; r < 3; ++r) {
            std::vector<uint8_t> bytes(4);
            std::memcpy(bytes.data(), &c.attributes[f], 4);
            for (int k = 0; k < 3; ++k) {
                const uint8_t* b = c.VertexBytes(c.indices[size_t(f) * 3 + (k + r) % 3]);
                bytes.insert(bytes.end(), b, b + c.stride);
            }
            if (best.empty() || bytes < best) best = bytes;
        }
        faces.push_back(best);
    }
    std::sort(faces.begin(), faces.end());
    return faces;
}

DWORD UsedVertices(const Contents& c) {
    std::vector<char> used(c.Vertices(), 0);
    for (uint16_t i : c.indices) used.at(i) = 1;
    return DWORD(std::count(used.begin(), used.end(), 1));
}

void ExpectTableMatchesFaces(ID3DXMesh* mesh, const Contents& c) {
    auto table = AttributeTable(mesh);
    ASSERT_FALSE(table.empty());
    DWORD face = 0;
    for (size_t i = 0; i < table.size(); ++i) {
        const D3DXATTRIBUTERANGE& r = table[i];
        if (i > 0) {
            EXPECT_GT(r.AttribId, table[i - 1].AttribId);
        }
        EXPECT_EQ(r.FaceStart, face);
        uint16_t lo = 0xFFFF, hi = 0;
        for (DWORD f = r.FaceStart; f < r.FaceStart + r.FaceCount; ++f) {
            EXPECT_EQ(c.attributes[f], r.AttribId);
            for (int k = 0; k < 3; ++k) {
                lo = std::min(lo, c.indices[f * 3 + k]);
                hi = std::max(hi, c.indices[f * 3 + k]);
            }
        }
        EXPECT_EQ(r.VertexStart, lo);
        EXPECT_EQ(r.VertexCount, DWORD(hi - lo + 1));
        face += r.FaceCount;
    }
    EXPECT_EQ(face, c.Faces());
}

TEST_F(MeshTest, FullOptimisationKeepsEveryFaceAndImprovesTheCache) {
    GridMesh g = MakeGrid(device, 20, 37, {0, 1, 2, 7}, 1, Attributes::Bands);
    ID3DXMesh* mesh = Own(g.mesh);
    ASSERT_NE(mesh, nullptr);
    const Contents before = Read(mesh);
    const DWORD faces = before.Faces();
    std::vector<DWORD> adjacencyIn = Adjacency(mesh);
    std::vector<DWORD> adjacencyOut(faces * 3, 0xDEADBEEF), faceRemap(faces, 0xDEADBEEF);
    ID3DXBuffer* vertexRemap = nullptr;
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                    adjacencyIn.data(), adjacencyOut.data(), faceRemap.data(), &vertexRemap),
              D3D_OK);
    ASSERT_NE(vertexRemap, nullptr);
    Own(vertexRemap);
    const Contents after = Read(mesh);

    // Same faces, and each new face is the old face the remap names.
    ASSERT_EQ(after.Faces(), faces);
    EXPECT_EQ(FaceSet(after), FaceSet(before));
    std::vector<DWORD> sortedRemap = faceRemap;
    std::sort(sortedRemap.begin(), sortedRemap.end());
    for (DWORD f = 0; f < faces; ++f) ASSERT_EQ(sortedRemap[f], f);
    for (DWORD f = 0; f < faces; ++f) EXPECT_EQ(FaceBytes(after, f), FaceBytes(before, faceRemap[f])) << f;

    // Compacted: only the used vertices are left, and the vertex remap names them.
    EXPECT_EQ(after.Vertices(), before.Vertices() - g.unused);
    EXPECT_EQ(mesh->GetNumVertices(), after.Vertices());
    ASSERT_EQ(vertexRemap->GetBufferSize(), before.Vertices() * 4);
    const auto* remap = static_cast<const DWORD*>(vertexRemap->GetBufferPointer());
    for (DWORD v = 0; v < before.Vertices(); ++v) {
        if (v >= after.Vertices()) {
            EXPECT_EQ(remap[v], UNUSED32);
            continue;
        }
        ASSERT_LT(remap[v], before.Vertices());
        EXPECT_EQ(std::memcmp(after.VertexBytes(v), before.VertexBytes(remap[v]), before.stride), 0);
    }

    // Sorted by attribute, with a table to match.
    EXPECT_TRUE(std::is_sorted(after.attributes.begin(), after.attributes.end()));
    ExpectTableMatchesFaces(mesh, after);

    // The adjacency followed the faces; with none given it is worked out afresh.
    EXPECT_EQ(adjacencyOut, Adjacency(mesh));
    EXPECT_EQ(std::count(adjacencyOut.begin(), adjacencyOut.end(), UNUSED32), 4 * 20);  // the grid's border

    // Reordered for the cache: far fewer misses than the shuffled faces had.
    const double acmrBefore = Acmr(before.indices), acmrAfter = Acmr(after.indices);
    EXPECT_LT(acmrAfter, 0.5 * acmrBefore) << acmrBefore << " -> " << acmrAfter;
    EXPECT_LT(acmrAfter, 1.0);
    RecordProperty("acmr_before", std::to_string(acmrBefore));
    RecordProperty("acmr_after", std::to_string(acmrAfter));
}

TEST_F(MeshTest, EachFlagDoesItsOwnPart) {
    for (DWORD flags : {0u, DWORD(D3DXMESHOPT_COMPACT), DWORD(D3DXMESHOPT_ATTRSORT),
                        DWORD(D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_IGNOREVERTS),
                        DWORD(D3DXMESHOPT_COMPACT | D3DXMESHOPT_IGNOREVERTS), DWORD(D3DXMESHOPT_STRIPREORDER)}) {
        SCOPED_TRACE(flags);
        GridMesh g = MakeGrid(device, 6, 5, {3, 1}, 2 + flags);
        ID3DXMesh* mesh = Own(g.mesh);
        ASSERT_NE(mesh, nullptr);
        const Contents before = Read(mesh);
        const DWORD faces = before.Faces();
        std::vector<DWORD> faceRemap(faces), adjacency(faces * 3);
        ID3DXBuffer* remapBuffer = nullptr;
        ASSERT_EQ(mesh->OptimizeInplace(flags, nullptr, adjacency.data(), faceRemap.data(), &remapBuffer), D3D_OK);
        Own(remapBuffer);
        const Contents after = Read(mesh);
        const auto* vertexRemap = static_cast<const DWORD*>(remapBuffer->GetBufferPointer());
        EXPECT_EQ(FaceSet(after), FaceSet(before));
        for (DWORD f = 0; f < faces; ++f) EXPECT_EQ(FaceBytes(after, f), FaceBytes(before, faceRemap[f]));
        EXPECT_EQ(adjacency, Adjacency(mesh));

        const bool sorts = flags & (D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_STRIPREORDER);
        const bool touchesVertices = flags && !(flags & D3DXMESHOPT_IGNOREVERTS);
        std::vector<DWORD> identityFaces(faces);
        std::iota(identityFaces.begin(), identityFaces.end(), 0u);
        if (!sorts) {
            EXPECT_EQ(faceRemap, identityFaces);  // face order untouched
            EXPECT_TRUE(AttributeTable(mesh).empty());
        } else {
            EXPECT_TRUE(std::is_sorted(after.attributes.begin(), after.attributes.end()));
            ExpectTableMatchesFaces(mesh, after);
        }
        if (flags & D3DXMESHOPT_ATTRSORT && !(flags & D3DXMESHOPT_VERTEXCACHE)) {
            // A stable sort: faces of one attribute keep their order.
            for (DWORD f = 1; f < faces; ++f)
                if (after.attributes[f] == after.attributes[f - 1]) {
                    EXPECT_LT(faceRemap[f - 1], faceRemap[f]);
                }
        }
        if (!touchesVertices) {
            EXPECT_EQ(after.vertices, before.vertices);
            for (DWORD v = 0; v < after.Vertices(); ++v) EXPECT_EQ(vertexRemap[v], v);
        } else if (flags == D3DXMESHOPT_COMPACT) {
            // Unused vertices go; the others keep their order.
            EXPECT_EQ(after.Vertices(), UsedVertices(before));
            EXPECT_TRUE(std::is_sorted(vertexRemap, vertexRemap + after.Vertices()));
        } else {
            // Renumbered in order of first use; the unused ones follow.
            EXPECT_EQ(after.Vertices(), before.Vertices());
            uint16_t next = 0;
            for (uint16_t i : after.indices) {
                EXPECT_LE(i, next);
                if (i == next) ++next;
            }
            EXPECT_EQ(next, UsedVertices(before));
        }
    }
}

TEST_F(MeshTest, RefusedOptimisationsLeaveTheMeshAsItWas) {
    GridMesh g = MakeGrid(device, 4, 0, {0, 1}, 3);
    ID3DXMesh* mesh = Own(g.mesh);
    ASSERT_NE(mesh, nullptr);
    const Contents before = Read(mesh);
    const DWORD faces = before.Faces();
    ID3DXBuffer* remap = reinterpret_cast<ID3DXBuffer*>(0x1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER, nullptr, nullptr, nullptr,
                                    &remap),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(remap, nullptr);
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_SHAREVB, nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->OptimizeInplace(0x40000000, nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    std::vector<DWORD> adjacency = Adjacency(mesh);
    adjacency[5] = faces;
    EXPECT_EQ(mesh->OptimizeInplace(7, adjacency.data(), nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(Read(mesh).indices, before.indices);
    EXPECT_EQ(Read(mesh).attributes, before.attributes);

    // An index past the vertices is refused, not followed.
    BYTE* bytes = nullptr;
    ASSERT_EQ(mesh->LockIndexBuffer(0, &bytes), D3D_OK);
    reinterpret_cast<uint16_t*>(bytes)[4] = 999;
    mesh->UnlockIndexBuffer();
    const Contents broken = Read(mesh);
    EXPECT_EQ(mesh->OptimizeInplace(7, nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    std::vector<DWORD> out(faces * 3);
    EXPECT_EQ(mesh->GenerateAdjacency(0.0f, out.data()), D3DERR_INVALIDCALL);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Read(mesh).indices, broken.indices);
    EXPECT_EQ(Read(mesh).vertices, broken.vertices);
    EXPECT_NE(log.find("index 999 is past the mesh's 25 vertices"), std::string::npos) << log;
}

}  // namespace
