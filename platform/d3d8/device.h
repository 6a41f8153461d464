// The Direct3D 8 device over one OpenGL 3.3 core context on the device window.
//
// Every colour surface is rendered upside down by OpenGL's reckoning so that row 0
// in memory is the top row, as Direct3D has it: locks, CopyRects and read-backs
// need no flipping, and Present flips once when it scales the 640 x 480 (or
// whatever size) back buffer into the window.
#pragma once

#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

#include <SDL.h>

#include "d3d8/d3d8.h"
#include "d3d8/fvf.h"
#include "d3d8/gl_state.h"
#include "d3d8/resources.h"
#include "d3d8/shader_key.h"
#include "d3d8/state_tables.h"

namespace nol::d3d8 {

class ShaderCache;
struct Program;

// Whether the device can draw; only the test hooks make it anything but operational.
enum class Condition { Operational, Lost, NotReset };

class Device : public nol::com::Object<IDirect3DDevice8, IID_IDirect3DDevice8> {
public:
    static HRESULT Create(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                          DWORD behaviorFlags, D3DPRESENT_PARAMETERS* params,
                          IDirect3DDevice8** device);

    // ---- device, frame, presentation (device.cpp, device_present.cpp)
    HRESULT TestCooperativeLevel() override;
    UINT GetAvailableTextureMem() override;
    HRESULT GetDirect3D(IDirect3D8** d3d) override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const RGNDATA* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface8** surface) override;

    // ---- resources (device_resources.cpp)
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** vertexBuffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** indexBuffer) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                      D3DMULTISAMPLE_TYPE multiSample,
                                      IDirect3DSurface8** surface) override;
    HRESULT CreateImageSurface(UINT width, UINT height, D3DFORMAT format,
                               IDirect3DSurface8** surface) override;
    HRESULT CopyRects(IDirect3DSurface8* sourceSurface, const RECT* sourceRects, UINT rectCount,
                      IDirect3DSurface8* destinationSurface, const POINT* destPoints) override;
    HRESULT SetRenderTarget(IDirect3DSurface8* renderTarget,
                            IDirect3DSurface8* newZStencil) override;
    HRESULT GetRenderTarget(IDirect3DSurface8** renderTarget) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface8** zStencilSurface) override;

    // ---- drawing (device_draw.cpp)
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                          UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, UINT minIndex, UINT numVertices,
                                 UINT startIndex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                            const void* vertexStreamZeroData,
                            UINT vertexStreamZeroStride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex,
                                   UINT numVertexIndices, UINT primitiveCount,
                                   const void* indexData, D3DFORMAT indexDataFormat,
                                   const void* vertexStreamZeroData,
                                   UINT vertexStreamZeroStride) override;

    // ---- state (device_state.cpp)
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT8* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT8* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetClipStatus(const D3DCLIPSTATUS8* clipStatus) override;
    HRESULT GetClipStatus(D3DCLIPSTATUS8* clipStatus) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                 DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                 DWORD value) override;
    HRESULT ValidateDevice(DWORD* numPasses) override;
    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT GetVertexShader(DWORD* handle) override;
    HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8* streamData,
                            UINT stride) override;
    HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer8** streamData,
                            UINT* stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* indexData, UINT baseVertexIndex) override;
    HRESULT GetIndices(IDirect3DIndexBuffer8** indexData, UINT* baseVertexIndex) override;

    // ---- for the objects the device creates
    void Register(DeviceChild* child) { children_.insert(child); }
    void Unregister(DeviceChild* child) { children_.erase(child); }
    void AddInternalRef() { ++internalRefs_; }
    void ReleaseInternalRef();
    // Whether the GL context still exists (the application has not let go).
    bool Alive() const { return context_ != nullptr; }
    // Makes the context current; false when it cannot be (no context, no window).
    bool MakeCurrent();
    UINT MaxTextureSize() const;
    // GL objects were deleted: names the device remembers as bound may be reused.
    void ForgetGlBindings();
    // Binds a GL buffer to GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER unless it is.
    void BindGlBuffer(unsigned target, unsigned buffer) { gl_.BindBuffer(target, buffer); }
    // A GL buffer for bytes of contents, kept from a released buffer when there is
    // one, otherwise a new one without storage; 0 without context.
    GlBuffer TakeGlBuffer(size_t bytes);
    // A released buffer's GL buffer, kept for another; false when it is not kept.
    bool KeepGlBuffer(GlBuffer buffer);

    // ---- for the test hooks
    void SetCondition(Condition condition) { condition_ = condition; }
    // A colour surface (null: the back buffer) as 0xAARRGGBB, row 0 on top.
    bool ReadSurface(Surface* surface, std::vector<uint32_t>* pixels, UINT* width,
                     UINT* height);
    size_t ProgramCount() const;
    struct BufferCounts {
        uint64_t made, reused;
        size_t kept, keptBytes;
    };
    BufferCounts GlBufferCounts() const;
    // Keeps a copy of every picture Present puts into the window.
    void CapturePresents(bool on) { capturePresents_ = on; }
    bool LastPresented(std::vector<uint32_t>* pixels, UINT* width, UINT* height) const;
    // The live device that presents into window when not told otherwise, or null.
    static Device* PresentingInto(HWND window);

private:
    Device(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags);
    ~Device() override;
    void LastRelease() override;

    // device.cpp
    HRESULT ValidatePresentation(D3DPRESENT_PARAMETERS* params, HWND* window) const;
    HRESULT Initialize(const D3DPRESENT_PARAMETERS& params, HWND window);
    HRESULT CreateSwapChain();
    void ApplyWindowMode();
    void LeaveFullScreen();
    void ResetStateToDefaults();
    void Shutdown();
    void BindTexture(DWORD stage, Texture* texture);
    void BindStream(VertexBuffer* buffer, UINT stride);
    void BindIndices(IndexBuffer* buffer, UINT baseVertex);
    void BindTargets(Surface* renderTarget, Surface* depthStencil);
    void FullViewport();
    // Deletes (a current context) or forgets the kept GL buffers.
    void EmptyBufferPool(bool deleteObjects);

    // device_present.cpp
    void ClearWindowToBlack();
    void BlitBackBuffer(const RECT& src, const RECT& dst, int drawableWidth, int drawableHeight);
    void CaptureWindow(int drawableWidth, int drawableHeight);

    // device_draw.cpp
    HRESULT CheckDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT* vertexCount) const;
    bool PrepareTarget();
    bool PrepareDraw();
    void SetupVertexInput(unsigned buffer, UINT stride, size_t offset);
    // A rectangle of the render target (rows from the top) in the GL coordinates
    // of the framebuffer it is drawn in: left, top = GL x, y of its first corner.
    RECT TargetRect(LONG x1, LONG y1, LONG x2, LONG y2) const;

    // device_shader_key.cpp
    ShaderKey BuildKey() const;
    void KeyLighting(ShaderKey& key) const;
    void KeyFog(ShaderKey& key) const;
    void KeyStages(ShaderKey& key) const;

    // device_pipeline.cpp
    void ApplyFixedState();
    void ApplySamplers();
    void UploadUniforms(Program& program);
    void UploadTransformUniforms(Program& program);
    void UploadMaterialUniforms(Program& program);
    void UploadLights(Program& program);
    void UploadFogUniforms(Program& program);
    void UploadMiscUniforms(Program& program);
    void UploadTexelNudges(Program& program);
    // device_blend.cpp
    bool BlendNeeded() const;
    bool DrawnDiffuseOpaque() const;

    // device_resources.cpp
    HRESULT CopyBetween(Surface* src, const RECT& rect, Surface* dst, POINT to);
    bool ReadColorRect(Surface* surface, const RECT& rect, uint32_t* argb);
    void WriteColorRect(Surface* surface, const RECT& rect, const uint32_t* argb);

    IDirect3D8* d3d_;
    UINT adapter_;
    D3DDEVTYPE type_;
    HWND focusWindow_;
    DWORD behaviorFlags_;
    D3DPRESENT_PARAMETERS params_{};
    HWND window_ = nullptr;
    SDL_Window* sdlWindow_ = nullptr;
    SDL_GLContext context_ = nullptr;
    SDL_Rect windowedRect_{};  // where the window was before full screen
    int drawableWidth_ = 0;    // the window's size at the last Present
    int drawableHeight_ = 0;

    ULONG internalRefs_ = 0;  // the children's and the device's own
    std::unordered_set<DeviceChild*> children_;
    Condition condition_ = Condition::Operational;
    bool inScene_ = false;

    // The swap chain and the current targets (held references).
    StandaloneSurface* backBuffer_ = nullptr;
    StandaloneSurface* autoDepth_ = nullptr;
    Surface* renderTarget_ = nullptr;
    Surface* depthStencil_ = nullptr;

    // Fixed-function state.
    DWORD renderStates_[kRenderStateCount] = {};
    DWORD stageStates_[8][kStageStateCount] = {};
    D3DMATRIX view_{};
    D3DMATRIX projection_{};
    D3DMATRIX textureTransforms_[8] = {};
    std::vector<D3DMATRIX> worlds_;
    D3DMATERIAL8 material_{};
    struct LightSlot {
        D3DLIGHT8 light;
        bool enabled;
    };
    std::map<DWORD, LightSlot> lights_;
    std::vector<DWORD> activeLights_;  // in enabling order
    D3DVIEWPORT8 viewport_{};
    D3DCLIPSTATUS8 clipStatus_{};
    Texture* textures_[8] = {};
    VertexBuffer* stream_ = nullptr;
    UINT streamStride_ = 0;
    IndexBuffer* indices_ = nullptr;
    UINT baseVertexIndex_ = 0;
    DWORD vertexShader_ = 0;
    VertexLayout layout_;
    bool layoutValid_ = false;

    // GL objects and what is applied of the state.
    unsigned drawFbo_ = 0;
    unsigned readFbo_ = 0;
    unsigned vao_ = 0;
    GlBufferPool bufferPool_;
    uint64_t glBuffersMade_ = 0;
    uint64_t glBuffersReused_ = 0;
    unsigned streamVertices_ = 0;
    unsigned streamIndices_ = 0;
    unsigned samplers_[8] = {};
    std::unique_ptr<ShaderCache> shaders_;
    Program* program_ = nullptr;
    GlState gl_;
    bool keyDirty_ = true;
    bool fixedStateDirty_ = true;
    bool targetDirty_ = true;
    bool samplerDirty_[8] = {};
    unsigned boundTextures_[8] = {};
    uint64_t versions_[5] = {1, 1, 1, 1, 1};  // per UniformGroup
    unsigned attribBuffer_ = 0;
    UINT attribStride_ = 0;
    size_t attribOffset_ = 0;
    DWORD attribFvf_ = 0;
    uint32_t enabledAttribs_ = 0;
    // The vertices of the user-memory draw being made, else null.
    struct {
        const uint8_t* data = nullptr;
        size_t count = 0;
        UINT stride = 0;
    } userVertices_;

    bool capturePresents_ = false;
    std::vector<uint32_t> presented_;
    UINT presentedWidth_ = 0;
    UINT presentedHeight_ = 0;
};

}  // namespace nol::d3d8
