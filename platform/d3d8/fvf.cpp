#include "d3d8/fvf.h"

namespace d3d8 {

bool DecodeFvf(DWORD fvf, VertexLayout* out) {
    const DWORD known = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR |
                        D3DFVF_TEXCOUNT_MASK | 0xFFFF0000u;
    if (fvf & ~known) return false;
    VertexLayout l;
    l.fvf = fvf;
    DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZ) {
        l.size = 12;
    } else if (position == D3DFVF_XYZRHW) {
        l.rhw = true;
        l.size = 16;
    } else {
        return false;  // no position, or blend weights
    }
    if (fvf & D3DFVF_NORMAL) {
        if (l.rhw) return false;
        l.normal = true;
        l.normalOffset = l.size;
        l.size += 12;
    }
    if (fvf & D3DFVF_DIFFUSE) {
        l.diffuse = true;
        l.diffuseOffset = l.size;
        l.size += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        l.specular = true;
        l.specularOffset = l.size;
        l.size += 4;
    }
    l.texSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (l.texSets > kMaxTexCoordSets) return false;
    for (UINT i = 0; i < kMaxTexCoordSets; ++i) {
        DWORD sizeCode = (fvf >> (16 + 2 * i)) & 3;
        if (i >= l.texSets) {
            if (sizeCode != 0) return false;  // a size for a set the vertex lacks
            continue;
        }
        static const UINT kComponents[4] = {2, 3, 4, 1};
        l.texComponents[i] = kComponents[sizeCode];
        l.texOffset[i] = l.size;
        l.size += 4 * l.texComponents[i];
    }
    *out = l;
    return true;
}

}  // namespace d3d8
