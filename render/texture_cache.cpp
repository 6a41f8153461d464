// The shared texture cache: a singly linked list searched from its head.
#include <new>

#include "render/load_failure.h"
#include "render/texture.h"
#include "shell/log.h"

TextureCacheList TextureCache;

IDirect3DTexture8* TextureCacheList::Acquire(BOOL fromResource, const char* name, D3DCOLOR colourKey,
                                             UINT mipLevels) {
    const std::string key = fromResource ? ResourceLabel(name) : std::string(name ? name : "");
    for (TextureCacheNode* node = head; node; node = node->next) {
        if (node->name == key) {
            ++node->refCount;
            return node->texture;
        }
    }

    LogMessage("load(%s) ... ", key.c_str());
    IDirect3DTexture8* texture = nullptr;
    HRESULT hr = fromResource ? LoadTextureResource(name, colourKey, mipLevels, &texture)
                              : LoadTextureFile(name, colourKey, mipLevels, &texture);
    TextureCacheNode* node = SUCCEEDED(hr) && texture ? new (std::nothrow) TextureCacheNode{texture, key, 1, nullptr}
                                                      : nullptr;
    if (!node) {
        if (texture) texture->Release();
        LogLoadFailed();
        return nullptr;
    }
    LogMessage("ok.\n");
    // The newest entry goes right after the head, not at the end.
    if (!head) {
        head = node;
    } else {
        node->next = head->next;
        head->next = node;
    }
    return texture;
}

void TextureCacheList::Release(IDirect3DTexture8* texture) {
    TextureCacheNode* previous = nullptr;
    TextureCacheNode* node = head;
    while (node && node->texture != texture) {
        previous = node;
        node = node->next;
    }
    if (!node) return;
    if (--node->refCount > 0) return;
    LogMessage("release(%s)\n", node->name.c_str());
    node->texture->Release();
    (previous ? previous->next : head) = node->next;
    delete node;
}
