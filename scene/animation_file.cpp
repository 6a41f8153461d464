// Reading a keyframe animation's text: counts, names and key records.
#include "scene/animation_file.h"

#include <climits>
#include <cstdio>

#include "scene/text_scanner.h"

namespace {

using Result = TextScanner::Result;

const AnimationKey kIdentityKey = {D3DXVECTOR3(0, 0, 0), D3DXQUATERNION(0, 0, 0, 1)};

// A "%d" count, or -1 (with the problem noted) when there is none that fits an int.
int64_t ReadCount(TextScanner& in, AnimationFault fault, std::vector<AnimationProblem>& problems) {
    int64_t value = 0;
    if (in.ReadInteger(&value) != Result::Ok) {
        problems.push_back({fault});
        return -1;
    }
    if (value < 0 || value > INT_MAX) {
        problems.push_back({fault, value});
        return -1;
    }
    return value;
}

// "%f,%f,%f %f,%f,%f,%f": x y z, then the quaternion x y z w.
bool ReadRecord(TextScanner& in, AnimationKey* key) {
    float v[7];
    for (int i = 0; i < 7; ++i) {
        if (in.ReadFloat(&v[i]) != Result::Ok) return false;
        if (i == 2) in.SkipSpace();
        else if (i != 6 && !in.ReadLiteral(',')) return false;
    }
    key->position = D3DXVECTOR3(v[0], v[1], v[2]);
    key->rotation = D3DXQUATERNION(v[3], v[4], v[5], v[6]);
    return true;
}

void ReadNames(TextScanner& in, AnimationText& out) {
    out.partNames.resize(size_t(out.partCount));
    for (int i = 0; i < out.partCount; ++i) {
        std::string_view name;
        if (in.ReadToken(&name) != Result::Ok) {
            out.problems.push_back({AnimationFault::MissingNames, 0, i});
            return;
        }
        if (name.size() > kMaxNameLength)
            out.problems.push_back({AnimationFault::NameTooLong, int64_t(name.size()), i});
        else
            out.partNames[size_t(i)] = name;
    }
}

// From the record at index `from` on, each record holds its part's pose at the
// key before.
void HoldFrom(size_t from, size_t partCount, std::vector<AnimationKey>& keys) {
    for (size_t r = from; r < keys.size(); ++r) keys[r] = r >= partCount ? keys[r - partCount] : kIdentityKey;
}

void ReadRecords(TextScanner& in, AnimationText& out) {
    const size_t parts = size_t(out.partCount);
    out.keys.resize(size_t(out.keyCount) * parts);
    for (size_t r = 0; r < out.keys.size(); ++r) {
        if (ReadRecord(in, &out.keys[r])) continue;
        const AnimationFault fault = in.AtEnd() ? AnimationFault::TruncatedRecord : AnimationFault::BadRecord;
        out.problems.push_back({fault, 0, int(r % parts), int(r / parts)});
        HoldFrom(r, parts, out.keys);
        return;
    }
}

}  // namespace

AnimationText ReadAnimationText(std::string_view text) {
    AnimationText out;
    TextScanner in(text.data(), text.size());

    const int64_t parts = ReadCount(in, AnimationFault::BadPartCount, out.problems);
    if (parts < 0) return out;
    // Names of one character, each followed by one separator.
    if (uint64_t(parts) > (in.Remaining() + 1) / 2) {
        out.problems.push_back({AnimationFault::TooManyParts, parts});
        return out;
    }
    out.partCount = int(parts);
    ReadNames(in, out);
    if (!out.problems.empty() && out.problems.back().fault == AnimationFault::MissingNames) return out;

    const int64_t keys = ReadCount(in, AnimationFault::BadKeyCount, out.problems);
    if (keys < 0) return out;
    if (uint64_t(keys) * uint64_t(parts) > in.Remaining() / kMinRecordBytes) {
        out.problems.push_back({AnimationFault::TooManyKeys, keys});
        return out;
    }
    out.keyCount = int(keys);
    ReadRecords(in, out);
    return out;
}

std::string DescribeAnimationProblem(const AnimationProblem& p) {
    char line[160];
    const long long count = p.count;
    switch (p.fault) {
        case AnimationFault::BadPartCount:
        case AnimationFault::BadKeyCount: {
            const char* what = p.fault == AnimationFault::BadPartCount ? "part" : "key";
            if (p.count)
                std::snprintf(line, sizeof line, "%s count %lld is out of range, read as 0", what, count);
            else
                std::snprintf(line, sizeof line, "no %s count, read as 0", what);
            break;
        }
        case AnimationFault::TooManyParts:
            std::snprintf(line, sizeof line, "%lld parts cannot be named in the rest of the file, read as 0", count);
            break;
        case AnimationFault::NameTooLong:
            std::snprintf(line, sizeof line, "name of part %d is %lld characters long (at most %zu), the part has no mesh",
                          p.part, count, kMaxNameLength);
            break;
        case AnimationFault::MissingNames:
            std::snprintf(line, sizeof line, "the file ends before the name of part %d, no keys read", p.part);
            break;
        case AnimationFault::TooManyKeys:
            std::snprintf(line, sizeof line, "%lld keys do not fit in the rest of the file, read as 0", count);
            break;
        case AnimationFault::BadRecord:
        case AnimationFault::TruncatedRecord:
            std::snprintf(line, sizeof line, "%s record of key %d, part %d: from there each part holds its last pose",
                          p.fault == AnimationFault::BadRecord ? "malformed" : "file ends in the", p.key, p.part);
            break;
    }
    return line;
}
