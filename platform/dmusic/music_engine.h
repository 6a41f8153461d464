// The running music of one performance: the synthesiser, the sequencer and an
// OpenAL streaming source on the sound device's context that the rendered samples are
// queued to. A thread of its own keeps the queue filled (tests can pump by hand).
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dmusic/fluid_synth.h"
#include "dmusic/sequencer.h"

// One playing of a segment, shared between the engine and its segment state. Guarded
// by the engine's lock.
struct MusicPlay {
    MUSIC_TIME stoppedAt = 0;  // the position when it was stopped or replaced
    bool current = false;      // still the engine's playing
};

class MusicEngine {
public:
    // Null, with the reason in `error`, when the synthesiser or the source cannot be
    // made on `context`.
    static std::shared_ptr<MusicEngine> Open(ALCcontext* context, std::unique_ptr<MidiSynth> synth,
                                             std::string& error);
    ~MusicEngine();

    // Ends what plays, then plays `song` from `start`.
    std::shared_ptr<MusicPlay> Play(std::shared_ptr<const MidiSong> song, MUSIC_TIME start,
                                    uint32_t repeats);
    // Stops at once; a stopped playing keeps the position it had reached.
    void Stop();
    // Audible: the playing has not yet been heard to its end.
    bool IsPlaying(const MusicPlay& play);
    bool IsAnythingPlaying();
    MUSIC_TIME Seek(const MusicPlay& play);
    // Stops, then gives back the source and buffers; the engine is silent from here on.
    void Close();

    // Refills the buffers the device has finished with.
    void Pump();

    // Tests: engines opened from now on get no thread; PumpAll pumps every open one.
    static void SetManualPump(bool manual);
    static void PumpAll();

    static constexpr int BUFFER_FRAMES = 1024;
    static constexpr int BUFFER_COUNT = 6;

private:
    struct Queued {
        ALuint buffer;
        uint64_t startFrame;
        int frames;
        double startTick;
        double endTick;
        bool playing;  // the song was still playing when this buffer began
    };

    MusicEngine() = default;
    void Fill(ALuint buffer);
    void StopLocked();
    void PumpLocked();
    uint64_t HeardFrame();
    MUSIC_TIME HeardTick(uint64_t frame) const;
    bool HeardToEnd(uint64_t frame) const;
    void ThreadMain();

    std::mutex mutex_;
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

    std::thread thread_;
    std::condition_variable wake_;
    bool quit_ = false;
};
