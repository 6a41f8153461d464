// Pieces shared by the vertex and fragment shader generators.
#pragma once

#include <string>

#include "d3d8/shader_key.h"

namespace nol::d3d8::glsl {

// Appends printf-style text; every piece is short.
void Add(std::string& s, const char* format, ...) __attribute__((format(printf, 2, 3)));

// "flat " when the key asks for flat shading, nothing otherwise.
const char* Interpolation(const ShaderKey& key);

// Whether the fog factor is worked out per vertex and handed on as v_fog.
bool UsesFogFactorVarying(const ShaderKey& key);

// Assigns to `out` the fog factor (1 = no fog) of the key's fog mode for a
// distance expression, from u_fogParams (end, 1 / (end - start), density).
void FogFactor(std::string& s, const ShaderKey& key, const char* distance, const char* out);

}  // namespace nol::d3d8::glsl
