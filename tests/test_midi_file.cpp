// Reading Standard MIDI Files into music time, and playing them with the sequencer
// against a synthesiser that records what it is sent and when.
#include <gtest/gtest.h>

#include <cstring>

#include "dmusic/midi_file.h"
#include "dmusic/sequencer.h"
#include "midi_files.h"

using namespace nol::dmusic;

namespace {

MidiSong Read(const std::vector<uint8_t>& bytes) {
    MidiReadResult r = ReadMidiFile(bytes.data(), bytes.size());
    EXPECT_TRUE(r.ok) << r.reason;
    return r.song;
}

TEST(MidiFile, TicksBecomeMusicTimeWhateverTheDivision) {
    for (uint16_t division : {96, 480, 768, 1000}) {
        MidiSong s = Read(SingleNoteFile(division, 60, 4));
        ASSERT_EQ(s.events.size(), 3u);
        EXPECT_EQ(s.events[2].tick, 4 * DMUS_PPQ) << division;
        EXPECT_EQ(s.length, 4 * DMUS_PPQ);
    }
    // SMPTE: 25 frames of 40 ticks = one second = two quarters at the default tempo.
    MidiTrackBuilder t;
    t.NoteOn(0, 0, 60, 100).NoteOff(1000, 0, 60).End(0);
    MidiSong s = Read(MidiFile(0, SmpteDivision(25, 40), {t}));
    EXPECT_EQ(s.length, 2 * DMUS_PPQ);
}

// Notes on channel 0 whose running status meets a marker and a sysex on the way;
// `restate` gives every event its own status byte instead.
std::vector<uint8_t> NotesAcrossMetaAndSysex(bool restate) {
    MidiTrackBuilder t;
    t.NoteOn(0, 0, 60, 100).Marker(10);
    restate ? t.NoteOn(10, 0, 62, 101) : t.Event(10, {62, 101});
    t.Sysex(10);
    restate ? t.NoteOn(10, 0, 64, 102) : t.Event(10, {64, 102});
    t.Marker(0).Sysex(0);
    restate ? t.NoteOn(10, 0, 60, 0) : t.Event(10, {60, 0});
    t.End(10);
    return MidiFile(0, 96, {t});
}

TEST(MidiFile, RunningStatusCarriesAcrossMetaAndSysexAlike) {
    for (bool restate : {false, true}) {
        SCOPED_TRACE(restate ? "status restated" : "relying on running status");
        auto bytes = NotesAcrossMetaAndSysex(restate);
        MidiReadResult r = ReadMidiFile(bytes.data(), bytes.size());
        ASSERT_TRUE(r.ok) << r.reason;
        EXPECT_EQ(r.warning, "");
        ASSERT_EQ(r.song.events.size(), 4u);
        const uint8_t keys[] = {60, 62, 64, 60};
        const MUSIC_TIME ticks[] = {0, 20 * DMUS_PPQ / 96, 40 * DMUS_PPQ / 96, 50 * DMUS_PPQ / 96};
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(r.song.events[i].status, i < 3 ? 0x90 : 0x80) << i;
            EXPECT_EQ(r.song.events[i].data1, keys[i]) << i;
            EXPECT_EQ(r.song.events[i].tick, ticks[i]) << i;
        }
        EXPECT_EQ(r.song.events[2].data2, 102);
    }
}

TEST(MidiFile, TracksMergeInTimeOrderWithRunningStatusAndTempo) {
    MidiTrackBuilder conductor;
    conductor.Tempo(0, 250000).Tempo(96, 1000000).End(0);
    MidiTrackBuilder notes;
    notes.NoteOn(48, 1, 64, 90);
    notes.Event(48, {65, 80});  // running status: another note-on
    notes.Event(0, {64, 0});    // running note-on with velocity 0 is a note-off
    notes.End(96);
    MidiSong s = Read(MidiFile(1, 96, {conductor, notes}));
    ASSERT_EQ(s.events.size(), 5u);
    EXPECT_EQ(s.events[0].status, MIDI_TEMPO);
    EXPECT_EQ(s.events[0].tempo, 250000u);
    EXPECT_EQ(s.events[1].tick, DMUS_PPQ / 2);
    EXPECT_EQ(s.events[1].status, 0x91);
    // At one tick the first track's events come before the second's.
    EXPECT_EQ(s.events[2].status, MIDI_TEMPO);
    EXPECT_EQ(s.events[2].tick, DMUS_PPQ);
    EXPECT_EQ(s.events[3].status, 0x91);
    EXPECT_EQ(s.events[4].status, 0x81);
    EXPECT_EQ(s.events[4].data1, 64);
    EXPECT_EQ(s.length, 2 * DMUS_PPQ);
}

TEST(MidiFile, RefusesWhatIsNotAMidiFile) {
    auto refused = [](std::vector<uint8_t> bytes) {
        MidiReadResult r = ReadMidiFile(bytes.data(), bytes.size());
        EXPECT_FALSE(r.ok);
        return r.reason;
    };
    EXPECT_EQ(refused({'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E', 0, 0}), "not a Standard MIDI File");
    EXPECT_EQ(refused({}), "not a Standard MIDI File");
    auto file = SingleNoteFile(96, 60, 1);
    auto zeroDivision = file;
    zeroDivision[12] = zeroDivision[13] = 0;
    EXPECT_EQ(refused(zeroDivision), "bad time division");
    auto noTracks = file;
    noTracks[11] = 0;
    EXPECT_EQ(refused(noTracks), "no tracks");
    auto hugeHeader = file;
    hugeHeader[4] = 0x7F;
    EXPECT_EQ(refused(hugeHeader), "bad MIDI header");
    // The header alone: the track count promises a track the file does not hold.
    EXPECT_EQ(refused(std::vector<uint8_t>(file.begin(), file.begin() + 14)), "no tracks");

    // SMPTE: only 24, 25, 29.97 (-29) and 30 frames per second, and ticks in a frame.
    auto smpte = [&](uint16_t division) {
        auto bytes = file;
        bytes[12] = uint8_t(division >> 8);
        bytes[13] = uint8_t(division);
        return bytes;
    };
    EXPECT_EQ(refused(smpte(SmpteDivision(17, 4))), "unknown SMPTE frame rate -17");
    EXPECT_EQ(refused(smpte(SmpteDivision(128, 4))), "unknown SMPTE frame rate -128");
    EXPECT_EQ(refused(smpte(SmpteDivision(30, 0))), "bad time division");
}

TEST(MidiFile, TruncatedFilesLoadWhatTheyHoldAndSayWhatIsMissing) {
    MidiTrackBuilder notes;
    notes.NoteOn(0, 0, 60, 100).NoteOff(96, 0, 60).NoteOn(0, 0, 62, 100).NoteOff(96, 0, 62).End(0);
    MidiTrackBuilder more;
    more.Program(0, 1, 5).End(0);
    auto whole = MidiFile(1, 96, {notes, more});

    // Cut between two events of the first track: the chunk's length says what is gone.
    size_t firstTrackEnd = 14 + 8 + notes.bytes.size();
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(firstTrackEnd - 8));
    MidiReadResult r = ReadMidiFile(cut.data(), cut.size());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.song.events.size(), 3u);
    EXPECT_EQ(r.warning, "track 0 is cut short by the end of the file");

    // Cut inside an event: the reader names what it skipped.
    cut.pop_back();
    r = ReadMidiFile(cut.data(), cut.size());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.song.events.size(), 2u);
    EXPECT_EQ(r.warning, "skipped the rest of track 0: event cut short");

    // The first track whole, the second missing.
    cut.assign(whole.begin(), whole.begin() + long(firstTrackEnd));
    r = ReadMidiFile(cut.data(), cut.size());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.song.events.size(), 4u);
    EXPECT_EQ(r.warning, "the file holds 1 of its 2 tracks");

    r = ReadMidiFile(whole.data(), whole.size());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.song.events.size(), 5u);
    EXPECT_EQ(r.warning, "");
}

TEST(MidiFile, DamagedTracksKeepWhatCameBefore) {
    // A track chunk that claims 2 GB: the bytes present are read, nothing more.
    auto file = SingleNoteFile(96, 60, 2);
    file[18] = 0x7F;
    MidiReadResult r = ReadMidiFile(file.data(), file.size());
    ASSERT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.song.events.size(), 3u);

    // Cut inside the note-off: the program and note-on survive, with a warning.
    auto cut = SingleNoteFile(96, 60, 2);
    cut.resize(cut.size() - 5);
    r = ReadMidiFile(cut.data(), cut.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.song.events.size(), 2u);
    EXPECT_NE(r.warning.find("cut short"), std::string::npos);

    // A data byte with no status before it, and a five-byte delta time.
    MidiTrackBuilder bad;
    bad.Event(0, {0x40, 0x40});
    r = ReadMidiFile(MidiFile(0, 96, {bad}).data(), MidiFile(0, 96, {bad}).size());
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.song.events.empty());
    MidiTrackBuilder longDelta;
    longDelta.Event(0, {0x90, 60, 100});
    longDelta.bytes.insert(longDelta.bytes.end(), {0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x80, 60, 0});
    auto f2 = MidiFile(0, 96, {longDelta});
    r = ReadMidiFile(f2.data(), f2.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.song.events.size(), 1u);
    EXPECT_NE(r.warning.find("delta"), std::string::npos);
}

TEST(MidiFile, LengthsBeyondMusicTimeAreCut) {
    // 0x0FFFFFFF ticks at division 1 is far past what music time can count.
    MidiTrackBuilder t;
    t.NoteOn(0, 0, 60, 100).NoteOff(0x0FFFFFFF, 0, 60).End(0);
    auto f = MidiFile(0, 1, {t});
    MidiReadResult r = ReadMidiFile(f.data(), f.size());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.song.events.size(), 1u);
    EXPECT_GE(r.song.length, 0);
    EXPECT_NE(r.warning.find("too long"), std::string::npos);
}

TEST(MidiFile, RmidWrapperIsUnwrapped) {
    auto smf = SingleNoteFile(96, 60, 1);
    std::vector<uint8_t> riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'};
    uint32_t n = uint32_t(smf.size());
    for (int i = 0; i < 4; ++i) riff.push_back(uint8_t(n >> (8 * i)));
    riff.insert(riff.end(), smf.begin(), smf.end());
    EXPECT_EQ(Read(riff).length, DMUS_PPQ);
}

// ---- sequencer -------------------------------------------------------------------

struct Sent {
    uint64_t frame;
    uint8_t status, d1, d2;
};

class RecordingSynth : public MidiSynth {
public:
    void Send(uint8_t status, uint8_t d1, uint8_t d2) override { sent.push_back({frame, status, d1, d2}); }
    void NotesOff() override { sent.push_back({frame, 0xB0, 123, 0}); }
    void Reset() override { sent.push_back({frame, 0xFF, 0, 0}); }
    void Render(int16_t* out, int frames) override {
        std::memset(out, 0, sizeof(int16_t) * 2 * frames);
        frame += frames;
    }
    int ActiveVoices() const override { return 0; }
    std::vector<Sent> NotesOn() const {
        std::vector<Sent> r;
        for (const Sent& s : sent)
            if ((s.status & 0xF0) == 0x90) r.push_back(s);
        return r;
    }
    uint64_t frame = 0;
    std::vector<Sent> sent;
};

void RenderFrames(Sequencer& seq, RecordingSynth& synth, int frames, int chunk = 1000) {
    std::vector<int16_t> buffer(size_t(chunk) * 2);
    while (frames > 0) {
        int n = std::min(frames, chunk);
        seq.Render(buffer.data(), n, synth);
        frames -= n;
    }
}

std::shared_ptr<const MidiSong> Song(const std::vector<uint8_t>& bytes) {
    return std::make_shared<const MidiSong>(Read(bytes));
}

TEST(Sequencer, EventsFallOnTheFrameOfTheirTimeAtTheTempoInForce) {
    // 96 per quarter; a quarter at 120 bpm (0.5 s = 22050 frames), then tempo 60 bpm.
    MidiTrackBuilder t;
    t.NoteOn(0, 0, 60, 100).NoteOn(96, 0, 62, 100).Tempo(0, 1000000).NoteOn(96, 0, 64, 100).End(0);
    Sequencer seq(44100);
    RecordingSynth synth;
    seq.Start(Song(MidiFile(0, 96, {t})), 0, 0, synth);
    RenderFrames(seq, synth, 3 * 44100, 777);  // chunk size unrelated to the event times
    auto on = synth.NotesOn();
    ASSERT_EQ(on.size(), 3u);
    EXPECT_EQ(on[0].frame, 0u);
    EXPECT_EQ(on[1].frame, 22050u);
    EXPECT_EQ(on[2].frame, 22050u + 44100u);
    EXPECT_FALSE(seq.Playing());
    EXPECT_EQ(seq.EndFrame(), 22050u + 44100u);
}

TEST(Sequencer, SmpteFilesPlayForTheirFramesWhateverTheTempoEvents) {
    struct Case {
        int rate, perFrame;
        uint32_t frames;     // of the note
        uint64_t expected;   // sample frames at 44100 Hz
    };
    // 4 s at each rate; at 29.97 (drop-frame) 120 frames take 4.004 s, not 4.
    for (Case c : {Case{24, 4, 96, 176400}, Case{25, 40, 100, 176400}, Case{30, 80, 120, 176400},
                   Case{29, 80, 120, 176576}}) {
        SCOPED_TRACE(c.rate);
        // A tempo of 60 bpm at the start would double the length if it were obeyed.
        MidiTrackBuilder t;
        t.Tempo(0, 1000000).NoteOn(0, 0, 60, 100).Tempo(c.perFrame, 250000);
        t.NoteOff(c.frames * c.perFrame - c.perFrame, 0, 60).End(0);
        Sequencer seq(44100);
        RecordingSynth synth;
        seq.Start(Song(MidiFile(0, SmpteDivision(c.rate, c.perFrame), {t})), 0, 0, synth);
        RenderFrames(seq, synth, 10 * 44100);
        EXPECT_FALSE(seq.Playing());
        // Music time rounds to its own ticks: 1/1536 s, under 29 sample frames.
        EXPECT_NEAR(double(seq.EndFrame()), double(c.expected), 29.0);
    }
}

TEST(Sequencer, RepeatsPlayTheSongAgainFromItsStartThenEnd) {
    Sequencer seq(44100);
    RecordingSynth synth;
    // One quarter (22050 frames), played three times in all.
    seq.Start(Song(SingleNoteFile(96, 60, 1)), 0, 2, synth);
    RenderFrames(seq, synth, 5 * 22050);
    auto on = synth.NotesOn();
    ASSERT_EQ(on.size(), 3u);
    EXPECT_EQ(on[1].frame, 22050u);
    EXPECT_EQ(on[2].frame, 44100u);
    EXPECT_EQ(seq.EndFrame(), 3u * 22050u);

    // Without end: still going after many rounds, position always inside the song.
    seq.Start(Song(SingleNoteFile(96, 60, 1)), 0, DMUS_SEG_REPEAT_INFINITE, synth);
    RenderFrames(seq, synth, 40 * 22050 + 5000);
    EXPECT_TRUE(seq.Playing());
    EXPECT_NEAR(seq.Position(), 5000.0 * DMUS_PPQ / 22050, 1.0);
}

TEST(Sequencer, StartingMidwayStrikesTheHeldNotesWithTheirProgramAndTempo) {
    MidiTrackBuilder t;
    t.Program(0, 2, 40).Tempo(0, 1000000).NoteOn(0, 2, 50, 70).NoteOn(0, 3, 55, 90);
    t.NoteOff(96, 3, 55).NoteOn(0, 3, 57, 91).NoteOff(192, 2, 50).NoteOff(0, 3, 57).End(0);
    Sequencer seq(44100);
    RecordingSynth synth;
    // Music time 1.5 quarters: note 50 (from 0) and note 57 (from 1 quarter) sound.
    seq.Start(Song(MidiFile(0, 96, {t})), DMUS_PPQ * 3 / 2, 0, synth);
    ASSERT_GE(synth.sent.size(), 4u);
    EXPECT_EQ(synth.sent[0].status, 0xFF);  // reset first
    EXPECT_EQ(synth.sent[1].status, 0xC2);
    EXPECT_EQ(synth.sent[1].d1, 40);
    auto on = synth.NotesOn();
    ASSERT_EQ(on.size(), 2u);
    EXPECT_EQ(on[0].d1, 50);
    EXPECT_EQ(on[0].d2, 70);
    EXPECT_EQ(on[1].d1, 57);
    EXPECT_EQ(on[1].d2, 91);
    // The rest plays at 60 bpm: 1.5 quarters left = 1.5 s.
    RenderFrames(seq, synth, 2 * 44100);
    EXPECT_EQ(seq.EndFrame(), uint64_t(44100 * 3 / 2));
}

TEST(Sequencer, EmptyOrOutOfRangeStartsDoNotSpin) {
    Sequencer seq(44100);
    RecordingSynth synth;
    MidiTrackBuilder empty;
    empty.End(0);
    seq.Start(Song(MidiFile(0, 96, {empty})), 0, DMUS_SEG_REPEAT_INFINITE, synth);
    EXPECT_FALSE(seq.Playing());
    RenderFrames(seq, synth, 1000);
    EXPECT_EQ(synth.frame, 1000u);
    // A start point past the end plays from the beginning.
    seq.Start(Song(SingleNoteFile(96, 60, 1)), 10 * DMUS_PPQ, 0, synth);
    EXPECT_EQ(seq.Position(), 0);
}

}  // namespace
