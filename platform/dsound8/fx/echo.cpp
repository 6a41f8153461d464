#include <algorithm>
#include <cmath>

#include "dsound8/fx/processors.h"

namespace nol::dsound8::fx {

void Echo::Set(const DSFXEcho& p) {
    wet_ = p.fWetDryMix / 100.0f;
    feedback_ = p.fFeedback / 100.0f;
    swap_ = p.lPanDelay != 0 && channels_ == 2;
    const float delays[2] = {p.fLeftDelay, p.fRightDelay};
    for (int c = 0; c < channels_; ++c) {
        size_t frames = std::max<size_t>(1, size_t(std::lround(double(delays[c]) * rate_ / 1000.0)));
        // A new length starts the line afresh; an unchanged one keeps its echoes.
        if (lines_[c].samples.size() != frames) lines_[c] = Line{std::vector<float>(frames, 0.0f), 0};
    }
}

void Echo::Reset() {
    for (Line& line : lines_) {
        std::fill(line.samples.begin(), line.samples.end(), 0.0f);
        line.at = 0;
    }
}

void Echo::Process(float* samples, uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i, samples += channels_) {
        float delayed[2] = {0, 0};
        for (int c = 0; c < channels_; ++c) delayed[c] = lines_[c].samples[lines_[c].at];
        for (int c = 0; c < channels_; ++c) {
            Line& line = lines_[c];
            const float back = delayed[swap_ ? 1 - c : c];
            line.samples[line.at] = samples[c] + feedback_ * back;
            if (++line.at == line.samples.size()) line.at = 0;
            samples[c] = (1.0f - wet_) * samples[c] + wet_ * delayed[c];
        }
    }
}

}  // namespace nol::dsound8::fx
