// ambient.mid: the race music. 32 bars at 126 beats a minute (about 61 s) over an
// eight-bar progression in D major that ends on the dominant, so that the loop
// runs back into its first bar without a seam. Every note ends inside the piece
// and every part sets its own instrument and level at the first tick.
#include <cstdint>
#include <iterator>

#include "datagen/generators.h"
#include "datagen/midi_writer.h"

namespace datagen {
namespace {

constexpr uint16_t kDivision = 480;  // ticks per quarter note
constexpr uint32_t kBar = 4 * kDivision;
constexpr int kBars = 32;
constexpr uint32_t kTempo = 476190;  // 126 beats a minute

// General MIDI channels and programs (0-based).
constexpr int kPadChannel = 0, kPadProgram = 89;      // warm pad
constexpr int kBassChannel = 1, kBassProgram = 33;    // fingered electric bass
constexpr int kKeysChannel = 2, kKeysProgram = 4;     // electric piano
constexpr int kLeadChannel = 3, kLeadProgram = 80;    // square lead
constexpr int kArpChannel = 4, kArpProgram = 46;      // harp
constexpr int kDrumChannel = 9;

struct Chord {
    int bass;      // root in the bass register
    int tones[3];  // the triad as the pad voices it
};

// D  Bm  G  A  D  Bm  Em  A
const Chord kProgression[8] = {
    {38, {62, 66, 69}}, {35, {59, 62, 66}}, {43, {59, 62, 67}}, {45, {61, 64, 69}},
    {38, {62, 66, 69}}, {35, {59, 62, 66}}, {40, {59, 64, 67}}, {45, {61, 64, 69}},
};

struct MelodyNote {
    int bar;
    double beat, beats;
    int key;
};

// The tune of the eight-bar progression.
const MelodyNote kMelody[] = {
    {0, 0, 1.5, 74}, {0, 1.5, 0.5, 73}, {0, 2, 1, 71}, {0, 3, 1, 69},
    {1, 0, 1, 66},   {1, 1, 1, 69},     {1, 2, 2, 71},
    {2, 0, 1.5, 74}, {2, 1.5, 0.5, 76}, {2, 2, 1, 74}, {2, 3, 1, 71},
    {3, 0, 3, 73},   {3, 3, 1, 69},
    {4, 0, 1, 74},   {4, 1, 1, 78},     {4, 2, 1.5, 76}, {4, 3.5, 0.5, 74},
    {5, 0, 1, 73},   {5, 1, 1, 71},     {5, 2, 2, 74},
    {6, 0, 1, 71},   {6, 1, 1, 67},     {6, 2, 1, 71},   {6, 3, 1, 74},
    {7, 0, 2, 76},   {7, 2, 1, 73},     {7, 3, 0.75, 69},
};

uint32_t At(int bar, double beat) { return uint32_t(bar) * kBar + uint32_t(beat * kDivision); }
uint32_t Beats(double beats) { return uint32_t(beats * kDivision); }

void Setup(MidiTrack& t, const char* name, int channel, int program, int volume, int pan, int reverb) {
    t.TrackName(0, name);
    t.Program(0, channel, program);
    t.Controller(0, channel, 7, volume);
    t.Controller(0, channel, 10, pan);
    t.Controller(0, channel, 91, reverb);
    t.EndAt(kBars * kBar);
}

MidiTrack Pad() {
    MidiTrack t;
    Setup(t, "Pad", kPadChannel, kPadProgram, 70, 64, 80);
    for (int bar = 0; bar < kBars; ++bar)
        for (int tone : kProgression[bar % 8].tones) t.Note(At(bar, 0), kBar - 20, kPadChannel, tone, 62);
    return t;
}

MidiTrack Bass() {
    MidiTrack t;
    Setup(t, "Bass", kBassChannel, kBassProgram, 96, 64, 20);
    for (int bar = 0; bar < kBars; ++bar) {
        const int root = kProgression[bar % 8].bass;
        // Root, a pickup, the fifth, the octave and the fifth again.
        t.Note(At(bar, 0), Beats(1.0) - 30, kBassChannel, root, 100);
        t.Note(At(bar, 1.5), Beats(0.5) - 20, kBassChannel, root, 80);
        t.Note(At(bar, 2), Beats(1.0) - 30, kBassChannel, root + 7, 92);
        t.Note(At(bar, 3), Beats(0.5) - 20, kBassChannel, root + 12, 88);
        t.Note(At(bar, 3.5), Beats(0.5) - 20, kBassChannel, root + 7, 84);
    }
    return t;
}

// The tune: on the electric piano from the second eight bars on, doubled by the
// square lead from the third.
MidiTrack Tune(const char* name, int channel, int program, int volume, int pan, int firstBar, int transpose,
               int velocity, bool everyRound) {
    MidiTrack t;
    Setup(t, name, channel, program, volume, pan, 60);
    for (int round = firstBar / 8; round < kBars / 8; ++round) {
        if (!everyRound && round != firstBar / 8) continue;
        for (const MelodyNote& n : kMelody)
            t.Note(At(round * 8 + n.bar, n.beat), Beats(n.beats) - 24, channel, n.key + transpose, velocity);
    }
    return t;
}

MidiTrack Arpeggio() {
    MidiTrack t;
    Setup(t, "Harp", kArpChannel, kArpProgram, 72, 40, 70);
    const int pattern[8] = {0, 1, 2, 3, 2, 1, 3, 1};  // 3 is the root an octave up
    for (int bar = 8; bar < kBars; ++bar) {
        const Chord& c = kProgression[bar % 8];
        for (int step = 0; step < 8; ++step) {
            const int which = pattern[step];
            const int key = (which == 3 ? c.tones[0] + 12 : c.tones[which]) + 12;
            t.Note(At(bar, step * 0.5), Beats(0.5) - 10, kArpChannel, key, step % 2 ? 58 : 70);
        }
    }
    return t;
}

MidiTrack Drums() {
    MidiTrack t;
    t.TrackName(0, "Drums");
    t.Controller(0, kDrumChannel, 7, 90);
    t.Controller(0, kDrumChannel, 91, 30);
    t.EndAt(kBars * kBar);
    constexpr int kKick = 36, kSnare = 38, kClosedHat = 42, kOpenHat = 46, kCrash = 49;
    for (int bar = 0; bar < kBars; ++bar) {
        for (int step = 0; step < 8; ++step)
            t.Note(At(bar, step * 0.5), Beats(0.25), kDrumChannel, step == 7 ? kOpenHat : kClosedHat, step % 2 ? 52 : 70);
        if (bar < 4) {
            // A soft kick under the hats while the piece (re)starts.
            t.Note(At(bar, 0), Beats(0.5), kDrumChannel, kKick, 70);
            t.Note(At(bar, 2), Beats(0.5), kDrumChannel, kKick, 60);
            continue;
        }
        t.Note(At(bar, 0), Beats(0.5), kDrumChannel, kKick, 100);
        t.Note(At(bar, 2.5), Beats(0.5), kDrumChannel, kKick, 80);
        t.Note(At(bar, 1), Beats(0.5), kDrumChannel, kSnare, 88);
        t.Note(At(bar, 3), Beats(0.5), kDrumChannel, kSnare, 88);
        if (bar % 8 == 0) t.Note(At(bar, 0), Beats(2), kDrumChannel, kCrash, 80);
        if (bar % 8 == 7) {
            for (int k = 0; k < 4; ++k) t.Note(At(bar, 3 + k * 0.25), Beats(0.25), kDrumChannel, kSnare, 60 + 10 * k);
        }
    }
    return t;
}

}  // namespace

bool WriteAmbientMusic(const std::string& dir) {
    MidiTrack conductor;
    conductor.TrackName(0, "ambient");
    conductor.Tempo(0, kTempo);
    conductor.TimeSignature(0, 4, 2);
    conductor.EndAt(kBars * kBar);
    const std::vector<MidiTrack> tracks = {
        conductor,
        Pad(),
        Bass(),
        Tune("Keys", kKeysChannel, kKeysProgram, 92, 84, 8, 0, 92, true),
        Tune("Lead", kLeadChannel, kLeadProgram, 58, 50, 16, 0, 74, true),
        Arpeggio(),
        Drums(),
    };
    return WriteMidiFile(dir + "/ambient.mid", kDivision, tracks);
}

}  // namespace datagen
