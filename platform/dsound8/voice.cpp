// Feeding a source from a buffer's memory, and keeping DirectSound's cursors and
// position notifications in step with what OpenAL has played.
#include "dsound8/voice.h"

#include <AL/alext.h>

#include <algorithm>
#include <cmath>

#include "dsound8/effect_chain.h"
#include "dsound8/output_device.h"

namespace nol::dsound8 {
namespace {

// A chunk lasts about 11.6 ms at the buffer's own rate, and the whole queue at
// most half the buffer, so that it stays well inside a short streaming ring and
// never reads data its writer has not yet put there.
constexpr double kChunkSeconds = 0.0116;
constexpr uint32_t kMinChunkFrames = 32;

float PanAttenuation(LONG hundredthsDb) {
    return std::pow(10.0f, -float(hundredthsDb) / 2000.0f);
}

}  // namespace

Voice::Voice(OutputDevice& device, std::shared_ptr<SampleData> samples, bool positional)
    : device_(device), samples_(std::move(samples)), positional_(positional) {
    const WAVEFORMATEX& f = samples_->format;
    outChannels_ = (positional_ && f.nChannels == 1) ? 1 : 2;
    // Float chunks: what the effects make (an echo on a loud sound, a compressor's
    // make-up gain) may go past full scale and is heard as such.
    outFormat_ = outChannels_ == 1 ? AL_FORMAT_MONO_FLOAT32 : AL_FORMAT_STEREO_FLOAT32;
    uint32_t byTime = uint32_t(f.nSamplesPerSec * kChunkSeconds);
    uint32_t byLength = samples_->frames / (2 * uint32_t(device_.queueDepth()));
    chunkFrames_ = std::max(kMinChunkFrames, std::min(byTime, byLength));
    decoded_.resize(size_t(chunkFrames_) * f.nChannels);
    scratch_.resize(size_t(chunkFrames_) * outChannels_);

    alGetError();
    alGenSources(1, &source_);
    if (alGetError() != AL_NO_ERROR) {
        source_ = 0;
        return;
    }
    allBuffers_.resize(size_t(device_.queueDepth()));
    alGenBuffers(ALsizei(allBuffers_.size()), allBuffers_.data());
    if (alGetError() != AL_NO_ERROR) {
        alDeleteSources(1, &source_);
        source_ = 0;
        allBuffers_.clear();
        return;
    }
    freeBuffers_ = allBuffers_;
    if (!positional_) {
        // Straight to the speakers: no panning law, no distance.
        alSourcei(source_, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source_, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(source_, AL_ROLLOFF_FACTOR, 0.0f);
        alSourcei(source_, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    }
}

Voice::~Voice() {
    if (!source_) return;
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    alDeleteSources(1, &source_);
    alDeleteBuffers(ALsizei(allBuffers_.size()), allBuffers_.data());
}

uint32_t Voice::FrameOfStream(uint64_t n) const {
    return uint32_t((startFrame_ + n) % samples_->frames);
}

uint32_t Voice::Fill(uint32_t maxFrames) {
    const SampleData& s = *samples_;
    const int inChannels = s.format.nChannels;
    const bool eightBit = s.format.wBitsPerSample == 8;
    const uint32_t align = s.format.nBlockAlign;
    uint32_t n = 0;
    while (n < maxFrames) {
        if (readFrame_ >= s.frames) {
            if (!looping_) break;
            readFrame_ = 0;
        }
        uint32_t take = std::min(maxFrames - n, s.frames - readFrame_);
        const uint8_t* in = s.bytes.data() + size_t(readFrame_) * align;
        float* out = decoded_.data() + size_t(n) * inChannels;
        for (uint32_t i = 0; i < take; ++i, in += align) {
            for (int c = 0; c < inChannels; ++c) {
                int16_t v = eightBit ? int16_t((int(in[c]) - 128) << 8)
                                     : int16_t(uint16_t(in[2 * c]) | uint16_t(in[2 * c + 1]) << 8);
                *out++ = float(v) / 32768.0f;
            }
        }
        readFrame_ += take;
        n += take;
    }
    if (n == 0) return 0;
    if (effects_ && !effects_->empty()) effects_->Process(source_, decoded_.data(), n);

    const float* in = decoded_.data();
    float* out = scratch_.data();
    for (uint32_t i = 0; i < n; ++i, in += inChannels) {
        const float left = in[0];
        const float right = inChannels == 2 ? in[1] : in[0];
        if (outChannels_ == 1) {
            *out++ = left;
        } else if (positional_) {
            *out++ = left;
            *out++ = right;
        } else {
            *out++ = left * panLeft_;
            *out++ = right * panRight_;
        }
    }
    return n;
}

void Voice::Refill() {
    while (!readerDone_ && !freeBuffers_.empty()) {
        uint32_t n = Fill(chunkFrames_);
        if (n == 0) {
            readerDone_ = true;
            break;
        }
        ALuint buffer = freeBuffers_.back();
        freeBuffers_.pop_back();
        alBufferData(buffer, outFormat_, scratch_.data(),
                     ALsizei(size_t(n) * outChannels_ * sizeof(float)),
                     ALsizei(samples_->format.nSamplesPerSec));
        alSourceQueueBuffers(source_, 1, &buffer);
        queue_.push_back({buffer, queuedEnd_, n});
        queuedEnd_ += n;
    }
}

void Voice::Flush() {
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);
    for (const Chunk& chunk : queue_) freeBuffers_.push_back(chunk.buffer);
    queue_.clear();
}

uint64_t Voice::StreamCursor() const {
    if (queue_.empty()) return queuedEnd_;
    ALint state = AL_INITIAL;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) return queuedEnd_;  // it ran to the end of its queue
    ALint offset = 0;
    alGetSourcei(source_, AL_SAMPLE_OFFSET, &offset);
    uint64_t left = uint64_t(std::max(offset, 0));
    for (const Chunk& chunk : queue_) {
        if (left < chunk.frames) return chunk.streamStart + left;
        left -= chunk.frames;
    }
    return queuedEnd_;
}

uint32_t Voice::PlayFrame() const {
    return playing_ ? FrameOfStream(StreamCursor()) : position_;
}

uint32_t Voice::WriteFrame() const {
    return playing_ ? readFrame_ % samples_->frames : position_;
}

void Voice::Play(bool looping) {
    if (!source_) return;
    looping_ = looping;
    if (playing_) {
        // A one-shot that has queued its last frame reads on once it loops again.
        if (looping_ && readerDone_) {
            readerDone_ = false;
            Refill();
        }
        return;
    }
    startFrame_ = position_;
    readFrame_ = position_;
    if (effects_) effects_->Reset();
    queuedEnd_ = 0;
    signalledTo_ = 0;
    readerDone_ = false;
    Refill();
    alSourcePlay(source_);
    playing_ = true;
}

void Voice::Stop() {
    if (!playing_) return;
    uint64_t cursor = StreamCursor();
    Signal(signalledTo_, cursor);
    position_ = FrameOfStream(cursor);
    Flush();
    playing_ = false;
    SignalStop();
}

void Voice::SetPositionFrame(uint32_t frame) {
    position_ = std::min(frame, samples_->frames - 1);
    if (!playing_) return;
    Flush();
    playing_ = false;
    Play(looping_);
}

void Voice::SetPan(LONG pan) {
    pan = std::clamp<LONG>(pan, DSBPAN_LEFT, DSBPAN_RIGHT);
    panLeft_ = pan > 0 ? PanAttenuation(pan) : 1.0f;
    panRight_ = pan < 0 ? PanAttenuation(-pan) : 1.0f;
    if (pan == DSBPAN_LEFT) panRight_ = 0.0f;
    if (pan == DSBPAN_RIGHT) panLeft_ = 0.0f;
}

void Voice::SetNotifications(std::vector<DSBPOSITIONNOTIFY> positions) {
    notify_ = std::move(positions);
}

void Voice::Upkeep() {
    if (!playing_ || !source_) return;
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed && !queue_.empty(); ++i) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source_, 1, &buffer);
        freeBuffers_.push_back(queue_.front().buffer);
        queue_.pop_front();
    }
    Refill();

    ALint state = AL_INITIAL;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) {
        if (queue_.empty()) {
            // A one-shot has played its last frame: it ends at the buffer's start.
            Signal(signalledTo_, queuedEnd_);
            Flush();
            playing_ = false;
            position_ = 0;
            SignalStop();
            return;
        }
        // Ran dry between two upkeeps (the process stalled): carry on from here.
        alSourcePlay(source_);
    }
    uint64_t cursor = StreamCursor();
    Signal(signalledTo_, cursor);
    signalledTo_ = std::max(signalledTo_, cursor);
}

void Voice::Signal(uint64_t from, uint64_t to) {
    if (to <= from) return;
    const uint64_t frames = samples_->frames;
    for (const DSBPOSITIONNOTIFY& n : notify_) {
        if (n.dwOffset == DSBPN_OFFSETSTOP) continue;
        uint64_t frame = n.dwOffset / samples_->format.nBlockAlign;
        if (frame >= frames) continue;
        // The first stream frame at or after `from` that is this buffer frame.
        uint64_t first = (frame + frames - startFrame_) % frames;
        if (first < from) first += (from - first + frames - 1) / frames * frames;
        if (first < to) SetEvent(n.hEventNotify);
    }
}

void Voice::SignalStop() {
    for (const DSBPOSITIONNOTIFY& n : notify_)
        if (n.dwOffset == DSBPN_OFFSETSTOP) SetEvent(n.hEventNotify);
}

}  // namespace nol::dsound8
