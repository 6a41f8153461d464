#include "d3d8/shader_generator.h"

#include <cstdarg>
#include <cstdio>

#include "d3d8/d3d8.h"

namespace d3d8 {

namespace {

// Appends printf-style text; every piece here is short.
void Add(std::string& s, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Add(std::string& s, const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0) s.append(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1);
}

const char* Interpolation(const ShaderKey& key) { return key.flat ? "flat " : ""; }

bool UsesFogFactorVarying(const ShaderKey& key) {
    return key.fog == kFogVertex || key.fog == kFogSpecularAlpha;
}

// ---- vertex shader ---------------------------------------------------------------

void VertexColourSource(std::string& s, const char* name, uint8_t source) {
    switch (source) {
        case kFromDiffuse: Add(s, "    vec4 %s = a_diffuse;\n", name); break;
        case kFromSpecular: Add(s, "    vec4 %s = a_specular;\n", name); break;
        default: break;
    }
}

void Lighting(std::string& s, const ShaderKey& key) {
    s += "    vec3 P = eye.xyz;\n";
    if (key.normal) {
        s += "    vec3 N = u_normalMatrix * a_normal;\n";
        if (key.normalize) s += "    if (dot(N, N) > 0.0) N = normalize(N);\n";
    } else {
        s += "    vec3 N = vec3(0.0);\n";
    }
    s += key.diffuseSource ? "" : "    vec4 Cd = u_materialDiffuse;\n";
    s += key.ambientSource ? "" : "    vec4 Ca = u_materialAmbient;\n";
    s += key.specularSource ? "" : "    vec4 Cs = u_materialSpecular;\n";
    s += key.emissiveSource ? "" : "    vec4 Ce = u_materialEmissive;\n";
    VertexColourSource(s, "Cd", key.diffuseSource);
    VertexColourSource(s, "Ca", key.ambientSource);
    VertexColourSource(s, "Cs", key.specularSource);
    VertexColourSource(s, "Ce", key.emissiveSource);
    if (key.localViewer)
        s += "    vec3 V = dot(P, P) > 0.0 ? normalize(-P) : vec3(0.0, 0.0, -1.0);\n";
    else
        s += "    vec3 V = vec3(0.0, 0.0, -1.0);\n";
    s += "    vec3 ambientSum = u_globalAmbient.rgb;\n"
         "    vec3 diffuseSum = vec3(0.0);\n"
         "    vec3 specularSum = vec3(0.0);\n";
    for (int i = 0; i < key.lightCount; ++i) {
        s += "    {\n";
        s += "        vec3 L;\n        float scale = 1.0;\n";
        if (key.lightTypes[i] == D3DLIGHT_DIRECTIONAL) {
            Add(s, "        L = -u_lightDirection[%d];\n", i);
        } else {
            Add(s,
                "        vec3 toLight = u_lightPosition[%d] - P;\n"
                "        float dist = length(toLight);\n"
                "        L = dist > 0.0 ? toLight / dist : vec3(0.0);\n"
                "        vec4 att = u_lightAttenuation[%d];\n"
                "        scale = dist > att.w ? 0.0\n"
                "              : 1.0 / max(att.x + att.y * dist + att.z * dist * dist, 1e-20);\n",
                i, i);
            if (key.lightTypes[i] == D3DLIGHT_SPOT) {
                Add(s,
                    "        vec3 cone = u_lightSpot[%d];\n"
                    "        float rho = dot(-L, u_lightDirection[%d]);\n"
                    "        scale *= rho > cone.x ? 1.0\n"
                    "               : rho <= cone.y ? 0.0\n"
                    "               : pow((rho - cone.y) / (cone.x - cone.y), cone.z);\n",
                    i, i);
            }
        }
        Add(s, "        ambientSum += u_lightAmbient[%d].rgb * scale;\n", i);
        s += "        float NdotL = dot(N, L);\n        if (NdotL > 0.0) {\n";
        Add(s, "            diffuseSum += u_lightDiffuse[%d].rgb * (NdotL * scale);\n", i);
        if (key.specularEnable) {
            Add(s,
                "            float NdotH = dot(N, normalize(L + V));\n"
                "            if (NdotH > 0.0)\n"
                "                specularSum += u_lightSpecular[%d].rgb * (pow(NdotH, u_materialPower) * scale);\n",
                i);
        }
        s += "        }\n    }\n";
    }
    s += "    v_diffuse = vec4(clamp(Ce.rgb + Ca.rgb * ambientSum + Cd.rgb * diffuseSum, 0.0, 1.0),\n"
         "                     clamp(Cd.a, 0.0, 1.0));\n";
    if (key.specularEnable)
        s += "    v_specular = vec4(clamp(Cs.rgb * specularSum, 0.0, 1.0), clamp(Cs.a, 0.0, 1.0));\n";
    else
        s += "    v_specular = vec4(0.0);\n";
}

void FogFactor(std::string& s, const ShaderKey& key, const char* distance, const char* out) {
    switch (key.fogMode) {
        case D3DFOG_EXP:
            Add(s, "    %s = clamp(exp(-u_fogParams.z * (%s)), 0.0, 1.0);\n", out, distance);
            break;
        case D3DFOG_EXP2:
            Add(s,
                "    float fogD = u_fogParams.z * (%s);\n"
                "    %s = clamp(exp(-fogD * fogD), 0.0, 1.0);\n",
                distance, out);
            break;
        default:
            Add(s, "    %s = clamp((u_fogParams.x - (%s)) * u_fogParams.y, 0.0, 1.0);\n", out,
                distance);
            break;
    }
}

}  // namespace

std::string VertexShaderSource(const ShaderKey& key) {
    std::string s = "#version 330 core\n";
    s += "layout(location = 0) in vec4 a_position;\n";
    if (key.normal) s += "layout(location = 1) in vec3 a_normal;\n";
    if (key.diffuse) s += "layout(location = 2) in vec4 a_diffuse;\n";
    if (key.specular) s += "layout(location = 3) in vec4 a_specular;\n";
    for (int set = 0; set < key.texSets; ++set)
        Add(s, "layout(location = %d) in vec4 a_texcoord%d;\n", 4 + set, set);

    s += "uniform mat4 u_worldView;\n"
         "uniform mat4 u_projection;\n"
         "uniform mat3 u_normalMatrix;\n"
         "uniform vec4 u_screen;\n"
         "uniform vec2 u_rhwDepth;\n"
         "uniform vec2 u_pixelOffset;\n"
         "uniform float u_pointSize;\n";
    bool lit = key.lighting && !key.rhw;
    if (lit) {
        s += "uniform vec4 u_materialDiffuse;\n"
             "uniform vec4 u_materialAmbient;\n"
             "uniform vec4 u_materialSpecular;\n"
             "uniform vec4 u_materialEmissive;\n"
             "uniform float u_materialPower;\n"
             "uniform vec4 u_globalAmbient;\n";
        if (key.lightCount > 0) {
            Add(s,
                "uniform vec4 u_lightDiffuse[%d];\n"
                "uniform vec4 u_lightSpecular[%d];\n"
                "uniform vec4 u_lightAmbient[%d];\n"
                "uniform vec3 u_lightPosition[%d];\n"
                "uniform vec3 u_lightDirection[%d];\n"
                "uniform vec4 u_lightAttenuation[%d];\n"
                "uniform vec3 u_lightSpot[%d];\n",
                key.lightCount, key.lightCount, key.lightCount, key.lightCount, key.lightCount,
                key.lightCount, key.lightCount);
        }
    }
    if (key.fog == kFogVertex) s += "uniform vec3 u_fogParams;\n";

    Add(s, "%sout vec4 v_diffuse;\n%sout vec4 v_specular;\n", Interpolation(key),
        Interpolation(key));
    for (int i = 0; i < key.stageCount; ++i)
        if (key.stages[i].sampled) Add(s, "out vec2 v_texcoord%d;\n", i);
    if (UsesFogFactorVarying(key)) s += "out float v_fog;\n";
    if (key.fog == kFogTableEye) s += "out float v_eyeDepth;\n";

    s += "void main() {\n";
    if (key.rhw) {
        // Pixel coordinates of the render target; pixel centres on integers. The
        // clip w of 1/rhw keeps interpolation perspective-correct.
        s += "    float w = a_position.w > 0.0 ? 1.0 / a_position.w : 1.0;\n"
             "    vec2 ndc = (a_position.xy + 0.5 - u_screen.xy) * u_screen.zw - 1.0;\n"
             "    float z = a_position.z * u_rhwDepth.x + u_rhwDepth.y;\n"
             "    gl_Position = vec4(ndc, z, 1.0) * w;\n";
    } else {
        // Row vectors: the matrices arrive untransposed, so M * p here is p * M there.
        // Then y flips (row 0 of every surface is the top), pixel centres move by
        // half a pixel, and z goes from 0..w to OpenGL's -w..w.
        s += "    vec4 eye = u_worldView * vec4(a_position.xyz, 1.0);\n"
             "    vec4 clip = u_projection * eye;\n"
             "    clip.y = -clip.y;\n"
             "    clip.xy += u_pixelOffset * clip.w;\n"
             "    clip.z = 2.0 * clip.z - clip.w;\n"
             "    gl_Position = clip;\n";
    }
    s += "    gl_PointSize = u_pointSize;\n";

    if (lit) {
        Lighting(s, key);
    } else {
        s += key.diffuse ? "    v_diffuse = a_diffuse;\n" : "    v_diffuse = vec4(1.0);\n";
        s += key.specular ? "    v_specular = a_specular;\n" : "    v_specular = vec4(0.0);\n";
    }

    for (int i = 0; i < key.stageCount; ++i) {
        const StageKey& st = key.stages[i];
        if (!st.sampled) continue;
        if (st.texCoordSet < key.texSets)
            Add(s, "    v_texcoord%d = a_texcoord%d.xy;\n", i, st.texCoordSet);
        else
            Add(s, "    v_texcoord%d = vec2(0.0);\n", i);
    }

    if (key.fog == kFogVertex) {
        const char* distance = key.rangeFog ? "length(eye.xyz)" : "eye.z";
        FogFactor(s, key, distance, "v_fog");
    } else if (key.fog == kFogSpecularAlpha) {
        s += key.specular ? "    v_fog = a_specular.a;\n" : "    v_fog = 1.0;\n";
    } else if (key.fog == kFogTableEye) {
        s += "    v_eyeDepth = eye.z;\n";
    }
    s += "}\n";
    return s;
}

// ---- fragment shader -------------------------------------------------------------

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

}  // namespace

std::string FragmentShaderSource(const ShaderKey& key) {
    std::string s = "#version 330 core\n";
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
         "layout(location = 0) out vec4 o_color;\n"
         "void main() {\n"
         "    vec4 current = v_diffuse;\n"
         "    vec4 temp = vec4(0.0);\n";

    for (int i = 0; i < key.stageCount; ++i) {
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

    s += "    vec4 color = current;\n";
    if (key.specularEnable) s += "    color.rgb = min(color.rgb + v_specular.rgb, 1.0);\n";
    if (key.fog != kFogNone) {
        s += "    float f;\n";
        if (UsesFogFactorVarying(key)) {
            s += "    f = clamp(v_fog, 0.0, 1.0);\n";
        } else {
            // Per pixel: eye-space depth under a perspective projection, the depth
            // value itself otherwise.
            const char* depth = key.fog == kFogTableEye ? "v_eyeDepth" : "gl_FragCoord.z";
            switch (key.fogMode) {
                case D3DFOG_EXP:
                    Add(s, "    f = clamp(exp(-u_fogParams.z * %s), 0.0, 1.0);\n", depth);
                    break;
                case D3DFOG_EXP2:
                    Add(s,
                        "    float fogD = u_fogParams.z * %s;\n"
                        "    f = clamp(exp(-fogD * fogD), 0.0, 1.0);\n",
                        depth);
                    break;
                default:
                    Add(s, "    f = clamp((u_fogParams.x - %s) * u_fogParams.y, 0.0, 1.0);\n", depth);
                    break;
            }
        }
        s += "    color.rgb = mix(u_fogColor.rgb, color.rgb, f);\n";
    }
    if (key.alphaFunc) {
        // The reference is 0..255; the test sees alpha at the render target's
        // eight bits.
        Add(s,
            "    float a = floor(color.a * 255.0 + 0.5);\n"
            "    float ref = u_alphaRef;\n"
            "    if (!(%s)) discard;\n",
            Comparison(key.alphaFunc));
    }
    s += "    o_color = color;\n}\n";
    return s;
}

}  // namespace d3d8
