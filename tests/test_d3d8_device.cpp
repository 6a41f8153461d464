// The Direct3D object and device of the stand-in: adapters, modes, format checks,
// caps, device creation, defaults, bad input and reference counting.
#include <SDL.h>
#include <dirent.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "tests/d3d8_fixture.h"

using namespace d3dtest;

namespace {

class D3DDevice : public D3DTest {};

// The GL renderer string, asked of a context of our own.
std::string GlRenderer() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_Window* w = SDL_CreateWindow("", 0, 0, 8, 8, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!w) return "";
    SDL_GLContext c = SDL_GL_CreateContext(w);
    std::string name;
    if (c) {
        using GetString = const unsigned char* (*)(unsigned);
        auto get = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const unsigned char* s = get ? get(0x1F01 /* GL_RENDERER */) : nullptr;
        if (s) name = reinterpret_cast<const char*>(s);
        SDL_GL_MakeCurrent(w, nullptr);
        SDL_GL_DeleteContext(c);
    }
    SDL_DestroyWindow(w);
    return name;
}

// Threads of this process whose name starts with prefix.
int ThreadsNamed(const char* prefix) {
    int count = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks) return -1;
    while (dirent* task = readdir(tasks)) {
        if (task->d_name[0] == '.') continue;
        std::ifstream comm(std::string("/proc/self/task/") + task->d_name + "/comm");
        std::string name;
        std::getline(comm, name);
        count += name.rfind(prefix, 0) == 0;
    }
    closedir(tasks);
    return count;
}

TEST_F(D3DDevice, OnlySdkVersion120MakesTheObject) {
    EXPECT_EQ(Direct3DCreate8(119), nullptr);
    EXPECT_EQ(Direct3DCreate8(0), nullptr);
    IDirect3D8* other = Direct3DCreate8(120);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->Release(), 0u);
}

TEST_F(D3DDevice, AdapterIdentifierNamesTheGlRenderer) {
    ASSERT_GE(d3d->GetAdapterCount(), 1u);
    D3DADAPTER_IDENTIFIER8 id{};
    ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    std::string renderer = GlRenderer();
    ASSERT_FALSE(renderer.empty());
    EXPECT_NE(std::string(id.Description).find(renderer), std::string::npos) << id.Description;
    EXPECT_EQ(d3d->GetAdapterIdentifier(d3d->GetAdapterCount(), 0, &id), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->GetAdapterIdentifier(0, 0, nullptr), D3DERR_INVALIDCALL);
}

// llvmpipe's rasteriser threads race on their fences (a freed fence's mutex is
// unlocked), which corrupts the heap now and then: the platform has it rasterise
// on the drawing thread, a setting that only counts if made before the driver
// loads. A value the user set is kept.
TEST_F(D3DDevice, LlvmpipeRasterisesOnTheDrawingThread) {
    if (GlRenderer().find("llvmpipe") == std::string::npos) GTEST_SKIP() << "the GL renderer is not llvmpipe";
    CreateDevice();
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const char* setting = std::getenv("LP_NUM_THREADS");
    ASSERT_NE(setting, nullptr);
    EXPECT_EQ(ThreadsNamed("llvmpipe-"), std::atoi(setting)) << "LP_NUM_THREADS=" << setting;
}

TEST_F(D3DDevice, ModesRunFrom640x480UpToTheDesktopInItsFormat) {
    UINT count = d3d->GetAdapterModeCount(0);
    ASSERT_GE(count, 1u);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->EnumAdapterModes(0, 0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 640u);
    EXPECT_EQ(mode.Height, 480u);
    bool desktopListed = false;
    for (UINT i = 0; i < count; ++i) {
        ASSERT_EQ(d3d->EnumAdapterModes(0, i, &mode), D3D_OK);
        EXPECT_EQ(mode.Format, desktop.Format);
        EXPECT_LE(mode.Width, desktop.Width);
        EXPECT_LE(mode.Height, desktop.Height);
        desktopListed |= mode.Width == desktop.Width && mode.Height == desktop.Height;
    }
    EXPECT_TRUE(desktopListed);
    EXPECT_EQ(d3d->EnumAdapterModes(0, count, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->GetAdapterModeCount(99), 0u);
    EXPECT_EQ(d3d->GetAdapterDisplayMode(99, &mode), D3DERR_INVALIDCALL);
}

TEST_F(D3DDevice, FormatChecksAreTruthful) {
    const D3DFORMAT f = desktop.Format;
    for (D3DFORMAT depth : {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D24X8}) {
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, f, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth), D3D_OK);
        EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, f, f, depth), D3D_OK);
    }
    for (D3DFORMAT depth : {D3DFMT_D15S1, D3DFMT_D24X4S4, D3DFMT_D16_LOCKABLE}) {
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, f, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth),
                  D3DERR_NOTAVAILABLE);
        EXPECT_EQ(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, f, f, depth), D3DERR_NOTAVAILABLE);
    }
    for (D3DFORMAT t : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                        D3DFMT_A1R5G5B5, D3DFMT_R8G8B8}) {
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, f, 0, D3DRTYPE_TEXTURE, t), D3D_OK);
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, f, D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, t), D3D_OK);
    }
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, f, 0, D3DRTYPE_TEXTURE, D3DFMT_A8), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, f, 0, D3DRTYPE_CUBETEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_UNKNOWN, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_SW, f, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, f, f, TRUE), D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, f, TRUE, static_cast<D3DMULTISAMPLE_TYPE>(2)),
              D3DERR_NOTAVAILABLE);

    // D32 is offered exactly when such a depth buffer can be made.
    CreateDevice();
    HRESULT check = d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, f, f, D3DFMT_D32);
    IDirect3DSurface8* d32 = nullptr;
    HRESULT made = device->CreateDepthStencilSurface(64, 64, D3DFMT_D32, D3DMULTISAMPLE_NONE, &d32);
    EXPECT_EQ(SUCCEEDED(check), SUCCEEDED(made));
    if (d32) d32->Release();
}

TEST_F(D3DDevice, CapsDescribeThisLayer) {
    D3DCAPS8 caps{};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_HAL);
    EXPECT_GE(caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(caps.MaxTextureWidth, caps.MaxTextureHeight);
    const DWORD fog = D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_FOGRANGE;
    EXPECT_EQ(caps.RasterCaps & fog, fog);
    EXPECT_EQ(caps.AlphaCmpCaps, 0xFFu);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_ALPHA);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP);
    EXPECT_FALSE(caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP);
    EXPECT_TRUE(caps.TextureOpCaps & D3DTEXOPCAPS_MODULATE);
    EXPECT_EQ(caps.MaxActiveLights, 8u);
    EXPECT_EQ(caps.MaxSimultaneousTextures, 8u);
    EXPECT_GT(caps.MaxPrimitiveCount, 0xFFFFu);
    EXPECT_GT(caps.MaxVertexIndex, 0xFFFFu);  // 32-bit indices work
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3D_OK);
    EXPECT_EQ(caps.DeviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_SW, &caps), D3DERR_INVALIDCALL);

    CreateDevice();
    D3DCAPS8 deviceCaps{};
    ASSERT_EQ(device->GetDeviceCaps(&deviceCaps), D3D_OK);
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(std::memcmp(&caps, &deviceCaps, sizeof caps), 0);
    EXPECT_GT(device->GetAvailableTextureMem() >> 20, 16u);
}

TEST_F(D3DDevice, CreateDeviceAcceptsTheThreeTriesAndRefusesBadParameters) {
    struct Try {
        D3DDEVTYPE type;
        DWORD flags;
    } tries[] = {{D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
                 {D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
                 {D3DDEVTYPE_HAL, D3DCREATE_MIXED_VERTEXPROCESSING},
                 {D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING}};
    for (const Try& t : tries) {
        D3DPRESENT_PARAMETERS p = WindowedParams();
        IDirect3DDevice8* d = nullptr;
        ASSERT_EQ(d3d->CreateDevice(0, t.type, window, t.flags, &p, &d), D3D_OK);
        EXPECT_EQ(d->TestCooperativeLevel(), D3D_OK);
        EXPECT_EQ(d->Release(), 0u);
    }
    auto refused = [&](D3DDEVTYPE type, HWND focus, DWORD flags, D3DPRESENT_PARAMETERS p) {
        IDirect3DDevice8* d = reinterpret_cast<IDirect3DDevice8*>(1);
        HRESULT hr = d3d->CreateDevice(0, type, focus, flags, &p, &d);
        EXPECT_EQ(d, nullptr);
        return hr == D3DERR_INVALIDCALL;
    };
    const DWORD hw = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    EXPECT_TRUE(refused(D3DDEVTYPE_HAL, window, 0, WindowedParams()));
    EXPECT_TRUE(refused(D3DDEVTYPE_HAL, window, hw | D3DCREATE_SOFTWARE_VERTEXPROCESSING, WindowedParams()));
    EXPECT_TRUE(refused(D3DDEVTYPE_SW, window, hw, WindowedParams()));
    D3DPRESENT_PARAMETERS p = WindowedParams();
    p.hDeviceWindow = nullptr;
    EXPECT_TRUE(refused(D3DDEVTYPE_HAL, nullptr, hw, p));
    p = WindowedParams();
    p.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(2);
    EXPECT_TRUE(refused(D3DDEVTYPE_HAL, window, hw, p));
    p = WindowedParams();
    p.BackBufferFormat = desktop.Format == D3DFMT_R5G6B5 ? D3DFMT_X8R8G8B8 : D3DFMT_R5G6B5;
    EXPECT_TRUE(refused(D3DDEVTYPE_HAL, window, hw, p));
    p = WindowedParams(D3DFMT_D15S1);
    EXPECT_TRUE(refused(D3DDEVTYPE_HAL, window, hw, p));
    p = WindowedParams();
    p.Windowed = FALSE;
    p.BackBufferWidth = 641;  // not a mode
    EXPECT_TRUE(refused(D3DDEVTYPE_HAL, window, hw, p));
    p.BackBufferWidth = 640;
    p.BackBufferFormat = D3DFMT_UNKNOWN;  // no 640 x 480 mode in any format
    EXPECT_TRUE(refused(D3DDEVTYPE_HAL, window, hw, p));

    // A windowed device of size 0 takes the client area; the count 0 becomes 1.
    p = WindowedParams();
    p.BackBufferWidth = p.BackBufferHeight = 0;
    p.BackBufferCount = 0;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, hw, &p, &device), D3D_OK);
    EXPECT_EQ(p.BackBufferWidth, 640u);
    EXPECT_EQ(p.BackBufferHeight, 480u);
    EXPECT_EQ(p.BackBufferCount, 1u);
}

TEST_F(D3DDevice, FullScreenCoversTheDesktopAndPresents) {
    D3DPRESENT_PARAMETERS p = WindowedParams();
    p.Windowed = FALSE;
    p.hDeviceWindow = nullptr;  // the focus window serves
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device), D3D_OK);
    SDL_Window* sdl = NolSdlWindow(window);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP);
    EXPECT_TRUE(IsWindowVisible(window));
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(device->GetDisplayMode(&mode), D3D_OK);
    EXPECT_EQ(mode.Width, 640u);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    // Rectangles need the COPY swap effect.
    const RECT r{0, 0, 10, 10};
    EXPECT_EQ(device->Present(&r, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    device->Release();
    device = nullptr;
    EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN);
}

TEST_F(D3DDevice, StatesStartAtTheirDocumentedDefaults) {
    CreateDevice();
    const struct {
        D3DRENDERSTATETYPE state;
        DWORD value;
    } defaults[] = {
        {D3DRS_ZENABLE, D3DZB_TRUE}, {D3DRS_FILLMODE, D3DFILL_SOLID}, {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
        {D3DRS_ZWRITEENABLE, TRUE}, {D3DRS_ALPHATESTENABLE, FALSE}, {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO}, {D3DRS_CULLMODE, D3DCULL_CCW}, {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ALPHAREF, 0}, {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS}, {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_FOGENABLE, FALSE}, {D3DRS_SPECULARENABLE, FALSE}, {D3DRS_FOGCOLOR, 0},
        {D3DRS_FOGTABLEMODE, D3DFOG_NONE}, {D3DRS_FOGSTART, FloatBits(0.0f)}, {D3DRS_FOGEND, FloatBits(1.0f)},
        {D3DRS_FOGDENSITY, FloatBits(1.0f)}, {D3DRS_STENCILENABLE, FALSE}, {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
        {D3DRS_STENCILMASK, 0xFFFFFFFFu}, {D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu}, {D3DRS_LIGHTING, TRUE},
        {D3DRS_AMBIENT, 0}, {D3DRS_FOGVERTEXMODE, D3DFOG_NONE}, {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_LOCALVIEWER, TRUE}, {D3DRS_NORMALIZENORMALS, FALSE},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1}, {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
        {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL}, {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_POINTSIZE, FloatBits(1.0f)}, {D3DRS_COLORWRITEENABLE, 0xF}, {D3DRS_BLENDOP, D3DBLENDOP_ADD},
        {D3DRS_CLIPPING, TRUE},
    };
    for (const auto& d : defaults) {
        DWORD v = 0xDEADBEEF;
        ASSERT_EQ(device->GetRenderState(d.state, &v), D3D_OK) << d.state;
        EXPECT_EQ(v, d.value) << "render state " << d.state;
    }
    DWORD v = 0;
    ASSERT_EQ(device->GetTextureStageState(0, D3DTSS_COLOROP, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DTOP_MODULATE));
    ASSERT_EQ(device->GetTextureStageState(0, D3DTSS_ALPHAOP, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DTOP_SELECTARG1));
    ASSERT_EQ(device->GetTextureStageState(0, D3DTSS_COLORARG2, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DTA_CURRENT));
    ASSERT_EQ(device->GetTextureStageState(3, D3DTSS_COLOROP, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DTOP_DISABLE));
    ASSERT_EQ(device->GetTextureStageState(3, D3DTSS_TEXCOORDINDEX, &v), D3D_OK);
    EXPECT_EQ(v, 3u);
    ASSERT_EQ(device->GetTextureStageState(0, D3DTSS_MAGFILTER, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DTEXF_POINT));
    ASSERT_EQ(device->GetTextureStageState(0, D3DTSS_MIPFILTER, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DTEXF_NONE));
    ASSERT_EQ(device->GetTextureStageState(0, D3DTSS_ADDRESSU, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DTADDRESS_WRAP));
    D3DMATERIAL8 m{};
    m.Power = 5;
    ASSERT_EQ(device->GetMaterial(&m), D3D_OK);
    EXPECT_EQ(m.Power, 0.0f);
    EXPECT_EQ(m.Diffuse.r, 0.0f);

    // Without an automatic depth buffer, Z starts off.
    device->Release();
    device = nullptr;
    CreateDevice(D3DFMT_UNKNOWN);
    ASSERT_EQ(device->GetRenderState(D3DRS_ZENABLE, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DZB_FALSE));
    IDirect3DSurface8* depth = reinterpret_cast<IDirect3DSurface8*>(1);
    EXPECT_EQ(device->GetDepthStencilSurface(&depth), D3DERR_NOTFOUND);
    EXPECT_EQ(depth, nullptr);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(D3DDevice, UnknownStatesAndValuesAreRefused) {
    CreateDevice();
    DWORD v = 0;
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(0), 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(1000), 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(1000), &v), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_CULLMODE, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_SRCBLEND, 14), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_ZFUNC, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_FOGTABLEMODE, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_ZENABLE, D3DZB_USEW), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->GetRenderState(D3DRS_CULLMODE, &v), D3D_OK);
    EXPECT_EQ(v, DWORD(D3DCULL_CCW));  // unchanged
    // States without an effect here keep their default.
    EXPECT_EQ(device->SetRenderState(D3DRS_CLIPPLANEENABLE, 0), D3D_OK);
    EXPECT_EQ(device->SetRenderState(D3DRS_CLIPPLANEENABLE, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_VERTEXBLEND, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_DITHERENABLE, TRUE), D3D_OK);
    D3DMATRIX m = Identity();
    EXPECT_EQ(device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &m), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
    m._41 = 5.0f;
    ASSERT_EQ(device->SetTransform(D3DTS_WORLD, &m), D3D_OK);
    ASSERT_EQ(device->MultiplyTransform(D3DTS_WORLD, &m), D3D_OK);
    D3DMATRIX got{};
    ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &got), D3D_OK);
    EXPECT_EQ(got._41, 10.0f);
    EXPECT_EQ(device->SetTexture(8, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(1, nullptr, 0), D3DERR_INVALIDCALL);
    D3DCLIPSTATUS8 clip{D3DCS_ALL, D3DCS_ALL};
    ASSERT_EQ(device->SetClipStatus(&clip), D3D_OK);
    D3DCLIPSTATUS8 back{};
    ASSERT_EQ(device->GetClipStatus(&back), D3D_OK);
    EXPECT_EQ(back.ClipUnion, DWORD(D3DCS_ALL));
    DWORD passes = 0;
    EXPECT_EQ(device->ValidateDevice(&passes), D3D_OK);
    EXPECT_EQ(passes, 1u);
}

TEST_F(D3DDevice, ResourcesOutliveTheDeviceSafely) {
    CreateDevice();
    EXPECT_EQ(device->AddRef(), 2u);
    EXPECT_EQ(device->Release(), 1u);
    IDirect3DTexture8* t = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
    IDirect3DVertexBuffer8* vb = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb), D3D_OK);
    ASSERT_EQ(device->SetTexture(0, t), D3D_OK);
    IDirect3DDevice8* owner = nullptr;
    ASSERT_EQ(t->GetDevice(&owner), D3D_OK);
    EXPECT_EQ(owner, device);
    EXPECT_EQ(owner->Release(), 1u);
    IDirect3D8* parent = nullptr;
    ASSERT_EQ(device->GetDirect3D(&parent), D3D_OK);
    EXPECT_EQ(parent, d3d);
    parent->Release();

    // The application lets go of the device first, as the framework's shutdown does.
    EXPECT_EQ(device->Release(), 0u);
    device = nullptr;
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->GetDevice(&owner), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->Release(), 0u);
    EXPECT_EQ(vb->Release(), 0u);
    // The Direct3D object outlives its devices.
    D3DDISPLAYMODE mode{};
    EXPECT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
}

TEST_F(D3DDevice, ForeignObjectsAreRefused) {
    CreateDevice();
    IDirect3DDevice8* second = nullptr;
    D3DPRESENT_PARAMETERS p = WindowedParams();
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &second), D3D_OK);
    IDirect3DTexture8* theirs = nullptr;
    ASSERT_EQ(second->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &theirs), D3D_OK);
    EXPECT_EQ(device->SetTexture(0, theirs), D3DERR_INVALIDCALL);
    IDirect3DSurface8* theirBack = nullptr;
    ASSERT_EQ(second->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &theirBack), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(theirBack, nullptr), D3DERR_INVALIDCALL);
    // Both devices draw into their own back buffers.
    ASSERT_EQ(second->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
    std::vector<uint32_t> px;
    UINT w = 0, h = 0;
    ASSERT_TRUE(NolD3D8ReadSurface(second, nullptr, &px, &w, &h));
    EXPECT_EQ(px[0], 0xFF00FF00u);
    ASSERT_TRUE(NolD3D8ReadSurface(device, nullptr, &px, &w, &h));
    EXPECT_EQ(px[0], 0xFFFF0000u);
    theirBack->Release();
    theirs->Release();
    second->Release();
}

}  // namespace
