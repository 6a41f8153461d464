// IDirectSoundBuffer8 on a Voice.
#include "dsound8/secondary_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "base/platform_log.h"

namespace nol::dsound8 {
namespace {

DS3DBUFFER Default3D() {
    DS3DBUFFER p{};
    p.dwSize = sizeof(DS3DBUFFER);
    p.dwInsideConeAngle = DS3D_DEFAULTCONEANGLE;
    p.dwOutsideConeAngle = DS3D_DEFAULTCONEANGLE;
    p.vConeOrientation = {0.0f, 0.0f, 1.0f};
    p.lConeOutsideVolume = DS3D_DEFAULTCONEOUTSIDEVOLUME;
    p.flMinDistance = DS3D_DEFAULTMINDISTANCE;
    p.flMaxDistance = DS3D_DEFAULTMAXDISTANCE;
    p.dwMode = DS3DMODE_NORMAL;
    return p;
}

void FillSilence(SampleData& s) {
    std::fill(s.bytes.begin(), s.bytes.end(), uint8_t(s.format.wBitsPerSample == 8 ? 0x80 : 0));
}

}  // namespace

// ---- creation ------------------------------------------------------------------

HRESULT SecondaryBuffer::Create(std::shared_ptr<SoundCore> core, const DSBUFFERDESC& desc,
                                SecondaryBuffer** out) {
    if (!IsPlayableFormat(desc.lpwfxFormat)) return DSERR_BADFORMAT;
    if (desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX)
        return DSERR_INVALIDPARAM;
    const WAVEFORMATEX& format = *desc.lpwfxFormat;
    if (desc.dwBufferBytes < format.nBlockAlign) return DSERR_INVALIDPARAM;
    if ((desc.dwFlags & DSBCAPS_CTRLFX) && FxMinimumEnforced() &&
        uint64_t(desc.dwBufferBytes) * 1000 <
            uint64_t(format.nSamplesPerSec) * format.nBlockAlign * DSBSIZE_FX_MIN)
        return DSERR_BUFFERTOOSMALL;

    auto samples = std::make_shared<SampleData>();
    samples->format = format;
    samples->format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    samples->format.cbSize = 0;
    try {
        samples->bytes.resize(desc.dwBufferBytes);
    } catch (const std::bad_alloc&) {
        NolLog("DirectSound: no memory for a buffer of %u bytes\n", unsigned(desc.dwBufferBytes));
        return DSERR_OUTOFMEMORY;
    }
    samples->frames = desc.dwBufferBytes / format.nBlockAlign;
    FillSilence(*samples);
    if ((desc.dwFlags & DSBCAPS_CTRL3D) && format.nChannels != 1)
        NolLog("DirectSound: a stereo buffer with 3D control plays without positioning\n");

    SecondaryBuffer* buffer = nullptr;
    {
        CoreLock guard(*core);
        buffer = new SecondaryBuffer(core, std::move(samples), desc.dwFlags);
    }
    if (!buffer->voice_->valid()) {
        buffer->Release();  // takes the lock itself
        NolLog("DirectSound: no more OpenAL sources\n");
        return DSERR_ALLOCATED;
    }
    *out = buffer;
    return DS_OK;
}

SecondaryBuffer::SecondaryBuffer(std::shared_ptr<SoundCore> core,
                                 std::shared_ptr<SampleData> samples, DWORD flags)
    : core_(std::move(core)),
      samples_(std::move(samples)),
      flags_(flags),
      voice_(std::make_unique<Voice>(*core_->output, samples_, (flags & DSBCAPS_CTRL3D) != 0)),
      effects_(std::make_unique<EffectChain>(core_, (flags & DSBCAPS_CTRL3D) != 0,
                                             samples_->format.nSamplesPerSec,
                                             samples_->format.nChannels)) {
    voice_->SetEffects(effects_.get());
    params3d_ = Default3D();
    pending3d_ = params3d_;
    core_->buffers.push_back(this);
    if (voice_->valid() && Has(DSBCAPS_CTRL3D)) Apply3D();
}

SecondaryBuffer::~SecondaryBuffer() {
    CoreLock guard(*core_);
    auto& list = core_->buffers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    effects_->Clear(voice_->source());
    voice_->Stop();
    voice_->SetEffects(nullptr);
    effects_.reset();
    voice_.reset();
}

HRESULT SecondaryBuffer::Duplicate(SecondaryBuffer** out) {
    SecondaryBuffer* copy = nullptr;
    {
        CoreLock guard(*core_);
        copy = new SecondaryBuffer(core_, samples_, flags_);
        if (copy->voice_->valid()) {
            copy->volume_ = volume_;
            copy->pan_ = pan_;
            copy->frequency_ = frequency_;
            copy->ApplyVolume();
            copy->voice_->SetPan(pan_);
            copy->ApplyFrequency();
            *out = copy;
            return DS_OK;
        }
    }
    copy->Release();  // takes the lock itself
    NolLog("DirectSound: no more OpenAL sources\n");
    return DSERR_ALLOCATED;
}

void* SecondaryBuffer::Other(REFIID iid) {
    if (iid == IID_IDirectSound3DBuffer && Has(DSBCAPS_CTRL3D))
        return static_cast<IDirectSound3DBuffer*>(&buffer3d_);
    if (iid == IID_IDirectSoundNotify && Has(DSBCAPS_CTRLPOSITIONNOTIFY))
        return static_cast<IDirectSoundNotify*>(&notify_);
    return nullptr;
}

// ---- state ----------------------------------------------------------------------

HRESULT SecondaryBuffer::GetCaps(LPDSBCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = (flags_ & ~DSBCAPS_LOCDEFER) | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = DWORD(samples_->bytes.size());
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

HRESULT SecondaryBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) {
    CoreLock guard(*core_);
    if (samples_->lost) return DSERR_BUFFERLOST;
    DWORD align = samples_->format.nBlockAlign;
    if (playCursor) *playCursor = voice_->PlayFrame() * align;
    if (writeCursor) *writeCursor = voice_->WriteFrame() * align;
    return DS_OK;
}

HRESULT SecondaryBuffer::GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated,
                                   LPDWORD sizeWritten) {
    if (!format && !sizeWritten) return DSERR_INVALIDPARAM;
    DWORD size = sizeof(WAVEFORMATEX);
    if (format) {
        size = std::min<DWORD>(size, sizeAllocated);
        std::memcpy(format, &samples_->format, size);
    }
    if (sizeWritten) *sizeWritten = size;
    return DS_OK;
}

HRESULT SecondaryBuffer::GetVolume(LONG* volume) {
    if (!volume) return DSERR_INVALIDPARAM;
    if (!Has(DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    *volume = volume_;
    return DS_OK;
}

HRESULT SecondaryBuffer::GetPan(LONG* pan) {
    if (!pan) return DSERR_INVALIDPARAM;
    if (!Has(DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    *pan = pan_;
    return DS_OK;
}

HRESULT SecondaryBuffer::GetFrequency(LPDWORD frequency) {
    if (!frequency) return DSERR_INVALIDPARAM;
    if (!Has(DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    *frequency = frequency_ ? frequency_ : samples_->format.nSamplesPerSec;
    return DS_OK;
}

HRESULT SecondaryBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    DWORD s = 0;
    if (voice_->playing()) {
        s |= DSBSTATUS_PLAYING | DSBSTATUS_LOCSOFTWARE;
        if (voice_->looping()) s |= DSBSTATUS_LOOPING;
    }
    if (samples_->lost) s |= DSBSTATUS_BUFFERLOST;
    *status = s;
    return DS_OK;
}

HRESULT SecondaryBuffer::Initialize(IDirectSound*, LPCDSBUFFERDESC) {
    return DSERR_ALREADYINITIALIZED;
}

HRESULT SecondaryBuffer::SetFormat(LPCWAVEFORMATEX) { return DSERR_INVALIDCALL; }

void SecondaryBuffer::ApplyVolume() {
    alSourcef(voice_->source(), AL_GAIN, VolumeToGain(volume_));
}

HRESULT SecondaryBuffer::SetVolume(LONG volume) {
    if (!Has(DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    volume_ = volume;
    ApplyVolume();
    return DS_OK;
}

HRESULT SecondaryBuffer::SetPan(LONG pan) {
    if (!Has(DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    pan_ = pan;
    voice_->SetPan(pan);
    return DS_OK;
}

HRESULT SecondaryBuffer::SetFrequency(DWORD frequency) {
    if (!Has(DSBCAPS_CTRLFREQUENCY)) return DSERR_CONTROLUNAVAIL;
    if (frequency != DSBFREQUENCY_ORIGINAL &&
        (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    frequency_ = frequency;
    ApplyFrequency();
    return DS_OK;
}

// Playing at another rate than the samples' own is a pitch change in OpenAL.
void SecondaryBuffer::ApplyFrequency() {
    const DWORD rate = samples_->format.nSamplesPerSec;
    alSourcef(voice_->source(), AL_PITCH, frequency_ ? float(frequency_) / float(rate) : 1.0f);
}

// ---- samples --------------------------------------------------------------------

HRESULT SecondaryBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1,
                              LPVOID* part2, LPDWORD bytes2, DWORD flags) {
    if (!part1 || !bytes1) return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    if (samples_->lost) return DSERR_BUFFERLOST;
    const DWORD size = DWORD(samples_->bytes.size());
    if (flags & DSBLOCK_FROMWRITECURSOR) offset = voice_->WriteFrame() * samples_->format.nBlockAlign;
    if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
    if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
    // Writes land in the samples the voice reads; what it has queued already
    // (before the write cursor) plays as it was, as with any DirectSound buffer.
    DWORD first = std::min(bytes, size - offset);
    DWORD second = bytes - first;
    *part1 = samples_->bytes.data() + offset;
    *bytes1 = first;
    if (part2) *part2 = second ? samples_->bytes.data() : nullptr;
    if (bytes2) *bytes2 = part2 ? second : 0;
    return DS_OK;
}

HRESULT SecondaryBuffer::Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) {
    const uint8_t* begin = samples_->bytes.data();
    const uint8_t* end = begin + samples_->bytes.size();
    auto inside = [&](LPVOID p, DWORD n) {
        auto* q = static_cast<const uint8_t*>(p);
        return n == 0 || (q >= begin && q <= end && DWORD(end - q) >= n);
    };
    if (!part1 || !inside(part1, bytes1) || (part2 && !inside(part2, bytes2)))
        return DSERR_INVALIDPARAM;
    return DS_OK;
}

HRESULT SecondaryBuffer::Restore() {
    CoreLock guard(*core_);
    if (samples_->lost) {
        // What the buffer held is gone; its owner writes it again.
        FillSilence(*samples_);
        samples_->lost = false;
    }
    return DS_OK;
}

// ---- playing ----------------------------------------------------------------------

HRESULT SecondaryBuffer::Play(DWORD, DWORD, DWORD flags) {
    CoreLock guard(*core_);
    if (core_->closed) return DSERR_INVALIDCALL;
    if (samples_->lost) return DSERR_BUFFERLOST;
    voice_->Play((flags & DSBPLAY_LOOPING) != 0);
    return DS_OK;
}

HRESULT SecondaryBuffer::Stop() {
    CoreLock guard(*core_);
    voice_->Stop();
    return DS_OK;
}

HRESULT SecondaryBuffer::SetCurrentPosition(DWORD position) {
    CoreLock guard(*core_);
    if (samples_->lost) return DSERR_BUFFERLOST;
    if (position >= samples_->bytes.size()) return DSERR_INVALIDPARAM;
    voice_->SetPositionFrame(position / samples_->format.nBlockAlign);
    return DS_OK;
}

// ---- effects ------------------------------------------------------------------------

HRESULT SecondaryBuffer::SetFX(DWORD count, LPDSEFFECTDESC effects, LPDWORD resultCodes) {
    if (!Has(DSBCAPS_CTRLFX)) return DSERR_CONTROLUNAVAIL;
    if (count > 0 && !effects) return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    if (voice_->playing()) return DSERR_INVALIDCALL;  // effects change only on a stopped buffer
    return effects_->Set(voice_->source(), count, effects, resultCodes);
}

HRESULT SecondaryBuffer::AcquireResources(DWORD, DWORD count, LPDWORD resultCodes) {
    if (!Has(DSBCAPS_LOCDEFER)) return DSERR_INVALIDCALL;
    // Everything plays in software and is allocated when the buffer is made.
    if (resultCodes)
        for (DWORD i = 0; i < count; ++i) resultCodes[i] = DSFXR_LOCSOFTWARE;
    return DS_OK;
}

HRESULT SecondaryBuffer::GetObjectInPath(REFGUID objectClass, DWORD index, REFGUID iid,
                                         LPVOID* object) {
    if (!object) return DSERR_INVALIDPARAM;
    *object = nullptr;
    CoreLock guard(*core_);
    return effects_->Find(objectClass, index, iid, object);
}

// ---- notifications ------------------------------------------------------------------

HRESULT SecondaryBuffer::Notify::SetNotificationPositions(DWORD count,
                                                          LPCDSBPOSITIONNOTIFY positions) {
    SecondaryBuffer& b = owner_;
    if (count > 0 && !positions) return DSERR_INVALIDPARAM;
    const DWORD size = DWORD(b.samples_->bytes.size());
    // At most one position per byte (and a stop): bounds the upkeep's work.
    if (count > std::min<DWORD>(size, 65536) + 1) return DSERR_INVALIDPARAM;
    for (DWORD i = 0; i < count; ++i) {
        if (positions[i].dwOffset != DSBPN_OFFSETSTOP && positions[i].dwOffset >= size)
            return DSERR_INVALIDPARAM;
        if (!positions[i].hEventNotify) return DSERR_INVALIDPARAM;
    }
    CoreLock guard(*b.core_);
    if (b.voice_->playing()) return DSERR_INVALIDCALL;
    b.voice_->SetNotifications(std::vector<DSBPOSITIONNOTIFY>(positions, positions + count));
    return DS_OK;
}

}  // namespace nol::dsound8
