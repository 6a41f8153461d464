// DirectSoundCreate8 and the DirectSound object; the accessors other components
// and tests use to reach its OpenAL output.
#include "dsound8/direct_sound.h"

#include <atomic>

#include "base/platform_log.h"
#include "dsound8/dsound_test_hooks.h"
#include "dsound8/primary_buffer.h"
#include "dsound8/secondary_buffer.h"

namespace nol::dsound8 {
namespace {

std::atomic<bool> manualOutput{false};
std::atomic<bool> failCreation{false};
std::atomic<bool> enforceFxMinimum{false};
// The last manual object made, for renders that do not name one.
std::mutex lastManualLock;
std::weak_ptr<SoundCore> lastManual;

std::shared_ptr<SoundCore> CoreOf(IDirectSound* sound) {
    auto* object = dynamic_cast<DirectSound*>(sound);
    return object ? object->core() : nullptr;
}

}  // namespace

bool FxMinimumEnforced() { return enforceFxMinimum; }

HRESULT DirectSound::CreatePrimary(const DSBUFFERDESC& desc, IDirectSoundBuffer** buffer) {
    const DWORD allowed = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN |
                          DSBCAPS_CTRL3D | DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE |
                          DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS;
    if ((desc.dwFlags & ~allowed) || desc.dwBufferBytes != 0 || desc.lpwfxFormat)
        return DSERR_INVALIDPARAM;
    {
        // There is one primary buffer; asking again hands out the same one.
        CoreLock guard(*core_);
        if (core_->primary) {
            core_->primary->AddRef();
            *buffer = core_->primary;
            return DS_OK;
        }
    }
    *buffer = new PrimaryBuffer(core_, desc.dwFlags);
    return DS_OK;
}

HRESULT DirectSound::CreateSoundBuffer(LPCDSBUFFERDESC desc, IDirectSoundBuffer** buffer,
                                       LPUNKNOWN outer) {
    if (!buffer) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    // 20 is the size of the older description without the 3D algorithm.
    if (!desc || !(IsValidSize(desc->dwSize, sizeof(DSBUFFERDESC), 36) || desc->dwSize == 20))
        return DSERR_INVALIDPARAM;
    if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) return CreatePrimary(*desc, buffer);
    if ((desc->dwFlags & DSBCAPS_LOCHARDWARE) && (desc->dwFlags & DSBCAPS_LOCSOFTWARE))
        return DSERR_INVALIDPARAM;
    SecondaryBuffer* created = nullptr;
    HRESULT hr = SecondaryBuffer::Create(core_, *desc, &created);
    if (SUCCEEDED(hr)) *buffer = created;
    return hr;
}

HRESULT DirectSound::GetCaps(LPDSCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
    DWORD size = caps->dwSize;
    *caps = DSCAPS{};
    caps->dwSize = size;
    caps->dwFlags = DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY16BIT | DSCAPS_CONTINUOUSRATE |
                    DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT |
                    DSCAPS_SECONDARY16BIT;
    caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
    caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
    caps->dwPrimaryBuffers = 1;
    return DS_OK;
}

HRESULT DirectSound::DuplicateSoundBuffer(IDirectSoundBuffer* original,
                                          IDirectSoundBuffer** duplicate) {
    if (!duplicate) return DSERR_INVALIDPARAM;
    *duplicate = nullptr;
    if (dynamic_cast<PrimaryBuffer*>(original)) return DSERR_INVALIDCALL;
    auto* source = dynamic_cast<SecondaryBuffer*>(original);
    if (!source) return DSERR_INVALIDPARAM;
    SecondaryBuffer* copy = nullptr;
    HRESULT hr = source->Duplicate(&copy);
    if (SUCCEEDED(hr)) *duplicate = copy;
    return hr;
}

HRESULT DirectSound::SetCooperativeLevel(HWND, DWORD level) {
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    core_->cooperativeLevel = level;
    return DS_OK;
}

HRESULT DirectSound::GetSpeakerConfig(LPDWORD config) {
    if (!config) return DSERR_INVALIDPARAM;
    *config = speakerConfig_;
    return DS_OK;
}

HRESULT DirectSound::SetSpeakerConfig(DWORD config) {
    // Remembered only: the output is always stereo.
    speakerConfig_ = config;
    return DS_OK;
}

HRESULT DirectSound::VerifyCertification(LPDWORD certified) {
    if (!certified) return DSERR_INVALIDPARAM;
    *certified = DS_UNCERTIFIED;  // there is no certified driver behind this
    return DS_OK;
}

}  // namespace nol::dsound8

using nol::dsound8::CoreOf;

HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* sound, LPUNKNOWN outer) {
    if (!sound) return DSERR_INVALIDPARAM;
    *sound = nullptr;
    if (outer) return DSERR_NOAGGREGATION;
    if (device && *device != GUID_NULL && *device != DSDEVID_DefaultPlayback)
        return DSERR_NODRIVER;
    if (nol::dsound8::failCreation) return DSERR_NODRIVER;
    bool manual = nol::dsound8::manualOutput;
    auto output = nol::dsound8::OutputDevice::Open(manual);
    if (!output) return DSERR_NODRIVER;
    auto core = std::make_shared<nol::dsound8::SoundCore>(std::move(output));
    if (manual) {
        std::lock_guard<std::mutex> guard(nol::dsound8::lastManualLock);
        nol::dsound8::lastManual = core;
    }
    *sound = new nol::dsound8::DirectSound(core);
    return DS_OK;
}

HRESULT DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* sound, LPUNKNOWN outer) {
    LPDIRECTSOUND8 sound8 = nullptr;
    HRESULT hr = DirectSoundCreate8(device, &sound8, outer);
    if (sound) *sound = sound8;
    return hr;
}

// ---- the output, for other components ----------------------------------------------------

ALCcontext* NolOpenALContext(IDirectSound* sound) {
    auto core = CoreOf(sound);
    return core ? core->output->context() : nullptr;
}

int NolOpenALAddFeeder(IDirectSound* sound, NolOpenALFeeder feeder, void* user) {
    auto core = CoreOf(sound);
    return core ? core->output->AddFeeder(feeder, user) : 0;
}

void NolOpenALRemoveFeeder(IDirectSound* sound, int id) {
    if (auto core = CoreOf(sound)) core->output->RemoveFeeder(id);
}

// ---- test seams ----------------------------------------------------------------------------

void NolDirectSoundUseManualOutput(bool manual) { nol::dsound8::manualOutput = manual; }

void NolDirectSoundFailCreation(bool fail) { nol::dsound8::failCreation = fail; }

bool NolDirectSoundRender(IDirectSound* sound, int16_t* out, uint32_t frames) {
    std::shared_ptr<nol::dsound8::SoundCore> core;
    if (sound) {
        core = CoreOf(sound);
    } else {
        std::lock_guard<std::mutex> guard(nol::dsound8::lastManualLock);
        core = nol::dsound8::lastManual.lock();
    }
    return core && core->output->Render(out, frames);
}

void NolDirectSoundLoseBuffers(IDirectSound* sound) {
    auto core = CoreOf(sound);
    if (!core) return;
    nol::dsound8::CoreLock guard(*core);
    core->primaryLost = true;
    for (auto* buffer : core->buffers) buffer->MarkLost();
}

void NolDirectSoundEnforceFxMinimum(bool enforce) { nol::dsound8::enforceFxMinimum = enforce; }
