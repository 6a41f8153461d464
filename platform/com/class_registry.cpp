#include "com/class_registry.h"

#include <vector>

#include "base/platform_log.h"

namespace nol::com {
namespace {

struct ClassEntry {
    const CLSID* clsid;
    ComClassFactory factory;
};
std::vector<ClassEntry>& Registered() {
    static std::vector<ClassEntry> classes;
    return classes;
}

struct Override {
    CLSID clsid;
    ComClassFactory factory;
};
std::vector<Override>& Overrides() {
    static std::vector<Override> overrides;
    return overrides;
}

}  // namespace

ComClassRegistration::ComClassRegistration(REFCLSID clsid, ComClassFactory factory) {
    Registered().push_back({&clsid, factory});
}

void ComOverrideClass(REFCLSID clsid, ComClassFactory factory) {
    auto& list = Overrides();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->clsid == clsid) {
            list.erase(it);
            break;
        }
    }
    if (factory) list.push_back({clsid, factory});
}

HRESULT ComFailingFactory(REFIID, void** object) {
    if (object) *object = nullptr;
    return E_FAIL;
}

ComClassFactory FindComClass(REFCLSID clsid) {
    for (const Override& o : Overrides())
        if (o.clsid == clsid) return o.factory;
    for (const ClassEntry& e : Registered())
        if (*e.clsid == clsid) return e.factory;
    return nullptr;
}

}  // namespace nol::com

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID iid,
                         LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!(clsContext & CLSCTX_INPROC)) {
        NolLog("CoCreateInstance: only in-process classes exist here\n");
        return REGDB_E_CLASSNOTREG;
    }
    nol::com::ComClassFactory factory = nol::com::FindComClass(clsid);
    if (!factory) return REGDB_E_CLASSNOTREG;
    return factory(iid, object);
}
