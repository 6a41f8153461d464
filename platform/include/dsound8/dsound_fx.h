// The standard effects' parameter interfaces (reached with
// IDirectSoundBuffer8::GetObjectInPath), their structures, ranges and defaults,
// with their original names and values. Included by dsound.h.
#pragma once

// ---- identifiers ----------------------------------------------------------------
extern const GUID GUID_All_Objects;
extern const IID IID_IDirectSoundFXGargle;
extern const IID IID_IDirectSoundFXChorus;
extern const IID IID_IDirectSoundFXFlanger;
extern const IID IID_IDirectSoundFXEcho;
extern const IID IID_IDirectSoundFXDistortion;
extern const IID IID_IDirectSoundFXCompressor;
extern const IID IID_IDirectSoundFXParamEq;
extern const IID IID_IDirectSoundFXWavesReverb;
extern const IID IID_IDirectSoundFXI3DL2Reverb;
#define IID_IDirectSoundFXGargle8 IID_IDirectSoundFXGargle
#define IID_IDirectSoundFXChorus8 IID_IDirectSoundFXChorus
#define IID_IDirectSoundFXFlanger8 IID_IDirectSoundFXFlanger
#define IID_IDirectSoundFXEcho8 IID_IDirectSoundFXEcho
#define IID_IDirectSoundFXDistortion8 IID_IDirectSoundFXDistortion
#define IID_IDirectSoundFXCompressor8 IID_IDirectSoundFXCompressor
#define IID_IDirectSoundFXParamEq8 IID_IDirectSoundFXParamEq
#define IID_IDirectSoundFXWavesReverb8 IID_IDirectSoundFXWavesReverb
#define IID_IDirectSoundFXI3DL2Reverb8 IID_IDirectSoundFXI3DL2Reverb

// ---- gargle -------------------------------------------------------------------------
struct DSFXGargle {
    DWORD dwRateHz;
    DWORD dwWaveShape;
};
typedef DSFXGargle* LPDSFXGargle;
typedef const DSFXGargle* LPCDSFXGargle;
#define DSFXGARGLE_WAVE_TRIANGLE 0
#define DSFXGARGLE_WAVE_SQUARE 1
#define DSFXGARGLE_RATEHZ_MIN 1
#define DSFXGARGLE_RATEHZ_MAX 1000

// ---- chorus ---------------------------------------------------------------------------
struct DSFXChorus {
    FLOAT fWetDryMix;
    FLOAT fDepth;
    FLOAT fFeedback;
    FLOAT fFrequency;
    LONG lWaveform;
    FLOAT fDelay;
    LONG lPhase;
};
typedef DSFXChorus* LPDSFXChorus;
typedef const DSFXChorus* LPCDSFXChorus;
#define DSFXCHORUS_WAVE_TRIANGLE 0
#define DSFXCHORUS_WAVE_SIN 1
#define DSFXCHORUS_WETDRYMIX_MIN 0.0f
#define DSFXCHORUS_WETDRYMIX_MAX 100.0f
#define DSFXCHORUS_DEPTH_MIN 0.0f
#define DSFXCHORUS_DEPTH_MAX 100.0f
#define DSFXCHORUS_FEEDBACK_MIN -99.0f
#define DSFXCHORUS_FEEDBACK_MAX 99.0f
#define DSFXCHORUS_FREQUENCY_MIN 0.0f
#define DSFXCHORUS_FREQUENCY_MAX 10.0f
#define DSFXCHORUS_DELAY_MIN 0.0f
#define DSFXCHORUS_DELAY_MAX 20.0f
#define DSFXCHORUS_PHASE_MIN 0
#define DSFXCHORUS_PHASE_MAX 4
#define DSFXCHORUS_PHASE_NEG_180 0
#define DSFXCHORUS_PHASE_NEG_90 1
#define DSFXCHORUS_PHASE_ZERO 2
#define DSFXCHORUS_PHASE_90 3
#define DSFXCHORUS_PHASE_180 4

// ---- flanger --------------------------------------------------------------------------
struct DSFXFlanger {
    FLOAT fWetDryMix;
    FLOAT fDepth;
    FLOAT fFeedback;
    FLOAT fFrequency;
    LONG lWaveform;
    FLOAT fDelay;
    LONG lPhase;
};
typedef DSFXFlanger* LPDSFXFlanger;
typedef const DSFXFlanger* LPCDSFXFlanger;
#define DSFXFLANGER_WAVE_TRIANGLE 0
#define DSFXFLANGER_WAVE_SIN 1
#define DSFXFLANGER_WETDRYMIX_MIN 0.0f
#define DSFXFLANGER_WETDRYMIX_MAX 100.0f
#define DSFXFLANGER_FREQUENCY_MIN 0.0f
#define DSFXFLANGER_FREQUENCY_MAX 10.0f
#define DSFXFLANGER_DEPTH_MIN 0.0f
#define DSFXFLANGER_DEPTH_MAX 100.0f
#define DSFXFLANGER_PHASE_MIN 0
#define DSFXFLANGER_PHASE_MAX 4
#define DSFXFLANGER_FEEDBACK_MIN -99.0f
#define DSFXFLANGER_FEEDBACK_MAX 99.0f
#define DSFXFLANGER_DELAY_MIN 0.0f
#define DSFXFLANGER_DELAY_MAX 4.0f
#define DSFXFLANGER_PHASE_NEG_180 0
#define DSFXFLANGER_PHASE_NEG_90 1
#define DSFXFLANGER_PHASE_ZERO 2
#define DSFXFLANGER_PHASE_90 3
#define DSFXFLANGER_PHASE_180 4

// ---- echo -------------------------------------------------------------------------------
struct DSFXEcho {
    FLOAT fWetDryMix;
    FLOAT fFeedback;
    FLOAT fLeftDelay;
    FLOAT fRightDelay;
    LONG lPanDelay;
};
typedef DSFXEcho* LPDSFXEcho;
typedef const DSFXEcho* LPCDSFXEcho;
#define DSFXECHO_WETDRYMIX_MIN 0.0f
#define DSFXECHO_WETDRYMIX_MAX 100.0f
#define DSFXECHO_FEEDBACK_MIN 0.0f
#define DSFXECHO_FEEDBACK_MAX 100.0f
#define DSFXECHO_LEFTDELAY_MIN 1.0f
#define DSFXECHO_LEFTDELAY_MAX 2000.0f
#define DSFXECHO_RIGHTDELAY_MIN 1.0f
#define DSFXECHO_RIGHTDELAY_MAX 2000.0f
#define DSFXECHO_PANDELAY_MIN 0
#define DSFXECHO_PANDELAY_MAX 1

// ---- distortion ---------------------------------------------------------------------------
struct DSFXDistortion {
    FLOAT fGain;
    FLOAT fEdge;
    FLOAT fPostEQCenterFrequency;
    FLOAT fPostEQBandwidth;
    FLOAT fPreLowpassCutoff;
};
typedef DSFXDistortion* LPDSFXDistortion;
typedef const DSFXDistortion* LPCDSFXDistortion;
#define DSFXDISTORTION_GAIN_MIN -60.0f
#define DSFXDISTORTION_GAIN_MAX 0.0f
#define DSFXDISTORTION_EDGE_MIN 0.0f
#define DSFXDISTORTION_EDGE_MAX 100.0f
#define DSFXDISTORTION_POSTEQCENTERFREQUENCY_MIN 100.0f
#define DSFXDISTORTION_POSTEQCENTERFREQUENCY_MAX 8000.0f
#define DSFXDISTORTION_POSTEQBANDWIDTH_MIN 100.0f
#define DSFXDISTORTION_POSTEQBANDWIDTH_MAX 8000.0f
#define DSFXDISTORTION_PRELOWPASSCUTOFF_MIN 100.0f
#define DSFXDISTORTION_PRELOWPASSCUTOFF_MAX 8000.0f

// ---- compressor -----------------------------------------------------------------------------
struct DSFXCompressor {
    FLOAT fGain;
    FLOAT fAttack;
    FLOAT fRelease;
    FLOAT fThreshold;
    FLOAT fRatio;
    FLOAT fPredelay;
};
typedef DSFXCompressor* LPDSFXCompressor;
typedef const DSFXCompressor* LPCDSFXCompressor;
#define DSFXCOMPRESSOR_GAIN_MIN -60.0f
#define DSFXCOMPRESSOR_GAIN_MAX 60.0f
#define DSFXCOMPRESSOR_ATTACK_MIN 0.01f
#define DSFXCOMPRESSOR_ATTACK_MAX 500.0f
#define DSFXCOMPRESSOR_RELEASE_MIN 50.0f
#define DSFXCOMPRESSOR_RELEASE_MAX 3000.0f
#define DSFXCOMPRESSOR_THRESHOLD_MIN -60.0f
#define DSFXCOMPRESSOR_THRESHOLD_MAX 0.0f
#define DSFXCOMPRESSOR_RATIO_MIN 1.0f
#define DSFXCOMPRESSOR_RATIO_MAX 100.0f
#define DSFXCOMPRESSOR_PREDELAY_MIN 0.0f
#define DSFXCOMPRESSOR_PREDELAY_MAX 4.0f

// ---- parametric equaliser ---------------------------------------------------------------------
struct DSFXParamEq {
    FLOAT fCenter;
    FLOAT fBandwidth;
    FLOAT fGain;
};
typedef DSFXParamEq* LPDSFXParamEq;
typedef const DSFXParamEq* LPCDSFXParamEq;
#define DSFXPARAMEQ_CENTER_MIN 80.0f
#define DSFXPARAMEQ_CENTER_MAX 16000.0f
#define DSFXPARAMEQ_BANDWIDTH_MIN 1.0f
#define DSFXPARAMEQ_BANDWIDTH_MAX 36.0f
#define DSFXPARAMEQ_GAIN_MIN -15.0f
#define DSFXPARAMEQ_GAIN_MAX 15.0f

// ---- Waves reverb ---------------------------------------------------------------------------------
struct DSFXWavesReverb {
    FLOAT fInGain;
    FLOAT fReverbMix;
    FLOAT fReverbTime;
    FLOAT fHighFreqRTRatio;
};
typedef DSFXWavesReverb* LPDSFXWavesReverb;
typedef const DSFXWavesReverb* LPCDSFXWavesReverb;
#define DSFX_WAVESREVERB_INGAIN_MIN -96.0f
#define DSFX_WAVESREVERB_INGAIN_MAX 0.0f
#define DSFX_WAVESREVERB_INGAIN_DEFAULT 0.0f
#define DSFX_WAVESREVERB_REVERBMIX_MIN -96.0f
#define DSFX_WAVESREVERB_REVERBMIX_MAX 0.0f
#define DSFX_WAVESREVERB_REVERBMIX_DEFAULT 0.0f
#define DSFX_WAVESREVERB_REVERBTIME_MIN 0.001f
#define DSFX_WAVESREVERB_REVERBTIME_MAX 3000.0f
#define DSFX_WAVESREVERB_REVERBTIME_DEFAULT 1000.0f
#define DSFX_WAVESREVERB_HIGHFREQRTRATIO_MIN 0.001f
#define DSFX_WAVESREVERB_HIGHFREQRTRATIO_MAX 0.999f
#define DSFX_WAVESREVERB_HIGHFREQRTRATIO_DEFAULT 0.001f

// ---- I3DL2 reverb -----------------------------------------------------------------------------------
struct DSFXI3DL2Reverb {
    LONG lRoom;
    LONG lRoomHF;
    FLOAT flRoomRolloffFactor;
    FLOAT flDecayTime;
    FLOAT flDecayHFRatio;
    LONG lReflections;
    FLOAT flReflectionsDelay;
    LONG lReverb;
    FLOAT flReverbDelay;
    FLOAT flDiffusion;
    FLOAT flDensity;
    FLOAT flHFReference;
};
typedef DSFXI3DL2Reverb* LPDSFXI3DL2Reverb;
typedef const DSFXI3DL2Reverb* LPCDSFXI3DL2Reverb;
#define DSFX_I3DL2REVERB_ROOM_MIN (-10000)
#define DSFX_I3DL2REVERB_ROOM_MAX 0
#define DSFX_I3DL2REVERB_ROOM_DEFAULT (-1000)
#define DSFX_I3DL2REVERB_ROOMHF_MIN (-10000)
#define DSFX_I3DL2REVERB_ROOMHF_MAX 0
#define DSFX_I3DL2REVERB_ROOMHF_DEFAULT (-100)
#define DSFX_I3DL2REVERB_ROOMROLLOFFFACTOR_MIN 0.0f
#define DSFX_I3DL2REVERB_ROOMROLLOFFFACTOR_MAX 10.0f
#define DSFX_I3DL2REVERB_ROOMROLLOFFFACTOR_DEFAULT 0.0f
#define DSFX_I3DL2REVERB_DECAYTIME_MIN 0.1f
#define DSFX_I3DL2REVERB_DECAYTIME_MAX 20.0f
#define DSFX_I3DL2REVERB_DECAYTIME_DEFAULT 1.49f
#define DSFX_I3DL2REVERB_DECAYHFRATIO_MIN 0.1f
#define DSFX_I3DL2REVERB_DECAYHFRATIO_MAX 2.0f
#define DSFX_I3DL2REVERB_DECAYHFRATIO_DEFAULT 0.83f
#define DSFX_I3DL2REVERB_REFLECTIONS_MIN (-10000)
#define DSFX_I3DL2REVERB_REFLECTIONS_MAX 1000
#define DSFX_I3DL2REVERB_REFLECTIONS_DEFAULT (-2602)
#define DSFX_I3DL2REVERB_REFLECTIONSDELAY_MIN 0.0f
#define DSFX_I3DL2REVERB_REFLECTIONSDELAY_MAX 0.3f
#define DSFX_I3DL2REVERB_REFLECTIONSDELAY_DEFAULT 0.007f
#define DSFX_I3DL2REVERB_REVERB_MIN (-10000)
#define DSFX_I3DL2REVERB_REVERB_MAX 2000
#define DSFX_I3DL2REVERB_REVERB_DEFAULT 200
#define DSFX_I3DL2REVERB_REVERBDELAY_MIN 0.0f
#define DSFX_I3DL2REVERB_REVERBDELAY_MAX 0.1f
#define DSFX_I3DL2REVERB_REVERBDELAY_DEFAULT 0.011f
#define DSFX_I3DL2REVERB_DIFFUSION_MIN 0.0f
#define DSFX_I3DL2REVERB_DIFFUSION_MAX 100.0f
#define DSFX_I3DL2REVERB_DIFFUSION_DEFAULT 100.0f
#define DSFX_I3DL2REVERB_DENSITY_MIN 0.0f
#define DSFX_I3DL2REVERB_DENSITY_MAX 100.0f
#define DSFX_I3DL2REVERB_DENSITY_DEFAULT 100.0f
#define DSFX_I3DL2REVERB_HFREFERENCE_MIN 20.0f
#define DSFX_I3DL2REVERB_HFREFERENCE_MAX 20000.0f
#define DSFX_I3DL2REVERB_HFREFERENCE_DEFAULT 5000.0f
#define DSFX_I3DL2REVERB_QUALITY_MIN 0
#define DSFX_I3DL2REVERB_QUALITY_MAX 3
#define DSFX_I3DL2REVERB_QUALITY_DEFAULT 2
#define DSFX_I3DL2_ENVIRONMENT_PRESET_DEFAULT 0

// ---- interfaces ---------------------------------------------------------------------------------------
struct IDirectSoundFXGargle : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXGargle params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXGargle params) = 0;
};
struct IDirectSoundFXChorus : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXChorus params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXChorus params) = 0;
};
struct IDirectSoundFXFlanger : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXFlanger params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXFlanger params) = 0;
};
struct IDirectSoundFXEcho : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXEcho params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXEcho params) = 0;
};
struct IDirectSoundFXDistortion : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXDistortion params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXDistortion params) = 0;
};
struct IDirectSoundFXCompressor : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXCompressor params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXCompressor params) = 0;
};
struct IDirectSoundFXParamEq : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXParamEq params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXParamEq params) = 0;
};
struct IDirectSoundFXWavesReverb : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXWavesReverb params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXWavesReverb params) = 0;
};
struct IDirectSoundFXI3DL2Reverb : public IUnknown {
    STDMETHOD(SetAllParameters)(LPCDSFXI3DL2Reverb params) = 0;
    STDMETHOD(GetAllParameters)(LPDSFXI3DL2Reverb params) = 0;
    STDMETHOD(SetPreset)(DWORD preset) = 0;
    STDMETHOD(GetPreset)(LPDWORD preset) = 0;
    STDMETHOD(SetQuality)(LONG quality) = 0;
    STDMETHOD(GetQuality)(LONG* quality) = 0;
};
typedef IDirectSoundFXGargle IDirectSoundFXGargle8;
typedef IDirectSoundFXChorus IDirectSoundFXChorus8;
typedef IDirectSoundFXFlanger IDirectSoundFXFlanger8;
typedef IDirectSoundFXEcho IDirectSoundFXEcho8;
typedef IDirectSoundFXDistortion IDirectSoundFXDistortion8;
typedef IDirectSoundFXCompressor IDirectSoundFXCompressor8;
typedef IDirectSoundFXParamEq IDirectSoundFXParamEq8;
typedef IDirectSoundFXWavesReverb IDirectSoundFXWavesReverb8;
typedef IDirectSoundFXI3DL2Reverb IDirectSoundFXI3DL2Reverb8;
