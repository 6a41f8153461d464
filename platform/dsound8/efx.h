// The EFX entry points this layer uses, and the translation of the standard
// DirectSound effects into EFX effects with the standard effects' default
// parameters.
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

// How an effect sits in a sound's path. The DirectSound effects are in-line
// processors (dry signal replaced) or wet/dry mixers; EFX effects only produce
// their wet part on an auxiliary send, so the dry part is the source's direct
// path at `dryGain` and the wet part its send at `wetGain`.
struct EffectRouting {
    float dryGain = 1.0f;
    float wetGain = 1.0f;
};

// Sets up `effect` as the EFX counterpart of a standard DirectSound effect class
// with that effect's default parameters. False (and nothing set) for a class this
// layer does not know.
bool ConfigureStandardEffect(const EfxApi& efx, const GUID& effectClass, ALuint effect,
                             EffectRouting* routing);

}  // namespace nol::dsound8
