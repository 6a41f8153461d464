#include "datagen/track.h"

#include <algorithm>
#include <cmath>

namespace datagen {
namespace {

D3DXVECTOR2 Unit(const D3DXVECTOR2& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y);
    return length > 0.0f ? D3DXVECTOR2(v.x / length, v.y / length) : D3DXVECTOR2(0, 1);
}

float Distance(const D3DXVECTOR2& a, const D3DXVECTOR2& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

}  // namespace

Track::Track(const std::vector<D3DXVECTOR2>& p, const D3DXVECTOR2& startDirection, float spacing) {
    const size_t n = p.size();
    if (n < 3 || !(spacing > 0.0f)) return;
    std::vector<D3DXVECTOR2> tangent(n);
    for (size_t i = 0; i < n; ++i) {
        const D3DXVECTOR2& before = p[(i + n - 1) % n];
        const D3DXVECTOR2& after = p[(i + 1) % n];
        tangent[i] = (after - before) * 0.5f;
    }
    // The start keeps the length Catmull-Rom would give it but points where the
    // car is placed heading.
    const float startLength = 0.5f * (Distance(p[n - 1], p[0]) + Distance(p[0], p[1]));
    tangent[0] = Unit(startDirection) * startLength;

    std::vector<D3DXVECTOR2> dense;
    for (size_t i = 0; i < n; ++i) {
        const D3DXVECTOR2 a = p[i], b = p[(i + 1) % n], ta = tangent[i], tb = tangent[(i + 1) % n];
        // Fine steps first; the even spacing is taken from them below.
        const int steps = std::clamp(int(Distance(a, b) / (spacing * 0.25f)) + 1, 4, 4096);
        for (int k = 0; k < steps; ++k) {
            const float s = float(k) / float(steps), s2 = s * s, s3 = s2 * s;
            dense.push_back(a * (2 * s3 - 3 * s2 + 1) + ta * (s3 - 2 * s2 + s) + b * (-2 * s3 + 3 * s2) +
                            tb * (s3 - s2));
        }
    }
    // Resample at even arc length so that every road segment is about as long.
    float total = 0.0f;
    for (size_t i = 0; i < dense.size(); ++i) total += Distance(dense[i], dense[(i + 1) % dense.size()]);
    // A lap of a few thousand units wants a few hundred samples; the cap only
    // keeps a careless spacing from asking for millions.
    const size_t count = std::clamp<size_t>(size_t(std::lround(total / spacing)), 3, 100000);
    const float step = total / float(count);
    std::vector<D3DXVECTOR2> even;
    float walked = 0.0f, next = 0.0f;
    for (size_t i = 0; i < dense.size() && even.size() < count; ++i) {
        const D3DXVECTOR2 a = dense[i], b = dense[(i + 1) % dense.size()];
        const float d = Distance(a, b);
        while (even.size() < count && next <= walked + d) {
            const float s = d > 0.0f ? (next - walked) / d : 0.0f;
            even.push_back(a + (b - a) * s);
            next += step;
        }
        walked += d;
    }
    for (size_t i = 0; i < even.size(); ++i) {
        const D3DXVECTOR2 forward =
            Unit(even[(i + 1) % even.size()] - even[(i + even.size() - 1) % even.size()]);
        samples_.push_back({even[i], D3DXVECTOR2(forward.y, -forward.x)});
    }
    // The start line is where the car is placed: its frame follows the heading.
    if (!samples_.empty()) {
        const D3DXVECTOR2 forward = Unit(startDirection);
        samples_[0].right = D3DXVECTOR2(forward.y, -forward.x);
    }
}

float Track::Length() const {
    float total = 0.0f;
    for (size_t i = 0; i < samples_.size(); ++i)
        total += Distance(samples_[i].pos, samples_[(i + 1) % samples_.size()].pos);
    return total;
}

D3DXVECTOR3 Track::Side(size_t i, float lateral, float y) const {
    if (samples_.empty()) return {0.0f, y, 0.0f};
    const TrackPoint& s = samples_[i % samples_.size()];
    return {s.pos.x + s.right.x * lateral, y, s.pos.y + s.right.y * lateral};
}

void AddQuadFacing(Model& model, int material, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                   const D3DXVECTOR3& c, const D3DXVECTOR3& d, const D3DXVECTOR3& towards) {
    D3DXVECTOR3 n;
    const D3DXVECTOR3 ab = b - a, ac = c - a;
    D3DXVec3Cross(&n, &ab, &ac);
    if (D3DXVec3Dot(&n, &towards) >= 0.0f)
        model.AddQuad(material, a, b, c, d);
    else
        model.AddQuad(material, d, c, b, a);
}

void AddTrackWall(Model& model, int material, const Track& track, const ModelScale& scale, float lateral,
                  float bottom, float top, int facing) {
    const size_t n = track.Samples().size();
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        const TrackPoint& s = track.Samples()[i];
        const D3DXVECTOR3 towards(s.right.x * float(facing), 0.0f, s.right.y * float(facing));
        AddQuadFacing(model, material, scale(track.Side(i, lateral, bottom)), scale(track.Side(i, lateral, top)),
                      scale(track.Side(j, lateral, top)), scale(track.Side(j, lateral, bottom)), towards);
    }
}

}  // namespace datagen
