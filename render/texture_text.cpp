// Text rendered into a texture through GDI.
#include <algorithm>
#include <cstring>

#include "d3dx8/d3dx8tex.h"
#include "gdi/wingdi.h"
#include "render/graphics_state.h"
#include "render/texture.h"

bool Texture::CreateFromText(const char* text, int height, D3DCOLOR colour, int weight, const char* faceName) {
    Release();
    name = "text";

    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0, faceName);
    SelectObject(dc, font);

    const BYTE alpha = BYTE(colour >> 24), red = BYTE(colour >> 16), green = BYTE(colour >> 8), blue = BYTE(colour);
    SetMapMode(dc, MM_TEXT);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(red, green, blue));

    RECT rect{0, 0, 1, 1};
    DrawTextA(dc, text, -1, &rect, DT_NOPREFIX | DT_CALCRECT | DT_EXPANDTABS);
    const int w = rect.right, h = rect.bottom;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bits) {
        DeleteObject(bitmap);
        DeleteDC(dc);
        DeleteObject(font);
        return false;
    }
    SelectObject(dc, bitmap);
    std::memset(bits, 0, size_t(w) * 4 * size_t(h));
    RECT area{0, 0, w, h};
    DrawTextA(dc, text, -1, &area, DT_NOPREFIX | DT_NOCLIP | DT_EXPANDTABS);

    const UINT tw = std::min<UINT>(UINT(w), GraphicsState.maxTextureWidth);
    const UINT th = std::min<UINT>(UINT(h), GraphicsState.maxTextureHeight);
    HRESULT hr = D3DXCreateTexture(GraphicsState.device, tw, th, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture);
    if (SUCCEEDED(hr)) {
        texture->GetLevelDesc(0, &desc);
        D3DLOCKED_RECT locked{};
        hr = texture->LockRect(0, &locked, nullptr, 0);
        if (SUCCEEDED(hr)) {
            const uint16_t c16 = uint16_t((alpha & 0xF0) << 8 | (red & 0xF0) << 4 | (green & 0xF0) | blue >> 4);
            const UINT rows = std::min(th, desc.Height), columns = std::min(tw, desc.Width);
            const auto* pixels = static_cast<const uint32_t*>(bits);
            for (UINT y = 0; y < rows; ++y) {
                auto* out = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch));
                const uint32_t* in = pixels + size_t(y) * size_t(w);
                for (UINT x = 0; x < columns; ++x) out[x] = in[x] ? c16 : 0;
            }
            texture->UnlockRect(0);
        }
    } else {
        texture = nullptr;
    }

    DeleteObject(bitmap);
    DeleteDC(dc);
    DeleteObject(font);
    return SUCCEEDED(hr);
}
