// Turning Mesh objects into triangles, one mesh at a time, into a growing merged
// mesh. Used by the file-level extraction, which walks the frames.
#pragma once

#include <string>
#include <vector>

#include "d3dx8/xfile/x_mesh.h"

namespace xfile {

// True when obj is of the standard template with GUID type and lays its data
// out as that template does.
bool IsStandardObject(const XData& obj, const GUID& type);

// Reads 16 floats of a FrameTransformMatrix.
bool ReadFrameTransform(const XData& obj, D3DXMATRIX& out);

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
    void ComputeNormals(const Part& part);

    XMeshData mesh_;
    std::vector<Part> parts_;
};

}  // namespace xfile
