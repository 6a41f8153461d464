// The registries' teardown list and the count of NolPlatformLifetime objects.
#include "win32/process_static.h"

#include "win32/platform_lifetime.h"

namespace nol {

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

}  // namespace nol

NolPlatformLifetime::NolPlatformLifetime() { ++nol::lifetimes; }

NolPlatformLifetime::~NolPlatformLifetime() {
    if (--nol::lifetimes == 0) nol::TearDownProcessStatics();
}
