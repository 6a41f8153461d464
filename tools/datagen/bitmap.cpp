#include "datagen/bitmap.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace datagen {
namespace {

bool Save(SDL_Surface* surface, const std::string& path) {
    const bool ok = SDL_SaveBMP(surface, path.c_str()) == 0;
    if (!ok) std::fprintf(stderr, "nol_datagen: %s: %s\n", path.c_str(), SDL_GetError());
    SDL_FreeSurface(surface);
    return ok;
}

SDL_Surface* NewSurface(int width, int height, int depth, Uint32 format) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, depth, format);
    if (!surface) std::fprintf(stderr, "nol_datagen: no %dx%d surface: %s\n", width, height, SDL_GetError());
    return surface;
}

}  // namespace

bool SaveBmp24(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
    SDL_Surface* surface = NewSurface(width, height, 24, SDL_PIXELFORMAT_RGB24);
    if (!surface) return false;
    for (int y = 0; y < height; ++y)
        std::copy_n(&rgb[size_t(y) * width * 3], size_t(width) * 3,
                    static_cast<uint8_t*>(surface->pixels) + size_t(y) * surface->pitch);
    return Save(surface, path);
}

bool SaveBmp32(const std::string& path, int width, int height, const std::vector<uint32_t>& argb) {
    // A surface with an alpha channel is written with a version 4 header whose
    // masks include alpha; without one SDL would drop it.
    SDL_Surface* surface = NewSurface(width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(surface->pixels) + size_t(y) * surface->pitch, &argb[size_t(y) * width],
                    size_t(width) * 4);
    return Save(surface, path);
}

}  // namespace datagen
