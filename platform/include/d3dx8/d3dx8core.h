// D3DX 8 fonts and sprites, with the original interfaces and signatures.
//
// A font rasterises each glyph once into an atlas texture on its device and draws
// strings as alpha-blended screen quads; a sprite draws textured screen rectangles.
// Both put back the device state they change when their End is called (or at the
// end of a draw call made outside Begin/End).
#pragma once

#include "com/objbase.h"
#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8errors.h"
#include "d3dx8/d3dx8math.h"
#include "gdi/wingdi.h"

extern const IID IID_ID3DXFont;
extern const IID IID_ID3DXSprite;

struct ID3DXFont : IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice8** device) = 0;
    STDMETHOD(GetLogFont)(LOGFONT* logFont) = 0;
    STDMETHOD(Begin)() = 0;
    // Draws count bytes of CP932 text (-1: up to the terminator) in rect with the
    // DT_ format flags and colour; returns the text's height in pixels, 0 on failure.
    // With DT_CALCRECT it draws nothing and fits rect to the text.
    STDMETHOD_(INT, DrawTextA)(LPCSTR text, INT count, LPRECT rect, DWORD format,
                               D3DCOLOR colour) = 0;
    STDMETHOD(End)() = 0;
    STDMETHOD(OnLostDevice)() = 0;
    STDMETHOD(OnResetDevice)() = 0;
};
typedef ID3DXFont* LPD3DXFONT;

struct ID3DXSprite : IUnknown {
    STDMETHOD(GetDevice)(IDirect3DDevice8** device) = 0;
    STDMETHOD(Begin)() = 0;
    // srcRect null: the whole texture. scaling null: (1, 1). rotationCenter is in
    // scaled pixels relative to the sprite's top left; translation is the screen
    // position of that top left. colour modulates the texels.
    STDMETHOD(Draw)(IDirect3DTexture8* texture, const RECT* srcRect, const D3DXVECTOR2* scaling,
                    const D3DXVECTOR2* rotationCenter, float rotation,
                    const D3DXVECTOR2* translation, D3DCOLOR colour) = 0;
    STDMETHOD(DrawTransform)(IDirect3DTexture8* texture, const RECT* srcRect,
                             const D3DXMATRIX* transform, D3DCOLOR colour) = 0;
    STDMETHOD(End)() = 0;
    STDMETHOD(OnLostDevice)() = 0;
    STDMETHOD(OnResetDevice)() = 0;
};
typedef ID3DXSprite* LPD3DXSPRITE;

HRESULT D3DXCreateFont(IDirect3DDevice8* device, HFONT font, LPD3DXFONT* result);
HRESULT D3DXCreateFontIndirect(IDirect3DDevice8* device, const LOGFONT* logFont,
                               LPD3DXFONT* result);
HRESULT D3DXCreateSprite(IDirect3DDevice8* device, LPD3DXSPRITE* result);
