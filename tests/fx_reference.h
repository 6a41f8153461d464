// The standard effects written out plainly from their definitions, sample by
// sample in double, for comparison with what the sound layer renders. Kept apart
// from the layer's own code on purpose: a shared mistake would not show.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace fx_reference {

using Signal = std::vector<double>;  // one channel, full scale 1.0

// Gargle: times a 0..1 triangle (or square) whose period is a whole number of
// frames, rate / hz, starting at 0.
inline Signal Gargle(const Signal& x, int rate, int hz, bool square) {
    Signal y(x.size());
    const int period = std::max(2, rate / hz);
    for (size_t n = 0; n < x.size(); ++n) {
        const double t = double(n % period) / period;  // 0..1 through the period
        const double m = square ? (t < 0.5 ? 1.0 : 0.0) : 1.0 - std::fabs(1.0 - 2.0 * t);
        y[n] = x[n] * m;
    }
    return y;
}

// Echo on one channel: the dry part, and the taps at D, 2D, 3D ... frames with
// each repeat `feedback` quieter.
inline Signal Echo(const Signal& x, int rate, double wetPercent, double feedbackPercent, double ms) {
    const size_t d = size_t(std::lround(ms * rate / 1000.0));
    const double wet = wetPercent / 100, fb = feedbackPercent / 100;
    Signal y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        double taps = 0, weight = 1;
        for (size_t k = 1; k * d <= n; ++k, weight *= fb) taps += weight * x[n - k * d];
        y[n] = (1 - wet) * x[n] + wet * taps;
    }
    return y;
}

// Echo on two channels with pan delay: each repeat crosses sides, so tap k of
// the left comes from the left input for odd k... summed along the alternating
// path of delays.
inline void EchoPanned(const Signal& l, const Signal& r, int rate, double wetPercent,
                       double feedbackPercent, double leftMs, double rightMs, Signal* outL,
                       Signal* outR) {
    const long dl = std::lround(leftMs * rate / 1000.0), dr = std::lround(rightMs * rate / 1000.0);
    const double wet = wetPercent / 100, fb = feedbackPercent / 100;
    const long size = long(l.size());
    // line_c[n] = in_c[n] + fb * line_other[n - D_other]; tap_c[n] = line_c[n - D_c].
    Signal lineL(l.size()), lineR(l.size());
    auto at = [](const Signal& s, long i) { return i >= 0 ? s[size_t(i)] : 0.0; };
    outL->assign(l.size(), 0);
    outR->assign(l.size(), 0);
    for (long n = 0; n < size; ++n) {
        lineL[size_t(n)] = l[size_t(n)] + fb * at(lineR, n - dr);
        lineR[size_t(n)] = r[size_t(n)] + fb * at(lineL, n - dl);
        (*outL)[size_t(n)] = (1 - wet) * l[size_t(n)] + wet * at(lineL, n - dl);
        (*outR)[size_t(n)] = (1 - wet) * r[size_t(n)] + wet * at(lineR, n - dr);
    }
}

struct CompressorSettings {
    double gainDb, attackMs, releaseMs, thresholdDb, ratio, predelayMs;
};

// Compressor: a peak follower (attack when rising, release when falling, one
// pole each with time constant t) hears |x| `predelay` late; above the threshold
// the level in dB is brought towards it by the ratio; then the gain.
inline Signal Compressor(const Signal& x, int rate, const CompressorSettings& s) {
    const long pre = std::lround(s.predelayMs * rate / 1000.0);
    const double a = std::exp(-1.0 / (s.attackMs / 1000.0 * rate));
    const double r = std::exp(-1.0 / (s.releaseMs / 1000.0 * rate));
    double env = 0;
    Signal y(x.size());
    for (size_t n = 0; n < x.size(); ++n) {
        const double level = long(n) >= pre ? std::fabs(x[n - size_t(pre)]) : 0.0;
        const double k = level > env ? a : r;
        env = k * env + (1 - k) * level;
        double db = s.gainDb;
        const double envDb = env > 0 ? 20 * std::log10(env) : -1000.0;
        if (envDb > s.thresholdDb) db += (s.thresholdDb + (envDb - s.thresholdDb) / s.ratio) - envDb;
        y[n] = x[n] * std::pow(10.0, db / 20);
    }
    return y;
}

// A second-order section, direct form I.
struct Section {
    double b0, b1, b2, a0, a1, a2;
    Signal Run(const Signal& x) const {
        Signal y(x.size());
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (size_t n = 0; n < x.size(); ++n) {
            y[n] = (b0 * x[n] + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
            x2 = x1, x1 = x[n], y2 = y1, y1 = y[n];
        }
        return y;
    }
};

// Cookbook peaking equaliser; bandwidth in octaves.
inline Section Peaking(int rate, double hz, double octaves, double gainDb) {
    const double A = std::pow(10.0, gainDb / 40), w = 2 * M_PI * hz / rate;
    const double alpha = std::sin(w) * std::sinh(std::log(2.0) / 2 * octaves * w / std::sin(w));
    return {1 + alpha * A, -2 * std::cos(w), 1 - alpha * A, 1 + alpha / A, -2 * std::cos(w), 1 - alpha / A};
}
inline Section LowPass(int rate, double hz) {
    const double w = 2 * M_PI * hz / rate, alpha = std::sin(w) / std::sqrt(2.0), c = std::cos(w);
    return {(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha};
}
inline Section BandPass(int rate, double hz, double width) {
    const double w = 2 * M_PI * hz / rate, alpha = std::sin(w) / (2 * hz / width), c = std::cos(w);
    return {alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha};
}

// Distortion: low-pass at the cutoff, the curve (1 + k) x / (1 + k |x|) with
// k = 2 e / (1 - e), e = sin(edge% of a right angle) (at most 0.99), a band-pass
// around the post-EQ centre, then the gain.
inline double DistortionCurve(double x, double edgePercent) {
    const double e = std::min(std::sin(edgePercent / 100 * M_PI / 2), 0.99), k = 2 * e / (1 - e);
    return (1 + k) * x / (1 + k * std::fabs(x));
}
inline Signal Distortion(const Signal& x, int rate, double gainDb, double edge, double centre,
                         double width, double cutoff) {
    Signal y = LowPass(rate, cutoff).Run(x);
    for (double& v : y) v = DistortionCurve(v, edge);
    y = BandPass(rate, centre, width).Run(y);
    for (double& v : y) v *= std::pow(10.0, gainDb / 20);
    return y;
}

struct SweepSettings {
    double wetPercent, depthPercent, feedbackPercent, hz;
    bool sine;
    double delayMs;
    double phaseDegrees;  // of the right side's oscillator ahead of the left's
};

// Chorus and flanger on one channel: a delay line read `d(n)` frames back,
// d = delay (1 + depth lfo(n)), at least one frame, linearly interpolated; the
// line takes the input plus feedback times what was read.
inline Signal Sweep(const Signal& x, int rate, const SweepSettings& s, double phaseDegrees = 0) {
    Signal line(x.size()), y(x.size());
    auto at = [&](long i) { return i >= 0 ? line[size_t(i)] : 0.0; };
    for (size_t n = 0; n < x.size(); ++n) {
        double cycle = double(n) * s.hz / rate + phaseDegrees / 360.0;
        cycle -= std::floor(cycle);
        const double lfo = s.sine ? std::sin(2 * M_PI * cycle)
                                  // a triangle through 0 at the start, rising
                                  : (cycle < 0.25   ? 4 * cycle
                                     : cycle < 0.75 ? 2 - 4 * cycle
                                                    : 4 * cycle - 4);
        double d = s.delayMs * rate / 1000.0 * (1 + s.depthPercent / 100 * lfo);
        d = std::max(d, 1.0);
        const long whole = long(std::floor(d));
        const double part = d - double(whole);
        const double tap = (1 - part) * at(long(n) - whole) + part * at(long(n) - whole - 1);
        line[n] = x[n] + s.feedbackPercent / 100 * tap;
        y[n] = (1 - s.wetPercent / 100) * x[n] + s.wetPercent / 100 * tap;
    }
    return y;
}

}  // namespace fx_reference
