#include "d3d8/opaque_alpha.h"

namespace nol::d3d8 {

namespace {

struct Registers {
    bool current;
    bool temp;
};

bool ArgumentIsOne(const ShaderKey& key, int stage, uint8_t arg, const AlphaSources& s, Registers r) {
    if (arg & D3DTA_COMPLEMENT) return false;  // 1 - a is 1 only for a = 0
    switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE: return s.diffuse;
        case D3DTA_CURRENT: return stage == 0 ? s.diffuse : r.current;
        case D3DTA_TEXTURE: return !key.stages[stage].sampled || s.texture[stage];
        case D3DTA_TFACTOR: return s.factor;
        case D3DTA_TEMP: return r.temp;
        default: return false;  // specular: zero or the vertex's
    }
}

bool AlphaOperationIsOne(const ShaderKey& key, int stage, const AlphaSources& s, Registers r) {
    const StageKey& st = key.stages[stage];
    if (st.colorOp == D3DTOP_DOTPRODUCT3) return false;  // its alpha is the dot product
    if (st.alphaOp == D3DTOP_DISABLE) return stage == 0 ? s.diffuse : r.current;
    auto one = [&](int i) { return ArgumentIsOne(key, stage, st.alphaArg[i], s, r); };
    switch (st.alphaOp) {
        case D3DTOP_SELECTARG1: return one(1);
        case D3DTOP_SELECTARG2: return one(2);
        // 1 x 1 (x 2 or 4, then clamped), 1 + 1 - 0.5 and twice that are 1 or more.
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X:
        case D3DTOP_ADDSIGNED:
        case D3DTOP_ADDSIGNED2X: return one(1) && one(2);
        // 1 plus anything not negative is clamped to 1.
        case D3DTOP_ADD: return one(1) || one(2);
        case D3DTOP_MULTIPLYADD: return one(0) || (one(1) && one(2));
        default: return false;  // blends of two ones need not be exactly 1
    }
}

}  // namespace

bool OutputAlphaIsOne(const ShaderKey& key, const AlphaSources& s) {
    Registers r{s.diffuse, false};  // temp starts as 0
    for (int i = 0; i < key.stageCount; ++i) {
        const bool one = AlphaOperationIsOne(key, i, s, r);
        if (key.stages[i].resultTemp) r.temp = one;
        else r.current = one;
    }
    return r.current;
}

bool BlendIsCopy(DWORD source, DWORD destination, DWORD operation, bool alphaOne) {
    if (operation != D3DBLENDOP_ADD) return false;
    if (source == D3DBLEND_ONE && destination == D3DBLEND_ZERO) return true;
    const bool sourceAlpha = (source == D3DBLEND_SRCALPHA && destination == D3DBLEND_INVSRCALPHA) ||
                             source == D3DBLEND_BOTHSRCALPHA;
    return sourceAlpha && alphaOne;
}

bool DiffuseAlphaIsOne(const uint8_t* vertices, size_t count, size_t stride, size_t offset) {
    // D3DCOLOR is B, G, R, A in memory.
    for (size_t i = 0; i < count; ++i)
        if (vertices[i * stride + offset + 3] != 0xFF) return false;
    return true;
}

}  // namespace nol::d3d8
