// Rendering the real device's mix in tests (the loopback output that only advances
// when rendered), and comparing what came out with what went in.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "dsound8/dsound_test_hooks.h"
#include "shell/window.h"
#include "sound/sound_device.h"
#include "win32/windows.h"

namespace sound_render {

constexpr int kRate = 44100;

// Interleaved left, right.
struct Mix {
    std::vector<int16_t> samples;
    int Frames() const { return int(samples.size() / 2); }
    std::vector<double> Channel(int c, int from = 0, int to = -1) const {
        if (to < 0 || to > Frames()) to = Frames();
        std::vector<double> out;
        for (int i = from; i < to; ++i) out.push_back(samples[2 * i + c]);
        return out;
    }
};

inline Mix Render(int frames) {
    Mix m;
    m.samples.assign(size_t(frames) * 2, 0);
    EXPECT_TRUE(NolDirectSoundRender(nullptr, m.samples.data(), uint32_t(frames)));
    return m;
}
inline Mix RenderMs(int ms) { return Render(kRate * ms / 1000); }

inline double Rms(const std::vector<double>& v) {
    double s = 0;
    for (double x : v) s += x * x;
    return v.empty() ? 0 : std::sqrt(s / v.size());
}

// Share of the signal's energy at one frequency (Goertzel), 0..1.
inline double ToneShare(const std::vector<double>& v, double hz) {
    if (v.empty()) return 0;
    double w = 2 * M_PI * hz / kRate, c = 2 * std::cos(w), s1 = 0, s2 = 0;
    for (double x : v) {
        double s0 = x + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    double energy = 0;
    for (double x : v) energy += x * x;
    return energy > 0 ? 2 * power / (energy * v.size()) : 0;
}

// How far b is from a, relative to a's energy: 0 identical, about 1 unrelated.
inline double Difference(const std::vector<double>& a, const std::vector<double>& b) {
    double diff = 0, energy = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        diff += (a[i] - b[i]) * (a[i] - b[i]);
        energy += a[i] * a[i];
    }
    return energy > 0 ? diff / energy : 0;
}

// The gain k that best maps reference onto output (least squares), and how much
// of the output that leaves unexplained (0..1).
struct Fit {
    double gain = 0;
    double residual = 1;
};
inline Fit FitGain(const std::vector<double>& reference, const std::vector<double>& output) {
    double ro = 0, rr = 0, oo = 0;
    for (size_t i = 0; i < reference.size() && i < output.size(); ++i) {
        ro += reference[i] * output[i];
        rr += reference[i] * reference[i];
        oo += output[i] * output[i];
    }
    Fit f;
    if (rr == 0 || oo == 0) return f;
    f.gain = ro / rr;
    f.residual = 1 - (ro * ro) / (rr * oo);
    return f;
}

// The command line as the program would see it.
struct Args {
    std::vector<std::string> args;
    std::vector<char*> argv;
    explicit Args(std::vector<std::string> switches) {
        args.push_back("nolrace");
        for (auto& s : switches) args.push_back(s);
        for (auto& a : args) argv.push_back(a.data());
        SetCommandLineArgs(int(argv.size()), argv.data());
    }
    ~Args() { SetCommandLineArgs(0, nullptr); }
};

}  // namespace sound_render
