// Creating and releasing the Direct3D device.
#include "render/direct3d.h"

#include <cstring>

#include "render/text.h"
#include "scene/light.h"
#include "shell/log.h"
#include "shell/window.h"

namespace {

void ShowError(const char* text) { MessageBoxA(GetActiveWindow(), text, "エラー", MB_SYSTEMMODAL); }

template <typename T>
void ReleaseAndClear(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

int InitDirect3D() {
    LogSeparator();
    LogMessage("InitDirect3D\n");
    GraphicsState.d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!GraphicsState.d3d) {
        ShowError("Direct3Dの初期化に失敗しました.");
        return 0;
    }
    if (!InitDevice(SCREEN_WIDTH, SCREEN_HEIGHT)) return 0;
    ReportDeviceCaps();
    InitTransforms();
    InitRenderStates();
    SetDirectionalLight(D3DXVECTOR3(1.0f, -1.0f, 1.0f), D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 0.0f});
    // Without a sprite object sprites simply do not draw.
    D3DXCreateSprite(GraphicsState.device, &GraphicsState.sprite);
    InitFont(16, 0xFFFFFFFF, 400);
    return 1;
}

int InitDevice(int width, int height) {
    GraphicsStateRecord& g = GraphicsState;
    g.screenWidth = width;
    g.screenHeight = height;
    SelectAdapter();
    SelectDisplayMode();
    if (g.windowed == 1) {
        ShowWindow(mainWindow, SW_SHOW);
        UpdateWindow(mainWindow);
    }

    struct Kind {
        const char* name;
        D3DDEVTYPE type;
        DWORD behaviour;
    };
    static const Kind kinds[] = {
        {"TnLHAL", D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
        {"HAL", D3DDEVTYPE_HAL, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
        {"REF", D3DDEVTYPE_REF, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
    };
    bool created = false;
    for (const Kind& kind : kinds) {
        std::strncpy(g.deviceTypeName, kind.name, sizeof g.deviceTypeName - 1);
        if (SUCCEEDED(g.d3d->CreateDevice(g.adapter, kind.type, mainWindow, kind.behaviour, &g.presentParams,
                                          &g.device))) {
            created = true;
            break;
        }
        g.device = nullptr;
    }
    if (!created) {
        ShowError("3Dデバイス初期化失敗.");
        return 0;
    }
    LogMessage("デバイスタイプ = %s\n", g.deviceTypeName);
    return 1;
}

void ReportDeviceCaps() {
    GraphicsStateRecord& g = GraphicsState;
    D3DCAPS8 caps{};
    g.device->GetDeviceCaps(&caps);
    g.maxPrimitiveCount = caps.MaxPrimitiveCount;
    g.maxActiveLights = caps.MaxActiveLights;
    g.fogVertex = (caps.RasterCaps & D3DPRASTERCAPS_FOGVERTEX) ? 1 : 0;
    g.fogTable = (caps.RasterCaps & D3DPRASTERCAPS_FOGTABLE) ? 1 : 0;
    g.fogRange = (caps.RasterCaps & D3DPRASTERCAPS_FOGRANGE) ? 1 : 0;
    g.textureMemoryKB = g.device->GetAvailableTextureMem() >> 10;
    g.maxTextureWidth = caps.MaxTextureWidth;
    g.maxTextureHeight = caps.MaxTextureHeight;
    g.maxTextureStages = caps.MaxSimultaneousTextures;
    g.alphaTextures = (caps.TextureCaps & D3DPTEXTURECAPS_ALPHA) ? 1 : 0;
    g.mipmaps = (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) ? 1 : 0;
    g.bumpMapping = (caps.TextureOpCaps & D3DTEXOPCAPS_BUMPENVMAP) ? 1 : 0;
    LogMessage(
        "最大プリミティブ = %d\n最大ライト = %d\nフォグ{\n\t頂点 = %d\n\tピクセル = %d\n\t範囲 = %d\n}\n"
        "テクスチャー{\n\t利用可能メモリ = %d KB\n\t最大サイズ = %d x %d\n\t最大ステージ = %d\n"
        "\tアルファブレンド = %d\n\tミップマップ = %d\n\tバンプマップ = %d\n}\n",
        (int)g.maxPrimitiveCount, (int)g.maxActiveLights, (int)g.fogVertex, (int)g.fogTable, (int)g.fogRange,
        (int)g.textureMemoryKB, (int)g.maxTextureWidth, (int)g.maxTextureHeight, (int)g.maxTextureStages,
        (int)g.alphaTextures, (int)g.mipmaps, (int)g.bumpMapping);
}

void InitTransforms() {
    GraphicsStateRecord& g = GraphicsState;
    IDirect3DDevice8* device = g.device;

    D3DXMatrixIdentity(&g.worldMatrix);
    device->SetTransform(D3DTS_WORLD, &g.worldMatrix);

    D3DXVECTOR3 eye(0.0f, 0.0f, -1.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&g.viewMatrix, &eye, &at, &up);
    device->SetTransform(D3DTS_VIEW, &g.viewMatrix);

    D3DXMatrixPerspectiveFovLH(&g.projMatrix, D3DX_PI / 4.0f, (float)g.screenWidth / (float)g.screenHeight, 0.1f,
                               1000.0f);
    device->SetTransform(D3DTS_PROJECTION, &g.projMatrix);

    D3DXMatrixIdentity(&g.screenMatrix);
    g.screenMatrix._11 = g.screenWidth * 0.5f;
    g.screenMatrix._22 = -g.screenHeight * 0.5f;
    g.screenMatrix._41 = g.screenWidth * 0.5f;
    g.screenMatrix._42 = g.screenHeight * 0.5f;

    D3DCLIPSTATUS8 clip{D3DCS_ALL, D3DCS_ALL};
    device->SetClipStatus(&clip);

    D3DXMATRIX* o = g.orientationMatrices;
    for (int i = 0; i < 6; ++i) D3DXMatrixIdentity(&o[i]);
    o[1]._11 = -1.0f, o[1]._33 = -1.0f;
    o[2]._11 = 0.0f, o[2]._13 = 1.0f, o[2]._31 = -1.0f, o[2]._33 = 0.0f;
    o[3]._11 = 0.0f, o[3]._13 = -1.0f, o[3]._31 = 1.0f, o[3]._33 = 0.0f;
    o[4]._22 = 0.0f, o[4]._23 = 1.0f, o[4]._32 = 1.0f, o[4]._33 = 0.0f;
    o[5]._22 = 0.0f, o[5]._23 = -1.0f, o[5]._32 = -1.0f, o[5]._33 = 0.0f;

    g.rectTexWindow = RectTexWindow{0.0f, 1.0f, 0.0f, 1.0f};
}

void InitRenderStates() {
    SetLighting(TRUE);
    SetAmbient(0xFF808080);
    SetSpecular(FALSE);
    SetShadeMode(D3DSHADE_GOURAUD);
    SetCulling(TRUE);
    SetZEnable(TRUE);
    SetZWrite(TRUE);
    SetVertexFog(FALSE, 0, 0.0f, 0.0f);
    SetTableFog(FALSE, 0, 0.0f, 0.0f);
    SetAlphaBlend(TRUE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    SetColorStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    SetAlphaStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    SetTextureFilter(0, D3DTEXF_POINT);
    GraphicsState.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
}

void FreeDirect3D() {
    LogSeparator();
    LogMessage("FreeDirect3D\n");
    FreeFont();
    ReleaseAndClear(GraphicsState.sprite);
    ReleaseAndClear(GraphicsState.device);
    ReleaseAndClear(GraphicsState.d3d);
}
