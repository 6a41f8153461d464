// The OpenAL device and context a DirectSound object plays on, and the service
// that runs beside the mix: every few milliseconds of output, first the feeders
// (streamed sources of other components), then this layer's own upkeep (buffer
// queues, ends, position notifications).
//
// Everything is mixed on a loopback device that this layer drives. What it mixes
// is played on the sound output (OutputSink) while there is one, paced by that
// output; while there is none, a timer paces the mix and nobody hears it. An
// output that goes is noticed and dropped, and a new one is looked for every few
// seconds on a thread of its own, so that no sound call ever waits for a sound
// server.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "dsound8/efx.h"
#include "dsound8/openal_output.h"
#include "dsound8/output_sink.h"

namespace nol::dsound8 {

class OutputDevice {
public:
    enum class Kind {
        Speakers,  // a sound output was found at start
        Silent,    // none was: the mix is paced by a timer until one appears
        Manual,    // tests render by hand; no output is ever looked for
    };

    // Opens the mix and the default output, or plays silently where there is none
    // (logging one line saying so), or makes a manual device when asked. Null when
    // OpenAL Soft cannot even make a loopback device.
    static std::unique_ptr<OutputDevice> Open(bool manual);
    ~OutputDevice();

    OutputDevice(const OutputDevice&) = delete;
    OutputDevice& operator=(const OutputDevice&) = delete;

    Kind kind() const { return kind_; }
    ALCcontext* context() const { return context_; }
    const EfxApi& efx() const { return efx_; }
    int maxSends() const { return maxSends_; }
    // How many chunks a streamed buffer keeps queued ahead of its play position.
    int queueDepth() const { return kind_ == Kind::Speakers ? 6 : 4; }

    // Makes the context current on the calling thread.
    void MakeCurrent();

    // Guards all state of this layer's objects on this device, and orders their AL
    // calls with the service.
    std::mutex& lock() { return lock_; }

    // The layer's upkeep, run with lock() held after the feeders.
    void SetUpkeep(std::function<void()> upkeep);
    // Starts the service thread (not for manual devices). Call after SetUpkeep.
    void Start();
    // Stops it and the search for an output: nothing advances any more. Buffers that outlive their DirectSound
    // object then stay quiet, and no thread of ours is left mixing while the
    // program exits.
    void StopService();

    int AddFeeder(NolOpenALFeeder feeder, void* user);
    void RemoveFeeder(int id);

    // Manual devices only: mixes frames of 16-bit stereo into out.
    bool Render(int16_t* out, uint32_t frames);

private:
    OutputDevice() = default;
    void RunService();
    void ServiceLoop();
    void RenderSlices(int16_t* out, uint32_t frames);
    // Service thread: the output that was found replaces none; the one that went
    // is handed over to be closed. Both log their line.
    void AdoptFoundSink();
    void DropLostSink();
    void FeedSink(uint64_t nowUs, std::vector<int16_t>& scratch);
    void PrimeSink(uint64_t nowUs);
    void SearchLoop();

    Kind kind_ = Kind::Speakers;
    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    LPALCRENDERSAMPLESSOFT renderSamples_ = nullptr;
    PFNALCSETTHREADCONTEXTPROC setThreadContext_ = nullptr;
    PFNALCGETTHREADCONTEXTPROC getThreadContext_ = nullptr;
    EfxApi efx_;
    int maxSends_ = 0;

    std::mutex lock_;
    std::function<void()> upkeep_;

    struct Feeder {
        int id;
        NolOpenALFeeder call;
        void* user;
    };
    std::mutex feedersLock_;  // held while feeders run, so removal waits for them
    std::vector<Feeder> feeders_;
    int nextFeederId_ = 1;

    std::thread thread_;
    std::mutex threadLock_;
    std::condition_variable wake_;
    bool stopping_ = false;

    std::unique_ptr<OutputSink> sink_;  // the service thread's alone
    std::thread searcher_;
    // Guard the hand-over between the service thread and the searcher.
    std::mutex sinkLock_;
    std::condition_variable sinkWake_;
    bool wantSink_ = false;
    bool searchStopping_ = false;
    std::unique_ptr<OutputSink> found_;
    std::vector<std::unique_ptr<OutputSink>> lost_;
};

}  // namespace nol::dsound8
