// What the adapters offer: the OpenGL implementation behind them (probed once with
// a hidden window), their desktop modes, the mode list and the device caps.
#pragma once

#include <string>
#include <vector>

#include "d3d8/d3d8.h"

struct SDL_Window;

namespace nol::d3d8 {

struct GlCapabilities {
    bool ok = false;
    std::string renderer;
    std::string vendor;
    std::string version;
    UINT maxTextureSize = 0;
    float maxPointSize = 1.0f;
    bool depth32 = false;  // GL_DEPTH_COMPONENT32 is renderable
    bool anisotropy = false;
    float maxAnisotropy = 1.0f;
    UINT textureMemory = 0;  // bytes
};

// Asks SDL for an OpenGL 3.3 core context on the next SDL_GL_CreateContext.
void RequestCoreContext();

// The GL behind every adapter; ok is false when no 3.3 core context can be made.
const GlCapabilities& ProbeGl();

UINT AdapterCount();
bool DesktopMode(UINT adapter, D3DDISPLAYMODE* mode);
// The common modes from 640 x 480 up to the desktop size, in the desktop's format.
std::vector<D3DDISPLAYMODE> AdapterModes(UINT adapter);

// Depth formats that can actually be made here.
bool DepthFormatAvailable(D3DFORMAT format);

// Texture stage operations this layer implements.
bool TextureOpSupported(DWORD op);

void FillDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps);

// Limits the device enforces, reported in the caps.
constexpr DWORD kMaxPrimitiveCount = 0xFFFFF;
constexpr DWORD kMaxVertexIndex = 0xFFFFFF;
constexpr DWORD kMaxStreamStride = 1024;
constexpr DWORD kMaxActiveLights = 8;
constexpr DWORD kMaxTextureStages = 8;

}  // namespace nol::d3d8
