// Device creation, references, queries, Reset and shutdown.
#include "d3d8/device.h"

#include <cstdio>
#include <cstring>

#include "base/platform_log.h"
#include "d3d8/adapter.h"
#include "d3d8/formats.h"
#include "d3d8/gl_api.h"
#include "d3d8/shader_cache.h"
#include "win32/display_connection.h"
#include "win32/process_static.h"
#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"

namespace nol::d3d8 {

namespace {

// Devices alive, for PresentingInto; a device can outlive ordinary statics (the
// shell releases it at exit).
constinit win32::ProcessStatic<std::vector<Device*>> liveDevices;

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

}  // namespace

Device::Device(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow,
               DWORD behaviorFlags)
    : d3d_(d3d), adapter_(adapter), type_(type), focusWindow_(focusWindow),
      behaviorFlags_(behaviorFlags) {
    d3d_->AddRef();
    worlds_.assign(256, Identity());
    view_ = Identity();
    projection_ = Identity();
    for (auto& m : textureTransforms_) m = Identity();
    liveDevices->push_back(this);
}

Device::~Device() { std::erase(*liveDevices, this); }

Device* Device::PresentingInto(HWND window) {
    for (Device* device : *liveDevices)
        if (device->window_ == window) return device;
    return nullptr;
}

HRESULT Device::Create(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                       DWORD flags, D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** out) {
    const DWORD processing = flags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                      D3DCREATE_MIXED_VERTEXPROCESSING);
    const DWORD known = D3DCREATE_FPU_PRESERVE | D3DCREATE_MULTITHREADED | D3DCREATE_PUREDEVICE |
                        D3DCREATE_DISABLE_DRIVER_MANAGEMENT | processing;
    bool oneProcessing = processing == D3DCREATE_SOFTWARE_VERTEXPROCESSING ||
                         processing == D3DCREATE_HARDWARE_VERTEXPROCESSING ||
                         processing == D3DCREATE_MIXED_VERTEXPROCESSING;
    if (!oneProcessing || (flags & ~known)) return D3DERR_INVALIDCALL;

    Device* device = new Device(d3d, adapter, type, focusWindow, flags);
    HWND window = nullptr;
    D3DPRESENT_PARAMETERS checked = *params;
    HRESULT hr = device->ValidatePresentation(&checked, &window);
    if (SUCCEEDED(hr)) hr = device->Initialize(checked, window);
    if (FAILED(hr)) {
        device->Release();
        return hr;
    }
    *params = checked;
    *out = device;
    return D3D_OK;
}

HRESULT Device::ValidatePresentation(D3DPRESENT_PARAMETERS* p, HWND* window) const {
    HWND w = p->hDeviceWindow ? p->hDeviceWindow : focusWindow_;
    if (!w || !IsWindow(w) || !NolSdlWindow(w)) return D3DERR_INVALIDCALL;
    if (p->MultiSampleType != D3DMULTISAMPLE_NONE || p->Flags != 0 || p->BackBufferCount > 1)
        return D3DERR_INVALIDCALL;
    if (p->SwapEffect < D3DSWAPEFFECT_DISCARD || p->SwapEffect > D3DSWAPEFFECT_COPY_VSYNC)
        return D3DERR_INVALIDCALL;
    D3DDISPLAYMODE desktop;
    if (!DesktopMode(adapter_, &desktop)) return D3DERR_INVALIDCALL;

    if (p->Windowed) {
        if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
            RECT client{};
            GetClientRect(w, &client);
            if (p->BackBufferWidth == 0) p->BackBufferWidth = static_cast<UINT>(client.right);
            if (p->BackBufferHeight == 0) p->BackBufferHeight = static_cast<UINT>(client.bottom);
        }
        if (p->BackBufferFormat != desktop.Format || p->FullScreen_RefreshRateInHz != 0 ||
            p->FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_DEFAULT)
            return D3DERR_INVALIDCALL;
    } else {
        if (p->SwapEffect == D3DSWAPEFFECT_COPY_VSYNC) return D3DERR_INVALIDCALL;
        bool listed = false;
        for (const D3DDISPLAYMODE& m : AdapterModes(adapter_)) {
            listed |= m.Width == p->BackBufferWidth && m.Height == p->BackBufferHeight &&
                      m.Format == p->BackBufferFormat &&
                      (p->FullScreen_RefreshRateInHz == 0 ||
                       p->FullScreen_RefreshRateInHz == m.RefreshRate);
        }
        UINT interval = p->FullScreen_PresentationInterval;
        if (!listed || (interval != D3DPRESENT_INTERVAL_DEFAULT &&
                        interval != D3DPRESENT_INTERVAL_ONE &&
                        interval != D3DPRESENT_INTERVAL_IMMEDIATE))
            return D3DERR_INVALIDCALL;
    }
    if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0 ||
        p->BackBufferWidth > MaxTextureSize() || p->BackBufferHeight > MaxTextureSize())
        return D3DERR_INVALIDCALL;
    if (p->EnableAutoDepthStencil && !DepthFormatAvailable(p->AutoDepthStencilFormat))
        return D3DERR_INVALIDCALL;
    if (p->BackBufferCount == 0) p->BackBufferCount = 1;
    *window = w;
    return D3D_OK;
}

HRESULT Device::Initialize(const D3DPRESENT_PARAMETERS& params, HWND window) {
    params_ = params;
    window_ = window;
    sdlWindow_ = NolSdlWindow(window);
    RequestCoreContext();
    context_ = SDL_GL_CreateContext(sdlWindow_);
    if (!context_) {
        NolLog("Direct3D: no OpenGL 3.3 core context on the device window: %s\n", SDL_GetError());
        return D3DERR_NOTAVAILABLE;
    }
    if (SDL_GL_MakeCurrent(sdlWindow_, context_) != 0 || !gl::Load()) return D3DERR_NOTAVAILABLE;

    gl::GenFramebuffers(1, &drawFbo_);
    gl::GenFramebuffers(1, &readFbo_);
    gl::GenVertexArrays(1, &vao_);
    gl::BindVertexArray(vao_);
    gl::GenBuffers(1, &streamVertices_);
    gl::GenBuffers(1, &streamIndices_);
    gl::GenSamplers(8, samplers_);
    for (unsigned i = 0; i < 8; ++i) {
        gl::BindSampler(i, samplers_[i]);
        samplerDirty_[i] = true;
    }
    // Flat shading takes the first vertex of each triangle, as Direct3D does; clockwise
    // on screen is counter-clockwise for OpenGL once y is flipped.
    gl::ProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    gl_.FrontFace(GL_CCW);
    gl::Enable(GL_PROGRAM_POINT_SIZE);
    shaders_ = std::make_unique<ShaderCache>();

    ResetStateToDefaults();
    HRESULT hr = CreateSwapChain();
    if (FAILED(hr)) return hr;
    ApplyWindowMode();
    // The first picture starts black rather than whatever the GL left there.
    Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    return D3D_OK;
}

HRESULT Device::CreateSwapChain() {
    backBuffer_ = new StandaloneSurface(this, Surface::Kind::Color, params_.BackBufferFormat,
                                        params_.BackBufferWidth, params_.BackBufferHeight,
                                        D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    backBuffer_->MarkOwnedByDevice();
    HRESULT hr = backBuffer_->AllocateGl();
    if (FAILED(hr)) return hr;
    if (params_.EnableAutoDepthStencil) {
        autoDepth_ = new StandaloneSurface(this, Surface::Kind::Depth,
                                           params_.AutoDepthStencilFormat, params_.BackBufferWidth,
                                           params_.BackBufferHeight, D3DUSAGE_DEPTHSTENCIL,
                                           D3DPOOL_DEFAULT);
        autoDepth_->MarkOwnedByDevice();
        hr = autoDepth_->AllocateGl();
        if (FAILED(hr)) return hr;
    }
    BindTargets(backBuffer_, autoDepth_);
    FullViewport();
    return D3D_OK;
}

void Device::ApplyWindowMode() {
    if (!sdlWindow_) return;
    int interval = 0;
    bool fullScreen = (SDL_GetWindowFlags(sdlWindow_) & SDL_WINDOW_FULLSCREEN) != 0;
    if (!params_.Windowed) {
        // Full screen covers the desktop at its own mode; Present letterboxes. The
        // window is first moved over the whole display itself, so that it covers
        // it even where no window manager acts on the full-screen request.
        ShowWindow(window_, SW_SHOW);
        if (!fullScreen) {
            SDL_GetWindowPosition(sdlWindow_, &windowedRect_.x, &windowedRect_.y);
            SDL_GetWindowSize(sdlWindow_, &windowedRect_.w, &windowedRect_.h);
            SDL_Rect display{};
            int index = SDL_GetWindowDisplayIndex(sdlWindow_);
            if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &display) == 0) {
                SDL_SetWindowPosition(sdlWindow_, display.x, display.y);
                SDL_SetWindowSize(sdlWindow_, display.w, display.h);
            }
            SDL_SetWindowFullscreen(sdlWindow_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        }
        win32::SetFullScreenPicture(window_, (LONG)params_.BackBufferWidth, (LONG)params_.BackBufferHeight);
        interval = params_.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1;
    } else if (fullScreen) {
        LeaveFullScreen();
    }
    if (MakeCurrent()) SDL_GL_SetSwapInterval(interval);
}

void Device::LeaveFullScreen() {
    win32::SetFullScreenPicture(nullptr, 0, 0);
    SDL_SetWindowFullscreen(sdlWindow_, 0);
    if (windowedRect_.w > 0 && windowedRect_.h > 0) {
        SDL_SetWindowSize(sdlWindow_, windowedRect_.w, windowedRect_.h);
        SDL_SetWindowPosition(sdlWindow_, windowedRect_.x, windowedRect_.y);
    }
}

void Device::ResetStateToDefaults() {
    for (DWORD s = 0; s < kRenderStateCount; ++s) {
        const StateRule* rule = RenderStateRule(s);
        renderStates_[s] = rule ? rule->defaultValue : 0;
    }
    renderStates_[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    for (DWORD stage = 0; stage < 8; ++stage)
        for (DWORD t = 0; t < kStageStateCount; ++t)
            stageStates_[stage][t] = StageStateDefault(stage, t);
    material_ = D3DMATERIAL8{};
    lights_.clear();
    activeLights_.clear();
    clipStatus_ = D3DCLIPSTATUS8{};
    keyDirty_ = fixedStateDirty_ = true;
    for (auto& v : versions_) ++v;
}

void Device::FullViewport() {
    if (!renderTarget_) return;
    viewport_ = D3DVIEWPORT8{0, 0, renderTarget_->Desc().Width, renderTarget_->Desc().Height,
                             0.0f, 1.0f};
    fixedStateDirty_ = true;
    ++versions_[kTransformUniforms];
}

// ---- references --------------------------------------------------------------------

// The application's last reference ends the GL side; the object itself stays while
// any of its children does.
void Device::LastRelease() {
    AddInternalRef();  // the device outlives its own shutdown
    Shutdown();
    ReleaseInternalRef();
}

void Device::ReleaseInternalRef() {
    if (internalRefs_ > 0) --internalRefs_;
    if (internalRefs_ == 0 && References() == 0) delete this;
}

void Device::Shutdown() {
    bool current = MakeCurrent();
    for (DWORD i = 0; i < 8; ++i) BindTexture(i, nullptr);
    BindStream(nullptr, 0);
    BindIndices(nullptr, 0);
    BindTargets(nullptr, nullptr);
    if (backBuffer_) backBuffer_->Unhold();
    if (autoDepth_) autoDepth_->Unhold();
    backBuffer_ = autoDepth_ = nullptr;

    // What the application still holds stays usable on the CPU side only.
    std::vector<DeviceChild*> children(children_.begin(), children_.end());
    for (DeviceChild* child : children) child->DropGl(current);
    if (shaders_) shaders_->Clear(current);
    EmptyBufferPool(current);
    if (current) {
        gl::DeleteFramebuffers(1, &drawFbo_);
        gl::DeleteFramebuffers(1, &readFbo_);
        gl::DeleteVertexArrays(1, &vao_);
        gl::DeleteBuffers(1, &streamVertices_);
        gl::DeleteBuffers(1, &streamIndices_);
        gl::DeleteSamplers(8, samplers_);
    }
    // With the display gone the context and the full-screen mode went with it.
    if (context_ && !NolDisplayLost()) {
        if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(context_);
    }
    context_ = nullptr;
    if (!params_.Windowed && sdlWindow_ && IsWindow(window_) && NolSdlWindow(window_) == sdlWindow_ &&
        !NolDisplayLost())
        LeaveFullScreen();
    if (d3d_) {
        d3d_->Release();
        d3d_ = nullptr;
    }
}

bool Device::MakeCurrent() {
    if (!context_ || NolDisplayLost()) return false;
    if (SDL_GL_GetCurrentContext() == context_) return true;
    if (!IsWindow(window_) || NolSdlWindow(window_) != sdlWindow_) return false;
    return SDL_GL_MakeCurrent(sdlWindow_, context_) == 0;
}

void Device::ForgetGlBindings() {
    for (auto& t : boundTextures_) t = 0;
    gl_.ForgetObjects();
    attribBuffer_ = 0;
    targetDirty_ = true;
}

GlBuffer Device::TakeGlBuffer(size_t bytes) {
    if (!Alive()) return {};
    GlBuffer b = bufferPool_.Take(bytes);
    if (b.name) {
        ++glBuffersReused_;
        return b;
    }
    gl::GenBuffers(1, &b.name);
    ++glBuffersMade_;
    return b;
}

bool Device::KeepGlBuffer(GlBuffer buffer) { return Alive() && bufferPool_.Give(buffer); }

void Device::EmptyBufferPool(bool deleteObjects) {
    std::vector<unsigned> names = bufferPool_.TakeAll();
    if (deleteObjects && !names.empty()) {
        gl::DeleteBuffers(static_cast<GLsizei>(names.size()), names.data());
        ForgetGlBindings();
    }
}

Device::BufferCounts Device::GlBufferCounts() const {
    return {glBuffersMade_, glBuffersReused_, bufferPool_.Count(), bufferPool_.Bytes()};
}

UINT Device::MaxTextureSize() const { return ProbeGl().maxTextureSize; }

size_t Device::ProgramCount() const { return shaders_ ? shaders_->Size() : 0; }

// ---- bindings that hold references ----------------------------------------------------

void Device::BindTexture(DWORD stage, Texture* texture) {
    if (textures_[stage] == texture) return;
    if ((textures_[stage] == nullptr) != (texture == nullptr)) keyDirty_ = true;
    if (texture) texture->Hold();
    if (textures_[stage]) textures_[stage]->Unhold();
    textures_[stage] = texture;
}

void Device::BindStream(VertexBuffer* buffer, UINT stride) {
    if (buffer) buffer->Hold();
    if (stream_) stream_->Unhold();
    stream_ = buffer;
    streamStride_ = buffer ? stride : 0;
}

void Device::BindIndices(IndexBuffer* buffer, UINT baseVertex) {
    if (buffer) buffer->Hold();
    if (indices_) indices_->Unhold();
    indices_ = buffer;
    baseVertexIndex_ = baseVertex;
}

void Device::BindTargets(Surface* renderTarget, Surface* depthStencil) {
    if (renderTarget) renderTarget->Owner()->Hold();
    if (depthStencil) depthStencil->Owner()->Hold();
    if (renderTarget_) renderTarget_->Owner()->Unhold();
    if (depthStencil_) depthStencil_->Owner()->Unhold();
    renderTarget_ = renderTarget;
    depthStencil_ = depthStencil;
    targetDirty_ = fixedStateDirty_ = true;
}

// ---- queries ----------------------------------------------------------------------------

HRESULT Device::TestCooperativeLevel() {
    switch (condition_) {
        case Condition::Lost: return D3DERR_DEVICELOST;
        case Condition::NotReset: return D3DERR_DEVICENOTRESET;
        default: return D3D_OK;
    }
}

UINT Device::GetAvailableTextureMem() { return ProbeGl().textureMemory; }

HRESULT Device::GetDirect3D(IDirect3D8** d3d) {
    if (!d3d) return D3DERR_INVALIDCALL;
    *d3d = d3d_;
    if (!d3d_) return D3DERR_INVALIDCALL;
    d3d_->AddRef();
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
    if (!caps) return D3DERR_INVALIDCALL;
    FillDeviceCaps(adapter_, type_, caps);
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) {
    if (!mode || !DesktopMode(adapter_, mode)) return D3DERR_INVALIDCALL;
    if (!params_.Windowed) {
        // Full screen reports the mode it was asked for; the desktop keeps its own.
        mode->Width = params_.BackBufferWidth;
        mode->Height = params_.BackBufferHeight;
        mode->Format = params_.BackBufferFormat;
    }
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0 || type != D3DBACKBUFFER_TYPE_MONO || !backBuffer_) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return D3D_OK;
}

// ---- Reset ------------------------------------------------------------------------------

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params) {
    if (!params) return D3DERR_INVALIDCALL;
    if (condition_ == Condition::Lost) return D3DERR_DEVICELOST;
    // A failed Reset leaves the device waiting for a good one.
    auto fail = [this](HRESULT hr) {
        condition_ = Condition::NotReset;
        return hr;
    };
    if (!MakeCurrent()) return fail(D3DERR_INVALIDCALL);
    HWND window = nullptr;
    D3DPRESENT_PARAMETERS checked = *params;
    HRESULT hr = ValidatePresentation(&checked, &window);
    if (FAILED(hr)) return fail(hr);
    // Default-pool objects the application still holds must go first, as with
    // the original; the device's own bindings do not count.
    for (DeviceChild* child : children_)
        if (child->Pool() == D3DPOOL_DEFAULT && child->HeldByApplication())
            return fail(D3DERR_INVALIDCALL);

    inScene_ = false;
    for (DWORD i = 0; i < 8; ++i)
        if (textures_[i] && textures_[i]->Pool() == D3DPOOL_DEFAULT) BindTexture(i, nullptr);
    if (stream_ && stream_->Pool() == D3DPOOL_DEFAULT) BindStream(nullptr, 0);
    if (indices_ && indices_->Pool() == D3DPOOL_DEFAULT) BindIndices(nullptr, 0);
    BindTargets(backBuffer_, nullptr);

    params_ = checked;
    if (window != window_) {
        window_ = window;
        sdlWindow_ = NolSdlWindow(window);
        if (SDL_GL_MakeCurrent(sdlWindow_, context_) != 0) return fail(D3DERR_INVALIDCALL);
    }
    hr = backBuffer_->Reconfigure(params_.BackBufferFormat, params_.BackBufferWidth,
                                  params_.BackBufferHeight);
    if (FAILED(hr)) return fail(hr);
    if (params_.EnableAutoDepthStencil) {
        if (!autoDepth_) {
            autoDepth_ = new StandaloneSurface(this, Surface::Kind::Depth,
                                               params_.AutoDepthStencilFormat,
                                               params_.BackBufferWidth, params_.BackBufferHeight,
                                               D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT);
            autoDepth_->MarkOwnedByDevice();
        }
        hr = autoDepth_->Reconfigure(params_.AutoDepthStencilFormat, params_.BackBufferWidth,
                                     params_.BackBufferHeight);
        if (FAILED(hr)) return fail(hr);
    } else if (autoDepth_) {
        autoDepth_->Unhold();
        autoDepth_ = nullptr;
    }
    BindTargets(backBuffer_, autoDepth_);

    // Managed and system-memory resources keep their contents on the CPU side; their
    // GL copies are made again at the next use, as video memory would be refilled.
    for (DeviceChild* child : children_)
        if (child->Pool() != D3DPOOL_DEFAULT) child->DropGl(true);
    EmptyBufferPool(true);
    ForgetGlBindings();
    FullViewport();
    keyDirty_ = fixedStateDirty_ = true;
    ApplyWindowMode();
    condition_ = Condition::Operational;
    Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    *params = checked;
    return D3D_OK;
}

}  // namespace nol::d3d8
