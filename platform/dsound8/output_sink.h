// The sound output the mix is heard on: a real OpenAL device playing one stream,
// fed with what the layer's loopback device mixes. The mix itself never lives on
// this device, so the device may vanish (a sound server that dies, headphones
// pulled out) and a new one may take its place without any source, queue, effect
// or 3D setting having to move.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace nol::dsound8 {

class OutputSink {
public:
    // One chunk of the stream: 11.6 ms. Six of them (70 ms) are queued ahead: OpenAL
    // Soft takes a period of 23 ms or more at a time from the stream.
    static constexpr uint32_t kChunkFrames = 512;
    static constexpr int kChunks = 6;

    // Opens the default output. Opening a sound server's device may take a while
    // when the server is gone: never call this where waiting matters.
    static std::unique_ptr<OutputSink> Open();
    ~OutputSink();

    OutputSink(const OutputSink&) = delete;
    OutputSink& operator=(const OutputSink&) = delete;

    // How many chunks the output has room for now.
    int Room(uint64_t nowUs);
    // Queues one chunk of kChunkFrames frames of 16-bit stereo and keeps playing.
    void Queue(const int16_t* pcm);
    // False once the output reports itself disconnected, or has played nothing for
    // a while (a server that hangs rather than closes).
    bool Alive(uint64_t nowUs);
    // Whether the output has played anything yet: until then its pace says nothing.
    bool Started() const { return started_; }

private:
    OutputSink() = default;
    bool Create();

    // The sink's context on the calling thread for the AL calls of one method,
    // leaving whatever context the thread had before.
    class Bind {
    public:
        explicit Bind(const OutputSink& sink);
        ~Bind();

    private:
        const OutputSink& sink_;
        ALCcontext* previous_;
    };

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    PFNALCSETTHREADCONTEXTPROC setThreadContext_ = nullptr;
    PFNALCGETTHREADCONTEXTPROC getThreadContext_ = nullptr;
    bool canTellDisconnect_ = false;
    ALuint source_ = 0;
    ALuint buffers_[kChunks] = {};
    bool haveBuffers_ = false;
    std::vector<ALuint> free_;
    uint64_t openedUs_ = 0;
    uint64_t lastProgressUs_ = 0;
    bool started_ = false;
};

}  // namespace nol::dsound8
