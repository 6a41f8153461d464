// The primary buffer and the listener. The device always mixes 44100 Hz 16-bit
// stereo; the primary's format is what the program asked for and reads back.
#include "dsound8/primary_buffer.h"

#include <cmath>
#include <cstring>

namespace nol::dsound8 {
namespace {

constexpr float kSpeedOfSound = 343.3f;  // metres per second, OpenAL's default

bool Finite(float a, float b, float c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

}  // namespace

PrimaryBuffer::PrimaryBuffer(std::shared_ptr<SoundCore> core, DWORD flags)
    : core_(std::move(core)), flags_(flags) {
    format_.wFormatTag = WAVE_FORMAT_PCM;
    format_.nChannels = 2;
    format_.nSamplesPerSec = 22050;  // DirectSound's primary format before SetFormat
    format_.wBitsPerSample = 8;
    format_.nBlockAlign = 2;
    format_.nAvgBytesPerSec = 44100;
    params_.dwSize = sizeof(DS3DLISTENER);
    params_.vOrientFront = {0.0f, 0.0f, 1.0f};
    params_.vOrientTop = {0.0f, 1.0f, 0.0f};
    params_.flDistanceFactor = DS3D_DEFAULTDISTANCEFACTOR;
    params_.flRolloffFactor = DS3D_DEFAULTROLLOFFFACTOR;
    params_.flDopplerFactor = DS3D_DEFAULTDOPPLERFACTOR;
    pending_ = params_;
    CoreLock guard(*core_);
    core_->primary = this;
    ApplyListener();
}

PrimaryBuffer::~PrimaryBuffer() {
    CoreLock guard(*core_);
    if (core_->primary == this) core_->primary = nullptr;
}

void* PrimaryBuffer::Other(REFIID iid) {
    if (iid == IID_IDirectSound3DListener && (flags_ & DSBCAPS_CTRL3D))
        return static_cast<IDirectSound3DListener*>(&listener_);
    return nullptr;
}

HRESULT PrimaryBuffer::GetCaps(LPDSBCAPS caps) {
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = flags_ | DSBCAPS_LOCSOFTWARE;
    caps->dwBufferBytes = kNolOutputRate * 4 / 10;  // nominal: a tenth of a second
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) {
    // The mix is OpenAL's and cannot be read here.
    if (playCursor) *playCursor = 0;
    if (writeCursor) *writeCursor = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated,
                                 LPDWORD sizeWritten) {
    if (!format && !sizeWritten) return DSERR_INVALIDPARAM;
    DWORD size = sizeof(WAVEFORMATEX);
    CoreLock guard(*core_);
    if (format) {
        size = sizeAllocated < size ? sizeAllocated : size;
        std::memcpy(format, &format_, size);
    }
    if (sizeWritten) *sizeWritten = size;
    return DS_OK;
}

HRESULT PrimaryBuffer::GetVolume(LONG* volume) {
    if (!volume) return DSERR_INVALIDPARAM;
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    CoreLock guard(*core_);
    *volume = volume_;
    return DS_OK;
}

HRESULT PrimaryBuffer::SetVolume(LONG volume) {
    if (!(flags_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    volume_ = volume;
    alListenerf(AL_GAIN, VolumeToGain(volume));
    return DS_OK;
}

HRESULT PrimaryBuffer::GetPan(LONG* pan) {
    if (!pan) return DSERR_INVALIDPARAM;
    return DSERR_CONTROLUNAVAIL;
}
HRESULT PrimaryBuffer::SetPan(LONG) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimaryBuffer::GetFrequency(LPDWORD frequency) {
    if (!frequency) return DSERR_INVALIDPARAM;
    return DSERR_CONTROLUNAVAIL;
}
HRESULT PrimaryBuffer::SetFrequency(DWORD) { return DSERR_CONTROLUNAVAIL; }

HRESULT PrimaryBuffer::GetStatus(LPDWORD status) {
    if (!status) return DSERR_INVALIDPARAM;
    CoreLock guard(*core_);
    *status = DSBSTATUS_PLAYING | DSBSTATUS_LOOPING;
    if (core_->primaryLost) *status |= DSBSTATUS_BUFFERLOST;
    return DS_OK;
}

HRESULT PrimaryBuffer::Initialize(IDirectSound*, LPCDSBUFFERDESC) {
    return DSERR_ALREADYINITIALIZED;
}

HRESULT PrimaryBuffer::Lock(DWORD, DWORD, LPVOID*, LPDWORD, LPVOID*, LPDWORD, DWORD) {
    // Writing the mix by hand (DSSCL_WRITEPRIMARY) is not offered.
    return DSERR_PRIOLEVELNEEDED;
}
HRESULT PrimaryBuffer::Unlock(LPVOID, DWORD, LPVOID, DWORD) { return DSERR_INVALIDCALL; }
HRESULT PrimaryBuffer::SetCurrentPosition(DWORD) { return DSERR_INVALIDCALL; }

HRESULT PrimaryBuffer::Play(DWORD, DWORD, DWORD flags) {
    // The mix runs whenever secondary buffers play; playing the primary keeps it
    // running in silence too, which OpenAL does anyway.
    return (flags & DSBPLAY_LOOPING) ? DS_OK : DSERR_INVALIDPARAM;
}
HRESULT PrimaryBuffer::Stop() { return DS_OK; }

HRESULT PrimaryBuffer::SetFormat(LPCWAVEFORMATEX format) {
    if (!IsPlayableFormat(format)) return DSERR_BADFORMAT;
    CoreLock guard(*core_);
    if (core_->cooperativeLevel < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    format_ = *format;
    format_.nAvgBytesPerSec = format_.nSamplesPerSec * format_.nBlockAlign;
    format_.cbSize = 0;
    return DS_OK;
}

HRESULT PrimaryBuffer::Restore() {
    CoreLock guard(*core_);
    core_->primaryLost = false;
    return DS_OK;
}

// ---- listener ------------------------------------------------------------------------

void PrimaryBuffer::ApplyListener() {
    const DS3DLISTENER& p = params_;
    float v[6];
    ToOpenAL(p.vPosition, v);
    alListenerfv(AL_POSITION, v);
    ToOpenAL(p.vVelocity, v);
    alListenerfv(AL_VELOCITY, v);
    ToOpenAL(p.vOrientFront, v);
    ToOpenAL(p.vOrientTop, v + 3);
    alListenerfv(AL_ORIENTATION, v);
    // Distances are in the program's units; the distance factor says how many
    // metres one unit is, which only the Doppler shift needs.
    alSpeedOfSound(kSpeedOfSound / p.flDistanceFactor);
    alDopplerFactor(p.flDopplerFactor);
    if (core_->rolloffFactor != p.flRolloffFactor) {
        core_->rolloffFactor = p.flRolloffFactor;
        core_->ApplyRolloff();
    }
}

template <typename Change>
HRESULT PrimaryBuffer::Listener::Update(DWORD apply, Change change) {
    if (apply != DS3D_IMMEDIATE && apply != DS3D_DEFERRED) return DSERR_INVALIDPARAM;
    PrimaryBuffer& b = owner_;
    CoreLock guard(*b.core_);
    DS3DLISTENER next = b.hasPending_ ? b.pending_ : b.params_;
    change(next);
    if (apply == DS3D_DEFERRED) {
        b.pending_ = next;
        b.hasPending_ = true;
    } else {
        b.params_ = next;
        b.pending_ = next;
        b.hasPending_ = false;
        b.ApplyListener();
    }
    return DS_OK;
}

template <typename Read>
HRESULT PrimaryBuffer::Listener::Get(Read read) {
    CoreLock guard(*owner_.core_);
    read(owner_.params_);
    return DS_OK;
}

HRESULT PrimaryBuffer::Listener::GetAllParameters(LPDS3DLISTENER out) {
    if (!out || out->dwSize != sizeof(DS3DLISTENER)) return DSERR_INVALIDPARAM;
    return Get([out](const DS3DLISTENER& p) { *out = p; });
}

HRESULT PrimaryBuffer::Listener::GetDistanceFactor(D3DVALUE* f) {
    if (!f) return DSERR_INVALIDPARAM;
    return Get([f](const DS3DLISTENER& p) { *f = p.flDistanceFactor; });
}

HRESULT PrimaryBuffer::Listener::GetDopplerFactor(D3DVALUE* f) {
    if (!f) return DSERR_INVALIDPARAM;
    return Get([f](const DS3DLISTENER& p) { *f = p.flDopplerFactor; });
}

HRESULT PrimaryBuffer::Listener::GetOrientation(D3DVECTOR* front, D3DVECTOR* top) {
    if (!front || !top) return DSERR_INVALIDPARAM;
    return Get([=](const DS3DLISTENER& p) {
        *front = p.vOrientFront;
        *top = p.vOrientTop;
    });
}

HRESULT PrimaryBuffer::Listener::GetPosition(D3DVECTOR* v) {
    if (!v) return DSERR_INVALIDPARAM;
    return Get([v](const DS3DLISTENER& p) { *v = p.vPosition; });
}

HRESULT PrimaryBuffer::Listener::GetRolloffFactor(D3DVALUE* f) {
    if (!f) return DSERR_INVALIDPARAM;
    return Get([f](const DS3DLISTENER& p) { *f = p.flRolloffFactor; });
}

HRESULT PrimaryBuffer::Listener::GetVelocity(D3DVECTOR* v) {
    if (!v) return DSERR_INVALIDPARAM;
    return Get([v](const DS3DLISTENER& p) { *v = p.vVelocity; });
}

namespace {

bool ValidFactors(float distance, float rolloff, float doppler) {
    return std::isfinite(distance) && distance >= DS3D_MINDISTANCEFACTOR &&
           rolloff >= DS3D_MINROLLOFFFACTOR && rolloff <= DS3D_MAXROLLOFFFACTOR &&
           doppler >= DS3D_MINDOPPLERFACTOR && doppler <= DS3D_MAXDOPPLERFACTOR;
}

bool ValidOrientation(const D3DVECTOR& f, const D3DVECTOR& t) {
    // Neither may be zero, and they may not point the same or opposite ways.
    float cx = f.y * t.z - f.z * t.y, cy = f.z * t.x - f.x * t.z, cz = f.x * t.y - f.y * t.x;
    return Finite(f.x, f.y, f.z) && Finite(t.x, t.y, t.z) && (cx * cx + cy * cy + cz * cz) > 0.0f;
}

}  // namespace

HRESULT PrimaryBuffer::Listener::SetAllParameters(LPCDS3DLISTENER in, DWORD apply) {
    if (!in || in->dwSize != sizeof(DS3DLISTENER)) return DSERR_INVALIDPARAM;
    const DS3DLISTENER p = *in;
    if (!ValidFactors(p.flDistanceFactor, p.flRolloffFactor, p.flDopplerFactor) ||
        !ValidOrientation(p.vOrientFront, p.vOrientTop) ||
        !Finite(p.vPosition.x, p.vPosition.y, p.vPosition.z) ||
        !Finite(p.vVelocity.x, p.vVelocity.y, p.vVelocity.z))
        return DSERR_INVALIDPARAM;
    return Update(apply, [&p](DS3DLISTENER& next) { next = p; });
}

HRESULT PrimaryBuffer::Listener::SetDistanceFactor(D3DVALUE factor, DWORD apply) {
    if (!ValidFactors(factor, 1.0f, 1.0f)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DLISTENER& next) { next.flDistanceFactor = factor; });
}

HRESULT PrimaryBuffer::Listener::SetDopplerFactor(D3DVALUE factor, DWORD apply) {
    if (!ValidFactors(1.0f, 1.0f, factor)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DLISTENER& next) { next.flDopplerFactor = factor; });
}

HRESULT PrimaryBuffer::Listener::SetRolloffFactor(D3DVALUE factor, DWORD apply) {
    if (!ValidFactors(1.0f, factor, 1.0f)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DLISTENER& next) { next.flRolloffFactor = factor; });
}

HRESULT PrimaryBuffer::Listener::SetOrientation(D3DVALUE fx, D3DVALUE fy, D3DVALUE fz,
                                                D3DVALUE tx, D3DVALUE ty, D3DVALUE tz,
                                                DWORD apply) {
    D3DVECTOR front{fx, fy, fz}, top{tx, ty, tz};
    if (!ValidOrientation(front, top)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DLISTENER& next) {
        next.vOrientFront = front;
        next.vOrientTop = top;
    });
}

HRESULT PrimaryBuffer::Listener::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    if (!Finite(x, y, z)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DLISTENER& next) { next.vPosition = {x, y, z}; });
}

HRESULT PrimaryBuffer::Listener::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    if (!Finite(x, y, z)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DLISTENER& next) { next.vVelocity = {x, y, z}; });
}

HRESULT PrimaryBuffer::Listener::CommitDeferredSettings() {
    PrimaryBuffer& b = owner_;
    CoreLock guard(*b.core_);
    if (b.hasPending_) {
        b.params_ = b.pending_;
        b.hasPending_ = false;
        b.ApplyListener();
    }
    b.core_->CommitBuffers();
    return DS_OK;
}

}  // namespace nol::dsound8
