// Keyframe animation text: the reader against the C library's fscanf reading the
// same bytes from a stream. Item by item, the scanner must take the characters
// fscanf takes and give the values it stores; the whole file must come out as
// fscanf reads it, with the reader's limits on counts, names and damaged records
// on top. Nothing may be allocated beyond what the input's bytes can hold.
#include <stdio.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "scene/animation_file.h"
#include "scene/text_scanner.h"

namespace {

// The input as a stream, NUL bytes and all, as fscanf reads a file.
struct Stream {
    FILE* file;
    Stream(const uint8_t* bytes, size_t size)
        : file(fmemopen(const_cast<uint8_t*>(bytes), size, "r")) {
        FuzzCheck(file != nullptr, "the input opens as a stream");
    }
    ~Stream() { fclose(file); }
    size_t Offset() const { return size_t(ftell(file)); }
};

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameKey(const AnimationKey& a, const AnimationKey& b) {
    return SameBits(a.position.x, b.position.x) && SameBits(a.position.y, b.position.y) &&
           SameBits(a.position.z, b.position.z) && SameBits(a.rotation.x, b.rotation.x) &&
           SameBits(a.rotation.y, b.rotation.y) && SameBits(a.rotation.z, b.rotation.z) &&
           SameBits(a.rotation.w, b.rotation.w);
}

// "%f" after "%f" until one fails: each takes the same characters and value.
void CompareFloats(const uint8_t* bytes, size_t size) {
    Stream stream(bytes, size);
    TextScanner scanner(reinterpret_cast<const char*>(bytes), size);
    for (int i = 0; i < 64; ++i) {
        float expected = 0, got = 0;
        const int r = fscanf(stream.file, "%f", &expected);
        const TextScanner::Result result = scanner.ReadFloat(&got);
        if (r == EOF) {
            FuzzCheck(result == TextScanner::Result::End, "%f: the end of the text where fscanf meets it");
            return;
        }
        if (r == 0) {
            FuzzCheck(result == TextScanner::Result::Mismatch, "%f: a mismatch where fscanf has one");
            return;
        }
        FuzzCheck(result == TextScanner::Result::Ok, "%f: a number where fscanf reads one");
        FuzzCheck(SameBits(expected, got), "%f: the value fscanf stores");
        FuzzCheck(scanner.Offset() == stream.Offset(), "%f: the characters fscanf takes");
    }
}

// "%d" after "%d" likewise (compared as 64-bit, below where the scanner saturates).
void CompareIntegers(const uint8_t* bytes, size_t size) {
    Stream stream(bytes, size);
    TextScanner scanner(reinterpret_cast<const char*>(bytes), size);
    for (int i = 0; i < 16; ++i) {
        long long expected = 0;
        int64_t got = 0;
        const int r = fscanf(stream.file, "%lld", &expected);
        const TextScanner::Result result = scanner.ReadInteger(&got);
        if (r != 1) {
            FuzzCheck(result == (r == EOF ? TextScanner::Result::End : TextScanner::Result::Mismatch),
                      "%d: fails where fscanf fails");
            return;
        }
        FuzzCheck(result == TextScanner::Result::Ok, "%d: a number where fscanf reads one");
        if (expected > -(1LL << 62) && expected < (1LL << 62)) FuzzCheck(got == expected, "%d: fscanf's value");
        FuzzCheck(scanner.Offset() == stream.Offset(), "%d: the characters fscanf takes");
    }
}

// A count as the reader takes it: -1 where it refuses it.
long long Count(FILE* file) {
    long long n = 0;
    if (fscanf(file, "%lld", &n) != 1 || n < 0 || n > INT_MAX) return -1;
    return n;
}

// The whole text through fscanf, with the reader's rules for what it refuses.
AnimationText ReadWithFscanf(const uint8_t* bytes, size_t size) {
    AnimationText out;
    Stream stream(bytes, size);
    FILE* f = stream.file;
    const long long parts = Count(f);
    if (parts < 0 || uint64_t(parts) > (size - stream.Offset() + 1) / 2) return out;
    out.partCount = int(parts);
    out.partNames.resize(size_t(parts));
    for (long long i = 0; i < parts; ++i) {
        fscanf(f, " ");
        const size_t start = stream.Offset();
        fscanf(f, "%*s");
        const size_t end = stream.Offset();
        if (end == start) return out;
        if (end - start <= kMaxNameLength)
            out.partNames[size_t(i)].assign(reinterpret_cast<const char*>(bytes) + start, end - start);
    }
    const long long keys = Count(f);
    if (keys < 0 || uint64_t(keys) * uint64_t(parts) > (size - stream.Offset()) / kMinRecordBytes) return out;
    out.keyCount = int(keys);
    out.keys.resize(size_t(keys * parts));
    for (size_t r = 0; r < out.keys.size(); ++r) {
        AnimationKey& k = out.keys[r];
        if (fscanf(f, "%f,%f,%f %f,%f,%f,%f", &k.position.x, &k.position.y, &k.position.z, &k.rotation.x,
                   &k.rotation.y, &k.rotation.z, &k.rotation.w) == 7)
            continue;
        for (; r < out.keys.size(); ++r)
            out.keys[r] = r >= size_t(parts) ? out.keys[r - size_t(parts)]
                                             : AnimationKey{D3DXVECTOR3(0, 0, 0), D3DXQUATERNION(0, 0, 0, 1)};
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const AnimationText text = ReadAnimationText(std::string_view(reinterpret_cast<const char*>(bytes), size));

    // Bounded by the input.
    FuzzCheck(text.partCount >= 0 && text.keyCount >= 0, "counts are not negative");
    FuzzCheck(text.partNames.size() == size_t(text.partCount), "a name for every part");
    FuzzCheck(text.keys.size() == size_t(text.partCount) * size_t(text.keyCount), "a record per part per key");
    FuzzCheck(text.keys.size() * kMinRecordBytes <= size, "no more records than the input can hold");
    FuzzCheck(size_t(text.partCount) <= size / 2 + 1, "no more parts than the input can name");
    FuzzCheck(text.problems.size() <= size_t(text.partCount) + 3, "problems are few");
    size_t nameBytes = 0;
    for (const std::string& name : text.partNames) {
        FuzzCheck(name.size() <= kMaxNameLength, "names fit their buffer");
        nameBytes += name.size();
    }
    FuzzCheck(nameBytes <= size, "names come from the input");
    for (const AnimationProblem& problem : text.problems)
        FuzzCheck(!DescribeAnimationProblem(problem).empty(), "every problem can be told");

    if (size == 0) {
        FuzzCheck(text.problems.size() == 1 && text.problems[0].fault == AnimationFault::BadPartCount,
                  "an empty file has no part count");
        return 0;
    }
    CompareFloats(bytes, size);
    CompareIntegers(bytes, size);

    const AnimationText expected = ReadWithFscanf(bytes, size);
    FuzzCheck(text.partCount == expected.partCount, "the part count fscanf reads");
    FuzzCheck(text.partNames == expected.partNames, "the names fscanf reads");
    FuzzCheck(text.keyCount == expected.keyCount, "the key count fscanf reads");
    FuzzCheck(text.keys.size() == expected.keys.size(), "as many records as fscanf's reading");
    for (size_t r = 0; r < text.keys.size(); ++r)
        FuzzCheck(SameKey(text.keys[r], expected.keys[r]), "each record as fscanf reads it");
    return 0;
}
