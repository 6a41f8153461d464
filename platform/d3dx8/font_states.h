// The device state a D3DX font draws with, and the caller's state it puts back.
#pragma once

#include <vector>

#include "d3d8/d3d8.h"

namespace d3dx8 {

class FontStates {
public:
    // Remembers every state the font changes, then sets the font's own. False when
    // the device refuses to tell its state (nothing is changed then).
    bool Apply(IDirect3DDevice8* device, DWORD fvf);
    // Puts back what Apply found. Harmless when Apply was not called.
    void Restore();
    bool Applied() const { return device_ != nullptr; }

private:
    struct Saved {
        DWORD stage;  // kRenderState for render states
        DWORD type;
        DWORD value;
    };
    IDirect3DDevice8* device_ = nullptr;
    std::vector<Saved> saved_;
    IDirect3DBaseTexture8* texture_ = nullptr;
    IDirect3DVertexBuffer8* stream_ = nullptr;
    UINT streamStride_ = 0;
    DWORD vertexShader_ = 0;
};

}  // namespace d3dx8
