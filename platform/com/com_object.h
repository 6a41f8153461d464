// The one COM base of the platform: the reference count, QueryInterface by IID, the
// parts of an object that answer for it, and handing a new object out of a factory.
#pragma once

#include <atomic>

#include "com/objbase.h"

namespace nol::com {

// A COM reference count: atomic, 1 when the object is made. Once it has reached 0
// it stays there, so an object that outlives its count (the Direct3D device, kept
// by its resources) is neither brought back by a late AddRef nor released twice.
class RefCount {
public:
    // The count after adding one; 0 when it had already reached 0.
    ULONG Add() {
        ULONG n = count_.load(std::memory_order_relaxed);
        while (n != 0 && !count_.compare_exchange_weak(n, n + 1, std::memory_order_relaxed)) {
        }
        return n == 0 ? 0 : n + 1;
    }
    // The count before taking one away; 0 when there was none to take.
    ULONG Drop() {
        ULONG n = count_.load(std::memory_order_relaxed);
        while (n != 0 && !count_.compare_exchange_weak(n, n - 1, std::memory_order_acq_rel)) {
        }
        return n;
    }
    ULONG Now() const { return count_.load(std::memory_order_acquire); }

private:
    std::atomic<ULONG> count_{1};
};

// An object that implements Interface. QueryInterface hands out that interface for
// IUnknown and for each of Iids (the interface's own IID and those of the
// interfaces it derives from); anything more comes from Other. The object goes
// with its last reference unless LastRelease says otherwise.
template <typename Interface, const IID&... Iids>
class Object : public Interface {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HRESULT QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = Find(iid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return refs_.Add(); }
    ULONG Release() override {
        const ULONG before = refs_.Drop();
        if (before == 1) LastRelease();
        return before == 0 ? 0 : before - 1;
    }

protected:
    ~Object() override = default;
    // An interface beyond the list: one a part of the object implements (see Part),
    // one it offers only in some modes, or a second interface the class derives
    // from. Null when the object has no such interface.
    virtual void* Other(REFIID) { return nullptr; }
    // The last reference is gone. Objects that must do something first, or that
    // outlive their count, override this.
    virtual void LastRelease() { delete this; }
    ULONG References() const { return refs_.Now(); }

private:
    void* Find(REFIID iid) {
        if (iid == IID_IUnknown || ((iid == Iids) || ...)) return static_cast<Interface*>(this);
        return Other(iid);
    }

    RefCount refs_;
};

// An interface that a member of Owner implements (a sound buffer's 3D controls). It
// is the owner as far as COM goes: the owner answers its QueryInterface and keeps
// its count.
template <typename Interface, typename Owner>
class Part : public Interface {
public:
    explicit Part(Owner& owner) : owner_(owner) {}
    Part(const Part&) = delete;
    Part& operator=(const Part&) = delete;

    HRESULT QueryInterface(REFIID iid, void** out) override { return owner_.QueryInterface(iid, out); }
    ULONG AddRef() override { return owner_.AddRef(); }
    ULONG Release() override { return owner_.Release(); }

protected:
    Owner& owner_;
};

// Hands a new object out through QueryInterface and drops the creator's reference,
// as a class factory does: on success the caller holds the only reference, on
// failure the object is gone.
template <typename Created>
HRESULT HandOut(Created* created, REFIID iid, void** out) {
    if (!out) {
        created->Release();
        return E_POINTER;
    }
    const HRESULT hr = created->QueryInterface(iid, out);
    created->Release();
    return hr;
}

}  // namespace nol::com
