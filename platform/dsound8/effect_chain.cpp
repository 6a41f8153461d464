#include "dsound8/effect_chain.h"

#include <AL/alext.h>

#include <algorithm>

#include "dsound8/output_device.h"
#include "dsound8/sound_core.h"
#include "dsound8/struct_size.h"

namespace nol::dsound8 {
namespace {

// An effect slot's output reaches the speakers through the device's ambisonic
// mix, not the direct path. For a source ahead of the listener the two come out
// equally loud; a source played straight out (two direct channels, both heard
// full) comes out of the slot about 1.3 dB louder, which its sends take back,
// so that a reverb does not also change the loudness.
constexpr float kStraightOutWetGain = 0.86f;

}  // namespace

void EffectChain::Clear(ALuint source) {
    const EfxApi& efx = core_->output->efx();
    for (Entry& entry : entries_) {
        if (entry.send >= 0) {
            if (source)
                alSource3i(source, AL_AUXILIARY_SEND_FILTER, AL_EFFECTSLOT_NULL, entry.send,
                           AL_FILTER_NULL);
            efx.DeleteAuxiliaryEffectSlots(1, &entry.slot);
            efx.DeleteEffects(1, &entry.efxEffect);
            efx.DeleteFilters(1, &entry.sendFilter);
        }
        entry.effect->unknown()->Release();
    }
    entries_.clear();
    if (directFilter_) {
        if (source) alSourcei(source, AL_DIRECT_FILTER, AL_FILTER_NULL);
        efx.DeleteFilters(1, &directFilter_);
        directFilter_ = 0;
    }
}

HRESULT EffectChain::Set(ALuint source, DWORD count, const DSEFFECTDESC* descs, DWORD* results) {
    Clear(source);
    for (DWORD i = 0; i < count; ++i)
        if (!IsValidSize(descs[i].dwSize, sizeof(DSEFFECTDESC), 32)) return DSERR_INVALIDPARAM;

    bool known = true;
    int reverbs = 0;
    for (DWORD i = 0; i < count; ++i) {
        fx::Effect* effect = fx::MakeEffect(descs[i].guidDSFXClass, core_, rate_, channels_);
        if (results) results[i] = effect ? DSFXR_LOCSOFTWARE : DSFXR_UNKNOWN;
        if (!effect) {
            known = false;
            continue;
        }
        if (!effect->processedHere()) ++reverbs;
        entries_.push_back({effect});
    }
    if (!known) {
        Clear(source);
        return DSERR_INVALIDPARAM;
    }
    if (reverbs == 0) return DS_OK;

    // The reverbs run side by side on the source's sends: at most one per send.
    const EfxApi& efx = core_->output->efx();
    bool fits = efx.loaded() && reverbs <= core_->output->maxSends();
    alGetError();
    if (fits) {
        efx.GenFilters(1, &directFilter_);
        int send = 0;
        for (Entry& entry : entries_) {
            if (entry.effect->processedHere()) continue;
            efx.GenEffects(1, &entry.efxEffect);
            efx.GenAuxiliaryEffectSlots(1, &entry.slot);
            efx.GenFilters(1, &entry.sendFilter);
            entry.send = send++;
        }
        fits = alGetError() == AL_NO_ERROR;
    }
    if (fits) {
        ConfigureReverbs(source);
        fits = alGetError() == AL_NO_ERROR;
    }
    if (!fits) {
        if (results)
            for (DWORD i = 0; i < count; ++i)
                if (!entries_[i].effect->processedHere()) results[i] = DSFXR_FAILED;
        Clear(source);
        return DSERR_FXUNAVAILABLE;
    }
    return DS_OK;
}

void EffectChain::ConfigureReverbs(ALuint source) {
    const EfxApi& efx = core_->output->efx();
    float dryGain = 1.0f;
    for (Entry& entry : entries_) {
        if (entry.send < 0) continue;
        EffectRouting routing;
        entry.effect->ConfigureEfx(efx, entry.efxEffect, &routing);
        entry.configured = entry.effect->version();
        dryGain = std::min(dryGain, routing.dryGain);
        // A slot takes its effect's parameters only when the effect is set again.
        efx.AuxiliaryEffectSloti(entry.slot, AL_EFFECTSLOT_EFFECT, ALint(entry.efxEffect));
        efx.Filteri(entry.sendFilter, AL_FILTER_TYPE, AL_FILTER_LOWPASS);
        efx.Filterf(entry.sendFilter, AL_LOWPASS_GAIN,
                    routing.wetGain * (positional_ ? 1.0f : kStraightOutWetGain));
        efx.Filterf(entry.sendFilter, AL_LOWPASS_GAINHF, 1.0f);
        alSource3i(source, AL_AUXILIARY_SEND_FILTER, ALint(entry.slot), entry.send,
                   ALint(entry.sendFilter));
    }
    efx.Filteri(directFilter_, AL_FILTER_TYPE, AL_FILTER_LOWPASS);
    efx.Filterf(directFilter_, AL_LOWPASS_GAIN, dryGain);
    efx.Filterf(directFilter_, AL_LOWPASS_GAINHF, 1.0f);
    alSourcei(source, AL_DIRECT_FILTER, ALint(directFilter_));
}

void EffectChain::Process(ALuint source, float* samples, uint32_t frames) {
    bool reverbChanged = false;
    for (Entry& entry : entries_) {
        if (entry.send >= 0)
            reverbChanged |= entry.configured != entry.effect->version();
        else
            entry.effect->Process(samples, frames);
    }
    if (reverbChanged) ConfigureReverbs(source);
}

void EffectChain::Reset() {
    for (Entry& entry : entries_) entry.effect->Reset();
}

HRESULT EffectChain::Find(REFGUID effectClass, DWORD index, REFIID iid, void** object) {
    const bool any = effectClass == GUID_All_Objects;
    for (Entry& entry : entries_) {
        if (!any && entry.effect->effectClass() != effectClass) continue;
        if (index-- == 0) return entry.effect->unknown()->QueryInterface(iid, object);
    }
    return DSERR_OBJECTNOTFOUND;
}

}  // namespace nol::dsound8
