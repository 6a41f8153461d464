// Standard DirectSound effects as EFX effects. Each effect's DirectSound default
// parameters are carried over where EFX has the same control, and approximated
// where it does not (noted at each).
#include "dsound8/efx.h"

#include <algorithm>
#include <cmath>

namespace nol::dsound8 {
namespace {

float DecibelsToGain(float db) { return std::pow(10.0f, db / 20.0f); }
float MillibelsToGain(float mb) { return std::pow(10.0f, mb / 2000.0f); }

void Inline(EffectRouting* routing) {
    routing->dryGain = 0.0f;
    routing->wetGain = 1.0f;
}

// Wet/dry mix in percent, as the echo, chorus and flanger take it.
void WetDryMix(float percent, EffectRouting* routing) {
    routing->dryGain = 1.0f - percent / 100.0f;
    routing->wetGain = percent / 100.0f;
}

void I3dl2Reverb(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXI3DL2Reverb defaults; EFX reverb is I3DL2's model, so they map one to one
    // (levels in millibels, times in seconds, diffusion and density in percent).
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_REVERB);
    efx.Effectf(e, AL_REVERB_GAIN, MillibelsToGain(-1000));
    efx.Effectf(e, AL_REVERB_GAINHF, MillibelsToGain(-100));
    efx.Effectf(e, AL_REVERB_ROOM_ROLLOFF_FACTOR, 0.0f);
    efx.Effectf(e, AL_REVERB_DECAY_TIME, 1.49f);
    efx.Effectf(e, AL_REVERB_DECAY_HFRATIO, 0.83f);
    efx.Effectf(e, AL_REVERB_REFLECTIONS_GAIN, MillibelsToGain(-2602));
    efx.Effectf(e, AL_REVERB_REFLECTIONS_DELAY, 0.007f);
    efx.Effectf(e, AL_REVERB_LATE_REVERB_GAIN, MillibelsToGain(200));
    efx.Effectf(e, AL_REVERB_LATE_REVERB_DELAY, 0.011f);
    efx.Effectf(e, AL_REVERB_DIFFUSION, 1.0f);
    efx.Effectf(e, AL_REVERB_DENSITY, 1.0f);
    routing->dryGain = 1.0f;  // the room is added to the direct sound
    routing->wetGain = 1.0f;
}

void WavesReverb(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXWavesReverb defaults: in-gain 0 dB, reverb mix 0 dB, reverb time 1000 ms,
    // high-frequency decay ratio 0.001. OpenAL Soft's damping filters fail below a
    // ratio of about 0.2 with a one-second decay, so the treble dies away at that
    // rate instead. A plain reverb tail with no early reflections of its own.
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_REVERB);
    efx.Effectf(e, AL_REVERB_GAIN, 1.0f);
    efx.Effectf(e, AL_REVERB_GAINHF, 1.0f);
    efx.Effectf(e, AL_REVERB_DECAY_TIME, 1.0f);
    efx.Effectf(e, AL_REVERB_DECAY_HFRATIO, 0.2f);
    efx.Effectf(e, AL_REVERB_REFLECTIONS_GAIN, 0.0f);
    efx.Effectf(e, AL_REVERB_LATE_REVERB_GAIN, 1.0f);
    routing->dryGain = DecibelsToGain(0.0f);
    routing->wetGain = DecibelsToGain(0.0f);
}

void Echo(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXEcho defaults: wet/dry 50 %, feedback 50 %, 500 ms on both sides, no pan
    // delay. EFX's first tap comes at most 207 ms late; its second tap, a further
    // 293 ms on, lands on the 500 ms echo, and the feedback repeats from there.
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_ECHO);
    efx.Effectf(e, AL_ECHO_DELAY, AL_ECHO_MAX_DELAY);
    efx.Effectf(e, AL_ECHO_LRDELAY, 0.5f - AL_ECHO_MAX_DELAY);
    efx.Effectf(e, AL_ECHO_FEEDBACK, 0.5f);
    efx.Effectf(e, AL_ECHO_DAMPING, 0.0f);
    efx.Effectf(e, AL_ECHO_SPREAD, 0.0f);
    WetDryMix(50.0f, routing);
}

void Chorus(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXChorus defaults: wet/dry 50 %, depth 10 %, feedback 25 %, 1.1 Hz, sine,
    // 16 ms, phase 90 degrees.
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_CHORUS);
    efx.Effecti(e, AL_CHORUS_WAVEFORM, AL_CHORUS_WAVEFORM_SINUSOID);
    efx.Effecti(e, AL_CHORUS_PHASE, 90);
    efx.Effectf(e, AL_CHORUS_RATE, 1.1f);
    efx.Effectf(e, AL_CHORUS_DEPTH, 0.1f);
    efx.Effectf(e, AL_CHORUS_FEEDBACK, 0.25f);
    efx.Effectf(e, AL_CHORUS_DELAY, 0.016f);
    WetDryMix(50.0f, routing);
}

void Flanger(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXFlanger defaults: wet/dry 50 %, depth 100 %, feedback -50 %, 0.25 Hz,
    // sine, 2 ms, phase 0.
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_FLANGER);
    efx.Effecti(e, AL_FLANGER_WAVEFORM, AL_FLANGER_WAVEFORM_SINUSOID);
    efx.Effecti(e, AL_FLANGER_PHASE, 0);
    efx.Effectf(e, AL_FLANGER_RATE, 0.25f);
    efx.Effectf(e, AL_FLANGER_DEPTH, 1.0f);
    efx.Effectf(e, AL_FLANGER_FEEDBACK, -0.5f);
    efx.Effectf(e, AL_FLANGER_DELAY, 0.002f);
    WetDryMix(50.0f, routing);
}

void Gargle(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXGargle defaults: the sound's amplitude swept between full and silence by
    // a 20 Hz triangle. EFX's ring modulator multiplies by a sine between -1 and 1;
    // half of that beside half of the dry sound is x (1 + sin) / 2, the same sweep
    // with a sine for the triangle. Its high-pass is opened fully so the whole band
    // is modulated.
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_RING_MODULATOR);
    efx.Effectf(e, AL_RING_MODULATOR_FREQUENCY, 20.0f);
    efx.Effectf(e, AL_RING_MODULATOR_HIGHPASS_CUTOFF, 0.0f);
    efx.Effecti(e, AL_RING_MODULATOR_WAVEFORM, AL_RING_MODULATOR_SINUSOID);
    routing->dryGain = 0.5f;
    routing->wetGain = 0.5f;
}

void Compressor(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXCompressor defaults (threshold -20 dB, ratio 3, attack 10 ms, release
    // 200 ms): EFX's compressor has only on and off, with its own fixed curve.
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_COMPRESSOR);
    efx.Effecti(e, AL_COMPRESSOR_ONOFF, AL_TRUE);
    Inline(routing);
}

void ParamEq(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXParamEq defaults: one peak at 8000 Hz, 12 semitones (one octave) wide,
    // gain 0 dB. The equaliser's upper mid band takes it; the other bands are flat.
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_EQUALIZER);
    efx.Effectf(e, AL_EQUALIZER_LOW_GAIN, 1.0f);
    efx.Effectf(e, AL_EQUALIZER_MID1_GAIN, 1.0f);
    efx.Effectf(e, AL_EQUALIZER_HIGH_GAIN, 1.0f);
    efx.Effectf(e, AL_EQUALIZER_MID2_CENTER, 8000.0f);
    efx.Effectf(e, AL_EQUALIZER_MID2_WIDTH, 1.0f);
    efx.Effectf(e, AL_EQUALIZER_MID2_GAIN, DecibelsToGain(0.0f));
    Inline(routing);
}

void Distortion(const EfxApi& efx, ALuint e, EffectRouting* routing) {
    // DSFXDistortion defaults: gain -18 dB, edge 15 %, post-EQ at 2400 Hz 2400 Hz
    // wide, pre-low-pass at 8000 Hz. EFX distortion has exactly these controls.
    efx.Effecti(e, AL_EFFECT_TYPE, AL_EFFECT_DISTORTION);
    efx.Effectf(e, AL_DISTORTION_GAIN, std::max(AL_DISTORTION_MIN_GAIN, DecibelsToGain(-18.0f)));
    efx.Effectf(e, AL_DISTORTION_EDGE, 0.15f);
    efx.Effectf(e, AL_DISTORTION_EQCENTER, 2400.0f);
    efx.Effectf(e, AL_DISTORTION_EQBANDWIDTH, 2400.0f);
    efx.Effectf(e, AL_DISTORTION_LOWPASS_CUTOFF, 8000.0f);
    Inline(routing);
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

bool ConfigureStandardEffect(const EfxApi& efx, const GUID& effectClass, ALuint effect,
                             EffectRouting* routing) {
    struct Entry {
        const GUID* effectClass;
        void (*configure)(const EfxApi&, ALuint, EffectRouting*);
    };
    static const Entry kEffects[] = {
        {&GUID_DSFX_WAVES_REVERB, WavesReverb},
        {&GUID_DSFX_STANDARD_I3DL2REVERB, I3dl2Reverb},
        {&GUID_DSFX_STANDARD_ECHO, Echo},
        {&GUID_DSFX_STANDARD_CHORUS, Chorus},
        {&GUID_DSFX_STANDARD_FLANGER, Flanger},
        {&GUID_DSFX_STANDARD_GARGLE, Gargle},
        {&GUID_DSFX_STANDARD_COMPRESSOR, Compressor},
        {&GUID_DSFX_STANDARD_PARAMEQ, ParamEq},
        {&GUID_DSFX_STANDARD_DISTORTION, Distortion},
    };
    for (const Entry& entry : kEffects) {
        if (*entry.effectClass == effectClass) {
            entry.configure(efx, effect, routing);
            return true;
        }
    }
    return false;
}

}  // namespace nol::dsound8
