// The single record of the rendering layer: the device, its presentation, the
// shared matrices and what set-up learnt about the hardware. Only the rendering
// layer writes it; other layers read it here and change it through the rendering
// layer's operations (the view through render/view.h). Drawing through the device
// it holds is open to every layer.
#pragma once

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8core.h"
#include "d3dx8/d3dx8math.h"

// The picture the program draws. The back buffer always has this size, whatever
// the window's; screenWidth and screenHeight hold it once the device exists, and
// on-screen tests use it whether or not there is a device.
constexpr int SCREEN_WIDTH = 640;
constexpr int SCREEN_HEIGHT = 480;

struct RectTexWindow {
    float uLeft, uRight, vTop, vBottom;
};

struct GraphicsStateRecord {
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    D3DPRESENT_PARAMETERS presentParams{};
    ID3DXSprite* sprite = nullptr;  // shared by every Sprite

    D3DXMATRIX worldMatrix;
    D3DXMATRIX viewMatrix;       // set by the camera through render/view.h, put on the device per frame
    D3DXMATRIX invViewMatrix;
    D3DXMATRIX projMatrix;
    D3DXMATRIX screenMatrix;     // projected x, y in -1..1 to pixels, y down
    D3DXMATRIX vpsMatrix;        // world to pixels
    D3DXMATRIX invVpsMatrix;     // pixels to world
    D3DXMATRIX orientationMatrices[6];
    D3DXMATRIX cameraWork[2];    // the camera's last changes of the view (render/view.h)
    RectTexWindow rectTexWindow{0, 1, 0, 1};

    UINT adapter = 0;
    int windowed = 0;            // 1 in a window ("-win"), 0 full screen
    char deviceTypeName[8] = "";
    int screenWidth = 0;
    int screenHeight = 0;
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;

    // What the device can do, as ReportDeviceCaps found it.
    UINT maxPrimitiveCount = 0;
    UINT maxActiveLights = 0;
    UINT fogVertex = 0;
    UINT fogTable = 0;
    UINT fogRange = 0;
    UINT textureMemoryKB = 0;
    UINT maxTextureWidth = 0;
    UINT maxTextureHeight = 0;
    UINT maxTextureStages = 0;
    UINT alphaTextures = 0;
    UINT mipmaps = 0;
    UINT bumpMapping = 0;

    // The one font all text is drawn with.
    ID3DXFont* font = nullptr;
    int fontHeight = 0;
    D3DCOLOR textColour = 0;
};

extern GraphicsStateRecord GraphicsState;
