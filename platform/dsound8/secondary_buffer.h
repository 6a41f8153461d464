// A secondary buffer: samples in memory this layer owns, played by one Voice,
// with its notification and 3D interfaces as parts of the same object.
#pragma once

#include <memory>

#include "com/com_object.h"
#include "dsound8/dsound.h"
#include "dsound8/effect_chain.h"
#include "dsound8/sound_core.h"
#include "dsound8/voice.h"

namespace nol::dsound8 {

class SecondaryBuffer final
    : public com::Object<IDirectSoundBuffer8, IID_IDirectSoundBuffer, IID_IDirectSoundBuffer8>,
      public CoreBuffer {
public:
    // Checks the description; on success *out holds a new buffer (one reference).
    static HRESULT Create(std::shared_ptr<SoundCore> core, const DSBUFFERDESC& desc,
                          SecondaryBuffer** out);
    // A new buffer on the same samples (DuplicateSoundBuffer).
    HRESULT Duplicate(SecondaryBuffer** out);

    // IDirectSoundBuffer
    HRESULT GetCaps(LPDSBCAPS caps) override;
    HRESULT GetCurrentPosition(LPDWORD playCursor, LPDWORD writeCursor) override;
    HRESULT GetFormat(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) override;
    HRESULT GetVolume(LONG* volume) override;
    HRESULT GetPan(LONG* pan) override;
    HRESULT GetFrequency(LPDWORD frequency) override;
    HRESULT GetStatus(LPDWORD status) override;
    HRESULT Initialize(IDirectSound* sound, LPCDSBUFFERDESC desc) override;
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2,
                 LPDWORD bytes2, DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD position) override;
    HRESULT SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT SetFrequency(DWORD frequency) override;
    HRESULT Stop() override;
    HRESULT Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override;
    HRESULT Restore() override;

    // IDirectSoundBuffer8
    HRESULT SetFX(DWORD count, LPDSEFFECTDESC effects, LPDWORD resultCodes) override;
    HRESULT AcquireResources(DWORD flags, DWORD count, LPDWORD resultCodes) override;
    HRESULT GetObjectInPath(REFGUID objectClass, DWORD index, REFGUID iid,
                            LPVOID* object) override;

    // With the core's lock held (the service and the listener).
    void Upkeep() override { voice_->Upkeep(); }
    void CommitDeferred() override;
    void Apply3D() override;
    void MarkLost() override { samples_->lost = true; }
    void StopLocked() override { voice_->Stop(); }

private:
    class Notify final : public com::Part<IDirectSoundNotify, SecondaryBuffer> {
    public:
        using Part::Part;
        HRESULT SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY positions) override;
    };

    class Buffer3D final : public com::Part<IDirectSound3DBuffer, SecondaryBuffer> {
    public:
        using Part::Part;
        HRESULT GetAllParameters(LPDS3DBUFFER buffer) override;
        HRESULT GetConeAngles(LPDWORD inside, LPDWORD outside) override;
        HRESULT GetConeOrientation(D3DVECTOR* orientation) override;
        HRESULT GetConeOutsideVolume(LONG* volume) override;
        HRESULT GetMaxDistance(D3DVALUE* distance) override;
        HRESULT GetMinDistance(D3DVALUE* distance) override;
        HRESULT GetMode(LPDWORD mode) override;
        HRESULT GetPosition(D3DVECTOR* position) override;
        HRESULT GetVelocity(D3DVECTOR* velocity) override;
        HRESULT SetAllParameters(LPCDS3DBUFFER buffer, DWORD apply) override;
        HRESULT SetConeAngles(DWORD inside, DWORD outside, DWORD apply) override;
        HRESULT SetConeOrientation(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
        HRESULT SetConeOutsideVolume(LONG volume, DWORD apply) override;
        HRESULT SetMaxDistance(D3DVALUE distance, DWORD apply) override;
        HRESULT SetMinDistance(D3DVALUE distance, DWORD apply) override;
        HRESULT SetMode(DWORD mode, DWORD apply) override;
        HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
        HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;

    private:
        // Runs `change` on the settings (pending ones when deferred) under the lock.
        template <typename Change>
        HRESULT Update(DWORD apply, Change change);
        template <typename Read>
        HRESULT Get(Read read);
    };

    SecondaryBuffer(std::shared_ptr<SoundCore> core, std::shared_ptr<SampleData> samples,
                    DWORD flags);
    ~SecondaryBuffer() override;
    // The 3D and notification parts, when the buffer was made with those controls.
    void* Other(REFIID iid) override;
    bool Has(DWORD cap) const { return (flags_ & cap) != 0; }
    void ApplyVolume();
    // With the core's lock held: the source's pitch for frequency_.
    void ApplyFrequency();

    std::shared_ptr<SoundCore> core_;
    std::shared_ptr<SampleData> samples_;
    const DWORD flags_;
    // Owned here but torn down under the core's lock, before the rest goes.
    std::unique_ptr<Voice> voice_;
    std::unique_ptr<EffectChain> effects_;
    Notify notify_{*this};
    Buffer3D buffer3d_{*this};
    LONG volume_ = DSBVOLUME_MAX;
    LONG pan_ = DSBPAN_CENTER;
    DWORD frequency_ = 0;  // DSBFREQUENCY_ORIGINAL
    DS3DBUFFER params3d_{};
    DS3DBUFFER pending3d_{};
    bool has_pending3d_ = false;
};

}  // namespace nol::dsound8
