// Texture loading and the texture object.
#include "render/texture.h"

#include <cstdint>

#include "d3dx8/d3dx8tex.h"
#include "render/graphics_state.h"
#include "render/load_failure.h"
#include "scene/shapes.h"
#include "shell/log.h"

HRESULT LoadTextureFile(const char* path, D3DCOLOR colourKey, UINT mipLevels, IDirect3DTexture8** out) {
    return D3DXCreateTextureFromFileExA(GraphicsState.device, path, 0, 0, mipLevels, 0, D3DFMT_A8R8G8B8,
                                        D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, colourKey, nullptr,
                                        nullptr, out);
}

HRESULT LoadTextureResource(const char* name, D3DCOLOR colourKey, UINT mipLevels, IDirect3DTexture8** out) {
    return D3DXCreateTextureFromResourceExA(GraphicsState.device, nullptr, name, 0, 0, mipLevels, 0,
                                            D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE,
                                            D3DX_FILTER_NONE, colourKey, nullptr, nullptr, out);
}

std::string ResourceLabel(const char* name) {
    if (!name) return std::string();
    const uintptr_t value = reinterpret_cast<uintptr_t>(name);
    if (value >> 16 == 0) return "#" + std::to_string(value);  // MAKEINTRESOURCE
    return name;
}

Texture::~Texture() { Release(); }

int Texture::Load(const char* path, D3DCOLOR colourKey, UINT mipLevels) {
    Release();
    name = path ? path : "";
    LogMessage("load(%s) ... ", name.c_str());
    return Loaded(LoadTextureFile(path, colourKey, mipLevels, &texture));
}

int Texture::LoadFromResource(const char* resource, D3DCOLOR colourKey, UINT mipLevels) {
    Release();
    name = ResourceLabel(resource);
    LogMessage("load(%s) ... ", name.c_str());
    return Loaded(LoadTextureResource(resource, colourKey, mipLevels, &texture));
}

int Texture::Loaded(HRESULT result) {
    if (FAILED(result) || !texture) {
        texture = nullptr;
        LogLoadFailed();
        return 0;
    }
    texture->GetLevelDesc(0, &desc);
    LogMessage("ok.\n");
    return 1;
}

void Texture::Release() {
    if (!name.empty()) {
        LogMessage("release(%s)\n", name.c_str());
        name.clear();
    }
    if (texture) texture->Release();
    texture = nullptr;
}

void Texture::GetSize(UINT* width, UINT* height) const {
    if (width) *width = desc.Width;
    if (height) *height = desc.Height;
}

void Texture::DrawAt(int x, int y) {
    IDirect3DDevice8* device = GraphicsState.device;
    if (!device) return;
    device->SetTexture(0, texture);
    DrawTexturedRect2D(x, y, x + static_cast<int>(desc.Width), y + static_cast<int>(desc.Height), 0xFFFFFFFF);
}
