// The fragment shader of a fixed-function state: texture stages, specular add,
// fog and the alpha test.
#include <string>

#include "d3d8/d3d8.h"
#include "d3d8/shader_generator.h"
#include "d3d8/shader_text.h"

namespace nol::d3d8 {

using glsl::Add;
using glsl::Interpolation;
using glsl::UsesFogFactorVarying;

namespace {

// A stage argument as a vec4 expression.
std::string Argument(const ShaderKey& key, int stage, uint8_t arg) {
    std::string base;
    switch (arg & D3DTA_SELECTMASK) {
        case D3DTA_DIFFUSE: base = "v_diffuse"; break;
        case D3DTA_CURRENT: base = stage == 0 ? "v_diffuse" : "current"; break;
        case D3DTA_TEXTURE: base = key.stages[stage].sampled ? "tex" : "vec4(1.0)"; break;
        case D3DTA_TFACTOR: base = "u_textureFactor"; break;
        case D3DTA_SPECULAR: base = "v_specular"; break;
        default: base = "temp"; break;  // D3DTA_TEMP
    }
    if (arg & D3DTA_COMPLEMENT) base = "(1.0 - " + base + ")";
    if (arg & D3DTA_ALPHAREPLICATE) base = "vec4(" + base + ".a)";
    return base;
}

// The operation on one channel group: sw is ".rgb" or ".a".
std::string Operation(const ShaderKey& key, int stage, uint8_t op, const uint8_t args[3],
                      const char* sw) {
    const std::string a0 = "(" + Argument(key, stage, args[0]) + ")" + sw;
    const std::string a1 = "(" + Argument(key, stage, args[1]) + ")" + sw;
    const std::string a2 = "(" + Argument(key, stage, args[2]) + ")" + sw;
    const std::string v1 = "(" + Argument(key, stage, args[1]) + ")";
    const std::string v2 = "(" + Argument(key, stage, args[2]) + ")";
    const std::string texAlpha = key.stages[stage].sampled ? "tex.a" : "1.0";
    const std::string currentAlpha = stage == 0 ? "v_diffuse.a" : "current.a";
    switch (op) {
        case D3DTOP_SELECTARG1: return a1;
        case D3DTOP_SELECTARG2: return a2;
        case D3DTOP_MODULATE: return a1 + " * " + a2;
        case D3DTOP_MODULATE2X: return a1 + " * " + a2 + " * 2.0";
        case D3DTOP_MODULATE4X: return a1 + " * " + a2 + " * 4.0";
        case D3DTOP_ADD: return a1 + " + " + a2;
        case D3DTOP_ADDSIGNED: return a1 + " + " + a2 + " - 0.5";
        case D3DTOP_ADDSIGNED2X: return "(" + a1 + " + " + a2 + " - 0.5) * 2.0";
        case D3DTOP_SUBTRACT: return a1 + " - " + a2;
        case D3DTOP_ADDSMOOTH: return a1 + " + " + a2 + " - " + a1 + " * " + a2;
        case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + a2 + ", " + a1 + ", v_diffuse.a)";
        case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + a2 + ", " + a1 + ", " + texAlpha + ")";
        case D3DTOP_BLENDFACTORALPHA: return "mix(" + a2 + ", " + a1 + ", u_textureFactor.a)";
        case D3DTOP_BLENDTEXTUREALPHAPM: return a1 + " + " + a2 + " * (1.0 - " + texAlpha + ")";
        case D3DTOP_BLENDCURRENTALPHA: return "mix(" + a2 + ", " + a1 + ", " + currentAlpha + ")";
        case D3DTOP_MODULATEALPHA_ADDCOLOR: return v1 + ".rgb + " + v1 + ".a * " + v2 + ".rgb";
        case D3DTOP_MODULATECOLOR_ADDALPHA: return v1 + ".rgb * " + v2 + ".rgb + " + v1 + ".a";
        case D3DTOP_MODULATEINVALPHA_ADDCOLOR:
            return "(1.0 - " + v1 + ".a) * " + v2 + ".rgb + " + v1 + ".rgb";
        case D3DTOP_MODULATEINVCOLOR_ADDALPHA:
            return "(1.0 - " + v1 + ".rgb) * " + v2 + ".rgb + " + v1 + ".a";
        case D3DTOP_DOTPRODUCT3: {
            std::string dot = "4.0 * dot(" + v1 + ".rgb - 0.5, " + v2 + ".rgb - 0.5)";
            return std::string(sw) == ".a" ? dot : "vec3(" + dot + ")";
        }
        case D3DTOP_MULTIPLYADD: return a0 + " + " + a1 + " * " + a2;
        case D3DTOP_LERP: return "mix(" + a2 + ", " + a1 + ", " + a0 + ")";
        default: return a1;
    }
}

const char* Comparison(uint8_t func) {
    switch (func) {
        case D3DCMP_NEVER: return "false";
        case D3DCMP_LESS: return "a < ref";
        case D3DCMP_EQUAL: return "a == ref";
        case D3DCMP_LESSEQUAL: return "a <= ref";
        case D3DCMP_GREATER: return "a > ref";
        case D3DCMP_NOTEQUAL: return "a != ref";
        case D3DCMP_GREATEREQUAL: return "a >= ref";
        default: return "true";
    }
}

void Declarations(std::string& s, const ShaderKey& key) {
    Add(s, "%sin vec4 v_diffuse;\n%sin vec4 v_specular;\n", Interpolation(key), Interpolation(key));
    for (int i = 0; i < key.stageCount; ++i) {
        if (!key.stages[i].sampled) continue;
        Add(s, "in vec2 v_texcoord%d;\nuniform sampler2D u_texture%d;\nuniform vec2 u_texelNudge%d;\n", i, i, i);
    }
    if (UsesFogFactorVarying(key)) s += "in float v_fog;\n";
    if (key.fog == kFogTableEye) s += "in float v_eyeDepth;\n";
    s += "uniform vec4 u_textureFactor;\n"
         "uniform float u_alphaRef;\n"
         "uniform vec4 u_fogColor;\n"
         "uniform vec3 u_fogParams;\n"
         "layout(location = 0) out vec4 o_color;\n";
}

// One texture stage: its colour and alpha operations into current (or temp).
void Stage(std::string& s, const ShaderKey& key, int i) {
    const StageKey& st = key.stages[i];
    s += "    {\n";
    if (st.sampled) Add(s, "        vec4 tex = texture(u_texture%d, v_texcoord%d + u_texelNudge%d);\n", i, i, i);
    s += "        vec3 c = " + Operation(key, i, st.colorOp, st.colorArg, ".rgb") + ";\n";
    if (st.colorOp == D3DTOP_DOTPRODUCT3)
        s += "        float a = " + Operation(key, i, st.colorOp, st.colorArg, ".a") + ";\n";
    else if (st.alphaOp == D3DTOP_DISABLE)
        s += std::string("        float a = ") + (i == 0 ? "v_diffuse.a" : "current.a") + ";\n";
    else
        s += "        float a = " + Operation(key, i, st.alphaOp, st.alphaArg, ".a") + ";\n";
    Add(s, "        %s = clamp(vec4(c, a), 0.0, 1.0);\n", st.resultTemp ? "temp" : "current");
    s += "    }\n";
}

void PixelFog(std::string& s, const ShaderKey& key) {
    s += "    float f;\n";
    if (UsesFogFactorVarying(key)) {
        s += "    f = clamp(v_fog, 0.0, 1.0);\n";
    } else {
        // Per pixel: eye-space depth under a perspective projection, the depth
        // value itself otherwise.
        const char* depth = key.fog == kFogTableEye ? "v_eyeDepth" : "gl_FragCoord.z";
        glsl::FogFactor(s, key, depth, "f");
    }
    s += "    color.rgb = mix(u_fogColor.rgb, color.rgb, f);\n";
}

void AlphaTest(std::string& s, const ShaderKey& key) {
    // The reference is 0..255; the test sees alpha at the render target's
    // eight bits.
    Add(s,
        "    float a = floor(color.a * 255.0 + 0.5);\n"
        "    float ref = u_alphaRef;\n"
        "    if (!(%s)) discard;\n",
        Comparison(key.alphaFunc));
}

}  // namespace

std::string FragmentShaderSource(const ShaderKey& key) {
    std::string s = "#version 330 core\n";
    Declarations(s, key);
    s += "void main() {\n"
         "    vec4 current = v_diffuse;\n"
         "    vec4 temp = vec4(0.0);\n";
    for (int i = 0; i < key.stageCount; ++i) Stage(s, key, i);
    s += "    vec4 color = current;\n";
    if (key.specularEnable) s += "    color.rgb = min(color.rgb + v_specular.rgb, 1.0);\n";
    if (key.fog != kFogNone) PixelFog(s, key);
    if (key.alphaFunc) AlphaTest(s, key);
    s += "    o_color = color;\n}\n";
    return s;
}

}  // namespace nol::d3d8
