// D3DX 8 textures: creating a texture the device can hold, and loading one from
// an image file (BMP/DIB, PNG, TGA, JPEG, PPM) with the original signatures.
//
// Choices where the library leaves room:
// - A width or height of 0 or D3DX_DEFAULT takes the image's own size. It is
//   rounded up to a power of two only when the device reports
//   D3DPTEXTURECAPS_POW2 (unless D3DPTEXTURECAPS_NONPOW2CONDITIONAL allows the
//   exact size for a single level), made square under D3DPTEXTURECAPS_SQUAREONLY,
//   and clamped to MaxTextureWidth / MaxTextureHeight. This layer's device takes
//   any size, so an image keeps its exact size.
// - A format of D3DFMT_UNKNOWN or D3DX_DEFAULT takes the file's: D3DFMT_A8R8G8B8
//   when the image carries alpha (an alpha channel, transparent palette entries)
//   or a colour key is given (the key needs somewhere to put its transparency),
//   D3DFMT_X8R8G8B8 otherwise. A requested format the device cannot hold becomes
//   the nearest one it can: A8R8G8B8 for formats with alpha, X8R8G8B8 without.
// - Conversion to the texture keeps every 8-bit channel exactly: palette indices
//   take their palette colour, 24-bit pixels their bytes, 16-bit channels widen by
//   bit replication. Nothing is gamma- or colour-corrected.
// - Filters: NONE copies the image to the top left and leaves the rest of a
//   larger level transparent black (a smaller level gets the top-left part);
//   POINT takes the nearest texel; LINEAR is bilinear; TRIANGLE and BOX average
//   the covered area when shrinking and are bilinear when enlarging. Edges wrap
//   unless the MIRROR flags say otherwise. DITHER is accepted and changes nothing.
// - A colour key turns every source pixel equal to it (alpha included; images
//   without alpha read as alpha 0xFF) into 0x00000000 before any filtering.
// - The program has no resources: the resource loader fails with
//   D3DXERR_INVALIDDATA. Unreadable, truncated or unknown files fail the same way.
#pragma once

#include "d3d8/d3d8.h"
#include "d3dx8/d3dx8errors.h"
#include "win32/windows.h"

#define D3DX_DEFAULT ((UINT)-1)

#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (8 << 16)

// What an image file holds: its size and the format nearest to its data
// (D3DFMT_R8G8B8 for 24-bit pixels, palettised images as D3DFMT_P8 = 41,
// greyscale as D3DFMT_L8 = 50 ...).
struct D3DXIMAGE_INFO {
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
};

HRESULT WINAPI D3DXCheckTextureRequirements(LPDIRECT3DDEVICE8 pDevice, UINT* pWidth, UINT* pHeight,
                                            UINT* pNumMipLevels, DWORD Usage, D3DFORMAT* pFormat,
                                            D3DPOOL Pool);

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE8 pDevice, UINT Width, UINT Height, UINT MipLevels,
                                 DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                 LPDIRECT3DTEXTURE8* ppTexture);

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE8 pDevice, LPCSTR pSrcFile,
                                          LPDIRECT3DTEXTURE8* ppTexture);

HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8 pDevice, LPCSTR pSrcFile, UINT Width,
                                            UINT Height, UINT MipLevels, DWORD Usage,
                                            D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                            DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            LPDIRECT3DTEXTURE8* ppTexture);

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE8 pDevice, const void* pSrcData,
                                                   UINT SrcDataSize, UINT Width, UINT Height,
                                                   UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                                   D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                                   PALETTEENTRY* pPalette,
                                                   LPDIRECT3DTEXTURE8* ppTexture);

HRESULT WINAPI D3DXCreateTextureFromResourceExA(LPDIRECT3DDEVICE8 pDevice, HMODULE hSrcModule,
                                                LPCSTR pSrcResource, UINT Width, UINT Height,
                                                UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                                D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                                PALETTEENTRY* pPalette,
                                                LPDIRECT3DTEXTURE8* ppTexture);

#define D3DXCreateTextureFromFile D3DXCreateTextureFromFileA
#define D3DXCreateTextureFromFileEx D3DXCreateTextureFromFileExA
#define D3DXCreateTextureFromResourceEx D3DXCreateTextureFromResourceExA
