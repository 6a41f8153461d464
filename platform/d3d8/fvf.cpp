#include "d3d8/fvf.h"

namespace nol::d3d8 {

namespace {

// Takes `bytes` at the end of the vertex and returns where they start.
UINT Append(VertexLayout& l, UINT bytes) {
    const UINT offset = l.size;
    l.size += bytes;
    return offset;
}

// Floats of a texture-coordinate set, by its two-bit D3DFVF_TEXCOORDSIZEn code.
UINT TexCoordComponents(DWORD fvf, UINT set) {
    static const UINT kComponents[4] = {2, 3, 4, 1};
    return kComponents[(fvf >> (16 + 2 * set)) & 3];
}

}  // namespace

bool LayOutFvf(DWORD fvf, VertexLayout* out) {
    VertexLayout l;
    l.fvf = fvf;
    l.texSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (l.texSets > kMaxTexCoordSets) return false;

    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZRHW) {
        l.rhw = true;
        Append(l, 16);
    } else if (position != 0) {
        // XYZ, then XYZB1 .. XYZB5 add one float each.
        l.blendWeights = position == D3DFVF_XYZ ? 0 : (position - D3DFVF_XYZRHW) / 2;
        Append(l, 12 + 4 * l.blendWeights);
    }
    if ((l.normal = (fvf & D3DFVF_NORMAL) != 0)) l.normalOffset = Append(l, 12);
    if ((l.pointSize = (fvf & D3DFVF_PSIZE) != 0)) l.pointSizeOffset = Append(l, 4);
    if ((l.diffuse = (fvf & D3DFVF_DIFFUSE) != 0)) l.diffuseOffset = Append(l, 4);
    if ((l.specular = (fvf & D3DFVF_SPECULAR) != 0)) l.specularOffset = Append(l, 4);
    for (UINT i = 0; i < l.texSets; ++i) {
        l.texComponents[i] = TexCoordComponents(fvf, i);
        l.texOffset[i] = Append(l, 4 * l.texComponents[i]);
    }
    *out = l;
    return true;
}

UINT FvfVertexSize(DWORD fvf) {
    VertexLayout l;
    return LayOutFvf(fvf, &l) ? l.size : 0;
}

bool DecodeFvf(DWORD fvf, VertexLayout* out) {
    const DWORD known = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR |
                        D3DFVF_TEXCOUNT_MASK | 0xFFFF0000u;
    if (fvf & ~known) return false;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW) return false;  // none, or blend weights
    if (position == D3DFVF_XYZRHW && (fvf & D3DFVF_NORMAL)) return false;
    VertexLayout l;
    if (!LayOutFvf(fvf, &l)) return false;
    // A size for a set the vertex lacks.
    if (l.texSets < kMaxTexCoordSets && (fvf >> (16 + 2 * l.texSets)) != 0) return false;
    *out = l;
    return true;
}

}  // namespace nol::d3d8
