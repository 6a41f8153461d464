// The meshes of a whole file: top-level Mesh objects as they are, Mesh objects in
// Frames (or referenced from them) through the frames' transforms, each frame's
// transform applied before its parent's.
#include <unordered_map>

#include "d3dx8/rmxfguid.h"
#include "d3dx8/xfile/x_mesh.h"
#include "d3dx8/xfile/x_mesh_builder.h"
#include "d3dx8/xfile/x_parser.h"

namespace nol::d3dx8::xfile {

namespace {

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

bool WalkFrame(const XData& frame, const D3DXMATRIX& parent, XMeshBuilder& builder, std::string& error) {
    D3DXMATRIX local = Identity();
    for (const XChild& child : frame.children)
        if (child.object && IsStandardObject(*child.object, TID_D3DRMFrameTransformMatrix)) {
            if (!ReadFrameTransform(*child.object, local)) {
                error = "frame " + frame.name + " has a damaged transform";
                return false;
            }
            break;
        }
    const D3DXMATRIX world = local * parent;

    for (const XChild& child : frame.children) {
        const XData* o = child.object.get();
        if (!o) {
            // A frame may place a mesh declared elsewhere in the file.
            const XData* target = child.reference.target;
            if (target && target->Type() == TID_D3DRMMesh && !builder.Append(*target, &world, error)) return false;
            continue;
        }
        if (o->Type() == TID_D3DRMMesh) {
            if (!builder.Append(*o, &world, error)) return false;
        } else if (o->Type() == TID_D3DRMFrame) {
            // Depth is bounded by the parser's nesting limit.
            if (!WalkFrame(*o, world, builder, error)) return false;
        }
    }
    return true;
}

// What the merged mesh would hold, counted over every placement of every mesh
// before anything is copied: a frame may place one small mesh thousands of times.
class InstanceCount {
public:
    void Mesh(const XData& mesh) {
        auto [it, added] = sizes_.try_emplace(&mesh);
        if (added) it->second = MeasureMeshObject(mesh);
        total_.vertices += it->second.vertices;
        total_.triangles += it->second.triangles;
        total_.corners += it->second.corners;
    }
    // Follows the same placements as WalkFrame.
    void Frame(const XData& frame) {
        for (const XChild& child : frame.children) {
            const XData* o = child.object ? child.object.get() : child.reference.target;
            if (!o) continue;
            if (o->Type() == TID_D3DRMMesh) Mesh(*o);
            else if (child.object && o->Type() == TID_D3DRMFrame) Frame(*o);
        }
    }
    bool WithinLimits(std::string& error) const {
        const auto over = [&](uint64_t n, const char* what, uint64_t limit) {
            error = "the file's meshes have " + std::to_string(n) + " " + what + " in all, more than the " +
                    std::to_string(limit) + " a mesh may have";
            return false;
        };
        if (total_.vertices > kMaxXMeshVertices) return over(total_.vertices, "vertices", kMaxXMeshVertices);
        if (total_.triangles > kMaxXMeshTriangles) return over(total_.triangles, "triangles", kMaxXMeshTriangles);
        // Corners bound the vertices that differing normals may add.
        if (total_.corners > 4 * kMaxXMeshTriangles)
            return over(total_.corners, "face corners", 4 * kMaxXMeshTriangles);
        return true;
    }

private:
    std::unordered_map<const XData*, XMeshSize> sizes_;
    XMeshSize total_;
};

bool Finish(XMeshBuilder& builder, XMeshData& out, std::string& error) {
    if (builder.MeshCount() == 0) {
        error = "the file holds no Mesh";
        return false;
    }
    out = builder.Finish();
    if (out.indices.empty()) {
        out.Clear();
        error = "the file's meshes have no faces";
        return false;
    }
    return true;
}

}  // namespace

bool ExtractXMesh(const XFileTree& tree, XMeshData& out, std::string& error) {
    out.Clear();
    InstanceCount count;
    for (const auto& obj : tree.objects) {
        if (obj->Type() == TID_D3DRMMesh) count.Mesh(*obj);
        else if (obj->Type() == TID_D3DRMFrame) count.Frame(*obj);
    }
    if (!count.WithinLimits(error)) return false;

    XMeshBuilder builder;
    const D3DXMATRIX identity = Identity();
    for (const auto& obj : tree.objects) {
        if (obj->Type() == TID_D3DRMMesh) {
            if (!builder.Append(*obj, nullptr, error)) return false;
        } else if (obj->Type() == TID_D3DRMFrame) {
            if (!WalkFrame(*obj, identity, builder, error)) return false;
        }
    }
    return Finish(builder, out, error);
}

bool ExtractXMeshObject(const XData& mesh, XMeshData& out, std::string& error) {
    out.Clear();
    InstanceCount count;
    count.Mesh(mesh);
    if (!count.WithinLimits(error)) return false;
    XMeshBuilder builder;
    if (!builder.Append(mesh, nullptr, error)) return false;
    return Finish(builder, out, error);
}

XParseResult LoadXMeshFromMemory(const void* data, size_t size, XMeshData& out) {
    out.Clear();
    XFileTree tree;
    XParseResult result = ParseXFile(data, size, tree);
    if (result.Ok() && !ExtractXMesh(tree, out, result.error)) result.status = XStatus::BadMesh;
    return result;
}

XParseResult LoadXMeshFromFile(const char* path, XMeshData& out) {
    out.Clear();
    XFileTree tree;
    XParseResult result = ParseXFileFromPath(path, tree);
    if (result.Ok() && !ExtractXMesh(tree, out, result.error)) result.status = XStatus::BadMesh;
    return result;
}

}  // namespace nol::d3dx8::xfile
