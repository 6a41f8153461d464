// Compiled fixed-function programs, one per state key, with their uniform
// locations and the state versions last uploaded to each.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "d3d8/shader_key.h"
#include "d3d8/uniform_values.h"

namespace nol::d3d8 {

// Groups of uniforms that change together; each has a version on the device.
enum UniformGroup { kTransformUniforms, kMaterialUniforms, kLightUniforms, kFogUniforms,
                    kMiscUniforms, kUniformGroupCount };

struct Program {
    unsigned id = 0;
    ShaderKey key{};
    int worldView = -1, projection = -1, normalMatrix = -1;
    int screen = -1, rhwDepth = -1, pixelOffset = -1, pointSize = -1;
    int materialDiffuse = -1, materialAmbient = -1, materialSpecular = -1;
    int materialEmissive = -1, materialPower = -1, globalAmbient = -1;
    int lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1, lightPosition = -1;
    int lightDirection = -1, lightAttenuation = -1, lightSpot = -1;
    int fogParams = -1, fogColor = -1, textureFactor = -1, alphaRef = -1;
    int texelNudge[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    uint64_t uploaded[kUniformGroupCount] = {};
    UniformValues values;
};

class ShaderCache {
public:
    ShaderCache() = default;
    ShaderCache(const ShaderCache&) = delete;
    ShaderCache& operator=(const ShaderCache&) = delete;
    ~ShaderCache();

    // The program for a key, compiled on first use; null when it does not compile
    // or link. A key that failed is remembered: its failure is logged once and it is
    // not compiled again (every draw with that state would otherwise repeat it).
    Program* Get(const ShaderKey& key);
    // Deletes every program (needs the context current) and forgets failed keys.
    void Clear(bool deleteObjects);
    size_t Size() const { return programs_.size(); }

private:
    std::unordered_map<std::string, std::unique_ptr<Program>> programs_;
    std::unordered_set<std::string> failed_;
};

// Tests only: from now on the generated fragment shader of every key for which
// breaks answers true fails to compile. Null: none does.
typedef bool (*ShaderBreaker)(const ShaderKey& key);
void SetShaderBreaker(ShaderBreaker breaks);

}  // namespace nol::d3d8
