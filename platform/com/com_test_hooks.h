// Test seam: put a factory of one's own in place of a class's (a fake performance, a
// loader that cannot be made). Null restores the class's own factory.
#pragma once

#include "com/class_registry.h"

namespace nol::com {

void ComOverrideClass(REFCLSID clsid, ComClassFactory factory);
// A factory that always fails with E_FAIL, for start-up failure tests.
HRESULT ComFailingFactory(REFIID iid, void** object);

}  // namespace nol::com
