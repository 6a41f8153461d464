// Direct3D 8: the Direct3D object, the device and its resources, with the original
// interface and method names. Implemented over OpenGL 3.3 core through SDL2.
#pragma once

#include "com/objbase.h"
#include "d3d8/d3d8caps.h"
#include "d3d8/d3d8enums.h"
#include "d3d8/d3d8structs.h"
#include "d3d8/d3d8types.h"

#define D3D_SDK_VERSION 120

// ---- results ----------------------------------------------------------------------
#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) ((HRESULT)(0x88760000u | (code)))

#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_UNSUPPORTEDALPHAOPERATION MAKE_D3DHRESULT(2076)
#define D3DERR_TOOMANYOPERATIONS MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_UNSUPPORTEDTEXTUREFILTER MAKE_D3DHRESULT(2082)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)

// ---- interface identifiers ------------------------------------------------------------
extern const IID IID_IDirect3D8;
extern const IID IID_IDirect3DDevice8;
extern const IID IID_IDirect3DResource8;
extern const IID IID_IDirect3DBaseTexture8;
extern const IID IID_IDirect3DTexture8;
extern const IID IID_IDirect3DVertexBuffer8;
extern const IID IID_IDirect3DIndexBuffer8;
extern const IID IID_IDirect3DSurface8;

struct IDirect3D8;
struct IDirect3DDevice8;
struct IDirect3DSurface8;
struct IDirect3DBaseTexture8;
struct IDirect3DTexture8;
struct IDirect3DVertexBuffer8;
struct IDirect3DIndexBuffer8;
struct RGNDATA;

// ---- the Direct3D object ----------------------------------------------------------
struct IDirect3D8 : IUnknown {
    STDMETHOD_(UINT, GetAdapterCount)() = 0;
    STDMETHOD(GetAdapterIdentifier)(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) = 0;
    STDMETHOD_(UINT, GetAdapterModeCount)(UINT adapter) = 0;
    STDMETHOD(EnumAdapterModes)(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) = 0;
    STDMETHOD(GetAdapterDisplayMode)(UINT adapter, D3DDISPLAYMODE* displayMode) = 0;
    STDMETHOD(CheckDeviceType)(UINT adapter, D3DDEVTYPE checkType, D3DFORMAT displayFormat,
                               D3DFORMAT backBufferFormat, BOOL windowed) = 0;
    STDMETHOD(CheckDeviceFormat)(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                 DWORD usage, D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
    STDMETHOD(CheckDeviceMultiSampleType)(UINT adapter, D3DDEVTYPE deviceType,
                                          D3DFORMAT surfaceFormat, BOOL windowed,
                                          D3DMULTISAMPLE_TYPE multiSampleType) = 0;
    STDMETHOD(CheckDepthStencilMatch)(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                      D3DFORMAT renderTargetFormat,
                                      D3DFORMAT depthStencilFormat) = 0;
    STDMETHOD(GetDeviceCaps)(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS8* caps) = 0;
    STDMETHOD(CreateDevice)(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow,
                            DWORD behaviorFlags, D3DPRESENT_PARAMETERS* presentationParameters,
                            IDirect3DDevice8** returnedDevice) = 0;
};

// ---- resources ----------------------------------------------------------------------
struct IDirect3DResource8 : IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice8** device) = 0;
    STDMETHOD_(DWORD, SetPriority)(DWORD priority) = 0;
    STDMETHOD_(DWORD, GetPriority)() = 0;
    STDMETHOD_(void, PreLoad)() = 0;
    STDMETHOD_(D3DRESOURCETYPE, GetType)() = 0;
};

struct IDirect3DBaseTexture8 : IDirect3DResource8 {
    STDMETHOD_(DWORD, SetLOD)(DWORD lodNew) = 0;
    STDMETHOD_(DWORD, GetLOD)() = 0;
    STDMETHOD_(DWORD, GetLevelCount)() = 0;
};

struct IDirect3DTexture8 : IDirect3DBaseTexture8 {
    STDMETHOD(GetLevelDesc)(UINT level, D3DSURFACE_DESC* desc) = 0;
    STDMETHOD(GetSurfaceLevel)(UINT level, IDirect3DSurface8** surfaceLevel) = 0;
    STDMETHOD(LockRect)(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) = 0;
    STDMETHOD(UnlockRect)(UINT level) = 0;
    STDMETHOD(AddDirtyRect)(const RECT* dirtyRect) = 0;
};

struct IDirect3DVertexBuffer8 : IDirect3DResource8 {
    STDMETHOD(Lock)(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) = 0;
    STDMETHOD(Unlock)() = 0;
    STDMETHOD(GetDesc)(D3DVERTEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DIndexBuffer8 : IDirect3DResource8 {
    STDMETHOD(Lock)(UINT offsetToLock, UINT sizeToLock, BYTE** data, DWORD flags) = 0;
    STDMETHOD(Unlock)() = 0;
    STDMETHOD(GetDesc)(D3DINDEXBUFFER_DESC* desc) = 0;
};

struct IDirect3DSurface8 : IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice8** device) = 0;
    STDMETHOD(GetContainer)(REFIID riid, void** container) = 0;
    STDMETHOD(GetDesc)(D3DSURFACE_DESC* desc) = 0;
    STDMETHOD(LockRect)(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) = 0;
    STDMETHOD(UnlockRect)() = 0;
};

// ---- the device -----------------------------------------------------------------------
struct IDirect3DDevice8 : IUnknown {
    STDMETHOD(TestCooperativeLevel)() = 0;
    STDMETHOD_(UINT, GetAvailableTextureMem)() = 0;
    STDMETHOD(GetDirect3D)(IDirect3D8** d3d) = 0;
    STDMETHOD(GetDeviceCaps)(D3DCAPS8* caps) = 0;
    STDMETHOD(GetDisplayMode)(D3DDISPLAYMODE* mode) = 0;
    STDMETHOD(Reset)(D3DPRESENT_PARAMETERS* presentationParameters) = 0;
    STDMETHOD(Present)(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                       const RGNDATA* dirtyRegion) = 0;
    STDMETHOD(GetBackBuffer)(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                             IDirect3DSurface8** backBufferSurface) = 0;

    STDMETHOD(CreateTexture)(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool, IDirect3DTexture8** texture) = 0;
    STDMETHOD(CreateVertexBuffer)(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                  IDirect3DVertexBuffer8** vertexBuffer) = 0;
    STDMETHOD(CreateIndexBuffer)(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 IDirect3DIndexBuffer8** indexBuffer) = 0;
    STDMETHOD(CreateDepthStencilSurface)(UINT width, UINT height, D3DFORMAT format,
                                         D3DMULTISAMPLE_TYPE multiSample,
                                         IDirect3DSurface8** surface) = 0;
    STDMETHOD(CreateImageSurface)(UINT width, UINT height, D3DFORMAT format,
                                  IDirect3DSurface8** surface) = 0;
    STDMETHOD(CopyRects)(IDirect3DSurface8* sourceSurface, const RECT* sourceRects, UINT rectCount,
                         IDirect3DSurface8* destinationSurface, const POINT* destPoints) = 0;

    STDMETHOD(SetRenderTarget)(IDirect3DSurface8* renderTarget, IDirect3DSurface8* newZStencil) = 0;
    STDMETHOD(GetRenderTarget)(IDirect3DSurface8** renderTarget) = 0;
    STDMETHOD(GetDepthStencilSurface)(IDirect3DSurface8** zStencilSurface) = 0;

    STDMETHOD(BeginScene)() = 0;
    STDMETHOD(EndScene)() = 0;
    STDMETHOD(Clear)(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                     DWORD stencil) = 0;

    STDMETHOD(SetTransform)(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    STDMETHOD(GetTransform)(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    STDMETHOD(MultiplyTransform)(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
    STDMETHOD(SetViewport)(const D3DVIEWPORT8* viewport) = 0;
    STDMETHOD(GetViewport)(D3DVIEWPORT8* viewport) = 0;
    STDMETHOD(SetMaterial)(const D3DMATERIAL8* material) = 0;
    STDMETHOD(GetMaterial)(D3DMATERIAL8* material) = 0;
    STDMETHOD(SetLight)(DWORD index, const D3DLIGHT8* light) = 0;
    STDMETHOD(GetLight)(DWORD index, D3DLIGHT8* light) = 0;
    STDMETHOD(LightEnable)(DWORD index, BOOL enable) = 0;
    STDMETHOD(GetLightEnable)(DWORD index, BOOL* enable) = 0;
    STDMETHOD(SetRenderState)(D3DRENDERSTATETYPE state, DWORD value) = 0;
    STDMETHOD(GetRenderState)(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    STDMETHOD(SetClipStatus)(const D3DCLIPSTATUS8* clipStatus) = 0;
    STDMETHOD(GetClipStatus)(D3DCLIPSTATUS8* clipStatus) = 0;
    STDMETHOD(GetTexture)(DWORD stage, IDirect3DBaseTexture8** texture) = 0;
    STDMETHOD(SetTexture)(DWORD stage, IDirect3DBaseTexture8* texture) = 0;
    STDMETHOD(GetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
    STDMETHOD(SetTextureStageState)(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    STDMETHOD(ValidateDevice)(DWORD* numPasses) = 0;

    STDMETHOD(DrawPrimitive)(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                             UINT primitiveCount) = 0;
    STDMETHOD(DrawIndexedPrimitive)(D3DPRIMITIVETYPE primitiveType, UINT minIndex, UINT numVertices,
                                    UINT startIndex, UINT primitiveCount) = 0;
    STDMETHOD(DrawPrimitiveUP)(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                               const void* vertexStreamZeroData, UINT vertexStreamZeroStride) = 0;
    STDMETHOD(DrawIndexedPrimitiveUP)(D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex,
                                      UINT numVertexIndices, UINT primitiveCount,
                                      const void* indexData, D3DFORMAT indexDataFormat,
                                      const void* vertexStreamZeroData,
                                      UINT vertexStreamZeroStride) = 0;

    STDMETHOD(SetVertexShader)(DWORD handle) = 0;
    STDMETHOD(GetVertexShader)(DWORD* handle) = 0;
    STDMETHOD(SetStreamSource)(UINT streamNumber, IDirect3DVertexBuffer8* streamData, UINT stride) = 0;
    STDMETHOD(GetStreamSource)(UINT streamNumber, IDirect3DVertexBuffer8** streamData,
                               UINT* stride) = 0;
    STDMETHOD(SetIndices)(IDirect3DIndexBuffer8* indexData, UINT baseVertexIndex) = 0;
    STDMETHOD(GetIndices)(IDirect3DIndexBuffer8** indexData, UINT* baseVertexIndex) = 0;
};

typedef IDirect3D8* LPDIRECT3D8;
typedef IDirect3DDevice8* LPDIRECT3DDEVICE8;
typedef IDirect3DResource8* LPDIRECT3DRESOURCE8;
typedef IDirect3DBaseTexture8* LPDIRECT3DBASETEXTURE8;
typedef IDirect3DTexture8* LPDIRECT3DTEXTURE8;
typedef IDirect3DSurface8* LPDIRECT3DSURFACE8;
typedef IDirect3DVertexBuffer8* LPDIRECT3DVERTEXBUFFER8;
typedef IDirect3DIndexBuffer8* LPDIRECT3DINDEXBUFFER8;

// The Direct3D object for this SDK version (120); null for any other version, or when
// no display with OpenGL 3.3 can be opened.
IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion);
