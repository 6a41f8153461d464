// The registries' teardown list and the count of NolPlatformLifetime objects.
#include "win32/process_static.h"

#include "win32/platform_lifetime.h"

namespace nol::win32 {

namespace {

// Plain values, set before any code runs and never destroyed.
constinit ProcessStaticBase* newest = nullptr;
constinit int lifetimes = 0;

}  // namespace

void ProcessStaticBase::Register() {
    next_ = newest;
    newest = this;
}

void TearDownProcessStatics() {
    while (ProcessStaticBase* registry = newest) {
        newest = registry->next_;
        registry->next_ = nullptr;
        registry->destroy_(registry);
    }
}

}  // namespace nol::win32

NolPlatformLifetime::NolPlatformLifetime() { ++nol::win32::lifetimes; }

NolPlatformLifetime::~NolPlatformLifetime() {
    if (--nol::win32::lifetimes == 0) nol::win32::TearDownProcessStatics();
}
