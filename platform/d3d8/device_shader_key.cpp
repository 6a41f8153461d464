// From Direct3D state to the shader key: which vertex inputs, lighting, fog,
// alpha test and texture stages the generated program has.
#include <cstring>

#include "d3d8/adapter.h"
#include "d3d8/device.h"

namespace nol::d3d8 {

namespace {

// Which of arg0, arg1, arg2 an operation reads (bits 0..2).
unsigned ArgumentsUsed(DWORD op) {
    switch (op) {
        case D3DTOP_DISABLE: return 0;
        case D3DTOP_SELECTARG1: return 2;
        case D3DTOP_SELECTARG2: return 4;
        case D3DTOP_MULTIPLYADD:
        case D3DTOP_LERP: return 7;
        default: return 6;
    }
}

bool ReadsTexture(DWORD op, const DWORD args[3]) {
    if (op == D3DTOP_BLENDTEXTUREALPHA || op == D3DTOP_BLENDTEXTUREALPHAPM) return true;
    unsigned used = ArgumentsUsed(op);
    for (int i = 0; i < 3; ++i)
        if ((used & (1u << i)) && (args[i] & D3DTA_SELECTMASK) == D3DTA_TEXTURE) return true;
    return false;
}

void KeepUsedArguments(DWORD op, const DWORD args[3], uint8_t out[3]) {
    unsigned used = ArgumentsUsed(op);
    for (int i = 0; i < 3; ++i) out[i] = (used & (1u << i)) ? static_cast<uint8_t>(args[i]) : 0;
}

}  // namespace

ShaderKey Device::BuildKey() const {
    ShaderKey k;
    std::memset(&k, 0, sizeof k);
    const VertexLayout& l = layout_;
    const DWORD* rs = renderStates_;
    k.rhw = l.rhw;
    k.normal = l.normal;
    k.diffuse = l.diffuse;
    k.specular = l.specular;
    k.texSets = static_cast<uint8_t>(l.texSets);
    k.specularEnable = rs[D3DRS_SPECULARENABLE] != 0;
    k.lighting = rs[D3DRS_LIGHTING] != 0 && !l.rhw;
    if (k.lighting) KeyLighting(k);
    if (rs[D3DRS_FOGENABLE]) KeyFog(k);
    if (rs[D3DRS_ALPHATESTENABLE] && rs[D3DRS_ALPHAFUNC] != D3DCMP_ALWAYS)
        k.alphaFunc = static_cast<uint8_t>(rs[D3DRS_ALPHAFUNC]);
    k.flat = rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
    KeyStages(k);
    return k;
}

void Device::KeyLighting(ShaderKey& k) const {
    const VertexLayout& l = layout_;
    const DWORD* rs = renderStates_;
    k.normalize = rs[D3DRS_NORMALIZENORMALS] != 0;
    k.localViewer = rs[D3DRS_LOCALVIEWER] != 0;
    bool colorVertex = rs[D3DRS_COLORVERTEX] != 0;
    auto source = [&](DWORD s) -> uint8_t {
        if (!colorVertex) return kFromMaterial;
        if (s == D3DMCS_COLOR1 && l.diffuse) return kFromDiffuse;
        if (s == D3DMCS_COLOR2 && l.specular) return kFromSpecular;
        return kFromMaterial;  // the vertex lacks that colour
    };
    k.diffuseSource = source(rs[D3DRS_DIFFUSEMATERIALSOURCE]);
    k.ambientSource = source(rs[D3DRS_AMBIENTMATERIALSOURCE]);
    k.specularSource = source(rs[D3DRS_SPECULARMATERIALSOURCE]);
    k.emissiveSource = source(rs[D3DRS_EMISSIVEMATERIALSOURCE]);
    k.lightCount = static_cast<uint8_t>(activeLights_.size());
    for (size_t i = 0; i < activeLights_.size(); ++i)
        k.lightTypes[i] = static_cast<uint8_t>(lights_.at(activeLights_[i]).light.Type);
}

void Device::KeyFog(ShaderKey& k) const {
    const DWORD* rs = renderStates_;
    DWORD table = rs[D3DRS_FOGTABLEMODE], vertex = rs[D3DRS_FOGVERTEXMODE];
    if (layout_.rhw) {
        if (table != D3DFOG_NONE) {
            k.fog = kFogTableDepth;
            k.fogMode = static_cast<uint8_t>(table);
        } else {
            k.fog = kFogSpecularAlpha;
        }
    } else if (table != D3DFOG_NONE) {
        // Table fog wins over vertex fog.
        k.fog = projection_._34 != 0.0f ? kFogTableEye : kFogTableDepth;
        k.fogMode = static_cast<uint8_t>(table);
    } else if (vertex != D3DFOG_NONE) {
        k.fog = kFogVertex;
        k.fogMode = static_cast<uint8_t>(vertex);
        k.rangeFog = rs[D3DRS_RANGEFOGENABLE] != 0;
    }
}

void Device::KeyStages(ShaderKey& k) const {
    for (int i = 0; i < static_cast<int>(kMaxTextureStages); ++i) {
        const DWORD* ts = stageStates_[i];
        DWORD colorOp = ts[D3DTSS_COLOROP];
        if (colorOp == D3DTOP_DISABLE) break;
        // A stage whose first colour argument is a texture it does not have ends the
        // chain, alpha included: untextured drawing with the default stage set-up
        // keeps the diffuse colour and alpha. Other texture reads without a texture
        // see opaque white.
        if (!textures_[i] && (ts[D3DTSS_COLORARG1] & D3DTA_SELECTMASK) == D3DTA_TEXTURE &&
            colorOp != D3DTOP_SELECTARG2)
            break;
        DWORD alphaOp = ts[D3DTSS_ALPHAOP];
        const DWORD colorArgs[3] = {ts[D3DTSS_COLORARG0], ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2]};
        const DWORD alphaArgs[3] = {ts[D3DTSS_ALPHAARG0], ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2]};
        StageKey& st = k.stages[i];
        st.colorOp = static_cast<uint8_t>(colorOp);
        st.alphaOp = static_cast<uint8_t>(alphaOp);
        KeepUsedArguments(colorOp, colorArgs, st.colorArg);
        KeepUsedArguments(alphaOp, alphaArgs, st.alphaArg);
        st.resultTemp = ts[D3DTSS_RESULTARG] == D3DTA_TEMP;
        bool reads = ReadsTexture(colorOp, colorArgs) || ReadsTexture(alphaOp, alphaArgs);
        st.sampled = reads && textures_[i] != nullptr;
        if (st.sampled) {
            DWORD set = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
            st.texCoordSet = set < layout_.texSets ? static_cast<uint8_t>(set) : 0xFF;
        }
        k.stageCount = static_cast<uint8_t>(i + 1);
    }
}

}  // namespace nol::d3d8
