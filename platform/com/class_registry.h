// The classes CoCreateInstance can make. Every class lives in nol_platform, so the
// registry is a table filled in by the components that own the classes, plus an
// override per class for tests that put a fake (or a failure) in a class's place.
#pragma once

#include "com/objbase.h"

// Makes a new object of the class and asks it for iid; the object's own reference
// is released, so on success the caller holds the only one.
typedef HRESULT (*ComClassFactory)(REFIID iid, void** object);

// The factory CoCreateInstance uses for clsid, or null when the class is unknown.
ComClassFactory FindComClass(REFCLSID clsid);
