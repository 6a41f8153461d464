// demo_bell.wav and demo_engine.wav: the demo's sound effects, 16-bit mono PCM at
// 22050 Hz. The bell rings out once; the engine hum is a whole number of periods
// of every partial long, so that it loops without a click.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "datagen/generators.h"

namespace datagen {
namespace {

constexpr int kRate = 22050;
constexpr double kTwoPi = 6.283185307179586;

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutId(std::vector<uint8_t>& b, const char* id) { b.insert(b.end(), id, id + 4); }

bool SaveWav(const std::string& path, const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::vector<uint8_t> b;
    PutId(b, "RIFF");
    Put32(b, 4 + 8 + 16 + 8 + dataBytes);
    PutId(b, "WAVE");
    PutId(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);             // PCM
    Put16(b, 1);             // mono
    Put32(b, kRate);
    Put32(b, kRate * 2);     // bytes a second
    Put16(b, 2);             // block alignment
    Put16(b, 16);            // bits
    PutId(b, "data");
    Put32(b, dataBytes);
    for (int16_t s : samples) Put16(b, uint16_t(s));
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "nol_datagen: cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && written;
}

int16_t Sample(double v) { return int16_t(std::lround(std::fmax(-1.0, std::fmin(1.0, v)) * 32767.0)); }

}  // namespace

bool WriteBellSound(const std::string& dir) {
    // A struck bell: a few inharmonic partials, the high ones dying first.
    struct Partial {
        double ratio, level, decay;  // decay: per second
    };
    const Partial partials[] = {{0.5, 0.25, 1.2}, {1.0, 0.45, 1.8}, {1.19, 0.2, 2.5}, {1.5, 0.15, 3.0},
                                {2.0, 0.12, 4.0}, {2.74, 0.08, 6.0}, {3.76, 0.05, 9.0}};
    const double base = 660.0;
    std::vector<int16_t> samples(kRate * 3 / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (const Partial& p : partials) v += p.level * std::exp(-p.decay * t) * std::sin(kTwoPi * base * p.ratio * t);
        const double attack = std::fmin(1.0, t * 400.0);  // no click at the strike
        samples[i] = Sample(0.8 * attack * v);
    }
    return SaveWav(dir + "/demo_bell.wav", samples);
}

bool WriteEngineSound(const std::string& dir) {
    // One second: 60 Hz and its harmonics, with a 10 Hz throb.
    std::vector<int16_t> samples(kRate);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) / kRate;
        double v = 0;
        for (int h = 1; h <= 8; ++h) v += std::sin(kTwoPi * 60.0 * h * t + h) / h;
        v *= 0.75 + 0.25 * std::sin(kTwoPi * 10.0 * t);
        samples[i] = Sample(0.3 * v);
    }
    return SaveWav(dir + "/demo_engine.wav", samples);
}

}  // namespace datagen
