// Turning Mesh objects into triangles, one mesh at a time, into a growing merged
// mesh. Used by the file-level extraction, which walks the frames.
#pragma once

#include <string>
#include <vector>

#include "d3dx8/xfile/x_mesh.h"
#include "d3dx8/xfile/x_mesh_object.h"

namespace nol::d3dx8::xfile {

class XMeshBuilder {
public:
    // Appends a Mesh object, its positions transformed by world (row vectors,
    // p' = p * world) and its normals by world's inverse transpose.
    bool Append(const XData& mesh, const D3DXMATRIX* world, std::string& error);
    // Drops the optional streams no mesh had and fills the gaps of those that
    // some meshes lacked. Returns the merged mesh.
    XMeshData Finish();
    size_t MeshCount() const { return parts_.size(); }

private:
    struct Part {
        size_t firstVertex, vertexCount, firstTriangle, triangleCount;
        bool normals, colours, texCoords;
    };
    // Where each merged vertex comes from: every vertex of the file keeps its
    // place; a vertex met with a second, different normal is copied after them.
    struct VertexSources {
        std::vector<uint32_t> fileVertex;  // per merged vertex
        std::vector<uint32_t> normal;      // per merged vertex; UINT32_MAX: none
    };
    // Adds the mesh's polygons as triangles whose indices start at base, and
    // says where each of the vertices they use comes from.
    void AppendTriangles(const XMeshObject& mesh, uint32_t base, VertexSources& sources);
    // Adds those vertices, transformed by world when it is given.
    void AppendVertices(const XMeshObject& mesh, const VertexSources& sources, const D3DXMATRIX* world);
    void ComputeNormals(const Part& part);

    XMeshData mesh_;
    std::vector<Part> parts_;
};

}  // namespace nol::d3dx8::xfile
