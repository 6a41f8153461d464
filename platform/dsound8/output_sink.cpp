#include "dsound8/output_sink.h"

#include "dsound8/openal_output.h"

namespace nol::dsound8 {
namespace {

// An output that stops playing for this long is taken for gone, and so is one that
// has not begun this long after it opened. A sound server may take a few hundred
// milliseconds to start a new stream.
constexpr uint64_t kStallUs = 1500000;
constexpr uint64_t kStartUs = 5000000;

}  // namespace

OutputSink::Bind::Bind(const OutputSink& sink)
    : sink_(sink), previous_(sink.getThreadContext_()) {
    if (previous_ != sink_.context_) sink_.setThreadContext_(sink_.context_);
}

OutputSink::Bind::~Bind() {
    if (previous_ != sink_.context_) sink_.setThreadContext_(previous_);
}

std::unique_ptr<OutputSink> OutputSink::Open() {
    std::unique_ptr<OutputSink> sink(new OutputSink);
    if (!sink->Create()) return nullptr;  // the destructor closes what was opened
    return sink;
}

bool OutputSink::Create() {
    if (!alcIsExtensionPresent(nullptr, "ALC_EXT_thread_local_context")) return false;
    setThreadContext_ = reinterpret_cast<PFNALCSETTHREADCONTEXTPROC>(
        alcGetProcAddress(nullptr, "alcSetThreadContext"));
    getThreadContext_ = reinterpret_cast<PFNALCGETTHREADCONTEXTPROC>(
        alcGetProcAddress(nullptr, "alcGetThreadContext"));
    if (!setThreadContext_ || !getThreadContext_) return false;
    device_ = alcOpenDevice(nullptr);
    if (!device_) return false;
    const ALCint attrs[] = {ALC_FREQUENCY, kNolOutputRate, 0};
    context_ = alcCreateContext(device_, attrs);
    if (!context_) return false;
    canTellDisconnect_ = alcIsExtensionPresent(device_, "ALC_EXT_disconnect");

    Bind bind(*this);
    alGetError();
    alGenSources(1, &source_);
    if (alGetError() != AL_NO_ERROR) {
        source_ = 0;
        return false;
    }
    alGenBuffers(kChunks, buffers_);
    if (alGetError() != AL_NO_ERROR) return false;
    haveBuffers_ = true;
    free_.assign(buffers_, buffers_ + kChunks);
    // The mix is already placed and panned: play it as it is, never re-placed
    // around a listener or through a headphone filter.
    alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source_, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(source_, AL_ROLLOFF_FACTOR, 0.0f);
    if (alIsExtensionPresent("AL_SOFT_direct_channels"))
        alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    return alGetError() == AL_NO_ERROR;
}

OutputSink::~OutputSink() {
    if (context_) {
        {
            Bind bind(*this);
            if (source_) {
                alSourceStop(source_);
                alSourcei(source_, AL_BUFFER, 0);
                alDeleteSources(1, &source_);
            }
            if (haveBuffers_) alDeleteBuffers(kChunks, buffers_);
        }
        alcDestroyContext(context_);
    }
    if (device_) alcCloseDevice(device_);
}

int OutputSink::Room(uint64_t nowUs) {
    Bind bind(*this);
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0; --processed) {
        ALuint done = 0;
        alSourceUnqueueBuffers(source_, 1, &done);
        if (!done) break;
        free_.push_back(done);
        lastProgressUs_ = nowUs;
        started_ = true;
    }
    if (!openedUs_) openedUs_ = nowUs;
    return int(free_.size());
}

void OutputSink::Queue(const int16_t* pcm) {
    if (free_.empty()) return;
    Bind bind(*this);
    ALuint buffer = free_.back();
    free_.pop_back();
    alBufferData(buffer, AL_FORMAT_STEREO16, pcm, ALsizei(kChunkFrames * 4), kNolOutputRate);
    alSourceQueueBuffers(source_, 1, &buffer);
    // Also after an underrun, which stops the source once its queue is played.
    ALint state = AL_STOPPED;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) alSourcePlay(source_);
}

bool OutputSink::Alive(uint64_t nowUs) {
    if (canTellDisconnect_) {
        ALCint connected = ALC_TRUE;
        alcGetIntegerv(device_, ALC_CONNECTED, 1, &connected);
        if (!connected) return false;
    }
    if (started_) return nowUs - lastProgressUs_ < kStallUs;
    if (!openedUs_) openedUs_ = nowUs;
    return nowUs - openedUs_ < kStartUs;
}

}  // namespace nol::dsound8
