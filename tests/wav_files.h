// RIFF and WAV files written by the tests themselves, chunk by chunk, so that
// malformed ones are as easy to make as good ones.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wavs {

inline void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutId(std::vector<uint8_t>& b, const char* id) { b.insert(b.end(), id, id + 4); }

// One chunk: id, size (the real length unless declared otherwise), data, and the
// pad byte of an odd length.
inline std::vector<uint8_t> Chunk(const char* id, const std::vector<uint8_t>& data,
                                  int64_t declaredSize = -1) {
    std::vector<uint8_t> b;
    PutId(b, id);
    Put32(b, declaredSize < 0 ? uint32_t(data.size()) : uint32_t(declaredSize));
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
    return b;
}

// A RIFF form of the given type holding the chunks, with its true size unless
// declared otherwise.
inline std::vector<uint8_t> Riff(const char* type, const std::vector<std::vector<uint8_t>>& chunks,
                                 int64_t declaredSize = -1) {
    std::vector<uint8_t> body;
    PutId(body, type);
    for (const auto& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return Chunk("RIFF", body, declaredSize);
}

struct Format {
    uint16_t tag = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    // Zero: derived from channels and bits, as a correct file has it.
    uint16_t blockAlign = 0;
};

// The ordinary 16-byte format chunk's contents.
inline std::vector<uint8_t> FormatBytes(const Format& f) {
    uint16_t align = f.blockAlign ? f.blockAlign : uint16_t(f.channels * f.bits / 8);
    std::vector<uint8_t> b;
    Put16(b, f.tag);
    Put16(b, f.channels);
    Put32(b, f.rate);
    Put32(b, f.rate * align);
    Put16(b, align);
    Put16(b, f.bits);
    return b;
}

inline std::vector<uint8_t> Samples16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> b;
    for (int16_t s : samples) Put16(b, uint16_t(s));
    return b;
}

// A whole WAV file: format chunk first, then the samples.
inline std::vector<uint8_t> Wav(const Format& f, const std::vector<uint8_t>& data) {
    return Riff("WAVE", {Chunk("fmt ", FormatBytes(f)), Chunk("data", data)});
}

// count samples of a sine at hz for the given rate, peak amplitude amp.
inline std::vector<int16_t> Sine(double hz, int rate, int count, double amp = 12000.0) {
    std::vector<int16_t> s(count);
    for (int i = 0; i < count; ++i) s[i] = int16_t(std::lround(amp * std::sin(2 * M_PI * hz * i / rate)));
    return s;
}

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace wavs
