// IDirectSound3DBuffer: a buffer's place in 3D, applied to its OpenAL source.
#include <algorithm>
#include <cmath>

#include "dsound8/secondary_buffer.h"

namespace nol::dsound8 {

void SecondaryBuffer::Apply3D() {
    if (!Has(DSBCAPS_CTRL3D) || !voice_->valid()) return;
    const ALuint s = voice_->source();
    const DS3DBUFFER& p = params3d_;
    float v[3];
    if (p.dwMode == DS3DMODE_DISABLE) {
        // Heard as if at the listener: no direction, no distance.
        alSourcei(s, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(s, AL_POSITION, 0.0f, 0.0f, 0.0f);
    } else {
        alSourcei(s, AL_SOURCE_RELATIVE, p.dwMode == DS3DMODE_HEADRELATIVE ? AL_TRUE : AL_FALSE);
        ToOpenAL(p.vPosition, v);
        alSourcefv(s, AL_POSITION, v);
    }
    ToOpenAL(p.vVelocity, v);
    alSourcefv(s, AL_VELOCITY, v);
    ToOpenAL(p.vConeOrientation, v);
    alSourcefv(s, AL_DIRECTION, v);
    alSourcef(s, AL_CONE_INNER_ANGLE, float(p.dwInsideConeAngle));
    alSourcef(s, AL_CONE_OUTER_ANGLE, float(p.dwOutsideConeAngle));
    alSourcef(s, AL_CONE_OUTER_GAIN, VolumeToGain(p.lConeOutsideVolume));
    alSourcef(s, AL_REFERENCE_DISTANCE, p.flMinDistance);
    alSourcef(s, AL_MAX_DISTANCE, p.flMaxDistance);
    alSourcef(s, AL_ROLLOFF_FACTOR, core_->rolloffFactor);
}

void SecondaryBuffer::CommitDeferred() {
    if (!has_pending3d_) return;
    params3d_ = pending3d_;
    has_pending3d_ = false;
    Apply3D();
}

template <typename Change>
HRESULT SecondaryBuffer::Buffer3D::Update(DWORD apply, Change change) {
    if (apply != DS3D_IMMEDIATE && apply != DS3D_DEFERRED) return DSERR_INVALIDPARAM;
    SecondaryBuffer& b = owner_;
    CoreLock guard(*b.core_);
    // Deferred changes collect on top of earlier deferred ones until the
    // listener commits them all.
    DS3DBUFFER next = b.has_pending3d_ ? b.pending3d_ : b.params3d_;
    HRESULT hr = change(next);
    if (FAILED(hr)) return hr;
    if (apply == DS3D_DEFERRED) {
        b.pending3d_ = next;
        b.has_pending3d_ = true;
    } else {
        b.params3d_ = next;
        b.pending3d_ = next;
        b.has_pending3d_ = false;
        b.Apply3D();
    }
    return DS_OK;
}

template <typename Read>
HRESULT SecondaryBuffer::Buffer3D::Get(Read read) {
    CoreLock guard(*owner_.core_);
    return read(owner_.params3d_);
}

namespace {
bool Finite(float a) { return std::isfinite(a); }
bool Finite(float a, float b, float c) { return Finite(a) && Finite(b) && Finite(c); }
}  // namespace

HRESULT SecondaryBuffer::Buffer3D::GetAllParameters(LPDS3DBUFFER out) {
    if (!out || out->dwSize != sizeof(DS3DBUFFER)) return DSERR_INVALIDPARAM;
    return Get([out](const DS3DBUFFER& p) {
        *out = p;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::GetConeAngles(LPDWORD inside, LPDWORD outside) {
    return Get([=](const DS3DBUFFER& p) {
        if (inside) *inside = p.dwInsideConeAngle;
        if (outside) *outside = p.dwOutsideConeAngle;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::GetConeOrientation(D3DVECTOR* v) {
    if (!v) return DSERR_INVALIDPARAM;
    return Get([v](const DS3DBUFFER& p) {
        *v = p.vConeOrientation;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::GetConeOutsideVolume(LONG* volume) {
    if (!volume) return DSERR_INVALIDPARAM;
    return Get([volume](const DS3DBUFFER& p) {
        *volume = p.lConeOutsideVolume;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::GetMaxDistance(D3DVALUE* d) {
    if (!d) return DSERR_INVALIDPARAM;
    return Get([d](const DS3DBUFFER& p) {
        *d = p.flMaxDistance;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::GetMinDistance(D3DVALUE* d) {
    if (!d) return DSERR_INVALIDPARAM;
    return Get([d](const DS3DBUFFER& p) {
        *d = p.flMinDistance;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::GetMode(LPDWORD mode) {
    if (!mode) return DSERR_INVALIDPARAM;
    return Get([mode](const DS3DBUFFER& p) {
        *mode = p.dwMode;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::GetPosition(D3DVECTOR* v) {
    if (!v) return DSERR_INVALIDPARAM;
    return Get([v](const DS3DBUFFER& p) {
        *v = p.vPosition;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::GetVelocity(D3DVECTOR* v) {
    if (!v) return DSERR_INVALIDPARAM;
    return Get([v](const DS3DBUFFER& p) {
        *v = p.vVelocity;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetAllParameters(LPCDS3DBUFFER in, DWORD apply) {
    if (!in || in->dwSize != sizeof(DS3DBUFFER)) return DSERR_INVALIDPARAM;
    const DS3DBUFFER p = *in;
    if (p.dwMode > DS3DMODE_DISABLE || p.dwInsideConeAngle > DS3D_MAXCONEANGLE ||
        p.dwOutsideConeAngle > DS3D_MAXCONEANGLE || p.flMinDistance <= 0.0f ||
        p.flMaxDistance <= 0.0f || !Finite(p.vPosition.x, p.vPosition.y, p.vPosition.z))
        return DSERR_INVALIDPARAM;
    return Update(apply, [&p](DS3DBUFFER& next) {
        next = p;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetConeAngles(DWORD inside, DWORD outside, DWORD apply) {
    if (inside > DS3D_MAXCONEANGLE || outside > DS3D_MAXCONEANGLE) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DBUFFER& next) {
        next.dwInsideConeAngle = inside;
        next.dwOutsideConeAngle = outside;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z,
                                                      DWORD apply) {
    if (!Finite(x, y, z)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DBUFFER& next) {
        next.vConeOrientation = {x, y, z};
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetConeOutsideVolume(LONG volume, DWORD apply) {
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DBUFFER& next) {
        next.lConeOutsideVolume = volume;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetMaxDistance(D3DVALUE distance, DWORD apply) {
    if (!(distance > 0.0f)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DBUFFER& next) {
        next.flMaxDistance = distance;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetMinDistance(D3DVALUE distance, DWORD apply) {
    if (!(distance > 0.0f)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DBUFFER& next) {
        next.flMinDistance = distance;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetMode(DWORD mode, DWORD apply) {
    if (mode > DS3DMODE_DISABLE) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DBUFFER& next) {
        next.dwMode = mode;
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    if (!Finite(x, y, z)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DBUFFER& next) {
        next.vPosition = {x, y, z};
        return DS_OK;
    });
}

HRESULT SecondaryBuffer::Buffer3D::SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) {
    if (!Finite(x, y, z)) return DSERR_INVALIDPARAM;
    return Update(apply, [=](DS3DBUFFER& next) {
        next.vVelocity = {x, y, z};
        return DS_OK;
    });
}

}  // namespace nol::dsound8
