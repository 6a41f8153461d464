// The General MIDI synthesiser: FluidSynth with the system's GM SoundFont.
#pragma once

#include <memory>
#include <string>

#include "dmusic/midi_synth.h"

struct _fluid_synth_t;
struct _fluid_hashtable_t;

namespace nol::dmusic {

constexpr int MUSIC_SAMPLE_RATE = 44100;

class FluidMidiSynth : public MidiSynth {
public:
    // Null, with the reason in `error`, when FluidSynth or the SoundFont cannot be
    // set up.
    static std::unique_ptr<FluidMidiSynth> Create(std::string& error);
    ~FluidMidiSynth() override;

    void Send(uint8_t status, uint8_t data1, uint8_t data2) override;
    void NotesOff() override;
    void Reset() override;
    void Render(int16_t* stereo, int frames) override;
    int ActiveVoices() const override;

    // The SoundFont used: $NOL_SOUNDFONT when set, else the system's default GM bank.
    static std::string SoundFontPath();

private:
    FluidMidiSynth() = default;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
};

}  // namespace nol::dmusic
