#include "dsound8/effect_chain.h"

#include <AL/alext.h>

#include <algorithm>

#include "dsound8/output_device.h"
#include "dsound8/struct_size.h"

namespace nol::dsound8 {
namespace {

// An effect slot's output reaches the speakers through the device's ambisonic
// mix, not the direct path. For a source ahead of the listener the two come out
// equally loud; a source played straight out (two direct channels, both heard
// full) comes out of the slot about 1.3 dB louder, which its sends take back,
// so that an in-line effect does not also change the loudness.
constexpr float kStraightOutWetGain = 0.86f;

}  // namespace

void EffectChain::Clear(ALuint source) {
    const EfxApi& efx = device_.efx();
    if (!efx.loaded()) return;
    if (source) {
        for (size_t i = 0; i < slots_.size(); ++i)
            alSource3i(source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, ALint(i),
                       AL_FILTER_NULL);
        alSourcei(source, AL_DIRECT_FILTER, AL_FILTER_NULL);
    }
    if (!slots_.empty()) efx.DeleteAuxiliaryEffectSlots(ALsizei(slots_.size()), slots_.data());
    if (!effects_.empty()) efx.DeleteEffects(ALsizei(effects_.size()), effects_.data());
    if (!filters_.empty()) efx.DeleteFilters(ALsizei(filters_.size()), filters_.data());
    slots_.clear();
    effects_.clear();
    filters_.clear();
}

HRESULT EffectChain::Set(ALuint source, DWORD count, const DSEFFECTDESC* descs, DWORD* results) {
    Clear(source);
    if (count == 0) return DS_OK;
    const EfxApi& efx = device_.efx();
    // Effects run side by side on the source's sends (EFX cannot chain slots here),
    // so there are at most as many as the device has sends.
    bool fits = efx.loaded() && count <= DWORD(device_.maxSends());
    bool known = true;
    for (DWORD i = 0; i < count; ++i) {
        if (!IsValidSize(descs[i].dwSize, sizeof(DSEFFECTDESC), 32)) return DSERR_INVALIDPARAM;
    }

    alGetError();
    float dryGain = 1.0f;
    std::vector<float> wetGains;
    if (fits) {
        effects_.resize(count);
        slots_.resize(count);
        filters_.resize(count + 1);
        efx.GenEffects(ALsizei(count), effects_.data());
        efx.GenAuxiliaryEffectSlots(ALsizei(count), slots_.data());
        efx.GenFilters(ALsizei(count + 1), filters_.data());
        if (alGetError() != AL_NO_ERROR) fits = false;
    }
    for (DWORD i = 0; i < count; ++i) {
        EffectRouting routing;
        bool ok = fits && ConfigureStandardEffect(efx, descs[i].guidDSFXClass, effects_[i], &routing);
        if (fits && !ok) known = false;
        if (results) results[i] = ok ? DSFXR_LOCSOFTWARE : (fits ? DSFXR_UNKNOWN : DSFXR_FAILED);
        dryGain = std::min(dryGain, routing.dryGain);
        wetGains.push_back(routing.wetGain);
    }
    if (!fits || !known) {
        Clear(source);
        return known ? DSERR_FXUNAVAILABLE : DSERR_INVALIDPARAM;
    }

    efx.Filteri(filters_[0], AL_FILTER_TYPE, AL_FILTER_LOWPASS);
    efx.Filterf(filters_[0], AL_LOWPASS_GAIN, dryGain);
    efx.Filterf(filters_[0], AL_LOWPASS_GAINHF, 1.0f);
    alSourcei(source, AL_DIRECT_FILTER, ALint(filters_[0]));
    for (DWORD i = 0; i < count; ++i) {
        efx.AuxiliaryEffectSloti(slots_[i], AL_EFFECTSLOT_EFFECT, ALint(effects_[i]));
        ALuint send = filters_[i + 1];
        efx.Filteri(send, AL_FILTER_TYPE, AL_FILTER_LOWPASS);
        efx.Filterf(send, AL_LOWPASS_GAIN,
                    wetGains[i] * (positional_ ? 1.0f : kStraightOutWetGain));
        efx.Filterf(send, AL_LOWPASS_GAINHF, 1.0f);
        alSource3i(source, AL_AUXILIARY_SEND_FILTER, ALint(slots_[i]), ALint(i), ALint(send));
    }
    if (alGetError() != AL_NO_ERROR) {
        Clear(source);
        if (results) std::fill(results, results + count, DWORD(DSFXR_FAILED));
        return DSERR_FXUNAVAILABLE;
    }
    return DS_OK;
}

}  // namespace nol::dsound8
