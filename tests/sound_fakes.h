// A scripted DirectSound for tests of the sound code's decisions: every step can be
// made to fail, and what the code asked for (buffer descriptions, formats, effects,
// listener settings, notification positions) is kept for the test to read. Sample
// tests use the real device instead.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dsound8/dsound.h"

// Calls to the fakes, in order, as "<object>.<method>".
struct SoundCalls {
    std::vector<std::string> calls;
    void Add(const std::string& object, const char* method) { calls.push_back(object + "." + method); }
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& c : calls) n += c == call;
        return n;
    }
    // Index of the first such call, or -1.
    int Find(const std::string& call) const {
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i] == call) return int(i);
        return -1;
    }
};

#define NOL_FAKE_UNUSED(name, ...) \
    HRESULT name(__VA_ARGS__) override { return E_NOTIMPL; }

class FakeListener : public IDirectSound3DListener {
public:
    explicit FakeListener(SoundCalls* calls) : calls_(calls) {}
    ULONG refs = 0;
    float distanceFactor = -1;
    D3DVECTOR position = {-1, -1, -1};
    D3DVECTOR front = {}, top = {};
    std::vector<DWORD> applies;

    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        calls_->Add("listener", "Release");
        return --refs;
    }
    HRESULT SetDistanceFactor(D3DVALUE factor, DWORD apply) override {
        calls_->Add("listener", "SetDistanceFactor");
        distanceFactor = factor;
        applies.push_back(apply);
        return DS_OK;
    }
    HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override {
        calls_->Add("listener", "SetPosition");
        position = {x, y, z};
        applies.push_back(apply);
        return DS_OK;
    }
    HRESULT SetOrientation(D3DVALUE fx, D3DVALUE fy, D3DVALUE fz, D3DVALUE tx, D3DVALUE ty, D3DVALUE tz,
                           DWORD apply) override {
        calls_->Add("listener", "SetOrientation");
        front = {fx, fy, fz};
        top = {tx, ty, tz};
        applies.push_back(apply);
        return DS_OK;
    }
    NOL_FAKE_UNUSED(GetAllParameters, LPDS3DLISTENER)
    NOL_FAKE_UNUSED(GetDistanceFactor, D3DVALUE*)
    NOL_FAKE_UNUSED(GetDopplerFactor, D3DVALUE*)
    NOL_FAKE_UNUSED(GetOrientation, D3DVECTOR*, D3DVECTOR*)
    NOL_FAKE_UNUSED(GetPosition, D3DVECTOR*)
    NOL_FAKE_UNUSED(GetRolloffFactor, D3DVALUE*)
    NOL_FAKE_UNUSED(GetVelocity, D3DVECTOR*)
    NOL_FAKE_UNUSED(SetAllParameters, LPCDS3DLISTENER, DWORD)
    NOL_FAKE_UNUSED(SetDopplerFactor, D3DVALUE, DWORD)
    NOL_FAKE_UNUSED(SetRolloffFactor, D3DVALUE, DWORD)
    NOL_FAKE_UNUSED(SetVelocity, D3DVALUE, D3DVALUE, D3DVALUE, DWORD)
    NOL_FAKE_UNUSED(CommitDeferredSettings)

private:
    SoundCalls* calls_;
};

class Fake3DBuffer : public IDirectSound3DBuffer {
public:
    explicit Fake3DBuffer(SoundCalls* calls) : calls_(calls) {}
    ULONG refs = 0;
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        calls_->Add("buffer3d", "Release");
        return --refs;
    }
    NOL_FAKE_UNUSED(GetAllParameters, LPDS3DBUFFER)
    NOL_FAKE_UNUSED(GetConeAngles, LPDWORD, LPDWORD)
    NOL_FAKE_UNUSED(GetConeOrientation, D3DVECTOR*)
    NOL_FAKE_UNUSED(GetConeOutsideVolume, LONG*)
    NOL_FAKE_UNUSED(GetMaxDistance, D3DVALUE*)
    NOL_FAKE_UNUSED(GetMinDistance, D3DVALUE*)
    NOL_FAKE_UNUSED(GetMode, LPDWORD)
    NOL_FAKE_UNUSED(GetPosition, D3DVECTOR*)
    NOL_FAKE_UNUSED(GetVelocity, D3DVECTOR*)
    NOL_FAKE_UNUSED(SetAllParameters, LPCDS3DBUFFER, DWORD)
    NOL_FAKE_UNUSED(SetConeAngles, DWORD, DWORD, DWORD)
    NOL_FAKE_UNUSED(SetConeOrientation, D3DVALUE, D3DVALUE, D3DVALUE, DWORD)
    NOL_FAKE_UNUSED(SetConeOutsideVolume, LONG, DWORD)
    NOL_FAKE_UNUSED(SetMaxDistance, D3DVALUE, DWORD)
    NOL_FAKE_UNUSED(SetMinDistance, D3DVALUE, DWORD)
    NOL_FAKE_UNUSED(SetMode, DWORD, DWORD)
    NOL_FAKE_UNUSED(SetPosition, D3DVALUE, D3DVALUE, D3DVALUE, DWORD)
    NOL_FAKE_UNUSED(SetVelocity, D3DVALUE, D3DVALUE, D3DVALUE, DWORD)

private:
    SoundCalls* calls_;
};

class FakeNotify : public IDirectSoundNotify {
public:
    explicit FakeNotify(SoundCalls* calls) : calls_(calls) {}
    ULONG refs = 0;
    HRESULT result = DS_OK;
    std::vector<DSBPOSITIONNOTIFY> positions;
    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        calls_->Add("notify", "Release");
        return --refs;
    }
    HRESULT SetNotificationPositions(DWORD count, LPCDSBPOSITIONNOTIFY table) override {
        calls_->Add("notify", "SetNotificationPositions");
        positions.assign(table, table + count);
        return result;
    }

private:
    SoundCalls* calls_;
};

// A buffer whose samples are plain bytes; Lock hands out one or two parts of them
// the way a ring does.
class FakeBuffer : public IDirectSoundBuffer8 {
public:
    FakeBuffer(std::string name, SoundCalls* calls)
        : name(std::move(name)), listener(calls), buffer3d(calls), notify(calls), calls_(calls) {}

    std::string name;
    FakeListener listener;
    Fake3DBuffer buffer3d;
    FakeNotify notify;

    // Results it answers with.
    HRESULT setFormatResult = DS_OK;
    HRESULT lockResult = DS_OK;
    HRESULT unlockResult = DS_OK;
    HRESULT playResult = DS_OK;
    HRESULT setPositionResult = DS_OK;
    HRESULT buffer8Result = DS_OK;    // QueryInterface for IDirectSoundBuffer8
    HRESULT buffer3dResult = DS_OK;   // ... IDirectSound3DBuffer
    HRESULT listenerResult = DS_OK;   // ... IDirectSound3DListener
    HRESULT notifyResult = DS_OK;     // ... IDirectSoundNotify
    DWORD status = 0;
    LONG volume = 0;
    DWORD playCursor = 0, writeCursor = 0;

    // What was done to it.
    ULONG refs = 0;
    std::vector<uint8_t> bytes;
    WAVEFORMATEX format{};
    DWORD playFlags = 0;
    std::vector<DWORD> positionsSet;
    int restores = 0;
    DWORD fxCount = 99;
    std::vector<DSEFFECTDESC> fx;
    std::vector<std::pair<DWORD, DWORD>> locks;  // offset, bytes

    HRESULT QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        HRESULT result = E_NOINTERFACE;
        IUnknown* found = nullptr;
        if (iid == IID_IDirectSoundBuffer8) result = buffer8Result, found = this;
        if (iid == IID_IDirectSound3DBuffer) result = buffer3dResult, found = &buffer3d;
        if (iid == IID_IDirectSound3DListener) result = listenerResult, found = &listener;
        if (iid == IID_IDirectSoundNotify) result = notifyResult, found = &notify;
        if (FAILED(result) || !found) return FAILED(result) ? result : E_NOINTERFACE;
        found->AddRef();
        *object = found;
        return DS_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        calls_->Add(name, "Release");
        return --refs;
    }
    HRESULT GetCurrentPosition(LPDWORD play, LPDWORD write) override {
        *play = playCursor;
        *write = writeCursor;
        return DS_OK;
    }
    HRESULT GetVolume(LONG* v) override {
        *v = volume;
        return DS_OK;
    }
    HRESULT GetStatus(LPDWORD s) override {
        *s = status;
        return DS_OK;
    }
    HRESULT Lock(DWORD offset, DWORD count, LPVOID* p1, LPDWORD b1, LPVOID* p2, LPDWORD b2, DWORD) override {
        calls_->Add(name, "Lock");
        locks.push_back({offset, count});
        if (lockResult != DS_OK) return lockResult;
        if (offset >= bytes.size() || count > bytes.size()) return DSERR_INVALIDPARAM;
        DWORD first = std::min<DWORD>(count, DWORD(bytes.size()) - offset);
        *p1 = bytes.data() + offset;
        *b1 = first;
        *p2 = count > first ? bytes.data() : nullptr;
        *b2 = count - first;
        return DS_OK;
    }
    HRESULT Play(DWORD, DWORD, DWORD flags) override {
        calls_->Add(name, "Play");
        playFlags = flags;
        if (playResult == DS_OK) status |= DSBSTATUS_PLAYING;
        return playResult;
    }
    HRESULT SetCurrentPosition(DWORD position) override {
        calls_->Add(name, "SetCurrentPosition");
        positionsSet.push_back(position);
        return setPositionResult;
    }
    HRESULT SetFormat(LPCWAVEFORMATEX f) override {
        calls_->Add(name, "SetFormat");
        format = *f;
        return setFormatResult;
    }
    HRESULT SetVolume(LONG v) override {
        calls_->Add(name, "SetVolume");
        volume = v;
        return DS_OK;
    }
    HRESULT Stop() override {
        calls_->Add(name, "Stop");
        status &= ~DWORD(DSBSTATUS_PLAYING);
        return DS_OK;
    }
    HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override {
        calls_->Add(name, "Unlock");
        return unlockResult;
    }
    HRESULT Restore() override {
        calls_->Add(name, "Restore");
        ++restores;
        status &= ~DWORD(DSBSTATUS_BUFFERLOST);
        return DS_OK;
    }
    HRESULT SetFX(DWORD count, LPDSEFFECTDESC effects, LPDWORD results) override {
        calls_->Add(name, "SetFX");
        fxCount = count;
        fx.assign(effects, effects + count);
        for (DWORD i = 0; i < count; ++i) results[i] = DSFXR_LOCSOFTWARE;
        return DS_OK;
    }
    NOL_FAKE_UNUSED(GetCaps, LPDSBCAPS)
    NOL_FAKE_UNUSED(GetFormat, LPWAVEFORMATEX, DWORD, LPDWORD)
    NOL_FAKE_UNUSED(GetPan, LONG*)
    NOL_FAKE_UNUSED(GetFrequency, LPDWORD)
    NOL_FAKE_UNUSED(Initialize, IDirectSound*, LPCDSBUFFERDESC)
    NOL_FAKE_UNUSED(SetPan, LONG)
    NOL_FAKE_UNUSED(SetFrequency, DWORD)
    NOL_FAKE_UNUSED(AcquireResources, DWORD, DWORD, LPDWORD)
    NOL_FAKE_UNUSED(GetObjectInPath, REFGUID, DWORD, REFGUID, LPVOID*)

private:
    SoundCalls* calls_;
};

class FakeDirectSound : public IDirectSound8 {
public:
    SoundCalls calls;

    HRESULT cooperativeResult = DS_OK;
    HRESULT createResult = DS_OK;
    HRESULT duplicateResult = DS_OK;
    // Settings for every buffer made from now on.
    DWORD initialStatus = 0;
    LONG initialVolume = 0;

    ULONG refs = 0;
    HWND cooperativeWindow = nullptr;
    DWORD cooperativeLevel = 0;
    std::vector<DSBUFFERDESC> descs;
    std::vector<WAVEFORMATEX> formats;  // the format each description pointed at
    std::vector<std::unique_ptr<FakeBuffer>> buffers;

    FakeBuffer& Last() { return *buffers.back(); }
    // A hook run on each new buffer before it is handed out.
    void (*prepare)(FakeBuffer&) = nullptr;

    HRESULT QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override {
        calls.Add("sound", "Release");
        return --refs;
    }
    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, IDirectSoundBuffer** out, LPUNKNOWN) override {
        calls.Add("sound", "CreateSoundBuffer");
        descs.push_back(*desc);
        formats.push_back(desc->lpwfxFormat ? *desc->lpwfxFormat : WAVEFORMATEX{});
        if (createResult != DS_OK) return createResult;
        *out = NewBuffer(desc->dwBufferBytes);
        return DS_OK;
    }
    HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** out) override {
        calls.Add("sound", "DuplicateSoundBuffer");
        if (duplicateResult != DS_OK) return duplicateResult;
        auto* source = static_cast<FakeBuffer*>(original);
        FakeBuffer* copy = NewBuffer(0);
        copy->bytes = source->bytes;
        *out = copy;
        return DS_OK;
    }
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD level) override {
        calls.Add("sound", "SetCooperativeLevel");
        cooperativeWindow = hwnd;
        cooperativeLevel = level;
        return cooperativeResult;
    }
    NOL_FAKE_UNUSED(GetCaps, LPDSCAPS)
    NOL_FAKE_UNUSED(Compact)
    NOL_FAKE_UNUSED(GetSpeakerConfig, LPDWORD)
    NOL_FAKE_UNUSED(SetSpeakerConfig, DWORD)
    NOL_FAKE_UNUSED(Initialize, LPCGUID)
    NOL_FAKE_UNUSED(VerifyCertification, LPDWORD)

private:
    FakeBuffer* NewBuffer(DWORD size) {
        std::string name = buffers.empty() ? "buffer" : "buffer" + std::to_string(buffers.size());
        buffers.push_back(std::make_unique<FakeBuffer>(name, &calls));
        FakeBuffer* b = buffers.back().get();
        b->bytes.assign(size, 0xEE);  // not silence: a fill must overwrite it
        b->status = initialStatus;
        b->volume = initialVolume;
        b->refs = 1;
        if (prepare) prepare(*b);
        return b;
    }
};

#undef NOL_FAKE_UNUSED

// Total references the fakes still hold out, so a test can check that everything
// handed out was released.
inline ULONG OutstandingRefs(const FakeDirectSound& sound) {
    ULONG n = 0;
    for (const auto& b : sound.buffers) n += b->refs + b->listener.refs + b->buffer3d.refs + b->notify.refs;
    return n;
}
