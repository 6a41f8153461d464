// The device state that the D3DX font and sprite draw their screen quads with,
// and the caller's state they put back afterwards. Each gives its own table of
// settings; saving, applying and restoring work the same for both.
#pragma once

#include <span>
#include <vector>

#include "d3d8/d3d8.h"

namespace nol::d3dx8 {

class ScreenQuadStates {
public:
    // stage is a texture stage, or kRenderState for a render state.
    static constexpr DWORD kRenderState = ~0u;
    struct Setting {
        DWORD stage;
        DWORD type;
        DWORD value;
    };

    explicit ScreenQuadStates(std::span<const Setting> settings) : settings_(settings) {}
    ScreenQuadStates(const ScreenQuadStates&) = delete;
    ScreenQuadStates& operator=(const ScreenQuadStates&) = delete;

    // Remembers every state the table changes, the stage 0 texture, the vertex
    // shader and stream 0, then sets the table's values and fvf. False when the
    // device refuses to tell its state (nothing is changed then).
    bool Apply(IDirect3DDevice8* device, DWORD fvf);
    // Puts back what Apply found. Harmless when Apply was not called.
    void Restore();
    bool Applied() const { return device_ != nullptr; }

private:
    std::span<const Setting> settings_;
    IDirect3DDevice8* device_ = nullptr;
    std::vector<Setting> saved_;
    IDirect3DBaseTexture8* texture_ = nullptr;
    IDirect3DVertexBuffer8* stream_ = nullptr;
    UINT streamStride_ = 0;
    DWORD vertexShader_ = 0;
};

}  // namespace nol::d3dx8
