// The vertex shader of a fixed-function state: transform, lighting, texture
// coordinates and per-vertex fog.
#include <string>

#include "d3d8/d3d8.h"
#include "d3d8/shader_generator.h"
#include "d3d8/shader_text.h"

namespace nol::d3d8 {

using glsl::Add;
using glsl::Interpolation;
using glsl::UsesFogFactorVarying;

namespace {

bool Lit(const ShaderKey& key) { return key.lighting && !key.rhw; }

void Attributes(std::string& s, const ShaderKey& key) {
    s += "layout(location = 0) in vec4 a_position;\n";
    if (key.normal) s += "layout(location = 1) in vec3 a_normal;\n";
    if (key.diffuse) s += "layout(location = 2) in vec4 a_diffuse;\n";
    if (key.specular) s += "layout(location = 3) in vec4 a_specular;\n";
    for (int set = 0; set < key.texSets; ++set)
        Add(s, "layout(location = %d) in vec4 a_texcoord%d;\n", 4 + set, set);
}

void MaterialAndLightUniforms(std::string& s, const ShaderKey& key) {
    s += "uniform vec4 u_materialDiffuse;\n"
         "uniform vec4 u_materialAmbient;\n"
         "uniform vec4 u_materialSpecular;\n"
         "uniform vec4 u_materialEmissive;\n"
         "uniform float u_materialPower;\n"
         "uniform vec4 u_globalAmbient;\n";
    if (key.lightCount == 0) return;
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

void Uniforms(std::string& s, const ShaderKey& key) {
    s += "uniform mat4 u_worldView;\n"
         "uniform mat4 u_projection;\n"
         "uniform mat3 u_normalMatrix;\n"
         "uniform vec4 u_screen;\n"
         "uniform vec2 u_rhwDepth;\n"
         "uniform vec2 u_pixelOffset;\n"
         "uniform float u_pointSize;\n";
    if (Lit(key)) MaterialAndLightUniforms(s, key);
    if (key.fog == kFogVertex) s += "uniform vec3 u_fogParams;\n";
}

void Varyings(std::string& s, const ShaderKey& key) {
    Add(s, "%sout vec4 v_diffuse;\n%sout vec4 v_specular;\n", Interpolation(key),
        Interpolation(key));
    for (int i = 0; i < key.stageCount; ++i)
        if (key.stages[i].sampled) Add(s, "out vec2 v_texcoord%d;\n", i);
    if (UsesFogFactorVarying(key)) s += "out float v_fog;\n";
    if (key.fog == kFogTableEye) s += "out float v_eyeDepth;\n";
}

void Position(std::string& s, const ShaderKey& key) {
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
}

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

void Colours(std::string& s, const ShaderKey& key) {
    if (Lit(key)) {
        Lighting(s, key);
        return;
    }
    s += key.diffuse ? "    v_diffuse = a_diffuse;\n" : "    v_diffuse = vec4(1.0);\n";
    s += key.specular ? "    v_specular = a_specular;\n" : "    v_specular = vec4(0.0);\n";
}

// Each sampled stage takes the set it names; a set the vertex lacks reads as 0.
void TexCoords(std::string& s, const ShaderKey& key) {
    for (int i = 0; i < key.stageCount; ++i) {
        const StageKey& st = key.stages[i];
        if (!st.sampled) continue;
        if (st.texCoordSet < key.texSets)
            Add(s, "    v_texcoord%d = a_texcoord%d.xy;\n", i, st.texCoordSet);
        else
            Add(s, "    v_texcoord%d = vec2(0.0);\n", i);
    }
}

void VertexFog(std::string& s, const ShaderKey& key) {
    if (key.fog == kFogVertex) {
        const char* distance = key.rangeFog ? "length(eye.xyz)" : "eye.z";
        glsl::FogFactor(s, key, distance, "v_fog");
    } else if (key.fog == kFogSpecularAlpha) {
        s += key.specular ? "    v_fog = a_specular.a;\n" : "    v_fog = 1.0;\n";
    } else if (key.fog == kFogTableEye) {
        s += "    v_eyeDepth = eye.z;\n";
    }
}

}  // namespace

std::string VertexShaderSource(const ShaderKey& key) {
    std::string s = "#version 330 core\n";
    Attributes(s, key);
    Uniforms(s, key);
    Varyings(s, key);
    s += "void main() {\n";
    Position(s, key);
    Colours(s, key);
    TexCoords(s, key);
    VertexFog(s, key);
    s += "}\n";
    return s;
}

}  // namespace nol::d3d8
