// The media module's entry, and the few platform functions its code calls, passed
// on to the program that loaded it (which alone has the platform's state: its
// windows, its log, its display connection).
#include <cstdarg>

#include "base/file_path.h"
#include "base/platform_log.h"
#include "dshow/audio_output.h"
#include "dshow/filter_graph.h"
#include "dshow/gst_module.h"
#include "dshow/gst_runtime.h"
#include "win32/display_connection.h"
#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"

namespace {

const NolDShowHost* host = nullptr;

const NolDShowModule kModule{nol::dshow::CreateFilterGraph, nol::dshow::LastRenderError, nol::dshow::CaptureAudioTo,
                             nol::dshow::GStreamerStarted, nol::dshow::HideElement};

}  // namespace

extern "C" __attribute__((visibility("default"))) const NolDShowModule* NolDShowModuleOpen(const NolDShowHost* h) {
    if (!h) return nullptr;
    host = h;
    return &kModule;
}

void NolLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    host->logV(format, args);
    va_end(args);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return host->postMessage(window, message, wParam, lParam);
}

SDL_Window* NolSdlWindow(HWND window) { return host->sdlWindow(window); }

bool NolDisplayLost() { return host->displayLost(); }

POINT nol::win32::ClientToSdlWindow(HWND window, POINT point) { return host->clientToSdlWindow(window, point); }

std::string nol::base::ResolvePath(const char* name) { return host->resolvePath(name); }

// The platform's statics outlive everything of the module: the module is loaded
// after they are made, so its own statics are destroyed before them at exit.
NolPlatformLifetime::NolPlatformLifetime() {}
NolPlatformLifetime::~NolPlatformLifetime() {}
