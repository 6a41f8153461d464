// Flexible vertex format codes: which components a vertex has and where they lie.
#pragma once

#include "d3d8/d3d8.h"

namespace nol::d3d8 {

constexpr int kMaxTexCoordSets = 8;

struct VertexLayout {
    DWORD fvf = 0;
    UINT size = 0;  // bytes per vertex
    bool rhw = false;  // pre-transformed x, y, z, rhw
    UINT blendWeights = 0;  // floats after x, y, z (XYZB1 .. XYZB5)
    bool normal = false;
    bool pointSize = false;
    bool diffuse = false;
    bool specular = false;
    UINT texSets = 0;
    UINT texComponents[kMaxTexCoordSets] = {};  // floats per set, 1 to 4
    UINT normalOffset = 0;
    UINT pointSizeOffset = 0;
    UINT diffuseOffset = 0;
    UINT specularOffset = 0;
    UINT texOffset[kMaxTexCoordSets] = {};
};

// Lays out any code in the standard order: position (XYZ, XYZRHW or XYZ with one
// to five blend weights; none at all is allowed), normal, point size, diffuse,
// specular, then each texture-coordinate set at its own size. Only a set count
// above eight makes it fail; reserved bits and the sizes of sets the vertex lacks
// take no room and are ignored.
bool LayOutFvf(DWORD fvf, VertexLayout* layout);

// Bytes per vertex by the rule above; 0 when the code cannot be laid out.
UINT FvfVertexSize(DWORD fvf);

// Decodes a code this layer can draw: XYZ or XYZRHW positions, normal (not with
// RHW), diffuse, specular and up to eight texture-coordinate sets of one to four
// floats. Blend weights, point sizes and reserved bits are refused (false).
bool DecodeFvf(DWORD fvf, VertexLayout* layout);

}  // namespace nol::d3d8
