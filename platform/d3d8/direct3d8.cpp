#include "d3d8/direct3d8.h"
#include "d3d8/d3d8_test_hooks.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "d3d8/adapter.h"
#include "d3d8/device.h"
#include "d3d8/formats.h"
#include "d3d8/large_blocks.h"

const IID IID_IDirect3D8 = {0x1dd9e8da, 0x1c77, 0x4d40, {0xb0, 0xcf, 0x98, 0xfe, 0xfd, 0xff, 0x95, 0x12}};
const IID IID_IDirect3DDevice8 = {0x7385e5df, 0x8fe8, 0x41d5, {0x86, 0xb6, 0xd7, 0xb4, 0x85, 0x47, 0xb6, 0xcf}};
const IID IID_IDirect3DResource8 = {0x1b36bb7b, 0x09b7, 0x410a, {0xb4, 0x45, 0x7d, 0x14, 0x30, 0xd7, 0xb3, 0x3f}};
const IID IID_IDirect3DBaseTexture8 = {0xb4211cfa, 0x51b9, 0x4a9f, {0xab, 0x78, 0xdb, 0x99, 0xb2, 0xbb, 0x67, 0x8e}};
const IID IID_IDirect3DTexture8 = {0xe4cdd575, 0x2866, 0x4f01, {0xb1, 0x2e, 0x7e, 0xec, 0xe1, 0xec, 0x93, 0x58}};
const IID IID_IDirect3DVertexBuffer8 = {0x8aeeeac7, 0x05f9, 0x44d4, {0xb5, 0x91, 0x00, 0x0b, 0x0d, 0xf1, 0xcb, 0x95}};
const IID IID_IDirect3DIndexBuffer8 = {0x0e689c9a, 0x053d, 0x44a0, {0x9d, 0x92, 0xdb, 0x0e, 0x3d, 0x75, 0x0f, 0x86}};
const IID IID_IDirect3DSurface8 = {0xb96eebca, 0xb326, 0x4ea5, {0x88, 0x2f, 0x2f, 0xf5, 0xba, 0xe0, 0x21, 0xdd}};

namespace {
NolDirect3DCreateHook createHook = nullptr;
}

void NolD3D8SetCreateHook(NolDirect3DCreateHook hook) { createHook = hook; }

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
    if (createHook) return createHook(sdkVersion);
    if (sdkVersion != D3D_SDK_VERSION) return nullptr;
    if (!nol::d3d8::ProbeGl().ok) return nullptr;
    nol::d3d8::ReturnLargeBlocksToTheSystem();
    return new nol::d3d8::Direct3D8();
}

namespace nol::d3d8 {

namespace {

void CopyText(char* dst, size_t size, const std::string& text) {
    std::snprintf(dst, size, "%s", text.c_str());
}

}  // namespace

bool Direct3D8::ValidAdapter(UINT adapter, D3DDEVTYPE type) {
    return adapter < AdapterCount() && (type == D3DDEVTYPE_HAL || type == D3DDEVTYPE_REF);
}

UINT Direct3D8::GetAdapterCount() { return AdapterCount(); }

HRESULT Direct3D8::GetAdapterIdentifier(UINT adapter, DWORD flags,
                                        D3DADAPTER_IDENTIFIER8* id) {
    if (!id || adapter >= AdapterCount() || (flags & ~DWORD(D3DENUM_NO_WHQL_LEVEL)))
        return D3DERR_INVALIDCALL;
    const GlCapabilities& gl = ProbeGl();
    *id = D3DADAPTER_IDENTIFIER8{};
    CopyText(id->Driver, sizeof id->Driver, "nol Direct3D 8 on OpenGL " + gl.version);
    CopyText(id->Description, sizeof id->Description, gl.renderer + " (" + gl.vendor + ")");
    // The GL version "major.minor[.release]" as product.version.subversion.build.
    unsigned major = 0, minor = 0, release = 0;
    std::sscanf(gl.version.c_str(), "%u.%u.%u", &major, &minor, &release);
    id->DriverVersion.HighPart = static_cast<LONG>(major << 16 | (minor & 0xFFFF));
    id->DriverVersion.LowPart = release << 16;
    size_t h = std::hash<std::string>{}(gl.renderer + gl.vendor);
    id->DeviceIdentifier.Data1 = static_cast<uint32_t>(h);
    id->DeviceIdentifier.Data2 = static_cast<uint16_t>(h >> 32);
    id->DeviceIdentifier.Data3 = static_cast<uint16_t>(h >> 48);
    std::memcpy(id->DeviceIdentifier.Data4, gl.renderer.c_str(),
                std::min<size_t>(8, gl.renderer.size()));
    id->WHQLLevel = 0;
    return D3D_OK;
}

UINT Direct3D8::GetAdapterModeCount(UINT adapter) {
    return static_cast<UINT>(AdapterModes(adapter).size());
}

HRESULT Direct3D8::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) {
    if (!displayMode) return D3DERR_INVALIDCALL;
    std::vector<D3DDISPLAYMODE> modes = AdapterModes(adapter);
    if (mode >= modes.size()) return D3DERR_INVALIDCALL;
    *displayMode = modes[mode];
    return D3D_OK;
}

HRESULT Direct3D8::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) {
    if (!displayMode || !DesktopMode(adapter, displayMode)) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT Direct3D8::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                   D3DFORMAT backBufferFormat, BOOL) {
    if (!ValidAdapter(adapter, type)) return D3DERR_INVALIDCALL;
    D3DDISPLAYMODE desktop;
    if (!DesktopMode(adapter, &desktop)) return D3DERR_INVALIDCALL;
    // Every listed mode, windowed or not, is in the desktop's format.
    if (displayFormat != desktop.Format || backBufferFormat != displayFormat)
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT Direct3D8::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                     DWORD usage, D3DRESOURCETYPE resourceType,
                                     D3DFORMAT checkFormat) {
    const DWORD knownUsage = D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC |
                             D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING |
                             D3DUSAGE_DONOTCLIP | D3DUSAGE_POINTS;
    if (!ValidAdapter(adapter, type) || !IsDisplayFormat(adapterFormat) || (usage & ~knownUsage))
        return D3DERR_INVALIDCALL;
    if (usage & D3DUSAGE_DEPTHSTENCIL) {
        bool ok = resourceType == D3DRTYPE_SURFACE && !(usage & D3DUSAGE_RENDERTARGET) &&
                  DepthFormatAvailable(checkFormat);
        return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    switch (resourceType) {
        case D3DRTYPE_SURFACE:
        case D3DRTYPE_TEXTURE:
            return FindColorFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DRTYPE_VERTEXBUFFER:
            return checkFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
        case D3DRTYPE_INDEXBUFFER:
            return checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32
                       ? D3D_OK
                       : D3DERR_NOTAVAILABLE;
        default: return D3DERR_NOTAVAILABLE;  // no volume or cube textures here
    }
}

HRESULT Direct3D8::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                              BOOL, D3DMULTISAMPLE_TYPE multiSampleType) {
    if (!ValidAdapter(adapter, type)) return D3DERR_INVALIDCALL;
    if (!FindColorFormat(format) && !DepthFormatAvailable(format)) return D3DERR_NOTAVAILABLE;
    return multiSampleType == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D8::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                          D3DFORMAT renderTargetFormat,
                                          D3DFORMAT depthStencilFormat) {
    if (!ValidAdapter(adapter, type) || !IsDisplayFormat(adapterFormat)) return D3DERR_INVALIDCALL;
    // Any colour target works with any depth buffer of at least its size.
    if (!FindColorFormat(renderTargetFormat) || !DepthFormatAvailable(depthStencilFormat))
        return D3DERR_NOTAVAILABLE;
    return D3D_OK;
}

HRESULT Direct3D8::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
    if (!caps || !ValidAdapter(adapter, type)) return D3DERR_INVALIDCALL;
    FillDeviceCaps(adapter, type, caps);
    return D3D_OK;
}

HRESULT Direct3D8::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                                IDirect3DDevice8** device) {
    if (device) *device = nullptr;
    if (!device || !params || !ValidAdapter(adapter, type)) return D3DERR_INVALIDCALL;
    return Device::Create(this, adapter, type, focusWindow, behaviorFlags, params, device);
}

}  // namespace nol::d3d8
