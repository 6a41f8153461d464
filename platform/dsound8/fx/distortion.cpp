#include <algorithm>
#include <cmath>

#include "dsound8/fx/processors.h"

namespace nol::dsound8::fx {

void Distortion::Set(const DSFXDistortion& p) {
    pre_.Set(LowPass(rate_, p.fPreLowpassCutoff));
    post_.Set(BandPass(rate_, p.fPostEQCenterFrequency, p.fPostEQBandwidth));
    // The edge sets how soon the curve bends: 0 % leaves it straight, 100 % is
    // close to a hard clip.
    const double edge = std::min(std::sin(p.fEdge / 100.0 * M_PI / 2.0), 0.99);
    drive_ = 2.0 * edge / (1.0 - edge);
    gain_ = std::pow(10.0, p.fGain / 20.0);
}

void Distortion::Reset() {
    pre_.Reset();
    post_.Reset();
}

void Distortion::Process(float* samples, uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels_; ++c, ++samples) {
            double x = pre_.Step(c, *samples);
            x = (1.0 + drive_) * x / (1.0 + drive_ * std::fabs(x));
            *samples = float(gain_ * post_.Step(c, x));
        }
    }
}

}  // namespace nol::dsound8::fx
