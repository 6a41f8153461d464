#include "dmusic/performance.h"

#include <time.h>


#include "base/platform_log.h"
#include "dmusic/dmusic_classes.h"
#include "dmusic/fluid_synth.h"
#include "dmusic/segment.h"

namespace nol::dmusic {

namespace {

int64_t Now100ns() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 10000000 + ts.tv_nsec / 100;
}

bool KnownPathType(DWORD type) {
    return type == 0 || type == DMUS_APATH_SHARED_STEREOPLUSREVERB || type == DMUS_APATH_DYNAMIC_3D ||
           type == DMUS_APATH_DYNAMIC_MONO || type == DMUS_APATH_DYNAMIC_STEREO;
}

}  // namespace

HRESULT CreateDirectMusicPerformance(REFIID iid, void** object) {
    return nol::com::HandOut(new Performance, iid, object);
}

Performance::~Performance() { CloseDown(); }

// Every path the synthesiser can feed is stereo here (FluidSynth's own reverb and
// chorus stand for the shared reverb), so the path type only has to be a real one.
HRESULT Performance::InitAudio(IDirectMusic** directMusic, IDirectSound** directSound, HWND,
                               DWORD defaultPathType, DWORD channelCount, DWORD,
                               DMUS_AUDIOPARAMS* params) {
    if (engine_) return DMUS_E_ALREADY_INITED;
    if (!KnownPathType(defaultPathType) || (defaultPathType != 0 && channelCount == 0))
        return E_INVALIDARG;
    if (params && params->dwSize < sizeof(DMUS_AUDIOPARAMS)) return E_INVALIDARG;
    if (params && (params->dwValidData & DMUS_AUDIOPARAMS_SAMPLERATE) &&
        params->dwSampleRate != MUSIC_SAMPLE_RATE)
        NolLog("DirectMusic: sample rate %u asked, %d used\n", params->dwSampleRate, MUSIC_SAMPLE_RATE);
    // There is no separate DirectMusic object to hand back.
    if (directMusic) *directMusic = nullptr;

    // Given no DirectSound object, the performance makes one on the default device,
    // as the original does, and hands it back when asked.
    IDirectSound* ds = directSound ? *directSound : nullptr;
    IDirectSound8* made = nullptr;
    if (!ds) {
        HRESULT hr = DirectSoundCreate8(nullptr, &made, nullptr);
        if (FAILED(hr)) return hr;
        ds = made;
    }
    std::string error;
    std::unique_ptr<FluidMidiSynth> synth = FluidMidiSynth::Create(error);
    if (synth) engine_ = MusicEngine::Open(ds, std::move(synth), error);
    if (!engine_) {
        if (made) made->Release();
        NolLog("DirectMusic: %s\n", error.c_str());
        return E_FAIL;
    }
    if (made && directSound)
        *directSound = made;  // the creator's reference goes to the caller
    else if (made)
        made->Release();      // the engine holds its own
    startTicks_ = Now100ns();
    return S_OK;
}

HRESULT Performance::PlaySegmentEx(IUnknown* source, WCHAR*, IUnknown*, DWORD flags, int64_t,
                                   IDirectMusicSegmentState** state, IUnknown*, IUnknown*) {
    if (state) *state = nullptr;
    if (!engine_) return DMUS_E_NOT_INIT;
    Segment* segment = Segment::From(source);
    if (!segment) return E_INVALIDARG;
    if (flags & DMUS_SEGF_SECONDARY) {
        NolLog("DirectMusic: secondary segments are not supported\n");
        return E_NOTIMPL;
    }
    // A primary segment replaces the one playing; start times other than "now"
    // play now as well.
    ForgetCurrent();
    std::shared_ptr<MusicPlay> play =
        engine_->Play(segment->Song(), segment->StartPoint(), segment->Repeats());
    currentSegment_ = segment;
    segment->AddRef();
    currentState_ = new SegmentState(segment, engine_, play, segment->StartPoint());
    if (state) {
        currentState_->AddRef();
        *state = currentState_;
    }
    return S_OK;
}

void Performance::ForgetCurrent() {
    if (currentState_) currentState_->Release();
    if (currentSegment_) currentSegment_->Release();
    currentState_ = nullptr;
    currentSegment_ = nullptr;
}

// Only stopping now is offered; a time in the future stops now as well.
HRESULT Performance::Stop(IDirectMusicSegment* segment, IDirectMusicSegmentState* state, MUSIC_TIME,
                          DWORD) {
    if (!engine_) return S_OK;
    if (segment && static_cast<IUnknown*>(segment) != static_cast<IUnknown*>(currentSegment_))
        return S_OK;
    if (state && static_cast<IUnknown*>(state) != static_cast<IUnknown*>(currentState_)) return S_OK;
    engine_->Stop();
    return S_OK;
}

HRESULT Performance::IsPlaying(IDirectMusicSegment* segment, IDirectMusicSegmentState* state) {
    if (!segment && !state) return E_POINTER;
    if (!engine_) return S_FALSE;
    if (state) {
        SegmentState* s = SegmentState::From(state);
        return s && s->IsPlaying() ? S_OK : S_FALSE;
    }
    if (static_cast<IUnknown*>(segment) != static_cast<IUnknown*>(currentSegment_)) return S_FALSE;
    return currentState_ && currentState_->IsPlaying() ? S_OK : S_FALSE;
}

HRESULT Performance::GetTime(REFERENCE_TIME* now, MUSIC_TIME* musicNow) {
    int64_t elapsed = engine_ ? Now100ns() - startTicks_ : 0;
    if (now) *now = elapsed;
    // At the default tempo a quarter note is half a second.
    if (musicNow) *musicNow = MUSIC_TIME(elapsed * DMUS_PPQ / 5000000);
    return S_OK;
}

HRESULT Performance::CloseDown() {
    ForgetCurrent();
    if (engine_) {
        engine_->Close();
        engine_.reset();
    }
    return S_OK;
}

}  // namespace nol::dmusic
