// The primary buffer: the output's format and master volume, and the 3D listener.
#pragma once

#include <memory>

#include "com/com_object.h"
#include "dsound8/dsound.h"
#include "dsound8/sound_core.h"

namespace nol::dsound8 {

class PrimaryBuffer final : public com::Object<IDirectSoundBuffer, IID_IDirectSoundBuffer> {
public:
    PrimaryBuffer(std::shared_ptr<SoundCore> core, DWORD flags);

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

private:
    class Listener final : public com::Part<IDirectSound3DListener, PrimaryBuffer> {
    public:
        using Part::Part;
        HRESULT GetAllParameters(LPDS3DLISTENER listener) override;
        HRESULT GetDistanceFactor(D3DVALUE* factor) override;
        HRESULT GetDopplerFactor(D3DVALUE* factor) override;
        HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) override;
        HRESULT GetPosition(D3DVECTOR* position) override;
        HRESULT GetRolloffFactor(D3DVALUE* factor) override;
        HRESULT GetVelocity(D3DVECTOR* velocity) override;
        HRESULT SetAllParameters(LPCDS3DLISTENER listener, DWORD apply) override;
        HRESULT SetDistanceFactor(D3DVALUE factor, DWORD apply) override;
        HRESULT SetDopplerFactor(D3DVALUE factor, DWORD apply) override;
        HRESULT SetOrientation(D3DVALUE frontX, D3DVALUE frontY, D3DVALUE frontZ, D3DVALUE topX,
                               D3DVALUE topY, D3DVALUE topZ, DWORD apply) override;
        HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
        HRESULT SetRolloffFactor(D3DVALUE factor, DWORD apply) override;
        HRESULT SetVelocity(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
        HRESULT CommitDeferredSettings() override;

    private:
        template <typename Change>
        HRESULT Update(DWORD apply, Change change);
        template <typename Read>
        HRESULT Get(Read read);
    };

    ~PrimaryBuffer() override;
    // The listener, when the buffer was made with 3D control.
    void* Other(REFIID iid) override;
    void ApplyListener();

    std::shared_ptr<SoundCore> core_;
    const DWORD flags_;
    Listener listener_{*this};
    WAVEFORMATEX format_{};
    LONG volume_ = DSBVOLUME_MAX;
    DS3DLISTENER params_{};
    DS3DLISTENER pending_{};
    bool hasPending_ = false;
};

}  // namespace nol::dsound8
