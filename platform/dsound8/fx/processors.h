// The standard effects this layer runs on a buffer's samples itself, as they are
// queued: each takes interleaved float frames of the buffer's own rate and
// channels, works in place and carries its state from one chunk to the next.
// Set takes parameters already checked against their ranges.
#pragma once

#include <cstdint>
#include <vector>

#include "dsound8/dsound.h"
#include "dsound8/fx/biquad.h"

namespace nol::dsound8::fx {

// Amplitude modulation: the sound times a triangle or square between 0 and 1.
class Gargle {
public:
    Gargle(uint32_t rate, int channels) : rate_(rate), channels_(channels) {}
    void Set(const DSFXGargle& p);
    void Reset() { phase_ = 0; }
    void Process(float* samples, uint32_t frames);

private:
    uint32_t rate_;
    int channels_;
    uint32_t period_ = 2;
    bool square_ = false;
    uint32_t phase_ = 0;  // frames into the current period
};

// A delay per side with feedback, mixed with the dry sound; with pan delay each
// repeat crosses to the other side.
class Echo {
public:
    Echo(uint32_t rate, int channels) : rate_(rate), channels_(channels) {}
    void Set(const DSFXEcho& p);
    void Reset();
    void Process(float* samples, uint32_t frames);

private:
    struct Line {
        std::vector<float> samples;
        size_t at = 0;
    };
    uint32_t rate_;
    int channels_;
    float wet_ = 0.5f, feedback_ = 0.5f;
    bool swap_ = false;
    Line lines_[2];
};

// Gain reduction above a threshold by a ratio, following a peak envelope with
// attack and release; the envelope hears the sound `predelay` late.
class Compressor {
public:
    Compressor(uint32_t rate, int channels) : rate_(rate), channels_(channels) {}
    void Set(const DSFXCompressor& p);
    void Reset();
    void Process(float* samples, uint32_t frames);

private:
    uint32_t rate_;
    int channels_;
    double attack_ = 0, release_ = 0, threshold_ = 0, slope_ = 0, makeup_ = 1;
    double envelope_ = 0;
    std::vector<float> detector_;  // the predelay line of input levels
    size_t at_ = 0;
};

// One peaking band.
class ParamEq {
public:
    ParamEq(uint32_t rate, int channels) : rate_(rate), filter_(channels) {}
    void Set(const DSFXParamEq& p);
    void Reset() { filter_.Reset(); }
    void Process(float* samples, uint32_t frames) { filter_.Process(samples, frames); }

private:
    uint32_t rate_;
    Biquad filter_;
};

// Low-pass, a soft-clipping curve whose knee is the edge, a band-pass around the
// added harmonics, then the gain.
class Distortion {
public:
    Distortion(uint32_t rate, int channels) : rate_(rate), channels_(channels), pre_(channels), post_(channels) {}
    void Set(const DSFXDistortion& p);
    void Reset();
    void Process(float* samples, uint32_t frames);

private:
    uint32_t rate_;
    int channels_;
    Biquad pre_, post_;
    double drive_ = 0, gain_ = 1;
};

// Chorus and flanger: a delay swept by a low-frequency oscillator (the right side
// ahead by the phase), fed back and mixed with the dry sound.
struct SweptDelaySettings {
    float wetDryMix, depth, feedback, frequency;
    LONG waveform;  // 0 triangle, 1 sine
    float delay;
    LONG phase;  // 0..4: -180, -90, 0, 90, 180 degrees
};

class SweptDelay {
public:
    SweptDelay(uint32_t rate, int channels);
    void Set(const SweptDelaySettings& p);
    void Reset();
    void Process(float* samples, uint32_t frames);

private:
    double Lfo(double phase) const;
    uint32_t rate_;
    int channels_;
    SweptDelaySettings p_{};
    std::vector<float> lines_[2];
    size_t at_ = 0;
    uint64_t frame_ = 0;  // oscillator time
};

class Chorus : public SweptDelay {
public:
    using SweptDelay::SweptDelay;
    void Set(const DSFXChorus& p);
};

class Flanger : public SweptDelay {
public:
    using SweptDelay::SweptDelay;
    void Set(const DSFXFlanger& p);
};

}  // namespace nol::dsound8::fx
