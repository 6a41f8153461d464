// The DirectSound object: makes buffers on its output device.
#pragma once

#include <memory>

#include "com/com_object.h"
#include "dsound8/dsound.h"
#include "dsound8/sound_core.h"

namespace nol::dsound8 {

class DirectSound final : public com::Object<IDirectSound8, IID_IDirectSound, IID_IDirectSound8> {
public:
    explicit DirectSound(std::shared_ptr<SoundCore> core) : core_(std::move(core)) {}

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, IDirectSoundBuffer** buffer,
                              LPUNKNOWN outer) override;
    HRESULT GetCaps(LPDSCAPS caps) override;
    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                 IDirectSoundBuffer** duplicate) override;
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD level) override;
    HRESULT Compact() override { return DS_OK; }
    HRESULT GetSpeakerConfig(LPDWORD config) override;
    HRESULT SetSpeakerConfig(DWORD config) override;
    HRESULT Initialize(LPCGUID) override { return DSERR_ALREADYINITIALIZED; }
    HRESULT VerifyCertification(LPDWORD certified) override;

    const std::shared_ptr<SoundCore>& core() const { return core_; }

private:
    ~DirectSound() override { core_->Shutdown(); }
    HRESULT CreatePrimary(const DSBUFFERDESC& desc, IDirectSoundBuffer** buffer);

    std::shared_ptr<SoundCore> core_;
    DWORD speakerConfig_ = DSSPEAKER_STEREO;
};

}  // namespace nol::dsound8
