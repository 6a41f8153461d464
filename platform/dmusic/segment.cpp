#include "dmusic/segment.h"

#include "dmusic/dmusic_classes.h"

namespace nol::dmusic {

Segment::Segment(std::shared_ptr<const MidiSong> song)
    : song_(song ? std::move(song) : std::make_shared<MidiSong>()) {}

Segment* Segment::From(IUnknown* object) {
    // Our segments are the only IDirectMusicSegment8 objects in this process; anything
    // else (a fake in a test) answers no to the interface or is not a Segment.
    return dynamic_cast<Segment*>(object);
}

HRESULT Segment::GetLength(MUSIC_TIME* length) {
    if (!length) return E_POINTER;
    *length = song_->length;
    return S_OK;
}

HRESULT Segment::SetRepeats(DWORD repeats) {
    repeats_ = repeats;
    return S_OK;
}

HRESULT Segment::GetRepeats(DWORD* repeats) {
    if (!repeats) return E_POINTER;
    *repeats = repeats_;
    return S_OK;
}

HRESULT Segment::SetStartPoint(MUSIC_TIME start) {
    if (start < 0 || (start > 0 && start >= song_->length)) return DMUS_E_OUT_OF_RANGE;
    start_ = start;
    return S_OK;
}

HRESULT Segment::GetStartPoint(MUSIC_TIME* start) {
    if (!start) return E_POINTER;
    *start = start_;
    return S_OK;
}

// The synthesiser holds the whole General MIDI bank from the start, so there is
// nothing to send; what is checked is that the target is a performance ready to play.
HRESULT Segment::Download(IUnknown* target) {
    SegmentPlayer* player = SegmentPlayer::From(target);
    if (!player) return E_INVALIDARG;
    return player->Ready() ? S_OK : DMUS_E_NOT_INIT;
}

HRESULT Segment::Unload(IUnknown* target) { return Download(target); }

HRESULT CreateDirectMusicSegment(REFIID iid, void** object) {
    return nol::com::HandOut(new Segment(nullptr), iid, object);
}

SegmentState::SegmentState(Segment* segment, std::shared_ptr<MusicEngine> engine,
                           std::shared_ptr<MusicPlay> play, MUSIC_TIME start)
    : segment_(segment), engine_(std::move(engine)), play_(std::move(play)), start_(start) {
    segment_->AddRef();
}

SegmentState::~SegmentState() { segment_->Release(); }

SegmentState* SegmentState::From(IUnknown* object) { return dynamic_cast<SegmentState*>(object); }

HRESULT SegmentState::GetSeek(MUSIC_TIME* seek) {
    if (!seek) return E_POINTER;
    *seek = play_ ? engine_->Seek(*play_) : 0;
    return S_OK;
}

HRESULT SegmentState::GetStartPoint(MUSIC_TIME* start) {
    if (!start) return E_POINTER;
    *start = start_;
    return S_OK;
}

HRESULT SegmentState::GetSegment(IDirectMusicSegment** segment) {
    if (!segment) return E_POINTER;
    segment_->AddRef();
    *segment = segment_;
    return S_OK;
}

bool SegmentState::IsPlaying() const { return play_ && engine_->IsPlaying(*play_); }

}  // namespace nol::dmusic
