// GLSL 330 for a fixed-function state key (vertex_shader_source.cpp,
// fragment_shader_source.cpp).
#pragma once

#include <string>

#include "d3d8/shader_key.h"

namespace nol::d3d8 {

std::string VertexShaderSource(const ShaderKey& key);
std::string FragmentShaderSource(const ShaderKey& key);

}  // namespace nol::d3d8
