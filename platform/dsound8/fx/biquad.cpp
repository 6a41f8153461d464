#include "dsound8/fx/biquad.h"

#include <algorithm>
#include <cmath>

namespace nol::dsound8::fx {
namespace {

BiquadCoefficients Normalise(double b0, double b1, double b2, double a0, double a1, double a2) {
    return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

double Omega(double rate, double hz) { return 2.0 * M_PI * std::min(hz, HighestCentre(rate)) / rate; }

}  // namespace

double HighestCentre(double rate) { return 0.45 * rate; }

BiquadCoefficients PeakingEq(double rate, double hz, double octaves, double gainDb) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const double w = Omega(rate, hz);
    const double alpha = std::sin(w) * std::sinh(std::log(2.0) / 2.0 * octaves * w / std::sin(w));
    const double cosw = std::cos(w);
    return Normalise(1 + alpha * a, -2 * cosw, 1 - alpha * a, 1 + alpha / a, -2 * cosw,
                     1 - alpha / a);
}

BiquadCoefficients LowPass(double rate, double hz) {
    const double w = Omega(rate, hz);
    const double alpha = std::sin(w) / (2.0 * M_SQRT1_2);
    const double cosw = std::cos(w);
    return Normalise((1 - cosw) / 2, 1 - cosw, (1 - cosw) / 2, 1 + alpha, -2 * cosw, 1 - alpha);
}

BiquadCoefficients BandPass(double rate, double hz, double widthHz) {
    const double w = Omega(rate, hz);
    const double q = std::min(hz, HighestCentre(rate)) / widthHz;
    const double alpha = std::sin(w) / (2.0 * q);
    const double cosw = std::cos(w);
    return Normalise(alpha, 0, -alpha, 1 + alpha, -2 * cosw, 1 - alpha);
}

}  // namespace nol::dsound8::fx
