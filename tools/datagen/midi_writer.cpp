#include "datagen/midi_writer.h"

#include <algorithm>
#include <cstdio>

namespace datagen {
namespace {

void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    tmp[n++] = v & 0x7F;
    while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7F));
    while (n) out.push_back(tmp[--n]);
}

void PutBe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int s = 8 * (bytes - 1); s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

uint8_t Data(int v) { return uint8_t(std::clamp(v, 0, 127)); }

}  // namespace

void MidiTrack::Add(uint32_t tick, int order, std::vector<uint8_t> bytes) {
    events_.push_back({tick, order, uint32_t(events_.size()), std::move(bytes)});
}

void MidiTrack::Tempo(uint32_t tick, uint32_t us) {
    Add(tick, 1, {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
}

void MidiTrack::TimeSignature(uint32_t tick, int numerator, int denominatorPower) {
    Add(tick, 1, {0xFF, 0x58, 0x04, Data(numerator), Data(denominatorPower), 24, 8});
}

void MidiTrack::TrackName(uint32_t tick, const std::string& name) {
    std::vector<uint8_t> bytes = {0xFF, 0x03};
    PutVarLen(bytes, uint32_t(name.size()));
    bytes.insert(bytes.end(), name.begin(), name.end());
    Add(tick, 1, std::move(bytes));
}

void MidiTrack::Program(uint32_t tick, int channel, int program) {
    Add(tick, 1, {uint8_t(0xC0 | (channel & 15)), Data(program)});
}

void MidiTrack::Controller(uint32_t tick, int channel, int controller, int value) {
    Add(tick, 1, {uint8_t(0xB0 | (channel & 15)), Data(controller), Data(value)});
}

void MidiTrack::Note(uint32_t tick, uint32_t length, int channel, int key, int velocity) {
    Add(tick, 2, {uint8_t(0x90 | (channel & 15)), Data(key), uint8_t(std::clamp(velocity, 1, 127))});
    Add(tick + length, 0, {uint8_t(0x80 | (channel & 15)), Data(key), 64});
}

std::vector<uint8_t> MidiTrack::Chunk() const {
    std::vector<Event> sorted = events_;
    std::sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
        if (a.tick != b.tick) return a.tick < b.tick;
        if (a.order != b.order) return a.order < b.order;
        return a.sequence < b.sequence;
    });
    std::vector<uint8_t> body;
    uint32_t now = 0;
    for (const Event& e : sorted) {
        PutVarLen(body, e.tick - now);
        now = e.tick;
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    PutVarLen(body, std::max(end_, now) - now);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> chunk = {'M', 'T', 'r', 'k'};
    PutBe(chunk, uint32_t(body.size()), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

bool WriteMidiFile(const std::string& path, uint16_t division, const std::vector<MidiTrack>& tracks) {
    std::vector<uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    PutBe(out, uint32_t(tracks.size()), 2);
    PutBe(out, division, 2);
    for (const MidiTrack& t : tracks) {
        const std::vector<uint8_t> chunk = t.Chunk();
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "nol_datagen: cannot write %s\n", path.c_str());
        return false;
    }
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace datagen
