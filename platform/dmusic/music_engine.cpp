#define AL_ALEXT_PROTOTYPES
#include "dmusic/music_engine.h"

#include <AL/alext.h>

#include <algorithm>

#include "base/platform_log.h"
#include "dsound8/openal_output.h"

namespace nol::dmusic {

namespace {

// The engine's calls run on whatever thread asks; each one makes the device's
// context current for that thread only, leaving the process-wide choice alone.
class ContextScope {
public:
    explicit ContextScope(ALCcontext* context) : previous_(alcGetThreadContext()) {
        alcSetThreadContext(context);
    }
    ~ContextScope() { alcSetThreadContext(previous_); }

private:
    ALCcontext* previous_;
};

// After the song ends the synthesiser's releases and reverb still ring; the stream
// runs on this long after the last voice before it goes idle.
constexpr uint64_t TAIL_FRAMES = MUSIC_SAMPLE_RATE / 2;

}  // namespace

std::shared_ptr<MusicEngine> MusicEngine::Open(IDirectSound* sound, std::unique_ptr<MidiSynth> synth,
                                               std::string& error) {
    ALCcontext* context = sound ? NolOpenALContext(sound) : nullptr;
    if (!context || !synth) {
        error = !context ? "no DirectSound device to play on" : "no synthesiser";
        return nullptr;
    }
    std::shared_ptr<MusicEngine> e(new MusicEngine);
    e->context_ = context;
    e->synth_ = std::move(synth);
    e->scratch_.resize(size_t(BUFFER_FRAMES) * 2);
    {
        ContextScope scope(context);
        alGetError();
        alGenSources(1, &e->source_);
        ALuint buffers[BUFFER_COUNT] = {};
        alGenBuffers(BUFFER_COUNT, buffers);
        if (alGetError() != AL_NO_ERROR) {
            if (e->source_) alDeleteSources(1, &e->source_);
            for (ALuint b : buffers)
                if (b) alDeleteBuffers(1, &b);
            error = "no OpenAL source for the music";
            e->closed_ = true;
            return nullptr;
        }
        e->free_.assign(buffers, buffers + BUFFER_COUNT);
        // Music is not placed in the scene: it plays as it is, wherever the listener.
        alSourcei(e->source_, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(e->source_, AL_POSITION, 0, 0, 0);
        alSourcef(e->source_, AL_ROLLOFF_FACTOR, 0);
    }
    e->sound_ = sound;
    sound->AddRef();
    e->feeder_ = NolOpenALAddFeeder(sound, &MusicEngine::Feed, e.get());
    return e;
}

MusicEngine::~MusicEngine() { Close(); }

void MusicEngine::Close() {
    // The feeder goes first, outside the lock: once removed it cannot run again.
    if (feeder_) NolOpenALRemoveFeeder(sound_, feeder_);
    feeder_ = 0;
    IDirectSound* sound = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return;
        ContextScope scope(context_);
        StopLocked();
        alDeleteSources(1, &source_);
        alDeleteBuffers(ALsizei(free_.size()), free_.data());
        free_.clear();
        closed_ = true;
        sound = sound_;
        sound_ = nullptr;
    }
    if (sound) sound->Release();
}

void MusicEngine::Feed(void* engine) { static_cast<MusicEngine*>(engine)->Pump(); }

std::shared_ptr<MusicPlay> MusicEngine::Play(std::shared_ptr<const MidiSong> song, MUSIC_TIME start,
                                             uint32_t repeats) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return nullptr;
    ContextScope scope(context_);
    StopLocked();
    sequencer_.Start(std::move(song), start, repeats, *synth_);
    play_ = std::make_shared<MusicPlay>();
    play_->current = true;
    silentFrames_ = 0;
    for (ALuint b : free_) Fill(b);
    free_.clear();
    alSourcePlay(source_);
    streaming_ = true;
    return play_;
}

void MusicEngine::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    ContextScope scope(context_);
    StopLocked();
}

void MusicEngine::StopLocked() {
    if (play_) {
        uint64_t heard = HeardFrame();
        play_->stoppedAt = HeardToEnd(heard) ? 0 : HeardTick(heard);
        play_->current = false;
        play_.reset();
    }
    sequencer_.Stop(*synth_);
    alSourceStop(source_);
    alSourcei(source_, AL_BUFFER, 0);  // takes back every queued buffer
    for (const Queued& q : queued_) free_.push_back(q.buffer);
    queued_.clear();
    streaming_ = false;
}

bool MusicEngine::IsPlaying(const MusicPlay& play) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || !play.current) return false;
    ContextScope scope(context_);
    return !HeardToEnd(HeardFrame());
}

MUSIC_TIME MusicEngine::Seek(const MusicPlay& play) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || !play.current) return play.stoppedAt;
    ContextScope scope(context_);
    uint64_t heard = HeardFrame();
    return HeardToEnd(heard) ? 0 : HeardTick(heard);
}

void MusicEngine::Pump() {
    std::lock_guard<std::mutex> lock(mutex_);
    PumpLocked();
}

void MusicEngine::PumpLocked() {
    if (closed_ || !streaming_) return;
    ContextScope scope(context_);
    ALint processed = 0;
    alGetSourcei(source_, AL_BUFFERS_PROCESSED, &processed);
    for (ALint i = 0; i < processed && !queued_.empty(); ++i) {
        ALuint b = queued_.front().buffer;
        alSourceUnqueueBuffers(source_, 1, &b);
        queued_.pop_front();
        if (sequencer_.Playing() || silentFrames_ < TAIL_FRAMES)
            Fill(b);
        else
            free_.push_back(b);
    }
    if (queued_.empty()) {
        streaming_ = false;  // the tail has been heard; nothing more to play
        return;
    }
    ALint state = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) {
        // The device ran dry before the refill: start again from what is queued.
        if (!underrunLogged_) NolLog("DirectMusic: music stream ran dry, restarted\n");
        underrunLogged_ = true;
        alSourcePlay(source_);
    }
}

void MusicEngine::Fill(ALuint buffer) {
    Queued q;
    q.buffer = buffer;
    q.startFrame = sequencer_.FramesRendered();
    q.frames = BUFFER_FRAMES;
    q.startTick = sequencer_.Position();
    sequencer_.Render(scratch_.data(), BUFFER_FRAMES, *synth_);
    q.endTick = sequencer_.Playing() ? sequencer_.Position() : q.startTick;
    if (!sequencer_.Playing() && synth_->ActiveVoices() == 0)
        silentFrames_ += BUFFER_FRAMES;
    else
        silentFrames_ = 0;
    alBufferData(buffer, AL_FORMAT_STEREO16, scratch_.data(),
                 ALsizei(scratch_.size() * sizeof(int16_t)), MUSIC_SAMPLE_RATE);
    alSourceQueueBuffers(source_, 1, &buffer);
    queued_.push_back(q);
}

// The frame the listener hears now, counted as the sequencer counts them. The
// source's offset runs from the first buffer still in its queue.
uint64_t MusicEngine::HeardFrame() {
    if (queued_.empty()) return sequencer_.FramesRendered();
    ALint state = 0, offset = 0;
    alGetSourcei(source_, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) return queued_.back().startFrame + queued_.back().frames;
    alGetSourcei(source_, AL_SAMPLE_OFFSET, &offset);
    return queued_.front().startFrame + uint64_t(std::max(offset, 0));
}

MUSIC_TIME MusicEngine::HeardTick(uint64_t frame) const {
    for (const Queued& q : queued_) {
        if (frame < q.startFrame || frame >= q.startFrame + q.frames) continue;
        double t = double(frame - q.startFrame) / q.frames;
        if (q.endTick >= q.startTick) return MUSIC_TIME(q.startTick + t * (q.endTick - q.startTick));
        return MUSIC_TIME(t < 0.5 ? q.startTick : q.endTick);  // the song wrapped in this buffer
    }
    return sequencer_.Position();
}

bool MusicEngine::HeardToEnd(uint64_t frame) const {
    return !sequencer_.Playing() && frame >= sequencer_.EndFrame();
}

}  // namespace nol::dmusic
