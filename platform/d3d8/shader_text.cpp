#include "d3d8/shader_text.h"

#include <cstdarg>
#include <cstdio>

#include "d3d8/d3d8.h"

namespace nol::d3d8::glsl {

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

}  // namespace nol::d3d8::glsl
