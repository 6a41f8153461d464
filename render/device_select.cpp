// Choosing the adapter, the display mode and the depth-stencil format.
#include "render/direct3d.h"
#include "shell/log.h"
#include "shell/window.h"

void SelectAdapter() {
    GraphicsStateRecord& g = GraphicsState;
    UINT count = g.d3d->GetAdapterCount();
    LogMessage("アダプタ数 = %d\n", (int)count);
    LogMessage("アダプタID = ");
    if (count >= 2 && HasSwitch("-2nd")) {
        g.adapter = 1;
        LogMessage("1\n");
    } else {
        g.adapter = D3DADAPTER_DEFAULT;
        LogMessage("D3DADAPTER_DEFAULT\n");
    }
    D3DADAPTER_IDENTIFIER8 identifier{};
    g.d3d->GetAdapterIdentifier(g.adapter, 0, &identifier);
    identifier.Description[sizeof identifier.Description - 1] = '\0';
    LogMessage("アダプタ名 = %s\n", identifier.Description);
}

int SelectDisplayMode() {
    GraphicsStateRecord& g = GraphicsState;
    UINT count = g.d3d->GetAdapterModeCount(g.adapter);
    LogMessage("アダプタのモード数 = %d\n", (int)count);

    D3DDISPLAYMODE desktop{};
    g.d3d->GetAdapterDisplayMode(g.adapter, &desktop);
    g.backBufferFormat = desktop.Format;
    LogMessage("現在のモード = %d x %d %s\n", (int)desktop.Width, (int)desktop.Height, FormatName(desktop.Format));

    // The desktop format wins; otherwise the last mode of the right size does.
    bool inDesktopFormat = false;
    D3DFORMAT otherFormat = D3DFMT_UNKNOWN;
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        if (FAILED(g.d3d->EnumAdapterModes(g.adapter, i, &mode))) continue;
        if ((int)mode.Width != g.screenWidth || (int)mode.Height != g.screenHeight) continue;
        if (mode.Format == desktop.Format) {
            inDesktopFormat = true;
            break;
        }
        otherFormat = mode.Format;
    }

    LogMessage("ウインドウ化 = ");
    if (!inDesktopFormat) {
        g.backBufferFormat = otherFormat;
        g.windowed = 0;
        LogMessage("OFF(フォーマット変更)\n");
    } else if (HasSwitch("-win")) {
        g.windowed = 1;
        LogMessage("ON\n");
    } else {
        g.windowed = 0;
        LogMessage("OFF\n");
    }
    LogMessage("選択されたモード = %d x %d %s ", g.screenWidth, g.screenHeight, FormatName(g.backBufferFormat));

    D3DPRESENT_PARAMETERS& p = g.presentParams;
    p = D3DPRESENT_PARAMETERS{};
    p.BackBufferWidth = (UINT)g.screenWidth;
    p.BackBufferHeight = (UINT)g.screenHeight;
    p.BackBufferFormat = g.backBufferFormat;
    p.BackBufferCount = 1;
    p.MultiSampleType = D3DMULTISAMPLE_NONE;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = mainWindow;
    p.Windowed = g.windowed;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = SelectDepthStencilFormat(g.backBufferFormat);
    p.Flags = 0;
    p.FullScreen_RefreshRateInHz = 0;
    p.FullScreen_PresentationInterval = 0;
    LogMessage("(%s)\n", FormatName(p.AutoDepthStencilFormat));
    return 1;
}

D3DFORMAT SelectDepthStencilFormat(D3DFORMAT adapterFormat) {
    static const D3DFORMAT candidates[] = {D3DFMT_D16,   D3DFMT_D15S1,   D3DFMT_D24X8,
                                           D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32};
    IDirect3D8* d3d = GraphicsState.d3d;
    UINT adapter = GraphicsState.adapter;
    for (D3DFORMAT candidate : candidates) {
        if (FAILED(d3d->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                          D3DRTYPE_SURFACE, candidate)))
            continue;
        if (FAILED(d3d->CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, adapterFormat, adapterFormat, candidate)))
            continue;
        return candidate;
    }
    return D3DFMT_UNKNOWN;
}
