#include <algorithm>
#include <cmath>

#include "dsound8/fx/processors.h"

namespace nol::dsound8::fx {
namespace {

// The one-pole coefficient that covers 1 - 1/e of a step in `ms`.
double TimeConstant(double ms, uint32_t rate) { return std::exp(-1000.0 / (ms * rate)); }

}  // namespace

void Compressor::Set(const DSFXCompressor& p) {
    attack_ = TimeConstant(p.fAttack, rate_);
    release_ = TimeConstant(p.fRelease, rate_);
    threshold_ = std::pow(10.0, p.fThreshold / 20.0);
    slope_ = 1.0 / p.fRatio - 1.0;
    makeup_ = std::pow(10.0, p.fGain / 20.0);
    size_t delay = size_t(std::lround(double(p.fPredelay) * rate_ / 1000.0)) + 1;
    if (detector_.size() != delay) {
        detector_.assign(delay, 0.0f);
        at_ = 0;
    }
}

void Compressor::Reset() {
    envelope_ = 0;
    std::fill(detector_.begin(), detector_.end(), 0.0f);
    at_ = 0;
}

void Compressor::Process(float* samples, uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i, samples += channels_) {
        // Both sides share one envelope, so the stereo image stays put.
        float level = 0;
        for (int c = 0; c < channels_; ++c) level = std::max(level, std::fabs(samples[c]));
        detector_[at_] = level;
        if (++at_ == detector_.size()) at_ = 0;
        const double heard = detector_[at_];  // the oldest: `predelay` ago
        const double k = heard > envelope_ ? attack_ : release_;
        envelope_ = k * envelope_ + (1.0 - k) * heard;
        double gain = makeup_;
        if (envelope_ > threshold_) gain *= std::pow(envelope_ / threshold_, slope_);
        for (int c = 0; c < channels_; ++c) samples[c] = float(samples[c] * gain);
    }
}

}  // namespace nol::dsound8::fx
