#include <algorithm>
#include <cmath>

#include "dsound8/fx/processors.h"

namespace nol::dsound8::fx {
namespace {

// The longest sweep: twice the chorus's longest delay.
constexpr double kLongestMs = 2.0 * DSFXCHORUS_DELAY_MAX;

template <typename Params>
SweptDelaySettings Settings(const Params& p) {
    return {p.fWetDryMix, p.fDepth, p.fFeedback, p.fFrequency, p.lWaveform, p.fDelay, p.lPhase};
}

}  // namespace

SweptDelay::SweptDelay(uint32_t rate, int channels) : rate_(rate), channels_(channels) {
    const size_t frames = size_t(std::ceil(kLongestMs * rate / 1000.0)) + 3;
    for (int c = 0; c < channels; ++c) lines_[c].assign(frames, 0.0f);
}

void SweptDelay::Set(const SweptDelaySettings& p) { p_ = p; }
void Chorus::Set(const DSFXChorus& p) { SweptDelay::Set(Settings(p)); }
void Flanger::Set(const DSFXFlanger& p) { SweptDelay::Set(Settings(p)); }

void SweptDelay::Reset() {
    for (auto& line : lines_) std::fill(line.begin(), line.end(), 0.0f);
    at_ = 0;
    frame_ = 0;
}

// Between -1 and 1, rising through 0 at phase 0 as a sine does.
double SweptDelay::Lfo(double phase) const {
    if (p_.waveform == DSFXCHORUS_WAVE_SIN) return std::sin(2.0 * M_PI * phase);
    double p = phase + 0.25;
    p -= std::floor(p);
    return 1.0 - 4.0 * std::fabs(p - 0.5);
}

void SweptDelay::Process(float* samples, uint32_t frames) {
    const size_t size = lines_[0].size();
    const double centre = p_.delay * rate_ / 1000.0;  // frames
    const double depth = p_.depth / 100.0;
    const double wet = p_.wetDryMix / 100.0;
    const double feedback = p_.feedback / 100.0;
    const double offset[2] = {0.0, (p_.phase - DSFXCHORUS_PHASE_ZERO) / 4.0};
    for (uint32_t i = 0; i < frames; ++i, samples += channels_, ++frame_) {
        const double cycles = double(frame_) * p_.frequency / rate_;
        for (int c = 0; c < channels_; ++c) {
            std::vector<float>& line = lines_[c];
            // At least one frame back: the newest sample is not written yet.
            double delay = centre * (1.0 + depth * Lfo(cycles + offset[c]));
            delay = std::clamp(delay, 1.0, double(size - 2));
            const size_t whole = size_t(delay);
            const double part = delay - double(whole);
            const float a = line[(at_ + size - whole) % size];
            const float b = line[(at_ + size - whole - 1) % size];
            const double tap = (1.0 - part) * a + part * b;
            const double x = samples[c];
            line[at_] = float(x + feedback * tap);
            samples[c] = float((1.0 - wet) * x + wet * tap);
        }
        if (++at_ == size) at_ = 0;
    }
}

}  // namespace nol::dsound8::fx
