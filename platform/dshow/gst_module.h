// The filter graph lives in a module of its own, libnol_dshow_gst.so, which alone
// links GStreamer: a program loads it (and GStreamer with it) on its first
// CoCreateInstance of CLSID_FilterGraph, so that a program that plays no media
// (the game) never maps the media framework. The module and the platform meet
// through these two tables; the module calls nothing else of the platform.
#pragma once

#include <cstdarg>
#include <string>

#include "com/objbase.h"
#include "win32/windows.h"

struct SDL_Window;

// What the module uses of the platform, handed to it when it is loaded.
struct NolDShowHost {
    void (*logV)(const char* format, va_list args);
    BOOL (*postMessage)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    SDL_Window* (*sdlWindow)(HWND window);
    POINT (*clientToSdlWindow)(HWND window, POINT point);
    bool (*displayLost)();
    std::string (*resolvePath)(const char* name);
};

// What the module offers.
struct NolDShowModule {
    HRESULT (*createFilterGraph)(REFIID iid, void** object);
    const char* (*lastRenderError)();
    void (*captureAudio)(const char* wavPath);
    bool (*gstreamerStarted)();
    bool (*hideElement)(const char* name, bool hidden);
};

// The module's one exported function.
#define NOL_DSHOW_MODULE_ENTRY "NolDShowModuleOpen"
typedef const NolDShowModule* (*NolDShowModuleOpenFn)(const NolDShowHost* host);

namespace nol::dshow {

// The loaded module, loading it on the first call; null (with one log line naming
// what is missing) when it or a library it needs cannot be loaded. The module is
// looked for as NOL_DSHOW_MODULE names it when that is set, else beside the
// program, else in the build directory it was built in.
const NolDShowModule* MediaModule();
// The module if it is loaded already, without loading it.
const NolDShowModule* LoadedMediaModule();

// CoCreateInstance's factory for CLSID_FilterGraph: the module's, once it is
// loaded; REGDB_E_CLASSNOTREG when it cannot be.
HRESULT CreateFilterGraphInModule(REFIID iid, void** object);

}  // namespace nol::dshow
