// The render states and texture-stage states this layer knows: their documented
// defaults and the values each accepts. A state outside the tables, or a value a
// state does not accept, is refused with D3DERR_INVALIDCALL.
#pragma once

#include "d3d8/d3d8.h"

namespace nol::d3d8 {

constexpr DWORD kRenderStateCount = 176;  // one past the highest D3DRS_ value
constexpr DWORD kStageStateCount = 29;    // one past the highest D3DTSS_ value

struct StateRule {
    DWORD defaultValue;
    DWORD minValue;
    DWORD maxValue;
    bool known;
    // States without an effect here that still must keep their default (line
    // patterns, user clip planes, vertex blending, point sprites, ...).
    bool defaultOnly;
};

const StateRule* RenderStateRule(DWORD state);
bool RenderStateAccepts(DWORD state, DWORD value);

// Defaults differ between stage 0 and the others (COLOROP, ALPHAOP, TEXCOORDINDEX).
DWORD StageStateDefault(DWORD stage, DWORD type);
bool StageStateKnown(DWORD type);
bool StageStateAccepts(DWORD type, DWORD value);

inline DWORD FloatBits(float f) {
    DWORD d;
    static_assert(sizeof d == sizeof f);
    __builtin_memcpy(&d, &f, sizeof d);
    return d;
}
inline float BitsFloat(DWORD d) {
    float f;
    __builtin_memcpy(&f, &d, sizeof f);
    return f;
}

}  // namespace nol::d3d8
