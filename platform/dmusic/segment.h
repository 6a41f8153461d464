// A segment (a loaded piece) and the state of one playing of it.
#pragma once

#include <memory>

#include "com/com_object.h"
#include "dmusic/midi_file.h"
#include "dmusic/music_engine.h"

namespace nol::dmusic {

// What a segment is downloaded to, as the segment sees it (the performance).
class SegmentPlayer {
public:
    // Whether it can play: its audio has been set up.
    virtual bool Ready() const = 0;
    // The player behind an interface pointer, if it is one of ours.
    static SegmentPlayer* From(IUnknown* object) { return dynamic_cast<SegmentPlayer*>(object); }

protected:
    ~SegmentPlayer() = default;
};

class Segment final
    : public nol::com::Object<IDirectMusicSegment8, IID_IDirectMusicSegment, IID_IDirectMusicSegment8> {
public:
    explicit Segment(std::shared_ptr<const MidiSong> song);

    HRESULT GetLength(MUSIC_TIME* length) override;
    HRESULT SetRepeats(DWORD repeats) override;
    HRESULT GetRepeats(DWORD* repeats) override;
    HRESULT SetStartPoint(MUSIC_TIME start) override;
    HRESULT GetStartPoint(MUSIC_TIME* start) override;
    HRESULT Download(IUnknown* target) override;
    HRESULT Unload(IUnknown* target) override;

    const std::shared_ptr<const MidiSong>& Song() const { return song_; }
    DWORD Repeats() const { return repeats_; }
    MUSIC_TIME StartPoint() const { return start_; }

    // The Segment behind an interface pointer, if it is one of ours.
    static Segment* From(IUnknown* object);

private:
    std::shared_ptr<const MidiSong> song_;
    DWORD repeats_ = 0;
    MUSIC_TIME start_ = 0;
};

class SegmentState final : public nol::com::Object<IDirectMusicSegmentState, IID_IDirectMusicSegmentState,
                                                    IID_IDirectMusicSegmentState8> {
public:
    SegmentState(Segment* segment, std::shared_ptr<MusicEngine> engine,
                 std::shared_ptr<MusicPlay> play, MUSIC_TIME start);
    ~SegmentState() override;

    HRESULT GetSeek(MUSIC_TIME* seek) override;
    HRESULT GetStartPoint(MUSIC_TIME* start) override;
    HRESULT GetSegment(IDirectMusicSegment** segment) override;

    bool IsPlaying() const;
    static SegmentState* From(IUnknown* object);

private:
    Segment* segment_;
    std::shared_ptr<MusicEngine> engine_;
    std::shared_ptr<MusicPlay> play_;
    MUSIC_TIME start_;
};

}  // namespace nol::dmusic
