#include "com/objbase.h"

const GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

#include "com/class_registry.h"

namespace {
int initCount = 0;
void (*uninitializeHook)() = nullptr;
}

// Nothing here needs per-thread set-up; the count only keeps the calls paired, so
// that the first call answers S_OK and later ones S_FALSE, as the original does.
HRESULT CoInitialize(LPVOID) { return initCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (initCount > 0) --initCount;
    if (initCount == 0 && uninitializeHook) uninitializeHook();
}

void nol::com::ComSetUninitializeHook(void (*hook)()) { uninitializeHook = hook; }
