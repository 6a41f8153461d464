#include "dmusic/sequencer.h"

#include <algorithm>
#include <cmath>

namespace nol::dmusic {

namespace {
bool IsNote(uint8_t status) { return (status & 0xE0) == 0x80; }  // 0x8n or 0x9n
}  // namespace

double Sequencer::TicksPerFrame() const {
    return double(DMUS_PPQ) * 1e6 / (double(tempo_) * sampleRate_);
}

void Sequencer::Start(std::shared_ptr<const MidiSong> song, MUSIC_TIME start, uint32_t repeats,
                      MidiSynth& synth) {
    synth.Reset();
    song_ = std::move(song);
    repeats_ = repeats;
    tempo_ = MIDI_DEFAULT_TEMPO;
    // An empty song cannot be repeated: it would loop without time passing.
    if (!song_ || song_->length <= 0) {
        playing_ = false;
        position_ = 0;
        endFrame_ = rendered_;
        return;
    }
    if (start < 0 || start >= song_->length) start = 0;
    Chase(start, synth);
    playing_ = true;
}

// Replays everything before `start` except the notes themselves: the controllers,
// programs and tempo end up as the song has them there; then the notes still held
// at that point are struck again.
void Sequencer::Chase(MUSIC_TIME start, MidiSynth& synth) {
    uint8_t held[16][128] = {};
    const auto& events = song_->events;
    size_t i = 0;
    for (; i < events.size() && events[i].tick < start; ++i) {
        const MidiEvent& e = events[i];
        if (e.status == MIDI_TEMPO)
            tempo_ = e.tempo;
        else if (IsNote(e.status))
            held[e.status & 0x0F][e.data1] = (e.status & 0xF0) == 0x90 ? e.data2 : 0;
        else
            synth.Send(e.status, e.data1, e.data2);
    }
    for (int ch = 0; ch < 16; ++ch)
        for (int key = 0; key < 128; ++key)
            if (held[ch][key]) synth.Send(uint8_t(0x90 | ch), uint8_t(key), held[ch][key]);
    next_ = i;
    position_ = start;
}

void Sequencer::Stop(MidiSynth& synth) {
    if (playing_) endFrame_ = rendered_;
    playing_ = false;
    synth.Reset();
}

void Sequencer::Finish(MidiSynth& synth) {
    synth.NotesOff();
    if (repeats_ > 0) {
        if (repeats_ != DMUS_SEG_REPEAT_INFINITE) --repeats_;
        position_ = 0;
        next_ = 0;
        tempo_ = MIDI_DEFAULT_TEMPO;
        return;
    }
    playing_ = false;
    position_ = 0;
    endFrame_ = rendered_;
}

void Sequencer::Render(int16_t* stereo, int frames, MidiSynth& synth) {
    while (frames > 0) {
        if (!playing_) {
            synth.Render(stereo, frames);
            rendered_ += frames;
            return;
        }
        const auto& events = song_->events;
        if (next_ < events.size() && events[next_].tick <= position_) {
            const MidiEvent& e = events[next_++];
            if (e.status == MIDI_TEMPO)
                tempo_ = e.tempo;
            else
                synth.Send(e.status, e.data1, e.data2);
            continue;
        }
        MUSIC_TIME target = next_ < events.size() ? std::min(events[next_].tick, song_->length)
                                                  : song_->length;
        if (position_ >= target) {
            Finish(synth);
            continue;
        }
        double perFrame = TicksPerFrame();
        // The small allowance keeps a rounding error from pushing an event that falls
        // exactly on a frame to the next one.
        double needed = std::ceil((target - position_) / perFrame - 1e-6);
        if (needed <= 0) {
            position_ = target;
            continue;
        }
        int n = needed < frames ? int(needed) : frames;
        synth.Render(stereo, n);
        stereo += 2 * n;
        frames -= n;
        rendered_ += n;
        position_ += n * perFrame;
        // Land exactly on the event rather than a rounding error short of it.
        if (n == int(needed)) position_ = std::max(position_, double(target));
    }
}

}  // namespace nol::dmusic
