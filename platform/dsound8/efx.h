// The EFX entry points this layer uses, and the two standard reverbs as EFX
// reverbs (the other standard effects run on the samples, in fx/).
#pragma once

#include <AL/al.h>
#include <AL/efx.h>

#include "dsound8/dsound.h"

namespace nol::dsound8 {

struct EfxApi {
    LPALGENEFFECTS GenEffects = nullptr;
    LPALDELETEEFFECTS DeleteEffects = nullptr;
    LPALEFFECTI Effecti = nullptr;
    LPALEFFECTF Effectf = nullptr;
    LPALGENFILTERS GenFilters = nullptr;
    LPALDELETEFILTERS DeleteFilters = nullptr;
    LPALFILTERI Filteri = nullptr;
    LPALFILTERF Filterf = nullptr;
    LPALGENAUXILIARYEFFECTSLOTS GenAuxiliaryEffectSlots = nullptr;
    LPALDELETEAUXILIARYEFFECTSLOTS DeleteAuxiliaryEffectSlots = nullptr;
    LPALAUXILIARYEFFECTSLOTI AuxiliaryEffectSloti = nullptr;
    LPALAUXILIARYEFFECTSLOTF AuxiliaryEffectSlotf = nullptr;

    // Loads the entry points from the current context; false when EFX is missing.
    bool Load();
    bool loaded() const { return GenEffects != nullptr; }
};

// How a reverb sits in a sound's path. EFX effects only produce their wet part
// on an auxiliary send, so the dry part is the source's direct path at
// `dryGain` and the wet part its send at `wetGain`.
struct EffectRouting {
    float dryGain = 1.0f;
    float wetGain = 1.0f;
};

// Set up `effect` as the EFX counterpart of a reverb with these parameters.
void ConfigureReverb(const EfxApi& efx, ALuint effect, const DSFXWavesReverb& params,
                     EffectRouting* routing);
void ConfigureReverb(const EfxApi& efx, ALuint effect, const DSFXI3DL2Reverb& params,
                     EffectRouting* routing);

}  // namespace nol::dsound8
