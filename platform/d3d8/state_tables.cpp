#include "d3d8/state_tables.h"

#include <array>

#include "d3d8/adapter.h"

namespace nol::d3d8 {

namespace {

constexpr DWORD kAny = 0xFFFFFFFFu;

struct Entry {
    DWORD state;
    StateRule rule;
};

constexpr StateRule Range(DWORD def, DWORD lo, DWORD hi) { return {def, lo, hi, true, false}; }
constexpr StateRule Any(DWORD def) { return {def, 0, kAny, true, false}; }
constexpr StateRule Fixed(DWORD def) { return {def, def, def, true, true}; }

constexpr DWORD F(float f) { return __builtin_bit_cast(DWORD, f); }

const Entry kRenderStates[] = {
    {D3DRS_ZENABLE, Range(D3DZB_TRUE, D3DZB_FALSE, D3DZB_TRUE)},
    {D3DRS_FILLMODE, Range(D3DFILL_SOLID, D3DFILL_POINT, D3DFILL_SOLID)},
    {D3DRS_SHADEMODE, Range(D3DSHADE_GOURAUD, D3DSHADE_FLAT, D3DSHADE_PHONG)},
    {D3DRS_LINEPATTERN, Fixed(0)},
    {D3DRS_ZWRITEENABLE, Any(TRUE)},
    {D3DRS_ALPHATESTENABLE, Any(FALSE)},
    {D3DRS_LASTPIXEL, Any(TRUE)},
    {D3DRS_SRCBLEND, Range(D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_BOTHINVSRCALPHA)},
    {D3DRS_DESTBLEND, Range(D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLEND_BOTHINVSRCALPHA)},
    {D3DRS_CULLMODE, Range(D3DCULL_CCW, D3DCULL_NONE, D3DCULL_CCW)},
    {D3DRS_ZFUNC, Range(D3DCMP_LESSEQUAL, D3DCMP_NEVER, D3DCMP_ALWAYS)},
    {D3DRS_ALPHAREF, Range(0, 0, 255)},
    {D3DRS_ALPHAFUNC, Range(D3DCMP_ALWAYS, D3DCMP_NEVER, D3DCMP_ALWAYS)},
    {D3DRS_DITHERENABLE, Any(FALSE)},
    {D3DRS_ALPHABLENDENABLE, Any(FALSE)},
    {D3DRS_FOGENABLE, Any(FALSE)},
    {D3DRS_SPECULARENABLE, Any(FALSE)},
    {D3DRS_ZVISIBLE, Fixed(0)},
    {D3DRS_FOGCOLOR, Any(0)},
    {D3DRS_FOGTABLEMODE, Range(D3DFOG_NONE, D3DFOG_NONE, D3DFOG_LINEAR)},
    {D3DRS_FOGSTART, Any(F(0.0f))},
    {D3DRS_FOGEND, Any(F(1.0f))},
    {D3DRS_FOGDENSITY, Any(F(1.0f))},
    {D3DRS_EDGEANTIALIAS, Fixed(FALSE)},
    {D3DRS_ZBIAS, Range(0, 0, 16)},
    {D3DRS_RANGEFOGENABLE, Any(FALSE)},
    {D3DRS_STENCILENABLE, Any(FALSE)},
    {D3DRS_STENCILFAIL, Range(D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DSTENCILOP_DECR)},
    {D3DRS_STENCILZFAIL, Range(D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DSTENCILOP_DECR)},
    {D3DRS_STENCILPASS, Range(D3DSTENCILOP_KEEP, D3DSTENCILOP_KEEP, D3DSTENCILOP_DECR)},
    {D3DRS_STENCILFUNC, Range(D3DCMP_ALWAYS, D3DCMP_NEVER, D3DCMP_ALWAYS)},
    {D3DRS_STENCILREF, Any(0)},
    {D3DRS_STENCILMASK, Any(0xFFFFFFFFu)},
    {D3DRS_STENCILWRITEMASK, Any(0xFFFFFFFFu)},
    {D3DRS_TEXTUREFACTOR, Any(0xFFFFFFFFu)},
    {D3DRS_WRAP0, Fixed(0)},
    {D3DRS_WRAP1, Fixed(0)},
    {D3DRS_WRAP2, Fixed(0)},
    {D3DRS_WRAP3, Fixed(0)},
    {D3DRS_WRAP4, Fixed(0)},
    {D3DRS_WRAP5, Fixed(0)},
    {D3DRS_WRAP6, Fixed(0)},
    {D3DRS_WRAP7, Fixed(0)},
    {D3DRS_CLIPPING, Any(TRUE)},
    {D3DRS_LIGHTING, Any(TRUE)},
    {D3DRS_AMBIENT, Any(0)},
    {D3DRS_FOGVERTEXMODE, Range(D3DFOG_NONE, D3DFOG_NONE, D3DFOG_LINEAR)},
    {D3DRS_COLORVERTEX, Any(TRUE)},
    {D3DRS_LOCALVIEWER, Any(TRUE)},
    {D3DRS_NORMALIZENORMALS, Any(FALSE)},
    {D3DRS_DIFFUSEMATERIALSOURCE, Range(D3DMCS_COLOR1, D3DMCS_MATERIAL, D3DMCS_COLOR2)},
    {D3DRS_SPECULARMATERIALSOURCE, Range(D3DMCS_COLOR2, D3DMCS_MATERIAL, D3DMCS_COLOR2)},
    {D3DRS_AMBIENTMATERIALSOURCE, Range(D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR2)},
    {D3DRS_EMISSIVEMATERIALSOURCE, Range(D3DMCS_MATERIAL, D3DMCS_MATERIAL, D3DMCS_COLOR2)},
    {D3DRS_VERTEXBLEND, Fixed(D3DVBF_DISABLE)},
    {D3DRS_CLIPPLANEENABLE, Fixed(0)},
    {D3DRS_SOFTWAREVERTEXPROCESSING, Any(FALSE)},
    {D3DRS_POINTSIZE, Any(F(1.0f))},
    {D3DRS_POINTSIZE_MIN, Any(F(1.0f))},
    {D3DRS_POINTSPRITEENABLE, Fixed(FALSE)},
    {D3DRS_POINTSCALEENABLE, Fixed(FALSE)},
    {D3DRS_POINTSCALE_A, Any(F(1.0f))},
    {D3DRS_POINTSCALE_B, Any(F(0.0f))},
    {D3DRS_POINTSCALE_C, Any(F(0.0f))},
    {D3DRS_MULTISAMPLEANTIALIAS, Any(TRUE)},
    {D3DRS_MULTISAMPLEMASK, Any(0xFFFFFFFFu)},
    {D3DRS_PATCHEDGESTYLE, Fixed(0)},
    {D3DRS_PATCHSEGMENTS, Any(F(1.0f))},
    {D3DRS_DEBUGMONITORTOKEN, Any(0)},
    {D3DRS_POINTSIZE_MAX, Any(F(64.0f))},
    {D3DRS_INDEXEDVERTEXBLENDENABLE, Fixed(FALSE)},
    {D3DRS_COLORWRITEENABLE, Range(0xF, 0, 0xF)},
    {D3DRS_TWEENFACTOR, Any(F(0.0f))},
    {D3DRS_BLENDOP, Range(D3DBLENDOP_ADD, D3DBLENDOP_ADD, D3DBLENDOP_MAX)},
    {D3DRS_POSITIONORDER, Any(3)},  // D3DORDER_CUBIC
    {D3DRS_NORMALORDER, Any(1)},    // D3DORDER_LINEAR
};

const std::array<StateRule, kRenderStateCount>& RenderRules() {
    static const std::array<StateRule, kRenderStateCount> rules = [] {
        std::array<StateRule, kRenderStateCount> r{};
        for (const Entry& e : kRenderStates) r[e.state] = e.rule;
        return r;
    }();
    return rules;
}

bool ArgumentValid(DWORD arg) {
    return (arg & ~(D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)) == 0 &&
           (arg & D3DTA_SELECTMASK) <= D3DTA_TEMP;
}

}  // namespace

const StateRule* RenderStateRule(DWORD state) {
    if (state >= kRenderStateCount) return nullptr;
    const StateRule& r = RenderRules()[state];
    return r.known ? &r : nullptr;
}

bool RenderStateAccepts(DWORD state, DWORD value) {
    const StateRule* r = RenderStateRule(state);
    return r && value >= r->minValue && value <= r->maxValue;
}

DWORD StageStateDefault(DWORD stage, DWORD type) {
    switch (type) {
        case D3DTSS_COLOROP: return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        case D3DTSS_ALPHAOP: return stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        case D3DTSS_COLORARG1:
        case D3DTSS_ALPHAARG1: return D3DTA_TEXTURE;
        case D3DTSS_COLORARG2:
        case D3DTSS_ALPHAARG2:
        case D3DTSS_COLORARG0:
        case D3DTSS_ALPHAARG0:
        case D3DTSS_RESULTARG: return D3DTA_CURRENT;
        case D3DTSS_TEXCOORDINDEX: return stage;
        case D3DTSS_ADDRESSU:
        case D3DTSS_ADDRESSV:
        case D3DTSS_ADDRESSW: return D3DTADDRESS_WRAP;
        case D3DTSS_MAGFILTER:
        case D3DTSS_MINFILTER: return D3DTEXF_POINT;
        case D3DTSS_MIPFILTER: return D3DTEXF_NONE;
        case D3DTSS_MAXANISOTROPY: return 1;
        default: return 0;  // matrices, offsets and bias 0.0f, border colour 0, TTFF_DISABLE
    }
}

bool StageStateKnown(DWORD type) {
    return type >= D3DTSS_COLOROP && type < kStageStateCount && type != 12;
}

bool StageStateAccepts(DWORD type, DWORD value) {
    switch (type) {
        case D3DTSS_COLOROP: return TextureOpSupported(value);
        case D3DTSS_ALPHAOP:
            // The four "add colour / add alpha" operations exist for colour only.
            return TextureOpSupported(value) && (value < D3DTOP_MODULATEALPHA_ADDCOLOR ||
                                                 value > D3DTOP_MODULATEINVCOLOR_ADDALPHA);
        case D3DTSS_COLORARG0:
        case D3DTSS_COLORARG1:
        case D3DTSS_COLORARG2:
        case D3DTSS_ALPHAARG0:
        case D3DTSS_ALPHAARG1:
        case D3DTSS_ALPHAARG2: return ArgumentValid(value);
        case D3DTSS_RESULTARG: return value == D3DTA_CURRENT || value == D3DTA_TEMP;
        case D3DTSS_TEXCOORDINDEX: return value < 8;  // no coordinate generation here
        case D3DTSS_ADDRESSU:
        case D3DTSS_ADDRESSV:
        case D3DTSS_ADDRESSW: return value >= D3DTADDRESS_WRAP && value <= D3DTADDRESS_BORDER;
        case D3DTSS_MAGFILTER:
        case D3DTSS_MINFILTER:
            return (value >= D3DTEXF_POINT && value <= D3DTEXF_LINEAR) ||
                   (value == D3DTEXF_ANISOTROPIC && ProbeGl().anisotropy);
        case D3DTSS_MIPFILTER: return value <= D3DTEXF_LINEAR;
        case D3DTSS_MAXANISOTROPY: return value >= 1;
        case D3DTSS_TEXTURETRANSFORMFLAGS: return value == D3DTTFF_DISABLE;
        default: return StageStateKnown(type);
    }
}

}  // namespace nol::d3d8
