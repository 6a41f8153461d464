#include "d3d8/adapter.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "base/platform_log.h"
#include "d3d8/formats.h"
#include "d3d8/gl_api.h"
#include "win32/sdl_bridge.h"

namespace nol::d3d8 {

namespace {

GlCapabilities Probe() {
    GlCapabilities caps;
    if (!NolInitSdlVideo()) return caps;

    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();

    RequestCoreContext();
    SDL_Window* window =
        SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
        NolLog("Direct3D: no window for OpenGL: %s\n", SDL_GetError());
        return caps;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        NolLog("Direct3D: no OpenGL 3.3 core context: %s\n", SDL_GetError());
        SDL_DestroyWindow(window);
        return caps;
    }
    if (gl::Load()) {
        caps.ok = true;
        auto text = [](GLenum name) {
            const char* s = reinterpret_cast<const char*>(gl::GetString(name));
            return std::string(s ? s : "");
        };
        caps.renderer = text(GL_RENDERER);
        caps.vendor = text(GL_VENDOR);
        caps.version = text(GL_VERSION);
        GLint maxTexture = 0;
        gl::GetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
        caps.maxTextureSize = static_cast<UINT>(std::max(maxTexture, 64));
        GLfloat pointRange[2] = {1.0f, 1.0f};
        gl::GetFloatv(GL_POINT_SIZE_RANGE, pointRange);
        caps.maxPointSize = std::max(1.0f, pointRange[1]);
        if (gl::HasExtension("GL_EXT_texture_filter_anisotropic") ||
            gl::HasExtension("GL_ARB_texture_filter_anisotropic")) {
            caps.anisotropy = true;
            gl::GetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY, &caps.maxAnisotropy);
            caps.maxAnisotropy = std::max(1.0f, caps.maxAnisotropy);
        }

        // GL_DEPTH_COMPONENT32 is not among the formats every GL must render to.
        GLuint fbo = 0, rb = 0;
        gl::GenFramebuffers(1, &fbo);
        gl::GenRenderbuffers(1, &rb);
        gl::BindRenderbuffer(GL_RENDERBUFFER, rb);
        gl::RenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32, 16, 16);
        gl::BindFramebuffer(GL_FRAMEBUFFER, fbo);
        gl::FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, rb);
        gl::DrawBuffer(GL_NONE);
        gl::ReadBuffer(GL_NONE);
        caps.depth32 = gl::GetError() == GL_NO_ERROR &&
                       gl::CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        gl::BindFramebuffer(GL_FRAMEBUFFER, 0);
        gl::DeleteFramebuffers(1, &fbo);
        gl::DeleteRenderbuffers(1, &rb);
        while (gl::GetError() != GL_NO_ERROR) {
        }

        // Software renderers keep textures in system memory; hardware ones do not say
        // through core GL. Half the system memory, at most 2 GB, stands for both.
        uint64_t ramMB = static_cast<uint64_t>(std::max(SDL_GetSystemRAM(), 64));
        caps.textureMemory = static_cast<UINT>(std::min<uint64_t>(ramMB / 2, 2048) << 20);
    }
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    return caps;
}

D3DFORMAT FormatOfSdlMode(Uint32 pixelFormat) {
    if (pixelFormat == SDL_PIXELFORMAT_RGB565) return D3DFMT_R5G6B5;
    if (pixelFormat == SDL_PIXELFORMAT_RGB555 || SDL_BITSPERPIXEL(pixelFormat) == 15)
        return D3DFMT_X1R5G5B5;
    return D3DFMT_X8R8G8B8;
}

struct Size {
    UINT width;
    UINT height;
};

const Size kCommonModes[] = {
    {640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},  {1280, 768},
    {1280, 800},  {1280, 960},  {1280, 1024}, {1360, 768},  {1366, 768},  {1440, 900},
    {1600, 900},  {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1440},
    {2560, 1600}, {3840, 2160},
};

}  // namespace

void RequestCoreContext() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
}

const GlCapabilities& ProbeGl() {
    static GlCapabilities caps;
    static bool probed = false;
    // A failed probe (no display yet) is tried again next time.
    if (!probed || !caps.ok) {
        caps = Probe();
        probed = true;
    }
    return caps;
}

UINT AdapterCount() {
    if (!NolInitSdlVideo()) return 0;
    int n = SDL_GetNumVideoDisplays();
    return n > 0 ? static_cast<UINT>(n) : 0;
}

bool DesktopMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (adapter >= AdapterCount()) return false;
    SDL_DisplayMode sdl;
    if (SDL_GetDesktopDisplayMode(static_cast<int>(adapter), &sdl) != 0) return false;
    mode->Width = static_cast<UINT>(sdl.w);
    mode->Height = static_cast<UINT>(sdl.h);
    mode->RefreshRate = static_cast<UINT>(std::max(sdl.refresh_rate, 0));
    mode->Format = FormatOfSdlMode(sdl.format);
    return true;
}

std::vector<D3DDISPLAYMODE> AdapterModes(UINT adapter) {
    std::vector<D3DDISPLAYMODE> modes;
    D3DDISPLAYMODE desktop;
    if (!DesktopMode(adapter, &desktop)) return modes;
    bool desktopListed = false;
    for (const Size& s : kCommonModes) {
        if (s.width > desktop.Width || s.height > desktop.Height) continue;
        modes.push_back({s.width, s.height, desktop.RefreshRate, desktop.Format});
        desktopListed |= s.width == desktop.Width && s.height == desktop.Height;
    }
    if (!desktopListed && desktop.Width >= 640 && desktop.Height >= 480) modes.push_back(desktop);
    return modes;
}

bool DepthFormatAvailable(D3DFORMAT format) {
    if (!IsDepthFormat(format)) return false;
    return format != D3DFMT_D32 || ProbeGl().depth32;
}

bool TextureOpSupported(DWORD op) {
    return op >= D3DTOP_DISABLE && op <= D3DTOP_LERP && op != D3DTOP_PREMODULATE &&
           op != D3DTOP_BUMPENVMAP && op != D3DTOP_BUMPENVMAPLUMINANCE;
}

void FillDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* c) {
    const GlCapabilities& gl = ProbeGl();
    *c = D3DCAPS8{};
    c->DeviceType = type;
    c->AdapterOrdinal = adapter;
    c->Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_DYNAMICTEXTURES;
    c->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    c->DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                 D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX |
                 D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                 D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWTRANSFORMANDLIGHT |
                 D3DDEVCAPS_HWRASTERIZATION;
    c->PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                           D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE |
                           D3DPMISCCAPS_CLIPTLVERTS | D3DPMISCCAPS_TSSARGTEMP |
                           D3DPMISCCAPS_BLENDOP;
    c->RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE |
                    D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_ZBIAS |
                    D3DPRASTERCAPS_FOGRANGE | D3DPRASTERCAPS_WFOG | D3DPRASTERCAPS_ZFOG |
                    D3DPRASTERCAPS_COLORPERSPECTIVE |
                    (gl.anisotropy ? D3DPRASTERCAPS_ANISOTROPY : 0);
    c->ZCmpCaps = 0xFF;
    c->AlphaCmpCaps = 0xFF;
    c->SrcBlendCaps = 0x1FFF;
    c->DestBlendCaps = 0x1FFF;
    c->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                   D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;
    c->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
    c->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                           D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                           D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    if (gl.anisotropy)
        c->TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    c->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR |
                            D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_BORDER |
                            D3DPTADDRESSCAPS_INDEPENDENTUV;
    c->LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND |
                  D3DLINECAPS_ALPHACMP | D3DLINECAPS_FOG;
    c->MaxTextureWidth = gl.maxTextureSize;
    c->MaxTextureHeight = gl.maxTextureSize;
    c->MaxTextureRepeat = 0;  // no limit
    c->MaxTextureAspectRatio = gl.maxTextureSize;
    c->MaxAnisotropy = gl.anisotropy ? static_cast<DWORD>(gl.maxAnisotropy) : 1;
    c->MaxVertexW = 1e10f;
    c->GuardBandLeft = -16384.0f;
    c->GuardBandTop = -16384.0f;
    c->GuardBandRight = 16384.0f;
    c->GuardBandBottom = 16384.0f;
    c->StencilCaps = 0xFF;
    c->FVFCaps = 8;
    for (DWORD op = D3DTOP_DISABLE; op <= D3DTOP_LERP; ++op)
        if (TextureOpSupported(op)) c->TextureOpCaps |= 1u << (op - 1);
    c->MaxTextureBlendStages = kMaxTextureStages;
    c->MaxSimultaneousTextures = kMaxTextureStages;
    c->VertexProcessingCaps = D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                              D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
    c->MaxActiveLights = kMaxActiveLights;
    c->MaxPointSize = gl.maxPointSize;
    c->MaxPrimitiveCount = kMaxPrimitiveCount;
    c->MaxVertexIndex = kMaxVertexIndex;
    c->MaxStreams = 1;
    c->MaxStreamStride = kMaxStreamStride;
    c->VertexShaderVersion = 0xFFFE0000;  // none: fixed function only
    c->PixelShaderVersion = 0xFFFF0000;
}

}  // namespace nol::d3d8
