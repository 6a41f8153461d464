// ReadScreenPixel: copy a few pixels of the render target to memory and decode
// the first.
#include "render/screen_pixel.h"

#include <algorithm>

#include "render/graphics_state.h"

D3DCOLOR ScreenPixelColour(D3DFORMAT format, const BYTE* p) {
    const DWORD v16 = DWORD(p[0]) | DWORD(p[1]) << 8;
    DWORD r = 0, g = 0, b = 0;
    switch (format) {
        case D3DFMT_R8G8B8:
        case D3DFMT_A8R8G8B8:
        case D3DFMT_X8R8G8B8: return 0xFF000000u | DWORD(p[2]) << 16 | DWORD(p[1]) << 8 | DWORD(p[0]);
        case D3DFMT_R5G6B5:
            r = ((v16 >> 11) & 31) * 8, g = ((v16 >> 5) & 63) * 4, b = (v16 & 31) * 8;
            break;
        case D3DFMT_X1R5G5B5:
        case D3DFMT_A1R5G5B5:
            r = ((v16 >> 10) & 31) * 8, g = ((v16 >> 5) & 31) * 8, b = (v16 & 31) * 8;
            break;
        case D3DFMT_A4R4G4B4:
            r = ((v16 >> 8) & 15) * 16, g = ((v16 >> 4) & 15) * 16, b = (v16 & 15) * 16;
            break;
        default: return 0;
    }
    return 0xFF000000u | r << 16 | g << 8 | b;
}

D3DCOLOR ReadScreenPixel(int x, int y) {
    const GraphicsStateRecord& g = GraphicsState;
    if (x < 0 || x >= g.screenWidth || y < 0 || y >= g.screenHeight || !g.device) return 0;
    IDirect3DSurface8* target = nullptr;
    if (FAILED(g.device->GetRenderTarget(&target)) || !target) return 0;
    D3DCOLOR colour = 0;
    IDirect3DSurface8* copy = nullptr;
    D3DSURFACE_DESC desc{};
    target->GetDesc(&desc);
    // Near the right and bottom edges, and on a target smaller than the screen,
    // the copied block shrinks to what the target has.
    const RECT block{x, y, std::min<LONG>(x + 3, LONG(desc.Width)), std::min<LONG>(y + 3, LONG(desc.Height))};
    const POINT corner{0, 0};
    D3DLOCKED_RECT locked{};
    if (block.left < block.right && block.top < block.bottom &&
        SUCCEEDED(g.device->CreateImageSurface(4, 4, g.backBufferFormat, &copy)) &&
        SUCCEEDED(g.device->CopyRects(target, &block, 1, copy, &corner)) &&
        SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        colour = ScreenPixelColour(g.backBufferFormat, static_cast<const BYTE*>(locked.pBits));
        copy->UnlockRect();
    }
    if (copy) copy->Release();
    target->Release();
    return colour;
}
