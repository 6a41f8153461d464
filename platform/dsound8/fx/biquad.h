// A second-order section run per channel over interleaved float samples, and the
// shapes the effects need (peaking, low-pass and band-pass, after Robert
// Bristow-Johnson's cookbook). Coefficients and state in double, so a long
// steady tone does not drift.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace nol::dsound8::fx {

struct BiquadCoefficients {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;  // normalised: a0 = 1
};

// Boosts or cuts `gainDb` around `hz`, `octaves` wide between the half-gain points.
BiquadCoefficients PeakingEq(double rate, double hz, double octaves, double gainDb);
// Second-order Butterworth low-pass.
BiquadCoefficients LowPass(double rate, double hz);
// Band-pass with 0 dB at `hz`, `widthHz` wide.
BiquadCoefficients BandPass(double rate, double hz, double widthHz);
// The highest centre a section is designed for at this rate: just under Nyquist.
double HighestCentre(double rate);

class Biquad {
public:
    explicit Biquad(int channels) : state_(size_t(channels) * 4, 0.0), channels_(channels) {}
    void Set(const BiquadCoefficients& c) { c_ = c; }
    void Reset() { std::fill(state_.begin(), state_.end(), 0.0); }
    // One sample of channel `ch`.
    double Step(int ch, double x) {
        double* s = &state_[size_t(ch) * 4];  // x1, x2, y1, y2
        double y = c_.b0 * x + c_.b1 * s[0] + c_.b2 * s[1] - c_.a1 * s[2] - c_.a2 * s[3];
        s[1] = s[0];
        s[0] = x;
        s[3] = s[2];
        s[2] = y;
        return y;
    }
    void Process(float* samples, uint32_t frames) {
        for (uint32_t i = 0; i < frames; ++i)
            for (int c = 0; c < channels_; ++c, ++samples) *samples = float(Step(c, *samples));
    }

private:
    BiquadCoefficients c_;
    std::vector<double> state_;
    int channels_;
};

}  // namespace nol::dsound8::fx
