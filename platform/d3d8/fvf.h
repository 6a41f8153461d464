// Flexible vertex format codes: which components a vertex has and where they lie.
#pragma once

#include "d3d8/d3d8.h"

namespace d3d8 {

constexpr int kMaxTexCoordSets = 8;

struct VertexLayout {
    DWORD fvf = 0;
    UINT size = 0;  // bytes per vertex
    bool rhw = false;  // pre-transformed x, y, z, rhw
    bool normal = false;
    bool diffuse = false;
    bool specular = false;
    UINT texSets = 0;
    UINT texComponents[kMaxTexCoordSets] = {};  // floats per set, 1 to 4
    UINT normalOffset = 0;
    UINT diffuseOffset = 0;
    UINT specularOffset = 0;
    UINT texOffset[kMaxTexCoordSets] = {};
};

// Decodes a code this layer can draw: XYZ or XYZRHW positions, normal (not with
// RHW), diffuse, specular and up to eight texture-coordinate sets of one to four
// floats. Blend weights, point sizes and reserved bits are refused (false).
bool DecodeFvf(DWORD fvf, VertexLayout* layout);

}  // namespace d3d8
