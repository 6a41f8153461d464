// Standard MIDI Files (format 0, 1, 2, bare or in a RIFF RMID) into the song the
// sequencer plays: the events must come out in time order, within the song, and
// within the size the reader promises for what a file can produce.
#include <cstddef>
#include <cstdint>

#include "dmusic/midi_file.h"
#include "fuzz_support.h"

using namespace nol::dmusic;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    MidiReadResult result = ReadMidiFile(bytes, size);
    if (!result.ok) {
        FuzzCheck(!result.reason.empty(), "a refused file has a reason");
        return 0;
    }
    const MidiSong& song = result.song;
    FuzzCheck(song.events.size() * sizeof(MidiEvent) <= 6 * size, "events take at most six times the file");
    MUSIC_TIME last = 0;
    for (const MidiEvent& event : song.events) {
        FuzzCheck(event.tick >= last, "events in time order");
        FuzzCheck(event.tick <= song.length, "events within the song");
        FuzzCheck(event.status == MIDI_TEMPO || (event.status >= 0x80 && event.status <= 0xEF),
                  "a channel message or a tempo");
        FuzzCheck(event.status != MIDI_TEMPO || event.tempo > 0, "a tempo is not zero");
        last = event.tick;
    }
    return 0;
}
