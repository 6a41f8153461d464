// Reference counting and QueryInterface shared by the DirectMusic objects.
#pragma once

#include <atomic>
#include <initializer_list>

#include "com/objbase.h"

template <typename Interface>
class ComObject : public Interface {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    // Answers a QueryInterface when iid is IUnknown or one of `known`, which all name
    // this object's interface or one it derives from.
    HRESULT Answer(REFIID iid, void** object, std::initializer_list<const IID*> known) {
        if (!object) return E_POINTER;
        *object = nullptr;
        bool match = iid == IID_IUnknown;
        for (const IID* k : known) match = match || iid == *k;
        if (!match) return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }

private:
    std::atomic<ULONG> refs_{1};
};

// Hands a new object out through QueryInterface and drops the creator's reference.
template <typename Object>
HRESULT HandOut(Object* created, REFIID iid, void** out) {
    if (!out) {
        created->Release();
        return E_POINTER;
    }
    HRESULT hr = created->QueryInterface(iid, out);
    created->Release();
    return hr;
}
