// Reading one Mesh object of a parsed .x file and its optional parts (normals,
// texture coordinates, vertex colours, materials), every count and index checked
// against the object's own data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx8/xfile/x_mesh.h"

namespace nol::d3dx8::xfile {

// True when obj is of the standard template with GUID type and lays its data
// out as that template does.
bool IsStandardObject(const XData& obj, const GUID& type);

// Reads 16 floats of a FrameTransformMatrix.
bool ReadFrameTransform(const XData& obj, D3DXMATRIX& out);

// Polygons as a flat corner list with the start of each face.
struct XFaces {
    std::vector<uint32_t> corners;
    std::vector<uint32_t> start;  // faces + 1 entries
    size_t Count() const { return start.empty() ? 0 : start.size() - 1; }
    uint32_t Size(size_t f) const { return start[f + 1] - start[f]; }
};

// A Mesh object as the file gives it. Optional streams are empty when the mesh
// lacks them; otherwise uvs and colours have one entry per position, and the
// normal faces match the faces corner for corner.
struct XMeshObject {
    std::vector<D3DXVECTOR3> positions;
    XFaces faces;
    bool hasNormals = false;
    std::vector<D3DXVECTOR3> normals;
    XFaces normalFaces;
    std::vector<D3DXVECTOR2> uvs;
    std::vector<D3DCOLOR> colours;
    std::vector<XMaterial> materials;    // at least one (white when the file has none)
    std::vector<uint32_t> faceMaterial;  // per face, an index into materials
};

// What a Mesh object adds to a merged mesh at the least: its vertices, and the
// triangles and corners of its faces. Counted without copying anything; a
// damaged object counts what it holds up to the damage (reading it fails later).
struct XMeshSize {
    uint64_t vertices = 0, triangles = 0, corners = 0;
};
XMeshSize MeasureMeshObject(const XData& mesh);

// Reads a Mesh object of the standard layout; false with a reason otherwise.
bool ReadMeshObject(const XData& mesh, XMeshObject& out, std::string& error);

}  // namespace nol::d3dx8::xfile
