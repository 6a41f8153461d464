#include "dmusic/midi_file.h"

#include <algorithm>
#include <cstring>

namespace nol::dmusic {

namespace {

// Music time stays far below the 32-bit limit so that positions can be added to it.
constexpr int64_t MAX_TICK = INT32_MAX / 2;

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

// Converts file ticks to music time. Pulses per quarter note follow the tempo; SMPTE
// ticks are a fixed length of real time, 1 / (frames per second x ticks per frame)
// seconds, so they become music time at the default tempo and the song's tempo events
// are dropped: the sequencer then plays them at the length the file states.
struct Division {
    int64_t num = DMUS_PPQ;
    int64_t den = DMUS_PPQ;
    bool smpte = false;
    int64_t ToMusic(int64_t fileTicks) const { return (fileTicks * num + den / 2) / den; }
};

// Music ticks in one second at the default tempo.
constexpr int64_t MUSIC_TICKS_PER_SECOND = int64_t(DMUS_PPQ) * 1000000 / MIDI_DEFAULT_TEMPO;

// Empty when the division can be used, else why not.
std::string ReadDivision(uint16_t raw, Division& division) {
    if (!(raw & 0x8000)) {
        if (raw == 0) return "bad time division";
        division.num = DMUS_PPQ;
        division.den = raw;
        return {};
    }
    int rate = -static_cast<int8_t>(raw >> 8);
    int perFrame = raw & 0xFF;
    if (rate != 24 && rate != 25 && rate != 29 && rate != 30)
        return "unknown SMPTE frame rate " + std::to_string(-rate);
    if (perFrame == 0) return "bad time division";
    division.smpte = true;
    // -29 is drop-frame time code: 30000 frames in 1001 seconds (29.97 per second).
    // Ticks per second = rate x perFrame; for 29.97 that is 30000 x perFrame / 1001.
    int64_t framesNum = rate == 29 ? 30000 : rate;
    int64_t framesDen = rate == 29 ? 1001 : 1;
    division.num = MUSIC_TICKS_PER_SECOND * framesDen;
    division.den = framesNum * perFrame;
    return {};
}

class TrackReader {
public:
    TrackReader(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}

    bool AtEnd() const { return p_ >= end_; }

    bool VarLen(uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (p_ >= end_) return false;
            uint8_t b = *p_++;
            value = (value << 7) | (b & 0x7F);
            if (!(b & 0x80)) return true;
        }
        return false;  // a fifth continuation byte: not a MIDI number
    }
    bool Byte(uint8_t& b) {
        if (p_ >= end_) return false;
        b = *p_++;
        return true;
    }
    bool PeekByte(uint8_t& b) const {
        if (p_ >= end_) return false;
        b = *p_;
        return true;
    }
    bool Skip(uint32_t n) {
        if (uint64_t(end_ - p_) < n) return false;
        p_ += n;
        return true;
    }
    const uint8_t* Here() const { return p_; }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

int DataBytes(uint8_t status) {
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    default: return 2;
    }
}

// Appends one track's events to `out`; returns false (with `problem`) where the
// track is damaged, keeping what came before. `end` is the track's end in music time.
bool ReadTrack(const uint8_t* data, size_t size, const Division& division,
               std::vector<MidiEvent>& out, int64_t& end, std::string& problem) {
    TrackReader r(data, size);
    int64_t fileTick = 0;
    // Running status survives meta and system-exclusive events alike. The standard
    // cancels it after both, but a file that follows the standard always sends a new
    // status there, and many files in use carry on with data bytes after a marker or
    // a sysex: keeping it reads both kinds without dropping a note.
    uint8_t running = 0;
    end = 0;
    auto damaged = [&](const char* what) {
        problem = what;
        return false;
    };
    while (!r.AtEnd()) {
        uint32_t delta;
        if (!r.VarLen(delta)) return damaged("bad delta time");
        fileTick += delta;
        int64_t tick = division.ToMusic(fileTick);
        if (tick > MAX_TICK) return damaged("track too long");
        end = std::max(end, tick);
        uint8_t b;
        if (!r.PeekByte(b)) return damaged("event cut short");
        if (b == 0xFF) {
            r.Skip(1);
            uint8_t type;
            uint32_t len;
            if (!r.Byte(type) || !r.VarLen(len)) return damaged("meta event cut short");
            const uint8_t* body = r.Here();
            if (!r.Skip(len)) return damaged("meta event cut short");
            if (type == 0x2F) return true;  // end of track
            if (type == 0x51 && len == 3 && !division.smpte) {
                uint32_t tempo = uint32_t(body[0]) << 16 | uint32_t(body[1]) << 8 | body[2];
                if (tempo > 0)
                    out.push_back({MUSIC_TIME(tick), MIDI_TEMPO, 0, 0, tempo});
            }
            continue;
        }
        if (b == 0xF0 || b == 0xF7) {
            r.Skip(1);
            uint32_t len;
            if (!r.VarLen(len) || !r.Skip(len)) return damaged("system exclusive cut short");
            continue;
        }
        uint8_t status;
        if (b & 0x80) {
            r.Skip(1);
            if (b >= 0xF0) return damaged("unknown system message");
            status = running = b;
        } else {
            if (!running) return damaged("data byte without a status");
            status = running;
        }
        uint8_t d1 = 0, d2 = 0;
        if (!r.Byte(d1)) return damaged("event cut short");
        if (DataBytes(status) == 2 && !r.Byte(d2)) return damaged("event cut short");
        if ((d1 | d2) & 0x80) return damaged("data byte out of range");
        if ((status & 0xF0) == 0x90 && d2 == 0) status = 0x80 | (status & 0x0F);
        out.push_back({MUSIC_TIME(tick), status, d1, d2, 0});
    }
    return true;  // no end-of-track event: the track ends with its bytes
}

// The SMF inside a RIFF "RMID" file is its "data" chunk.
bool UnwrapRmid(const uint8_t*& data, size_t& size) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "RMID", 4) != 0)
        return true;
    size_t pos = 12;
    while (pos + 8 <= size) {
        uint32_t len = Le32(data + pos + 4);
        if (std::memcmp(data + pos, "data", 4) == 0) {
            data += pos + 8;
            size = std::min<size_t>(len, size - pos - 8);
            return true;
        }
        pos += 8 + size_t(len) + (len & 1);
    }
    return false;
}

}  // namespace

MidiReadResult ReadMidiFile(const uint8_t* data, size_t size) {
    MidiReadResult result;
    auto refuse = [&](const char* why) {
        result.reason = why;
        return result;
    };
    if (!data && size) return refuse("no data");
    if (size > MIDI_FILE_MAX_BYTES) return refuse("file too large");
    if (!UnwrapRmid(data, size)) return refuse("RMID file without a data chunk");
    if (size < 14 || std::memcmp(data, "MThd", 4) != 0) return refuse("not a Standard MIDI File");
    uint32_t headerLen = Be32(data + 4);
    if (headerLen < 6 || headerLen > size - 8) return refuse("bad MIDI header");
    uint16_t format = Be16(data + 8);
    uint16_t trackCount = Be16(data + 10);
    Division division;
    if (format > 2) return refuse("unknown MIDI file format");
    if (trackCount == 0) return refuse("no tracks");
    std::string badDivision = ReadDivision(Be16(data + 12), division);
    if (!badDivision.empty()) return refuse(badDivision.c_str());

    int64_t length = 0;
    size_t pos = 8 + size_t(headerLen);
    uint32_t tracksRead = 0;
    auto warn = [&](const std::string& what) {
        if (result.warning.empty()) result.warning = what;
    };
    while (tracksRead < trackCount && pos + 8 <= size) {
        uint32_t len = Be32(data + pos + 4);
        bool isTrack = std::memcmp(data + pos, "MTrk", 4) == 0;
        size_t body = pos + 8;
        // A chunk that claims more than the file holds keeps what is there.
        size_t avail = std::min<size_t>(len, size - body);
        if (isTrack) {
            int64_t end;
            std::string problem;
            std::string track = "track " + std::to_string(tracksRead);
            if (!ReadTrack(data + body, avail, division, result.song.events, end, problem))
                warn("skipped the rest of " + track + ": " + problem);
            else if (avail < len)
                warn(track + " is cut short by the end of the file");
            length = std::max(length, end);
            ++tracksRead;
        }
        pos = body + avail;
    }
    if (tracksRead == 0) return refuse("no tracks");
    if (tracksRead < trackCount)
        warn("the file holds " + std::to_string(tracksRead) + " of its " + std::to_string(trackCount) +
             " tracks");

    // Tracks were appended one after another: a stable sort keeps file order at a tick.
    auto& events = result.song.events;
    std::stable_sort(events.begin(), events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    result.song.length = MUSIC_TIME(length);
    result.ok = true;
    return result;
}

}  // namespace nol::dmusic
