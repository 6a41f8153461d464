// What the sequencer plays into: a General MIDI synthesiser that takes channel
// messages and renders 44.1 kHz 16-bit stereo.
#pragma once

#include <cstdint>

namespace nol::dmusic {

class MidiSynth {
public:
    virtual ~MidiSynth() = default;
    virtual void Send(uint8_t status, uint8_t data1, uint8_t data2) = 0;
    // Every sounding note released, as the end of a piece releases them.
    virtual void NotesOff() = 0;
    // Silence at once, and programs and controllers back to their defaults.
    virtual void Reset() = 0;
    // Interleaved left/right samples, frames of them.
    virtual void Render(int16_t* stereo, int frames) = 0;
    // Voices still sounding, releases included; 0 once nothing more will be heard.
    virtual int ActiveVoices() const = 0;
};

}  // namespace nol::dmusic
