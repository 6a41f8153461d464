// Texture creation and the texture loaders of D3DX 8.
#include "d3dx8/d3dx8tex.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>
#include <string>

#include "d3d8/formats.h"
#include "d3dx8/image_file.h"
#include "d3dx8/image_filter.h"
#include "d3dx8/load_reason.h"
#include "d3dx8/whole_file.h"

namespace {

using nol::d3dx8::Image;
using nol::d3dx8::Pixels;
using nol::d3d8::FullChainLength;

// No image file the game could use comes near this.
constexpr size_t kMaxFileBytes = size_t(256) << 20;

bool IsDefault(UINT value) { return value == 0 || value == D3DX_DEFAULT; }

// Records the reason and hands the result back, for one-line failure returns.
HRESULT Fail(HRESULT hr, const std::string& reason) {
    nol::d3dx8::SetLoadReason(reason);
    return hr;
}

std::string HexResult(HRESULT hr) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// Why a file could not be read whole: the usual cases in plain words.
std::string WhyUnreadable(const char* path, const std::string& readError) {
    struct stat st{};
    if (stat(path, &st) != 0) return errno == ENOENT || errno == ENOTDIR ? "file not found" : readError;
    if (S_ISDIR(st.st_mode)) return "is a directory";
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) return "file is too large";
    return readError.empty() ? "file cannot be read" : readError;
}

UINT NextPowerOfTwo(UINT v) {
    UINT p = 1;
    while (p < v && p < 0x80000000u) p <<= 1;
    return p;
}

bool HasAlpha(D3DFORMAT f) {
    switch (static_cast<DWORD>(f)) {
        case D3DFMT_A8R8G8B8:
        case D3DFMT_A1R5G5B5:
        case D3DFMT_A4R4G4B4:
        case D3DFMT_A8:
        case D3DFMT_A8R3G3B2:
        case 40:  // A8P8
        case 41:  // P8: palette entries carry alpha
        case 51:  // A8L8
        case 52:  // A4L4
            return true;
        default: return false;
    }
}

// The colour formats of Direct3D 8 that have a nearest format here.
bool IsColourFormat(D3DFORMAT f) {
    const DWORD v = static_cast<DWORD>(f);
    return (v >= D3DFMT_R8G8B8 && v <= D3DFMT_X4R4G4B4) || v == 40 || v == 41 || (v >= 50 && v <= 52);
}

// The format the device will hold for a requested one.
HRESULT NearestFormat(D3DFORMAT requested, D3DFORMAT* out) {
    if (IsDefault(static_cast<UINT>(requested))) {
        *out = D3DFMT_A8R8G8B8;
    } else if (nol::d3d8::FindColorFormat(requested)) {
        *out = requested;
    } else if (IsColourFormat(requested)) {
        *out = HasAlpha(requested) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    } else {
        return D3DERR_NOTAVAILABLE;  // depth, index and compressed formats
    }
    return D3D_OK;
}

// Sizes, level count and format corrected for what the device can do. Sizes here
// are explicit (no defaults).
HRESULT FitToDevice(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* levels, D3DFORMAT* format) {
    D3DCAPS8 caps{};
    if (FAILED(device->GetDeviceCaps(&caps))) return D3DERR_INVALIDCALL;
    UINT w = std::max(1u, *width), h = std::max(1u, *height);
    const bool oneLevel = *levels == 1;
    if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) &&
        !((caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) && oneLevel)) {
        w = NextPowerOfTwo(w);
        h = NextPowerOfTwo(h);
    }
    if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) w = h = std::max(w, h);
    if (caps.MaxTextureWidth) w = std::min(w, static_cast<UINT>(caps.MaxTextureWidth));
    if (caps.MaxTextureHeight) h = std::min(h, static_cast<UINT>(caps.MaxTextureHeight));
    *width = w;
    *height = h;

    const UINT full = FullChainLength(w, h);
    if (IsDefault(*levels) || *levels > full) *levels = full;
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP)) *levels = 1;
    return NearestFormat(*format, format);
}

// The pixels of one level into the texture: through a lock, or for pools that
// cannot be locked, through an image surface copied into the level.
HRESULT WriteLevel(IDirect3DTexture8* texture, UINT level, const Pixels& px) {
    D3DSURFACE_DESC desc{};
    HRESULT hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    const nol::d3d8::ColorFormatInfo* format = nol::d3d8::FindColorFormat(desc.Format);
    if (!format || desc.Width != px.width || desc.Height != px.height) return D3DERR_INVALIDCALL;

    auto fill = [&](const D3DLOCKED_RECT& lr) {
        for (UINT y = 0; y < px.height; ++y)
            nol::d3d8::RowFromArgb(*format, px.argb.data() + size_t(y) * px.width,
                              static_cast<uint8_t*>(lr.pBits) + size_t(y) * lr.Pitch, px.width);
    };
    D3DLOCKED_RECT lr{};
    if (SUCCEEDED(texture->LockRect(level, &lr, nullptr, 0)) && lr.pBits) {
        fill(lr);
        return texture->UnlockRect(level);
    }

    IDirect3DDevice8* device = nullptr;
    hr = texture->GetDevice(&device);
    if (FAILED(hr) || !device) return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
    IDirect3DSurface8* image = nullptr;
    IDirect3DSurface8* target = nullptr;
    hr = device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &image);
    if (SUCCEEDED(hr)) hr = image->LockRect(&lr, nullptr, 0);
    if (SUCCEEDED(hr)) {
        fill(lr);
        image->UnlockRect();
        hr = texture->GetSurfaceLevel(level, &target);
    }
    if (SUCCEEDED(hr)) hr = device->CopyRects(image, nullptr, 0, target, nullptr);
    if (target) target->Release();
    if (image) image->Release();
    device->Release();
    return hr;
}

// Takes the image's pixels: a large texture is not copied on its way in.
HRESULT CreateFromImage(IDirect3DDevice8* device, Image& image, UINT width, UINT height, UINT mipLevels,
                        DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                        D3DCOLOR colourKey, D3DXIMAGE_INFO* info, PALETTEENTRY* palette,
                        IDirect3DTexture8** out) {
    if (info) *info = D3DXIMAGE_INFO{image.width, image.height, 1, 1, image.format};

    if (IsDefault(width)) width = image.width;
    if (IsDefault(height)) height = image.height;
    if (IsDefault(static_cast<UINT>(format)))
        format = image.hasAlpha || colourKey ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    HRESULT hr = FitToDevice(device, &width, &height, &mipLevels, &format);
    if (FAILED(hr)) return Fail(hr, "no texture format of the device holds format " + std::to_string(static_cast<unsigned>(format)));

    Pixels source{image.width, image.height, std::move(image.argb)};
    if (colourKey)
        for (uint32_t& p : source.argb)
            if (p == colourKey) p = 0;

    IDirect3DTexture8* texture = nullptr;
    hr = device->CreateTexture(width, height, mipLevels, usage, format, pool, &texture);
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (FAILED(hr)) return Fail(hr, "the device made no " + size + " texture (" + HexResult(hr) + ")");
    if (!texture) return Fail(D3DERR_INVALIDCALL, "the device made no " + size + " texture");

    Pixels level;
    const UINT count = texture->GetLevelCount();
    std::string why;
    try {
        for (UINT i = 0; i < count && SUCCEEDED(hr); ++i) {
            D3DSURFACE_DESC desc{};
            hr = texture->GetLevelDesc(i, &desc);
            if (FAILED(hr)) break;
            if (i == 0 && desc.Width == source.width && desc.Height == source.height)
                level = std::move(source);  // the first level is the image itself
            else
                level = i == 0 ? nol::d3dx8::Resample(source, desc.Width, desc.Height, filter)
                               : nol::d3dx8::Resample(level, desc.Width, desc.Height, mipFilter);
            hr = WriteLevel(texture, i, level);
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
        why = "no memory to scale the image to " + size;
    }
    if (FAILED(hr)) {
        texture->Release();
        return Fail(hr, !why.empty() ? why : "the pixels could not be written into the texture (" + HexResult(hr) + ")");
    }
    if (palette && !image.palette.empty()) {
        std::fill_n(palette, 256, PALETTEENTRY{0, 0, 0, 0});
        std::copy_n(image.palette.begin(), std::min<size_t>(image.palette.size(), 256), palette);
    }
    *out = texture;
    return D3D_OK;
}

}  // namespace

HRESULT WINAPI D3DXCheckTextureRequirements(LPDIRECT3DDEVICE8 pDevice, UINT* pWidth, UINT* pHeight,
                                            UINT* pNumMipLevels, DWORD, D3DFORMAT* pFormat, D3DPOOL) {
    nol::d3dx8::ClearLoadReason();
    if (!pDevice) return Fail(D3DERR_INVALIDCALL, "no device");
    UINT width = pWidth && !IsDefault(*pWidth) ? *pWidth : 256;
    UINT height = pHeight && !IsDefault(*pHeight) ? *pHeight : 256;
    UINT levels = pNumMipLevels ? *pNumMipLevels : 1;
    D3DFORMAT format = pFormat ? *pFormat : D3DFMT_A8R8G8B8;
    HRESULT hr = FitToDevice(pDevice, &width, &height, &levels, &format);
    if (FAILED(hr)) return Fail(hr, "no texture format of the device holds format " + std::to_string(static_cast<unsigned>(format)));
    if (pWidth) *pWidth = width;
    if (pHeight) *pHeight = height;
    if (pNumMipLevels) *pNumMipLevels = levels;
    if (pFormat) *pFormat = format;
    return D3D_OK;
}

HRESULT WINAPI D3DXCreateTexture(LPDIRECT3DDEVICE8 pDevice, UINT Width, UINT Height, UINT MipLevels,
                                 DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, LPDIRECT3DTEXTURE8* ppTexture) {
    nol::d3dx8::ClearLoadReason();
    if (!ppTexture) return Fail(D3DERR_INVALIDCALL, "no place for the texture");
    *ppTexture = nullptr;
    HRESULT hr = D3DXCheckTextureRequirements(pDevice, &Width, &Height, &MipLevels, Usage, &Format, Pool);
    if (FAILED(hr)) return hr;
    hr = pDevice->CreateTexture(Width, Height, MipLevels, Usage, Format, Pool, ppTexture);
    if (FAILED(hr))
        nol::d3dx8::SetLoadReason("the device made no " + std::to_string(Width) + " x " + std::to_string(Height) +
                             " texture (" + HexResult(hr) + ")");
    return hr;
}

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(LPDIRECT3DDEVICE8 pDevice, const void* pSrcData,
                                                   UINT SrcDataSize, UINT Width, UINT Height,
                                                   UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                                   D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                                   PALETTEENTRY* pPalette, LPDIRECT3DTEXTURE8* ppTexture) {
    nol::d3dx8::ClearLoadReason();
    if (ppTexture) *ppTexture = nullptr;
    if (!pDevice) return Fail(D3DERR_INVALIDCALL, "no device");
    if (!ppTexture) return Fail(D3DERR_INVALIDCALL, "no place for the texture");
    if (!pSrcData || SrcDataSize == 0) return Fail(D3DERR_INVALIDCALL, "no image data");
    if (Filter == D3DX_DEFAULT) Filter = D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER;
    if (MipFilter == D3DX_DEFAULT) MipFilter = D3DX_FILTER_BOX;
    if (!nol::d3dx8::IsValidFilter(Filter)) return Fail(D3DERR_INVALIDCALL, "invalid image filter");
    if (!nol::d3dx8::IsValidFilter(MipFilter)) return Fail(D3DERR_INVALIDCALL, "invalid mipmap filter");

    try {
        Image image;
        std::string why;
        if (!nol::d3dx8::DecodeImage(static_cast<const uint8_t*>(pSrcData), SrcDataSize, &image, &why))
            return Fail(D3DXERR_INVALIDDATA, why.empty() ? "image cannot be read" : why);
        return CreateFromImage(pDevice, image, Width, Height, MipLevels, Usage, Format, Pool, Filter, MipFilter,
                               ColorKey, pSrcInfo, pPalette, ppTexture);
    } catch (const std::bad_alloc&) {
        return Fail(E_OUTOFMEMORY, "out of memory while reading the image");
    }
}

HRESULT WINAPI D3DXCreateTextureFromFileExA(LPDIRECT3DDEVICE8 pDevice, LPCSTR pSrcFile, UINT Width,
                                            UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                            LPDIRECT3DTEXTURE8* ppTexture) {
    nol::d3dx8::ClearLoadReason();
    if (ppTexture) *ppTexture = nullptr;
    if (!pDevice) return Fail(D3DERR_INVALIDCALL, "no device");
    if (!pSrcFile) return Fail(D3DERR_INVALIDCALL, "no file name");
    if (!ppTexture) return Fail(D3DERR_INVALIDCALL, "no place for the texture");
    std::vector<uint8_t> bytes;
    std::string readError;
    try {
        if (!nol::d3dx8::ReadWholeFile(pSrcFile, kMaxFileBytes, &bytes, &readError))
            return Fail(D3DXERR_INVALIDDATA, WhyUnreadable(pSrcFile, readError));
    } catch (const std::bad_alloc&) {
        return Fail(E_OUTOFMEMORY, "out of memory while reading the file");
    }
    if (bytes.empty()) return Fail(D3DXERR_INVALIDDATA, "file is empty");
    return D3DXCreateTextureFromFileInMemoryEx(pDevice, bytes.data(), static_cast<UINT>(bytes.size()), Width,
                                               Height, MipLevels, Usage, Format, Pool, Filter, MipFilter,
                                               ColorKey, pSrcInfo, pPalette, ppTexture);
}

HRESULT WINAPI D3DXCreateTextureFromFileA(LPDIRECT3DDEVICE8 pDevice, LPCSTR pSrcFile,
                                          LPDIRECT3DTEXTURE8* ppTexture) {
    return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                        nullptr, ppTexture);
}

// The program is built without resources, so no name (nor integer identifier)
// finds one.
HRESULT WINAPI D3DXCreateTextureFromResourceExA(LPDIRECT3DDEVICE8 pDevice, HMODULE, LPCSTR pSrcResource, UINT,
                                                UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, DWORD Filter,
                                                DWORD MipFilter, D3DCOLOR, D3DXIMAGE_INFO*, PALETTEENTRY*,
                                                LPDIRECT3DTEXTURE8* ppTexture) {
    nol::d3dx8::ClearLoadReason();
    if (ppTexture) *ppTexture = nullptr;
    if (!pDevice) return Fail(D3DERR_INVALIDCALL, "no device");
    if (!pSrcResource) return Fail(D3DERR_INVALIDCALL, "no resource name");
    if (!ppTexture) return Fail(D3DERR_INVALIDCALL, "no place for the texture");
    if (Filter != D3DX_DEFAULT && !nol::d3dx8::IsValidFilter(Filter)) return Fail(D3DERR_INVALIDCALL, "invalid image filter");
    if (MipFilter != D3DX_DEFAULT && !nol::d3dx8::IsValidFilter(MipFilter))
        return Fail(D3DERR_INVALIDCALL, "invalid mipmap filter");
    return Fail(D3DXERR_INVALIDDATA, "the program carries no resources");
}
