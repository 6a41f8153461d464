// The classes CoCreateInstance can make: each backend registers its own, and tests
// may put a fake (or a failure) in a class's place with an override.
#pragma once

#include "com/objbase.h"

namespace nol::com {

// Makes a new object of the class and asks it for iid; the object's own reference
// is released, so on success the caller holds the only one.
typedef HRESULT (*ComClassFactory)(REFIID iid, void** object);

// The factory CoCreateInstance uses for clsid, or null when the class is unknown.
ComClassFactory FindComClass(REFCLSID clsid);

// A backend registers its classes with static objects of this type, placed in the
// file that defines the classes' CLSIDs: a program that names a class links that
// file, and so its registration, even from a static library that drops the files
// nothing refers to. The CLSID must be a constant that outlives the registry.
struct ComClassRegistration {
    ComClassRegistration(REFCLSID clsid, ComClassFactory factory);
};

// Test seam: put a factory of one's own in place of a class's (a fake performance, a
// loader that cannot be made). Null restores the class's own factory.
void ComOverrideClass(REFCLSID clsid, ComClassFactory factory);
// Called when the last CoUninitialize has taken COM down; null removes it.
void ComSetUninitializeHook(void (*hook)());
// A factory that always fails with E_FAIL, for start-up failure tests.
HRESULT ComFailingFactory(REFIID iid, void** object);

}  // namespace nol::com
