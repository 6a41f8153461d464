// A small Standard MIDI File writer: format 1, one track per part, events given at
// absolute ticks in any order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

class MidiTrack {
public:
    void Tempo(uint32_t tick, uint32_t microsecondsPerQuarter);
    void TimeSignature(uint32_t tick, int numerator, int denominatorPower);
    void TrackName(uint32_t tick, const std::string& name);
    void Program(uint32_t tick, int channel, int program);
    void Controller(uint32_t tick, int channel, int controller, int value);
    // A note from `tick` for `length` ticks (a note-on and its note-off).
    void Note(uint32_t tick, uint32_t length, int channel, int key, int velocity);
    // The track's end-of-track event falls at `tick` (or after its last event).
    void EndAt(uint32_t tick) { end_ = tick; }

    // The track chunk's bytes, "MTrk" included.
    std::vector<uint8_t> Chunk() const;

private:
    struct Event {
        uint32_t tick;
        int order;  // at one tick: note-offs first, then controls, then note-ons
        uint32_t sequence;
        std::vector<uint8_t> bytes;
    };
    void Add(uint32_t tick, int order, std::vector<uint8_t> bytes);

    std::vector<Event> events_;
    uint32_t end_ = 0;
};

// The whole file; false (said on standard error) when it cannot be written.
bool WriteMidiFile(const std::string& path, uint16_t division, const std::vector<MidiTrack>& tracks);

}  // namespace datagen
