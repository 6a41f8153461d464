// Textures loaded from image files, and the cache through which models share
// them by file name.
#pragma once

#include <string>

#include "d3d8/d3d8.h"

// One texture loaded from a file, with the description of its top level.
class Texture {
public:
    Texture() = default;
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // colourKey: texels of this colour become transparent, 0 for none.
    int Load(const char* path, D3DCOLOR colourKey, UINT mipLevels);
    int LoadFromResource(const char* name, D3DCOLOR colourKey, UINT mipLevels);
    // The text rendered once through GDI as a one-bit mask in colour (ARGB):
    // A4R4G4B4, cut at the device's largest texture size.
    bool CreateFromText(const char* text, int height, D3DCOLOR colour, int weight, const char* faceName);
    void Release();
    IDirect3DTexture8* GetTexture() const { return texture; }
    void GetSize(UINT* width, UINT* height) const;
    // The whole texture on the screen, its top left corner at pixel (x, y).
    void DrawAt(int x, int y);

    IDirect3DTexture8* texture = nullptr;
    D3DSURFACE_DESC desc{};
    std::string name;  // file of the last load, "text" for rendered text

private:
    // Ends a load that the log line "load(name) ... " began.
    int Loaded(HRESULT result);
};

struct TextureCacheNode {
    IDirect3DTexture8* texture;
    std::string name;  // the key, compared exactly
    int refCount;
    TextureCacheNode* next;
};

// Textures shared by name and counted by holder. Entries live until their last
// holder gives them back; nothing empties the cache at shutdown.
class TextureCacheList {
public:
    IDirect3DTexture8* Acquire(BOOL fromResource, const char* name, D3DCOLOR colourKey, UINT mipLevels);
    void Release(IDirect3DTexture8* texture);

    TextureCacheNode* head = nullptr;
};

extern TextureCacheList TextureCache;

// The loads both share: D3DX with the image's own size, A8R8G8B8, managed pool,
// no filtering.
HRESULT LoadTextureFile(const char* path, D3DCOLOR colourKey, UINT mipLevels, IDirect3DTexture8** out);
HRESULT LoadTextureResource(const char* name, D3DCOLOR colourKey, UINT mipLevels, IDirect3DTexture8** out);

// A resource name as text: integer identifiers read "#123".
std::string ResourceLabel(const char* name);
