// The two standard reverbs as EFX's EAX reverb, which is the I3DL2 model with
// its high-frequency reference. Levels come in millibels, times in seconds or
// milliseconds, diffusion and density in percent.
#include "dsound8/efx.h"

#include <algorithm>
#include <cmath>

namespace nol::dsound8 {
namespace {

float DecibelsToGain(float db) { return std::pow(10.0f, db / 20.0f); }
float MillibelsToGain(float mb) { return std::pow(10.0f, mb / 2000.0f); }

// EAX reverb's shortest decay and smallest treble ratio.
constexpr float kShortestDecay = AL_EAXREVERB_MIN_DECAY_TIME;
constexpr float kSmallestHfRatio = AL_EAXREVERB_MIN_DECAY_HFRATIO;

// OpenAL Soft 1.19 aborts the process (an assertion in its filter set-up) when
// the treble of a decay longer than about half a second dies away in roughly 55
// to 110 ms. The treble's decay is held at 125 ms or more there.
float SafeHfRatio(float decaySeconds, float ratio) {
    ratio = std::clamp(ratio, kSmallestHfRatio, float(AL_EAXREVERB_MAX_DECAY_HFRATIO));
    if (decaySeconds > 0.45f) ratio = std::max(ratio, 0.125f / decaySeconds);
    return ratio;
}

void PlainRoom(const EfxApi& efx, ALuint e) {
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_EAXREVERB);
    // The treble decays at the ratio asked, not sooner through air absorption.
    efx.Effecti(e, AL_EAXREVERB_DECAY_HFLIMIT, AL_FALSE);
    efx.Effectf(e, AL_EAXREVERB_AIR_ABSORPTION_GAINHF, 1.0f);
    efx.Effectf(e, AL_EAXREVERB_GAINLF, 1.0f);
    efx.Effectf(e, AL_EAXREVERB_DECAY_LFRATIO, 1.0f);
}

}  // namespace

#define NOL_EFX_LOAD(name) name = reinterpret_cast<decltype(name)>(alGetProcAddress("al" #name))

bool EfxApi::Load() {
    NOL_EFX_LOAD(GenEffects);
    NOL_EFX_LOAD(DeleteEffects);
    NOL_EFX_LOAD(Effecti);
    NOL_EFX_LOAD(Effectf);
    NOL_EFX_LOAD(GenFilters);
    NOL_EFX_LOAD(DeleteFilters);
    NOL_EFX_LOAD(Filteri);
    NOL_EFX_LOAD(Filterf);
    NOL_EFX_LOAD(GenAuxiliaryEffectSlots);
    NOL_EFX_LOAD(DeleteAuxiliaryEffectSlots);
    NOL_EFX_LOAD(AuxiliaryEffectSloti);
    NOL_EFX_LOAD(AuxiliaryEffectSlotf);
    bool all = GenEffects && DeleteEffects && Effecti && Effectf && GenFilters && DeleteFilters &&
               Filteri && Filterf && GenAuxiliaryEffectSlots && DeleteAuxiliaryEffectSlots &&
               AuxiliaryEffectSloti && AuxiliaryEffectSlotf;
    if (!all) *this = EfxApi{};
    return all;
}

void ConfigureReverb(const EfxApi& efx, ALuint e, const DSFXI3DL2Reverb& p,
                     EffectRouting* routing) {
    PlainRoom(efx, e);
    efx.Effectf(e, AL_EAXREVERB_GAIN, MillibelsToGain(float(p.lRoom)));
    efx.Effectf(e, AL_EAXREVERB_GAINHF, MillibelsToGain(float(p.lRoomHF)));
    efx.Effectf(e, AL_EAXREVERB_ROOM_ROLLOFF_FACTOR, p.flRoomRolloffFactor);
    efx.Effectf(e, AL_EAXREVERB_DECAY_TIME, p.flDecayTime);
    efx.Effectf(e, AL_EAXREVERB_DECAY_HFRATIO, SafeHfRatio(p.flDecayTime, p.flDecayHFRatio));
    efx.Effectf(e, AL_EAXREVERB_REFLECTIONS_GAIN, MillibelsToGain(float(p.lReflections)));
    efx.Effectf(e, AL_EAXREVERB_REFLECTIONS_DELAY, p.flReflectionsDelay);
    efx.Effectf(e, AL_EAXREVERB_LATE_REVERB_GAIN, MillibelsToGain(float(p.lReverb)));
    efx.Effectf(e, AL_EAXREVERB_LATE_REVERB_DELAY, p.flReverbDelay);
    efx.Effectf(e, AL_EAXREVERB_DIFFUSION, p.flDiffusion / 100.0f);
    efx.Effectf(e, AL_EAXREVERB_DENSITY, p.flDensity / 100.0f);
    // EAX's reference starts at 1 kHz; lower ones take that.
    efx.Effectf(e, AL_EAXREVERB_HFREFERENCE,
                std::max(p.flHFReference, float(AL_EAXREVERB_MIN_HFREFERENCE)));
    routing->dryGain = 1.0f;  // the room is added to the direct sound
    routing->wetGain = 1.0f;
}

void ConfigureReverb(const EfxApi& efx, ALuint e, const DSFXWavesReverb& p,
                     EffectRouting* routing) {
    // A plain reverb tail with no early reflections of its own. The input gain
    // scales the whole sound, the reverb mix the tail.
    PlainRoom(efx, e);
    const float seconds = std::max(p.fReverbTime / 1000.0f, kShortestDecay);
    efx.Effectf(e, AL_EAXREVERB_GAIN, 1.0f);
    efx.Effectf(e, AL_EAXREVERB_DECAY_TIME, seconds);
    efx.Effectf(e, AL_EAXREVERB_REFLECTIONS_GAIN, 0.0f);
    efx.Effectf(e, AL_EAXREVERB_LATE_REVERB_GAIN, 1.0f);
    efx.Effectf(e, AL_EAXREVERB_LATE_REVERB_DELAY, 0.0f);
    efx.Effectf(e, AL_EAXREVERB_DIFFUSION, 1.0f);
    efx.Effectf(e, AL_EAXREVERB_DENSITY, 1.0f);
    // A treble ratio EAX cannot take decays at the smallest it can, but starts
    // quieter by the share of energy the shorter decay would have had (a decay's
    // energy grows with its length): at the default 0.001 of a second, 21 dB down.
    const float ratio = p.fHighFreqRTRatio;
    const float reachable = SafeHfRatio(seconds, ratio);
    efx.Effectf(e, AL_EAXREVERB_DECAY_HFRATIO, reachable);
    efx.Effectf(e, AL_EAXREVERB_GAINHF, ratio < reachable ? std::sqrt(ratio / reachable) : 1.0f);
    const float in = DecibelsToGain(p.fInGain);
    routing->dryGain = in;
    routing->wetGain = in * DecibelsToGain(p.fReverbMix);
}

}  // namespace nol::dsound8
