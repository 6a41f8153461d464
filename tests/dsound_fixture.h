// A DirectSound object on a manual loopback device, and helpers to make buffers
// from samples and to render and measure the mix.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dsound8/dsound.h"
#include "dsound8/dsound_test_hooks.h"
#include "win32/log_sink.h"

// Interleaved left/right frames of the mix.
struct Mix {
    std::vector<int16_t> samples;
    size_t frames() const { return samples.size() / 2; }
    int16_t L(size_t i) const { return samples[2 * i]; }
    int16_t R(size_t i) const { return samples[2 * i + 1]; }
    double Rms(int channel, size_t from, size_t to) const {
        double sum = 0;
        for (size_t i = from; i < to; ++i) sum += double(samples[2 * i + channel]) * samples[2 * i + channel];
        return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
    }
    int Peak(size_t from, size_t to) const {
        int peak = 0;
        for (size_t i = 2 * from; i < 2 * to; ++i) peak = std::max(peak, std::abs(int(samples[i])));
        return peak;
    }
};

inline std::vector<std::string>& CapturedLog() {
    static std::vector<std::string> lines;
    return lines;
}
inline void CaptureLog(const char* line) { CapturedLog().push_back(line); }
inline bool LogHas(const std::string& text) {
    for (const auto& line : CapturedLog())
        if (line.find(text) != std::string::npos) return true;
    return false;
}

inline WAVEFORMATEX PcmFormat(int channels, int rate, int bits) {
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = WORD(channels);
    f.nSamplesPerSec = DWORD(rate);
    f.wBitsPerSample = WORD(bits);
    f.nBlockAlign = WORD(channels * bits / 8);
    f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
    return f;
}

class DirectSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        CapturedLog().clear();
        NolSetLogSink(CaptureLog);
        NolDirectSoundUseManualOutput(true);
        ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
        ASSERT_EQ(ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    }
    void TearDown() override {
        for (auto* b : buffers) b->Release();
        if (ds) ds->Release();
        NolDirectSoundUseManualOutput(false);
        NolSetLogSink(nullptr);
    }

    // A buffer holding `bytes` in `format`, with `flags` besides volume control.
    IDirectSoundBuffer* MakeBuffer(const WAVEFORMATEX& format, const void* bytes, DWORD size,
                                   DWORD flags = 0) {
        DSBUFFERDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DSBCAPS_CTRLVOLUME | flags;
        desc.dwBufferBytes = size;
        WAVEFORMATEX f = format;
        desc.lpwfxFormat = &f;
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
        if (!buffer) return nullptr;
        if (bytes) Write(buffer, 0, bytes, size);
        buffers.push_back(buffer);
        return buffer;
    }
    IDirectSoundBuffer* MakeBuffer16(const WAVEFORMATEX& format, const std::vector<int16_t>& s,
                                     DWORD flags = 0) {
        return MakeBuffer(format, s.data(), DWORD(s.size() * 2), flags);
    }

    static void Write(IDirectSoundBuffer* buffer, DWORD offset, const void* bytes, DWORD size) {
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        ASSERT_EQ(buffer->Lock(offset, size, &p1, &n1, &p2, &n2, 0), DS_OK);
        std::memcpy(p1, bytes, n1);
        if (p2) std::memcpy(p2, static_cast<const uint8_t*>(bytes) + n1, n2);
        ASSERT_EQ(buffer->Unlock(p1, n1, p2, n2), DS_OK);
    }

    Mix Render(size_t frames) {
        Mix mix;
        mix.samples.assign(frames * 2, 0);
        EXPECT_TRUE(NolDirectSoundRender(ds, mix.samples.data(), uint32_t(frames)));
        return mix;
    }

    static bool Playing(IDirectSoundBuffer* buffer) {
        DWORD status = 0;
        buffer->GetStatus(&status);
        return (status & DSBSTATUS_PLAYING) != 0;
    }

    IDirectSound8* ds = nullptr;
    std::vector<IDirectSoundBuffer*> buffers;
};

// A sine of `frames` frames, one channel.
inline std::vector<int16_t> Sine(size_t frames, double hz, int rate, double amplitude) {
    std::vector<int16_t> s(frames);
    for (size_t i = 0; i < frames; ++i)
        s[i] = int16_t(std::lround(amplitude * std::sin(2 * M_PI * hz * double(i) / rate)));
    return s;
}

// Reproducible noise-like samples, so that any shift or repeat shows.
inline std::vector<int16_t> Pattern(size_t count, uint32_t seed = 1) {
    std::vector<int16_t> s(count);
    uint32_t x = seed;
    for (auto& v : s) {
        x = x * 1664525u + 1013904223u;
        v = int16_t(int32_t(x >> 16) - 32768) / 2;
    }
    return s;
}
