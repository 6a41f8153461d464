// Opening the output and running the service beside the mix.
#include "dsound8/output_device.h"

#include <AL/alext.h>
#include <time.h>

#include <algorithm>
#include <cmath>

#include "base/platform_log.h"
#include "dsound8/openal_diagnostics.h"

namespace nol::dsound8 {
namespace {

// Output is mixed and serviced in slices this long (2.9 ms), so that a buffer's
// queue, refilled between slices, never runs dry however much a test renders.
constexpr uint32_t kSliceFrames = 128;
// The service thread wakes this often.
constexpr int kServicePeriodMs = 4;
// Effect sends per source: enough for a few effects on one sound at once.
constexpr ALCint kWantedSends = 4;
// Every loaded sound holds a source (OpenAL Soft's default allows 256 in all).
constexpr ALCint kWantedSources = 1024;
// How long to wait between two looks for a sound output while there is none: soon
// after a loss (a sound server restarting takes about a second), then less and
// less often. A look that finds no server costs well under a millisecond.
constexpr int kFirstSearchMs = 250;
constexpr int kSearchPeriodMs = 2000;

uint64_t NowMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return uint64_t(now.tv_sec) * 1000000u + uint64_t(now.tv_nsec) / 1000u;
}

ALCdevice* OpenLoopback(LPALCRENDERSAMPLESSOFT* render) {
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return nullptr;
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    *render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (!open || !*render) return nullptr;
    return open(nullptr);
}

}  // namespace

std::unique_ptr<OutputDevice> OutputDevice::Open(bool manual) {
    QuietOpenALDiagnostics();
    std::unique_ptr<OutputDevice> out(new OutputDevice);
    const ALCint attrs[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT,
                            ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                            ALC_FREQUENCY, kNolOutputRate,
                            ALC_MAX_AUXILIARY_SENDS, kWantedSends,
                            ALC_MONO_SOURCES, kWantedSources, 0};
    out->device_ = OpenLoopback(&out->renderSamples_);
    if (out->device_) out->context_ = alcCreateContext(out->device_, attrs);
    if (!out->context_) {
        NolLog("DirectSound: OpenAL Soft has no output and no loopback device\n");
        return nullptr;  // the destructor closes what was opened
    }
    alcMakeContextCurrent(out->context_);
    out->kind_ = Kind::Manual;
    if (!manual) {
        out->sink_ = OutputSink::Open();
        out->kind_ = out->sink_ ? Kind::Speakers : Kind::Silent;
        out->wantSink_ = !out->sink_;
    }
    if (out->kind_ == Kind::Silent) NolLog("DirectSound: no sound output found; playing silently\n");
    if (alcIsExtensionPresent(nullptr, "ALC_EXT_thread_local_context")) {
        out->setThreadContext_ = reinterpret_cast<PFNALCSETTHREADCONTEXTPROC>(
            alcGetProcAddress(nullptr, "alcSetThreadContext"));
        out->getThreadContext_ = reinterpret_cast<PFNALCGETTHREADCONTEXTPROC>(
            alcGetProcAddress(nullptr, "alcGetThreadContext"));
    }
    out->MakeCurrent();
    if (alcIsExtensionPresent(out->device_, "ALC_EXT_EFX")) {
        out->efx_.Load();
        alcGetIntegerv(out->device_, ALC_MAX_AUXILIARY_SENDS, 1, &out->maxSends_);
    }
    if (!out->efx_.loaded()) out->maxSends_ = 0;
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    return out;
}

OutputDevice::~OutputDevice() {
    StopService();
    sink_.reset();
    found_.reset();
    lost_.clear();
    if (context_) {
        if (getThreadContext_ && getThreadContext_() == context_) setThreadContext_(nullptr);
        if (alcGetCurrentContext() == context_) alcMakeContextCurrent(nullptr);
        alcDestroyContext(context_);
    }
    if (device_) alcCloseDevice(device_);
}

void OutputDevice::MakeCurrent() {
    if (setThreadContext_) {
        if (getThreadContext_() != context_) setThreadContext_(context_);
    } else if (alcGetCurrentContext() != context_) {
        alcMakeContextCurrent(context_);
    }
}

void OutputDevice::StopService() {
    if (searcher_.joinable()) {
        {
            std::lock_guard<std::mutex> guard(sinkLock_);
            searchStopping_ = true;
        }
        sinkWake_.notify_all();
        searcher_.join();
    }
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> guard(threadLock_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void OutputDevice::SetUpkeep(std::function<void()> upkeep) { upkeep_ = std::move(upkeep); }

void OutputDevice::Start() {
    if (kind_ == Kind::Manual || thread_.joinable()) return;
    thread_ = std::thread([this] { ServiceLoop(); });
    searcher_ = std::thread([this] { SearchLoop(); });
}

int OutputDevice::AddFeeder(NolOpenALFeeder feeder, void* user) {
    if (!feeder) return 0;
    std::lock_guard<std::mutex> guard(feedersLock_);
    int id = nextFeederId_++;
    feeders_.push_back({id, feeder, user});
    return id;
}

void OutputDevice::RemoveFeeder(int id) {
    std::lock_guard<std::mutex> guard(feedersLock_);
    feeders_.erase(std::remove_if(feeders_.begin(), feeders_.end(),
                                  [id](const Feeder& f) { return f.id == id; }),
                   feeders_.end());
}

void OutputDevice::RunService() {
    MakeCurrent();  // feeders make AL calls on this thread too
    {
        std::lock_guard<std::mutex> guard(feedersLock_);
        for (const Feeder& feeder : feeders_) feeder.call(feeder.user);
    }
    std::lock_guard<std::mutex> guard(lock_);
    MakeCurrent();
    if (upkeep_) upkeep_();
}

void OutputDevice::RenderSlices(int16_t* out, uint32_t frames) {
    // Mixed as float and rounded here: OpenAL Soft dithers integer output, which
    // would put noise on silence.
    float mixed[2 * kSliceFrames];
    while (frames > 0) {
        uint32_t n = std::min(frames, kSliceFrames);
        RunService();
        renderSamples_(device_, mixed, ALCsizei(n));
        for (uint32_t i = 0; i < 2 * n; ++i)
            out[i] = int16_t(std::lround(std::clamp(mixed[i] * 32768.0f, -32768.0f, 32767.0f)));
        out += 2 * n;
        frames -= n;
    }
    // What the last slice played counts at once: ends and positions it passed.
    std::lock_guard<std::mutex> guard(lock_);
    MakeCurrent();
    if (upkeep_) upkeep_();
}

bool OutputDevice::Render(int16_t* out, uint32_t frames) {
    if (kind_ != Kind::Manual || !out) return false;
    RenderSlices(out, frames);
    return true;
}

void OutputDevice::ServiceLoop() {
    // An output that plays sets the pace itself (FeedSink). Without one, or until
    // it begins, the mix is consumed at real-time pace: each wake renders
    // what the clock says is due, into a scratch buffer nobody hears. After a stall
    // longer than a few wakes the lost time is dropped rather than rendered in one
    // burst, which would run ahead of anything that feeds a stream in real time.
    std::vector<int16_t> scratch;
    uint64_t start = NowMicroseconds();
    uint64_t rendered = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(threadLock_);
            if (wake_.wait_for(guard, std::chrono::milliseconds(kServicePeriodMs),
                               [this] { return stopping_; })) {
                if (setThreadContext_) setThreadContext_(nullptr);
                return;
            }
        }
        uint64_t now = NowMicroseconds();
        if (!sink_) AdoptFoundSink();
        if (sink_ && !sink_->Alive(now)) DropLostSink();
        if (sink_ && sink_->Started()) {
            FeedSink(now, scratch);
            // When the output goes, the clock takes over from here.
            start = now;
            rendered = 0;
            continue;
        }
        // An output that has not begun to play is primed with silence, while the
        // clock goes on pacing the mix.
        if (sink_) PrimeSink(now);
        uint64_t due = (now - start) * kNolOutputRate / 1000000u;
        uint64_t frames = due - rendered;
        const uint64_t maxFrames = kNolOutputRate / 40;  // 25 ms
        if (frames > maxFrames) {
            rendered = due - maxFrames;
            frames = maxFrames;
        }
        if (frames == 0) continue;
        scratch.resize(size_t(frames) * 2);
        RenderSlices(scratch.data(), uint32_t(frames));
        rendered += frames;
    }
}

void OutputDevice::FeedSink(uint64_t nowUs, std::vector<int16_t>& scratch) {
    // The output's own clock paces the mix: a chunk is mixed for each one it has
    // played. The sink's context is bound only around its own calls, since the
    // mix and its feeders need this device's context current.
    scratch.resize(size_t(OutputSink::kChunkFrames) * 2);
    for (int room = sink_->Room(nowUs); room > 0; --room) {
        RenderSlices(scratch.data(), OutputSink::kChunkFrames);
        sink_->Queue(scratch.data());
    }
}

void OutputDevice::PrimeSink(uint64_t nowUs) {
    static const int16_t silence[2 * OutputSink::kChunkFrames] = {};
    for (int room = sink_->Room(nowUs); room > 0; --room) sink_->Queue(silence);
}

void OutputDevice::AdoptFoundSink() {
    {
        std::lock_guard<std::mutex> guard(sinkLock_);
        if (!found_) return;
        sink_ = std::move(found_);
        wantSink_ = false;
    }
    NolLog("DirectSound: sound output is back; playing on it\n");
}

void OutputDevice::DropLostSink() {
    NolLog("DirectSound: sound output lost; playing silently\n");
    {
        std::lock_guard<std::mutex> guard(sinkLock_);
        lost_.push_back(std::move(sink_));
        wantSink_ = true;
    }
    sinkWake_.notify_all();
}

void OutputDevice::SearchLoop() {
    // Opening and closing a sound server's device can wait on the server, so both
    // happen here, never on the thread that mixes.
    std::unique_lock<std::mutex> guard(sinkLock_);
    int delayMs = kSearchPeriodMs;
    for (;;) {
        if (searchStopping_) return;
        if (!lost_.empty()) {
            auto lost = std::move(lost_);
            lost_.clear();
            guard.unlock();
            lost.clear();
            guard.lock();
            delayMs = kFirstSearchMs;
            continue;
        }
        if (!wantSink_ || found_) {
            sinkWake_.wait(guard, [this] {
                return searchStopping_ || !lost_.empty() || (wantSink_ && !found_);
            });
            continue;
        }
        // Each look comes a while after the last, or after the loss: a server that
        // just died is not back at once.
        if (sinkWake_.wait_for(guard, std::chrono::milliseconds(delayMs),
                               [this] { return searchStopping_ || !lost_.empty(); }))
            continue;
        guard.unlock();
        std::unique_ptr<OutputSink> sink = OutputSink::Open();
        guard.lock();
        if (sink) found_ = std::move(sink);
        delayMs = std::min(2 * delayMs, kSearchPeriodMs);
    }
}

}  // namespace nol::dsound8
