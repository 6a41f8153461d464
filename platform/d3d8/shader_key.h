// Everything about the fixed-function state that changes the generated GLSL. Two
// draws with equal keys share one program; what varies within a key (matrices,
// colours, fog distances) travels in uniforms.
#pragma once

#include <cstdint>
#include <string_view>

namespace nol::d3d8 {

// Where a lit vertex takes a material colour from.
enum ColorSource : uint8_t { kFromMaterial = 0, kFromDiffuse = 1, kFromSpecular = 2 };

// Where the fog factor comes from.
enum FogSource : uint8_t {
    kFogNone = 0,
    kFogVertex = 1,         // per vertex from the eye-space depth (or distance)
    kFogTableEye = 2,       // per pixel from the interpolated eye-space depth
    kFogTableDepth = 3,     // per pixel from the depth-buffer value
    kFogSpecularAlpha = 4,  // pre-transformed vertices: the specular alpha is the factor
};

struct StageKey {
    uint8_t colorOp;
    uint8_t colorArg[3];  // arg0, arg1, arg2; unused ones zero
    uint8_t alphaOp;
    uint8_t alphaArg[3];
    uint8_t resultTemp;   // result goes to the temporary register
    uint8_t sampled;      // the stage reads its texture
    uint8_t texCoordSet;  // 0xFF: the vertex lacks the set, coordinates are (0, 0)
    uint8_t unused;
};

struct ShaderKey {
    uint8_t rhw;
    uint8_t normal;
    uint8_t diffuse;
    uint8_t specular;
    uint8_t texSets;
    uint8_t lighting;
    uint8_t normalize;
    uint8_t localViewer;
    uint8_t diffuseSource;
    uint8_t ambientSource;
    uint8_t specularSource;
    uint8_t emissiveSource;
    uint8_t specularEnable;
    uint8_t lightCount;
    uint8_t lightTypes[8];  // D3DLIGHTTYPE of each enabled light, in enabling order
    uint8_t fog;            // FogSource
    uint8_t fogMode;        // D3DFOGMODE
    uint8_t rangeFog;
    uint8_t alphaFunc;  // D3DCMPFUNC, 0 when the alpha test is off
    uint8_t flat;
    uint8_t stageCount;
    StageKey stages[8];

    std::string_view Bytes() const {
        return std::string_view(reinterpret_cast<const char*>(this), sizeof *this);
    }
};

static_assert(sizeof(ShaderKey) == 28 + 8 * sizeof(StageKey), "no padding in the key");

}  // namespace nol::d3d8
