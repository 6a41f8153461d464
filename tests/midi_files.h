// Builds Standard MIDI Files byte by byte for the music tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

struct MidiTrackBuilder {
    std::vector<uint8_t> bytes;

    void VarLen(uint32_t v) {
        uint8_t tmp[5];
        int n = 0;
        tmp[n++] = v & 0x7F;
        while (v >>= 7) tmp[n++] = 0x80 | (v & 0x7F);
        while (n) bytes.push_back(tmp[--n]);
    }
    MidiTrackBuilder& Event(uint32_t delta, std::initializer_list<uint8_t> data) {
        VarLen(delta);
        bytes.insert(bytes.end(), data);
        return *this;
    }
    MidiTrackBuilder& NoteOn(uint32_t delta, int ch, int key, int vel) {
        return Event(delta, {uint8_t(0x90 | ch), uint8_t(key), uint8_t(vel)});
    }
    MidiTrackBuilder& NoteOff(uint32_t delta, int ch, int key) {
        return Event(delta, {uint8_t(0x80 | ch), uint8_t(key), 0x40});
    }
    MidiTrackBuilder& Program(uint32_t delta, int ch, int program) {
        return Event(delta, {uint8_t(0xC0 | ch), uint8_t(program)});
    }
    MidiTrackBuilder& Tempo(uint32_t delta, uint32_t usPerQuarter) {
        return Event(delta, {0xFF, 0x51, 0x03, uint8_t(usPerQuarter >> 16), uint8_t(usPerQuarter >> 8),
                             uint8_t(usPerQuarter)});
    }
    MidiTrackBuilder& End(uint32_t delta) { return Event(delta, {0xFF, 0x2F, 0x00}); }
    MidiTrackBuilder& Marker(uint32_t delta) { return Event(delta, {0xFF, 0x06, 0x02, 'A', 'B'}); }
    // A General MIDI reset.
    MidiTrackBuilder& Sysex(uint32_t delta) { return Event(delta, {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}); }
};

// The header's division for a file timed in SMPTE frames: the negative frame rate
// (24, 25, 29 for 29.97 drop-frame, 30) in the high byte, ticks per frame in the low.
inline uint16_t SmpteDivision(int framesPerSecond, int ticksPerFrame) {
    return uint16_t(uint8_t(-framesPerSecond) << 8 | uint8_t(ticksPerFrame));
}

inline void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

inline std::vector<uint8_t> MidiFile(uint16_t format, uint16_t division,
                                     const std::vector<MidiTrackBuilder>& tracks) {
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    out.push_back(uint8_t(format >> 8));
    out.push_back(uint8_t(format));
    out.push_back(uint8_t(tracks.size() >> 8));
    out.push_back(uint8_t(tracks.size()));
    out.push_back(uint8_t(division >> 8));
    out.push_back(uint8_t(division));
    for (const auto& t : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        PutBe32(out, uint32_t(t.bytes.size()));
        out.insert(out.end(), t.bytes.begin(), t.bytes.end());
    }
    return out;
}

// One held note on a piano: `quarters` quarter notes long at the given division.
inline std::vector<uint8_t> SingleNoteFile(uint16_t division, int key, uint32_t quarters) {
    MidiTrackBuilder t;
    t.Program(0, 0, 0).NoteOn(0, 0, key, 100).NoteOff(division * quarters, 0, key).End(0);
    return MidiFile(0, division, {t});
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
}
