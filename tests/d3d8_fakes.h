// Scriptable Direct3D objects: a Direct3D object with chosen adapters, modes and
// refusals, and a device that records the state it is given.
#pragma once

#include <memory>
#include <cstdio>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "d3d8_null.h"
#include "win32/windows.h"

struct ClearCall {
    DWORD flags;
    D3DCOLOR colour;
    float z;
    DWORD stencil;
};

// One state call, in the order the device received it: a render state (stage -1),
// a texture stage state, or a Clear (stage -2, with its flags as the value).
struct StateCall {
    int stage;
    DWORD state;
    DWORD value;
    bool operator==(const StateCall&) const = default;
};

struct FakeDevice : NullDevice {
    std::vector<StateCall> stateCalls;
    std::map<DWORD, DWORD> renderStates;
    std::vector<std::pair<DWORD, DWORD>> renderStateOrder;
    std::map<std::pair<DWORD, DWORD>, DWORD> stageStates;
    std::map<DWORD, D3DMATRIX> transforms;
    std::vector<ClearCall> clears;
    D3DCAPS8 caps{};
    UINT textureMemory = 64u << 20;
    D3DLIGHT8 light0{};
    BOOL light0Enabled = FALSE;
    D3DMATERIAL8 material{};
    D3DCLIPSTATUS8 clipStatus{};
    HRESULT cooperative = D3D_OK;
    HRESULT presentResult = D3D_OK;
    HRESULT resetResult = D3D_OK;
    HRESULT beginSceneResult = D3D_OK;
    int beginScenes = 0, endScenes = 0, presents = 0, resets = 0;
    D3DPRESENT_PARAMETERS resetParams{};
    bool released = false;

    void OnFinalRelease() override { released = true; }
    HRESULT TestCooperativeLevel() override { return cooperative; }
    UINT GetAvailableTextureMem() override { return textureMemory; }
    HRESULT GetDeviceCaps(D3DCAPS8* out) override {
        *out = caps;
        return D3D_OK;
    }
    HRESULT Reset(D3DPRESENT_PARAMETERS* p) override {
        ++resets;
        resetParams = *p;
        return resetResult;
    }
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override {
        ++presents;
        return presentResult;
    }
    HRESULT BeginScene() override {
        ++beginScenes;
        return beginSceneResult;
    }
    HRESULT EndScene() override {
        ++endScenes;
        return D3D_OK;
    }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) override {
        clears.push_back({flags, colour, z, stencil});
        stateCalls.push_back({-2, 0, flags});
        return D3D_OK;
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m) override {
        transforms[state] = *m;
        return D3D_OK;
    }
    HRESULT SetMaterial(const D3DMATERIAL8* m) override {
        material = *m;
        return D3D_OK;
    }
    HRESULT SetLight(DWORD index, const D3DLIGHT8* l) override {
        if (index == 0) light0 = *l;
        return D3D_OK;
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override {
        if (index == 0) light0Enabled = enable;
        return D3D_OK;
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        renderStates[state] = value;
        renderStateOrder.emplace_back(state, value);
        stateCalls.push_back({-1, (DWORD)state, value});
        return D3D_OK;
    }
    HRESULT SetClipStatus(const D3DCLIPSTATUS8* c) override {
        clipStatus = *c;
        return D3D_OK;
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
        stageStates[{stage, type}] = value;
        stateCalls.push_back({(int)stage, (DWORD)type, value});
        return D3D_OK;
    }
};

struct CreateAttempt {
    UINT adapter;
    D3DDEVTYPE type;
    DWORD behaviour;
    HWND focus;
    D3DPRESENT_PARAMETERS params;
    bool windowVisible;  // whether the focus window was already shown
};

struct FakeDirect3D : NullDirect3D {
    UINT adapters = 1;
    D3DDISPLAYMODE desktop{1024, 768, 60, D3DFMT_X8R8G8B8};
    std::vector<D3DDISPLAYMODE> modes{{640, 480, 60, D3DFMT_X8R8G8B8}, {1024, 768, 60, D3DFMT_X8R8G8B8}};
    std::set<D3DFORMAT> depthFormats{D3DFMT_D16, D3DFMT_D24S8};
    std::set<std::pair<D3DDEVTYPE, DWORD>> refused;  // device kinds CreateDevice refuses
    std::vector<CreateAttempt> attempts;
    std::vector<std::pair<D3DFORMAT, D3DFORMAT>> depthChecks;  // (adapter format, depth format)
    FakeDevice* device = new FakeDevice;
    bool released = false;

    ~FakeDirect3D() { delete device; }

    void OnFinalRelease() override { released = true; }
    UINT GetAdapterCount() override { return adapters; }
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* id) override {
        *id = D3DADAPTER_IDENTIFIER8{};
        std::snprintf(id->Description, sizeof id->Description, "Fake adapter %u", adapter);
        return D3D_OK;
    }
    UINT GetAdapterModeCount(UINT) override { return (UINT)modes.size(); }
    HRESULT EnumAdapterModes(UINT, UINT mode, D3DDISPLAYMODE* out) override {
        if (mode >= modes.size()) return D3DERR_INVALIDCALL;
        *out = modes[mode];
        return D3D_OK;
    }
    HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE* out) override {
        *out = desktop;
        return D3D_OK;
    }
    HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage, D3DRESOURCETYPE rtype,
                              D3DFORMAT check) override {
        depthChecks.emplace_back(adapterFormat, check);
        if (type != D3DDEVTYPE_HAL || usage != D3DUSAGE_DEPTHSTENCIL || rtype != D3DRTYPE_SURFACE)
            return D3DERR_INVALIDCALL;
        return depthFormats.count(check) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE type, D3DFORMAT adapterFormat, D3DFORMAT target,
                                   D3DFORMAT depth) override {
        if (type != D3DDEVTYPE_HAL || adapterFormat != target) return D3DERR_INVALIDCALL;
        return depthFormats.count(depth) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour, D3DPRESENT_PARAMETERS* params,
                         IDirect3DDevice8** out) override {
        attempts.push_back({adapter, type, behaviour, focus, *params, IsWindowVisible(focus) != FALSE});
        // Like the real thing, no device without a back-buffer and depth format.
        if (refused.count({type, behaviour}) || params->BackBufferFormat == D3DFMT_UNKNOWN ||
            params->AutoDepthStencilFormat == D3DFMT_UNKNOWN) {
            *out = nullptr;
            return D3DERR_NOTAVAILABLE;
        }
        device->AddRef();
        *out = device;
        return D3D_OK;
    }
};
