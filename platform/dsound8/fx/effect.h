// One effect set on a buffer with SetFX: the parameter object GetObjectInPath
// hands out (IDirectSoundFXEcho8 and the others), holding the parameters and
// what runs them. The buffer's effect chain holds a reference to each.
#pragma once

#include <AL/al.h>

#include <cstdint>
#include <memory>
#include <type_traits>

#include "com/com_object.h"
#include "dsound8/dsound.h"
#include "dsound8/efx.h"
#include "dsound8/fx/params.h"
#include "dsound8/sound_core.h"

namespace nol::dsound8::fx {

class Effect {
public:
    virtual const GUID& effectClass() const = 0;
    virtual IUnknown* unknown() = 0;
    // Effects run on the samples here; the others (the reverbs) on EFX.
    virtual bool processedHere() const = 0;
    // With the device's lock held: runs the effect in place on the next frames.
    virtual void Process(float*, uint32_t) {}
    // With the device's lock held: a new run begins; nothing of the last is heard.
    virtual void Reset() {}
    // With the device's lock held: sets `effect` up as the EFX counterpart.
    virtual void ConfigureEfx(const EfxApi&, ALuint, EffectRouting*) {}
    // Changes with every SetAllParameters (read with the device's lock held).
    uint64_t version() const { return version_; }

protected:
    ~Effect() = default;
    uint64_t version_ = 1;
};

// The parameter interface `Interface` over `Params`. Runner is the processor
// (Gargle, Echo, ...) for effects processed here, void for those EFX runs.
template <typename Interface, const IID& Iid, typename Params, typename Runner>
class EffectObject : public com::Object<Interface, Iid>, public Effect {
public:
    EffectObject(std::shared_ptr<SoundCore> core, const GUID& effectClass, const Params& defaults,
                 uint32_t rate, int channels)
        : core_(std::move(core)), class_(effectClass), params_(defaults), runner_(rate, channels) {}

    HRESULT SetAllParameters(const Params* params) override {
        if (!params || !InRange(*params)) return DSERR_INVALIDPARAM;
        CoreLock guard(*core_);
        params_ = *params;
        ++version_;
        return DS_OK;
    }
    HRESULT GetAllParameters(Params* params) override {
        if (!params) return DSERR_INVALIDPARAM;
        CoreLock guard(*core_);
        *params = params_;
        return DS_OK;
    }

    const GUID& effectClass() const override { return class_; }
    IUnknown* unknown() override { return this; }
    bool processedHere() const override { return !std::is_void_v<Runner>; }
    void Process(float* samples, uint32_t frames) override {
        if constexpr (!std::is_void_v<Runner>) {
            if (applied_ != version_) {
                runner_.Set(params_);
                applied_ = version_;
            }
            runner_.Process(samples, frames);
        }
    }
    void Reset() override {
        if constexpr (!std::is_void_v<Runner>) runner_.Reset();
    }
    void ConfigureEfx(const EfxApi& efx, ALuint effect, EffectRouting* routing) override {
        if constexpr (std::is_void_v<Runner>) ConfigureReverb(efx, effect, params_, routing);
    }

protected:
    struct NoRunner {
        NoRunner(uint32_t, int) {}
    };

    std::shared_ptr<SoundCore> core_;
    const GUID class_;
    Params params_;
    std::conditional_t<std::is_void_v<Runner>, NoRunner, Runner> runner_;
    uint64_t applied_ = 0;
};

// A new effect object of a standard class (one reference), or null for a class
// this layer does not know.
Effect* MakeEffect(const GUID& effectClass, std::shared_ptr<SoundCore> core, uint32_t rate,
                   int channels);

}  // namespace nol::dsound8::fx
