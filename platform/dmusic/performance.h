// The performance: the player that segments are played on, with its synthesiser
// on the sound device of a DirectSound object.
#pragma once

#include <memory>

#include "com/com_object.h"
#include "dmusic/music_engine.h"
#include "dmusic/segment.h"

namespace nol::dmusic {

class Performance final : public nol::com::Object<IDirectMusicPerformance8, IID_IDirectMusicPerformance,
                                                  IID_IDirectMusicPerformance8>,
                          public SegmentPlayer {
public:
    Performance() = default;
    ~Performance() override;

    HRESULT Stop(IDirectMusicSegment* segment, IDirectMusicSegmentState* state, MUSIC_TIME time,
                 DWORD flags) override;
    HRESULT IsPlaying(IDirectMusicSegment* segment, IDirectMusicSegmentState* state) override;
    HRESULT GetTime(REFERENCE_TIME* now, MUSIC_TIME* musicNow) override;
    HRESULT CloseDown() override;
    HRESULT InitAudio(IDirectMusic** directMusic, IDirectSound** directSound, HWND window,
                      DWORD defaultPathType, DWORD channelCount, DWORD flags,
                      DMUS_AUDIOPARAMS* params) override;
    HRESULT PlaySegmentEx(IUnknown* source, WCHAR* segmentName, IUnknown* transition, DWORD flags,
                          int64_t startTime, IDirectMusicSegmentState** state, IUnknown* from,
                          IUnknown* audioPath) override;

    bool Ready() const override { return engine_ != nullptr; }

private:
    void ForgetCurrent();

    std::shared_ptr<MusicEngine> engine_;
    Segment* currentSegment_ = nullptr;    // held: the primary segment last played
    SegmentState* currentState_ = nullptr; // held
    int64_t startTicks_ = 0;               // GetTime's origin, in 100 ns
};

}  // namespace nol::dmusic
