// Opening the output and running the service beside the mix.
#include "dsound8/output_device.h"

#include <AL/alext.h>
#include <time.h>

#include <algorithm>
#include <cmath>

#include "base/platform_log.h"

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
    std::unique_ptr<OutputDevice> out(new OutputDevice);
    if (!manual) {
        // A real output, when there is one that takes a context.
        const ALCint attrs[] = {ALC_FREQUENCY, kNolOutputRate, ALC_MAX_AUXILIARY_SENDS,
                                kWantedSends, ALC_MONO_SOURCES, kWantedSources, 0};
        out->device_ = alcOpenDevice(nullptr);
        if (out->device_) out->context_ = alcCreateContext(out->device_, attrs);
        if (out->device_ && !out->context_) {
            alcCloseDevice(out->device_);
            out->device_ = nullptr;
        }
    }
    out->kind_ = Kind::Speakers;
    if (!out->device_) {
        out->kind_ = manual ? Kind::Manual : Kind::Silent;
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
        if (!manual) NolLog("DirectSound: no sound output found; playing silently\n");
    }
    alcMakeContextCurrent(out->context_);
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
    // A silent device consumes the mix at real-time pace: each wake renders what
    // the clock says is due, into a scratch buffer nobody hears. After a stall
    // longer than a few wakes the lost time is dropped rather than rendered in one
    // burst, which would run ahead of anything that feeds a stream in real time.
    std::vector<int16_t> scratch;
    const uint64_t start = NowMicroseconds();
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
        if (kind_ == Kind::Speakers) {
            RunService();
            continue;
        }
        uint64_t due = (NowMicroseconds() - start) * kNolOutputRate / 1000000u;
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

}  // namespace nol::dsound8
