#include "dsound8/openal_diagnostics.h"

#include <AL/alc.h>
#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

namespace nol::dsound8 {
namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

typedef void (*AlsaErrorHandler)(const char*, int, const char*, int, const char*, ...);
typedef int (*SetAlsaErrorHandler)(AlsaErrorHandler);

// OpenAL Soft already has ALSA loaded when it uses it; its error handler is set
// through the loaded library, so nothing is linked or loaded for it here.
void QuietAlsa() {
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
    if (!alsa) return;
    if (auto set = reinterpret_cast<SetAlsaErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(IgnoreAlsaError);
    dlclose(alsa);
}

}  // namespace

void QuietOpenALDiagnostics() {
    static std::once_flag once;
    std::call_once(once, [] {
        // OpenAL Soft reads its log level once, when it starts (the first call).
        if (std::getenv("ALSOFT_LOGLEVEL")) return;
        setenv("ALSOFT_LOGLEVEL", "0", 0);
        alcIsExtensionPresent(nullptr, "ALC_EXT_disconnect");  // starts OpenAL Soft
        QuietAlsa();
    });
}

}  // namespace nol::dsound8
