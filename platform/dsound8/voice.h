// One playing instance of a buffer's samples on an OpenAL source. The samples stay
// in memory this layer owns (DirectSound's Lock hands out pointers into them and
// expects writes there to be heard), so the source is fed by a short queue of
// chunks read from that memory just ahead of the play position; what has been
// queued is what DirectSound calls committed, and its end is the write cursor.
// The buffer's effects run on each chunk as it is queued; mixing, resampling, 3D
// and the reverbs stay OpenAL's.
#pragma once

#include <AL/al.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "dsound8/dsound.h"

namespace nol::dsound8 {

class OutputDevice;
class EffectChain;

// A buffer's samples, shared by the buffer and its duplicates.
struct SampleData {
    WAVEFORMATEX format{};
    std::vector<uint8_t> bytes;  // the buffer's dwBufferBytes
    uint32_t frames = 0;         // whole frames in bytes
    bool lost = false;
};

class Voice {
public:
    // positional: the source is placed in 3D (mono samples stay mono); otherwise
    // it plays straight to the left and right outputs.
    Voice(OutputDevice& device, std::shared_ptr<SampleData> samples, bool positional);
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    bool valid() const { return source_ != 0; }
    ALuint source() const { return source_; }

    // All of the following run with the device's lock held.
    void Play(bool looping);
    void Stop();
    void SetPositionFrame(uint32_t frame);
    uint32_t PlayFrame() const;
    uint32_t WriteFrame() const;
    bool playing() const { return playing_; }
    bool looping() const { return looping_; }
    void SetPan(LONG pan);
    void SetNotifications(std::vector<DSBPOSITIONNOTIFY> positions);
    // The effects each chunk goes through before it is queued (not owned).
    void SetEffects(EffectChain* effects) { effects_ = effects; }
    // Moves the queue on: takes back played chunks, queues new ones, notices the
    // end of a one-shot, signals the positions passed.
    void Upkeep();

private:
    struct Chunk {
        ALuint buffer;
        uint64_t streamStart;  // frames queued since the last (re)start before it
        uint32_t frames;
    };

    void Refill();
    void Flush();
    uint32_t Fill(uint32_t maxFrames);
    uint64_t StreamCursor() const;
    void Signal(uint64_t from, uint64_t to);
    void SignalStop();
    uint32_t FrameOfStream(uint64_t n) const;

    OutputDevice& device_;
    std::shared_ptr<SampleData> samples_;
    const bool positional_;
    int outChannels_ = 2;
    ALenum outFormat_ = 0;
    uint32_t chunkFrames_ = 0;

    ALuint source_ = 0;
    std::vector<ALuint> freeBuffers_;
    std::vector<ALuint> allBuffers_;
    std::deque<Chunk> queue_;
    std::vector<float> decoded_;  // a chunk in the buffer's own channels
    std::vector<float> scratch_;  // the chunk as queued
    EffectChain* effects_ = nullptr;

    bool playing_ = false;
    bool looping_ = false;
    bool readerDone_ = false;
    uint32_t position_ = 0;    // while stopped: where the next play starts
    uint32_t startFrame_ = 0;  // where the current run started
    uint32_t readFrame_ = 0;   // next frame to queue
    uint64_t queuedEnd_ = 0;   // stream frames queued in this run
    uint64_t signalledTo_ = 0;
    float panLeft_ = 1.0f;
    float panRight_ = 1.0f;
    std::vector<DSBPOSITIONNOTIFY> notify_;
};

}  // namespace nol::dsound8
