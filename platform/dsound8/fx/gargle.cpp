#include <algorithm>

#include "dsound8/fx/processors.h"

namespace nol::dsound8::fx {

void Gargle::Set(const DSFXGargle& p) {
    // A whole number of frames per period, so the sweep repeats exactly.
    period_ = std::max<uint32_t>(2, rate_ / p.dwRateHz);
    square_ = p.dwWaveShape == DSFXGARGLE_WAVE_SQUARE;
    phase_ %= period_;
}

void Gargle::Process(float* samples, uint32_t frames) {
    const double half = period_ / 2.0;
    for (uint32_t i = 0; i < frames; ++i) {
        double level;
        if (square_)
            level = phase_ < half ? 1.0 : 0.0;
        else
            level = phase_ < half ? phase_ / half : (period_ - phase_) / half;
        for (int c = 0; c < channels_; ++c, ++samples) *samples = float(*samples * level);
        if (++phase_ == period_) phase_ = 0;
    }
}

}  // namespace nol::dsound8::fx
