// The running music of one performance: the synthesiser, the sequencer and an
// OpenAL streaming source on a DirectSound object's device that the rendered samples
// are queued to. The device tops the queue up before it mixes (a feeder), so the
// music keeps pace with the output, real or rendered by a test.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dmusic/fluid_synth.h"
#include "dmusic/sequencer.h"
#include "dsound8/dsound.h"

namespace nol::dmusic {

// One playing of a segment, shared between the engine and its segment state. Guarded
// by the engine's lock.
struct MusicPlay {
    MUSIC_TIME stoppedAt = 0;  // the position when it was stopped or replaced
    bool current = false;      // still the engine's playing
};

class MusicEngine {
public:
    // Null, with the reason in `error`, when `sound` is not a DirectSound object of
    // this layer or the source cannot be made on its device. The engine holds a
    // reference to `sound` until Close.
    static std::shared_ptr<MusicEngine> Open(IDirectSound* sound, std::unique_ptr<MidiSynth> synth,
                                             std::string& error);
    ~MusicEngine();

    // Ends what plays, then plays `song` from `start`.
    std::shared_ptr<MusicPlay> Play(std::shared_ptr<const MidiSong> song, MUSIC_TIME start,
                                    uint32_t repeats);
    // Stops at once; a stopped playing keeps the position it had reached.
    void Stop();
    // Audible: the playing has not yet been heard to its end.
    bool IsPlaying(const MusicPlay& play);
    MUSIC_TIME Seek(const MusicPlay& play);
    // Stops, then gives back the source, buffers and device; silent from here on.
    void Close();

    // Refills the buffers the device has finished with.
    void Pump();

    static constexpr int BUFFER_FRAMES = 1024;
    static constexpr int BUFFER_COUNT = 6;

private:
    struct Queued {
        ALuint buffer;
        uint64_t startFrame;
        int frames;
        double startTick;
        double endTick;
    };

    MusicEngine() = default;
    void Fill(ALuint buffer);
    void StopLocked();
    void PumpLocked();
    uint64_t HeardFrame();
    MUSIC_TIME HeardTick(uint64_t frame) const;
    bool HeardToEnd(uint64_t frame) const;
    static void Feed(void* engine);

    std::mutex mutex_;
    IDirectSound* sound_ = nullptr;
    int feeder_ = 0;
    ALCcontext* context_ = nullptr;
    std::unique_ptr<MidiSynth> synth_;
    Sequencer sequencer_{MUSIC_SAMPLE_RATE};
    ALuint source_ = 0;
    std::vector<ALuint> free_;
    std::deque<Queued> queued_;
    uint64_t silentFrames_ = 0;  // rendered since the song ended and the last voice died
    bool underrunLogged_ = false;
    bool streaming_ = false;
    bool closed_ = false;
    std::shared_ptr<MusicPlay> play_;
    std::vector<int16_t> scratch_;
};

}  // namespace nol::dmusic
