// Standard MIDI Files (format 0, 1 and 2, also inside a RIFF "RMID" wrapper), read
// into one time-ordered list of events in music time: 768 ticks per quarter note
// whatever the file's own division. A file timed in SMPTE frames keeps its length in
// seconds: its ticks are taken at the default tempo and its tempo events dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dmusic/dmusici.h"

namespace nol::dmusic {

// Largest file the loader reads; General MIDI pieces are a few hundred kilobytes.
// The events read from a file take at most six times its size.
constexpr size_t MIDI_FILE_MAX_BYTES = 4u << 20;

struct MidiEvent {
    MUSIC_TIME tick;
    // A channel message (0x80..0xEF; a note-on with velocity 0 is stored as a
    // note-off) or MIDI_TEMPO, whose new quarter-note length is in `tempo`.
    uint8_t status;
    uint8_t data1;
    uint8_t data2;
    uint32_t tempo;  // microseconds per quarter note
};
constexpr uint8_t MIDI_TEMPO = 0xFF;
constexpr uint32_t MIDI_DEFAULT_TEMPO = 500000;  // 120 beats per minute

struct MidiSong {
    std::vector<MidiEvent> events;  // by tick; at one tick, in file order
    MUSIC_TIME length = 0;          // the latest track end
};

struct MidiReadResult {
    bool ok = false;
    std::string reason;  // why the file was refused, when !ok
    std::string warning; // what was skipped of a damaged file, when ok
    MidiSong song;
};

MidiReadResult ReadMidiFile(const uint8_t* data, size_t size);

}  // namespace nol::dmusic
