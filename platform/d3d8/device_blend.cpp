// Blending only where it can change a pixel.
#include "d3d8/device.h"
#include "d3d8/formats.h"
#include "d3d8/opaque_alpha.h"
#include "d3d8/shader_cache.h"

namespace nol::d3d8 {

bool Device::BlendNeeded() const {
    const DWORD* rs = renderStates_;
    if (!rs[D3DRS_ALPHABLENDENABLE]) return false;
    const DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND], op = rs[D3DRS_BLENDOP];
    if (BlendIsCopy(src, dst, op, false)) return false;
    if (!BlendIsCopy(src, dst, op, true)) return true;

    const ShaderKey& key = program_->key;
    AlphaSources sources;
    sources.factor = (rs[D3DRS_TEXTUREFACTOR] >> 24) == 0xFF;
    for (int i = 0; i < key.stageCount; ++i) {
        D3DSURFACE_DESC desc{};
        const ColorFormatInfo* format =
            textures_[i] && SUCCEEDED(textures_[i]->GetLevelDesc(0, &desc)) ? FindColorFormat(desc.Format) : nullptr;
        sources.texture[i] = format && !format->hasAlpha;
    }
    // The vertices are looked at only when the answer depends on them.
    sources.diffuse = true;
    if (!OutputAlphaIsOne(key, sources)) return true;
    sources.diffuse = false;
    if (OutputAlphaIsOne(key, sources)) return false;
    return !DrawnDiffuseOpaque();
}

// Whether the diffuse alpha the stages see is 1 at every vertex of the draw.
bool Device::DrawnDiffuseOpaque() const {
    const ShaderKey& key = program_->key;
    const uint8_t unlit = key.diffuse ? kFromDiffuse : kFromMaterial;
    const uint8_t source = key.lighting ? key.diffuseSource : unlit;
    if (!key.lighting && source == kFromMaterial) return true;  // unlit without colours: white
    if (source == kFromMaterial) return material_.Diffuse.a >= 1.0f;
    if (source != kFromDiffuse || !layout_.diffuse) return false;
    if (userVertices_.data)
        return DiffuseAlphaIsOne(userVertices_.data, userVertices_.count, userVertices_.stride,
                                 layout_.diffuseOffset);
    return stream_ && stream_->DiffuseOpaque(streamStride_, layout_.diffuseOffset);
}

}  // namespace nol::d3d8
