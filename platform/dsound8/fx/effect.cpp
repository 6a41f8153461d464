#include "dsound8/fx/effect.h"

#include "base/platform_log.h"
#include "dsound8/fx/processors.h"

namespace nol::dsound8::fx {
namespace {

class I3DL2ReverbObject final
    : public EffectObject<IDirectSoundFXI3DL2Reverb, IID_IDirectSoundFXI3DL2Reverb,
                          DSFXI3DL2Reverb, void> {
public:
    using EffectObject::EffectObject;

    HRESULT SetPreset(DWORD preset) override {
        // Only the default environment is known here; the others' tables are not.
        if (preset != DSFX_I3DL2_ENVIRONMENT_PRESET_DEFAULT) {
            NolLog("DirectSound: I3DL2 reverb preset %u is not available\n", unsigned(preset));
            return DSERR_INVALIDPARAM;
        }
        CoreLock guard(*core_);
        params_ = DefaultI3DL2Reverb();
        preset_ = preset;
        ++version_;
        return DS_OK;
    }
    HRESULT GetPreset(LPDWORD preset) override {
        if (!preset) return DSERR_INVALIDPARAM;
        CoreLock guard(*core_);
        *preset = preset_;
        return DS_OK;
    }
    // The quality is kept for the program; EFX's reverb has one quality.
    HRESULT SetQuality(LONG quality) override {
        if (quality < DSFX_I3DL2REVERB_QUALITY_MIN || quality > DSFX_I3DL2REVERB_QUALITY_MAX)
            return DSERR_INVALIDPARAM;
        CoreLock guard(*core_);
        quality_ = quality;
        return DS_OK;
    }
    HRESULT GetQuality(LONG* quality) override {
        if (!quality) return DSERR_INVALIDPARAM;
        CoreLock guard(*core_);
        *quality = quality_;
        return DS_OK;
    }

private:
    DWORD preset_ = DSFX_I3DL2_ENVIRONMENT_PRESET_DEFAULT;
    LONG quality_ = DSFX_I3DL2REVERB_QUALITY_DEFAULT;
};

template <typename Interface, const IID& Iid, typename Params, typename Runner>
Effect* Make(std::shared_ptr<SoundCore> core, const GUID& effectClass, const Params& defaults,
             uint32_t rate, int channels) {
    return new EffectObject<Interface, Iid, Params, Runner>(std::move(core), effectClass, defaults,
                                                           rate, channels);
}

}  // namespace

Effect* MakeEffect(const GUID& c, std::shared_ptr<SoundCore> core, uint32_t rate, int channels) {
    if (c == GUID_DSFX_STANDARD_GARGLE)
        return Make<IDirectSoundFXGargle, IID_IDirectSoundFXGargle, DSFXGargle, Gargle>(
            core, c, DefaultGargle(), rate, channels);
    if (c == GUID_DSFX_STANDARD_CHORUS)
        return Make<IDirectSoundFXChorus, IID_IDirectSoundFXChorus, DSFXChorus, Chorus>(
            core, c, DefaultChorus(), rate, channels);
    if (c == GUID_DSFX_STANDARD_FLANGER)
        return Make<IDirectSoundFXFlanger, IID_IDirectSoundFXFlanger, DSFXFlanger, Flanger>(
            core, c, DefaultFlanger(), rate, channels);
    if (c == GUID_DSFX_STANDARD_ECHO)
        return Make<IDirectSoundFXEcho, IID_IDirectSoundFXEcho, DSFXEcho, Echo>(
            core, c, DefaultEcho(), rate, channels);
    if (c == GUID_DSFX_STANDARD_DISTORTION)
        return Make<IDirectSoundFXDistortion, IID_IDirectSoundFXDistortion, DSFXDistortion,
                    Distortion>(core, c, DefaultDistortion(), rate, channels);
    if (c == GUID_DSFX_STANDARD_COMPRESSOR)
        return Make<IDirectSoundFXCompressor, IID_IDirectSoundFXCompressor, DSFXCompressor,
                    Compressor>(core, c, DefaultCompressor(), rate, channels);
    if (c == GUID_DSFX_STANDARD_PARAMEQ)
        return Make<IDirectSoundFXParamEq, IID_IDirectSoundFXParamEq, DSFXParamEq, ParamEq>(
            core, c, DefaultParamEq(), rate, channels);
    if (c == GUID_DSFX_WAVES_REVERB)
        return Make<IDirectSoundFXWavesReverb, IID_IDirectSoundFXWavesReverb, DSFXWavesReverb,
                    void>(core, c, DefaultWavesReverb(), rate, channels);
    if (c == GUID_DSFX_STANDARD_I3DL2REVERB)
        return new I3DL2ReverbObject(std::move(core), c, DefaultI3DL2Reverb(), rate, channels);
    return nullptr;
}

}  // namespace nol::dsound8::fx
