// A registry of the platform layer that is usable from the first static
// constructor of the program to its last static destructor.
//
// Why not an ordinary static: the program's shutdown runs from the destructor of a
// static object (the shell's Application) and destroys windows, posts messages and
// releases the single-instance mutex. A static registry built on first use from
// WinMain would be destroyed before that destructor runs, and across files C++
// leaves the order of static destruction open. So the holder itself is
// constant-initialised and trivially destructible (it exists before any code runs
// and the runtime never tears it down), the registry inside is built on first use,
// and it is destroyed by the last NolPlatformLifetime (win32/platform_lifetime.h),
// which outlives every static object of a file that includes the Win32 interface.
#pragma once

#include <memory>
#include <new>

namespace nol::win32 {

class ProcessStaticBase {
protected:
    using Destroyer = void (*)(ProcessStaticBase*);
    constexpr explicit ProcessStaticBase(Destroyer destroy) : destroy_(destroy) {}
    // Puts this registry on the list that the last NolPlatformLifetime tears down.
    void Register();

private:
    friend void TearDownProcessStatics();
    Destroyer destroy_;
    ProcessStaticBase* next_ = nullptr;
};

// Destroys every registry built so far, the newest first.
void TearDownProcessStatics();

template <class T>
class ProcessStatic : private ProcessStaticBase {
public:
    constexpr ProcessStatic() : ProcessStaticBase(&Destroy) {}
    ProcessStatic(const ProcessStatic&) = delete;
    ProcessStatic& operator=(const ProcessStatic&) = delete;

    T& operator*() {
        if (!live_) {
            ::new (static_cast<void*>(storage_)) T();
            live_ = true;
            Register();
        }
        return *std::launder(reinterpret_cast<T*>(storage_));
    }
    T* operator->() { return &**this; }

private:
    static void Destroy(ProcessStaticBase* base) {
        auto* self = static_cast<ProcessStatic*>(base);
        std::destroy_at(std::launder(reinterpret_cast<T*>(self->storage_)));
        // A use after the teardown (a static of a file that never included the
        // interface) gets a fresh, empty registry.
        self->live_ = false;
    }

    alignas(T) unsigned char storage_[sizeof(T)] = {};
    bool live_ = false;
};

}  // namespace nol::win32
