// The host's side of the media module: finding and loading it, and
// CLSID_FilterGraph's factory, which makes its graphs there.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/file_path.h"
#include "base/platform_log.h"
#include "dshow/dshow_test_hooks.h"
#include "dshow/dshowreason.h"
#include "dshow/gst_module.h"
#include "win32/display_connection.h"
#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"
#include "win32/windows.h"

bool NolFormatLogLine(char* line, int size, const char* format, va_list args);

namespace nol::dshow {
namespace {

constexpr const char* kModuleName = "libnol_dshow_gst.so";

void LogV(const char* format, va_list args) {
    char line[256];
    if (NolFormatLogLine(line, sizeof line, format, args)) NolLog("%s", line);
}

const NolDShowHost kHost{LogV, PostMessageA, NolSdlWindow, win32::ClientToSdlWindow, NolDisplayLost,
                         base::ResolvePath};

std::string ProgramDirectory() {
    char path[PATH_MAX];
    if (GetModuleFileNameA(nullptr, path, sizeof path) == 0) return "";
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('/') + 1);
}

// Opens the first place the module is found; null with what dlopen said of the
// last place tried.
void* OpenModule(std::string* reason) {
    if (const char* chosen = std::getenv("NOL_DSHOW_MODULE"); chosen && *chosen) {
        void* handle = dlopen(chosen, RTLD_NOW | RTLD_LOCAL);
        if (!handle) *reason = dlerror();
        return handle;
    }
    const std::string places[] = {ProgramDirectory() + kModuleName, std::string(NOL_MODULE_DIR "/") + kModuleName};
    for (const std::string& place : places) {
        // A module that is there but cannot load (a library it needs is missing)
        // is the news; a place without one is not.
        if (access(place.c_str(), F_OK) != 0) continue;
        void* handle = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle) return handle;
        *reason = dlerror();
        return nullptr;
    }
    *reason = std::string(kModuleName) + " is neither beside the program nor in " NOL_MODULE_DIR;
    return nullptr;
}

const NolDShowModule* loaded = nullptr;

}  // namespace

const NolDShowModule* LoadedMediaModule() { return loaded; }

const NolDShowModule* MediaModule() {
    if (loaded) return loaded;
    std::string reason;
    void* handle = OpenModule(&reason);
    if (handle) {
        // Never closed: GStreamer cannot be unloaded from a process.
        auto open = reinterpret_cast<NolDShowModuleOpenFn>(dlsym(handle, NOL_DSHOW_MODULE_ENTRY));
        if (open) loaded = open(&kHost);
        if (!loaded) reason = std::string("the media module has no ") + NOL_DSHOW_MODULE_ENTRY;
    }
    if (!loaded) NolLog("DirectShow: no media player: %.200s\n", reason.c_str());
    return loaded;
}

HRESULT CreateFilterGraphInModule(REFIID iid, void** object) {
    if (object) *object = nullptr;
    const NolDShowModule* module = MediaModule();
    if (!module) return REGDB_E_CLASSNOTREG;
    return module->createFilterGraph(iid, object);
}

}  // namespace nol::dshow

const char* DShowGetLastRenderError() {
    const NolDShowModule* module = nol::dshow::LoadedMediaModule();
    return module ? module->lastRenderError() : "";
}

void NolDShowCaptureAudio(const char* wavPath) {
    if (const NolDShowModule* module = nol::dshow::MediaModule()) module->captureAudio(wavPath);
}

bool NolDShowGStreamerStarted() {
    const NolDShowModule* module = nol::dshow::LoadedMediaModule();
    return module && module->gstreamerStarted();
}

bool NolDShowHideElement(const char* name, bool hidden) {
    const NolDShowModule* module = nol::dshow::LoadedMediaModule();
    return module && module->hideElement(name, hidden);
}
