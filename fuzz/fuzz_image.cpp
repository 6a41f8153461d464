// The image decoder (BMP, PNG, TGA, JPEG, PPM: the kind is read from the bytes),
// and the texture loader over it with a mip chain, a colour key and filtering,
// on a device that is memory only.
#include <cstddef>
#include <cstdint>

#include "d3dx8/d3dx8tex.h"
#include "d3dx8/image_file.h"
#include "fuzz_device.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    nol::d3dx8::Image image;
    if (!nol::d3dx8::DecodeImage(bytes, size, &image)) return 0;
    FuzzCheck(image.width > 0 && image.height > 0, "a decoded image has pixels");
    FuzzCheck(image.width <= nol::d3dx8::kMaxImageSide && image.height <= nol::d3dx8::kMaxImageSide, "the side limit holds");
    FuzzCheck(image.argb.size() == size_t(image.width) * image.height, "a pixel for every place");
    FuzzCheck(image.palette.size() <= 256, "a palette of at most 256 colours");

    IDirect3DTexture8* texture = nullptr;
    D3DXIMAGE_INFO info{};
    PALETTEENTRY palette[256];
    HRESULT hr = D3DXCreateTextureFromFileInMemoryEx(FuzzDevice(), bytes, UINT(size), D3DX_DEFAULT, D3DX_DEFAULT,
                                                     D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                     D3DX_FILTER_TRIANGLE, D3DX_FILTER_BOX, 0xFF000000, &info,
                                                     palette, &texture);
    if (hr == D3D_OK) {
        FuzzCheck(texture != nullptr, "a loaded texture exists");
        FuzzCheck(info.Width == image.width && info.Height == image.height, "the file's size is reported");
        texture->Release();
    }
    FuzzCheck(FuzzDevice()->live == 0, "a texture is released with its last reference");
    return 0;
}
