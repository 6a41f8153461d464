// Plays a song into a synthesiser in step with the samples it renders: events fall
// on the first sample frame at or after their time, at the tempo in force.
#pragma once

#include <cstdint>
#include <memory>

#include "dmusic/midi_file.h"
#include "dmusic/midi_synth.h"

namespace nol::dmusic {

class Sequencer {
public:
    explicit Sequencer(int sampleRate) : sampleRate_(sampleRate) {}

    // Starts the song at `start` (music time from its beginning). The notes that
    // sound at that point, and the programs, controllers and tempo in force there,
    // are set up first, so a piece resumed mid-way sounds as it did. After the end
    // the song plays again from its beginning `repeats` more times
    // (DMUS_SEG_REPEAT_INFINITE: without end).
    void Start(std::shared_ptr<const MidiSong> song, MUSIC_TIME start, uint32_t repeats,
               MidiSynth& synth);
    // Ends the song at once; the synthesiser falls silent.
    void Stop(MidiSynth& synth);

    // Renders `frames` stereo frames, playing the events due within them.
    void Render(int16_t* stereo, int frames, MidiSynth& synth);

    bool Playing() const { return playing_; }
    // Position within the song (repeats folded in), in music time.
    MUSIC_TIME Position() const { return MUSIC_TIME(position_); }
    uint64_t FramesRendered() const { return rendered_; }
    // The frame (counted like FramesRendered) at which the last song ended.
    uint64_t EndFrame() const { return endFrame_; }

private:
    double TicksPerFrame() const;
    void Chase(MUSIC_TIME start, MidiSynth& synth);
    void Finish(MidiSynth& synth);

    int sampleRate_;
    std::shared_ptr<const MidiSong> song_;
    bool playing_ = false;
    double position_ = 0;
    size_t next_ = 0;
    uint32_t repeats_ = 0;
    uint32_t tempo_ = MIDI_DEFAULT_TEMPO;
    uint64_t rendered_ = 0;
    uint64_t endFrame_ = 0;
};

}  // namespace nol::dmusic
