#include "d3d8/gl_api.h"

#include <SDL.h>

#include <cstring>

#include "base/platform_log.h"

namespace nol::d3d8::gl {

#define NOL_GL_DEFINE(type, name) type name = nullptr;
NOL_GL_FUNCTIONS(NOL_GL_DEFINE)
#undef NOL_GL_DEFINE

bool Load() {
    bool ok = true;
#define NOL_GL_LOAD(type, name)                                                          \
    name = reinterpret_cast<type>(SDL_GL_GetProcAddress("gl" #name));                    \
    if (!name && ok) {                                                                   \
        NolLog("Direct3D: OpenGL entry point gl%s is missing\n", #name);                 \
        ok = false;                                                                      \
    }
    NOL_GL_FUNCTIONS(NOL_GL_LOAD)
#undef NOL_GL_LOAD
    return ok;
}

bool HasExtension(const char* name) {
    GLint count = 0;
    GetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* ext = reinterpret_cast<const char*>(GetStringi(GL_EXTENSIONS, i));
        if (ext && std::strcmp(ext, name) == 0) return true;
    }
    return false;
}

}  // namespace nol::d3d8::gl
