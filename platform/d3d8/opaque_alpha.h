// When blending cannot change a pixel. Source alpha / inverse source alpha with
// an alpha of exactly 1 writes the source colour itself, as drawing without
// blending does, and blending costs a read of every covered pixel; so draws whose
// alpha is provably 1 are drawn without it. Only operations whose result is 1
// exactly, in floating point, when their inputs are count.
#pragma once

#include <cstddef>
#include <cstdint>

#include "d3d8/d3d8.h"
#include "d3d8/shader_key.h"

namespace nol::d3d8 {

// What is known to be 1 of the alpha a program reads.
struct AlphaSources {
    bool diffuse = false;       // the diffuse colour's alpha, every vertex
    bool factor = false;        // the texture factor's
    bool texture[8] = {};       // stage i's texture: a format without alpha
};

// Whether every fragment leaves the texture stages of key with alpha 1.
bool OutputAlphaIsOne(const ShaderKey& key, const AlphaSources& sources);

// Whether blending with these render states equals no blending for a source
// alpha of 1 (alphaOne) or of any value.
bool BlendIsCopy(DWORD source, DWORD destination, DWORD operation, bool alphaOne);

// Whether the diffuse colour (D3DCOLOR at offset in each vertex of stride bytes)
// has alpha 0xFF in every one of count vertices.
bool DiffuseAlphaIsOne(const uint8_t* vertices, size_t count, size_t stride, size_t offset);

}  // namespace nol::d3d8
