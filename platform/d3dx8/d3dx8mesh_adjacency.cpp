// Face adjacency: two faces are neighbours across an edge that one walks from
// point p to point q and the other from q to p, points being corners whose
// positions lie within epsilon of each other. Each edge pairs with at most one
// other, so the result is symmetric; an edge without a partner gets UNUSED32.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include "d3dx8/d3dx8mesh_object.h"

namespace nol::d3dx8 {

namespace {

// A total order on floats (NaN included), equal for equal values; -0 and +0 are
// one value.
uint32_t OrderKey(float f) {
    if (f == 0.0f) f = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return (bits & 0x80000000u) ? ~bits : bits | 0x80000000u;
}

// For each vertex, the first vertex (in sorted order) that stands for the same
// point.
std::vector<uint32_t> PointReps(const std::vector<D3DXVECTOR3>& p, float epsilon) {
    const uint32_t n = static_cast<uint32_t>(p.size());
    std::vector<uint32_t> order(n), rep(n);
    std::iota(order.begin(), order.end(), 0u);
    std::iota(rep.begin(), rep.end(), 0u);
    auto key = [&](uint32_t i, int axis) { return OrderKey((&p[i].x)[axis]); };

    if (epsilon == 0.0f) {
        // Exact: equal positions end up side by side.
        std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
            for (int axis = 0; axis < 3; ++axis)
                if (key(a, axis) != key(b, axis)) return key(a, axis) < key(b, axis);
            return a < b;
        });
        for (uint32_t i = 1; i < n; ++i) {
            uint32_t a = order[i - 1], b = order[i];
            if (key(a, 0) == key(b, 0) && key(a, 1) == key(b, 1) && key(a, 2) == key(b, 2)) rep[b] = rep[a];
        }
        return rep;
    }
    // Within epsilon: sweep along x and compare with the window behind.
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return key(a, 0) != key(b, 0) ? key(a, 0) < key(b, 0) : a < b;
    });
    for (uint32_t i = 1; i < n; ++i) {
        const D3DXVECTOR3& q = p[order[i]];
        for (uint32_t j = i; j-- > 0;) {
            const D3DXVECTOR3& r = p[order[j]];
            if (!(q.x - r.x <= epsilon)) break;
            if (std::fabs(q.y - r.y) <= epsilon && std::fabs(q.z - r.z) <= epsilon) {
                rep[order[i]] = rep[order[j]];
                break;
            }
        }
    }
    return rep;
}

}  // namespace

void ComputeAdjacency(const std::vector<D3DXVECTOR3>& positions, const std::vector<uint16_t>& indices,
                      float epsilon, DWORD* adjacency) {
    const std::vector<uint32_t> rep = PointReps(positions, epsilon);
    const uint32_t slots = static_cast<uint32_t>(indices.size());
    auto from = [&](uint32_t s) { return uint64_t(rep[indices[s]]); };
    auto to = [&](uint32_t s) { return uint64_t(rep[indices[s - s % 3 + (s % 3 + 1) % 3]]); };

    struct HalfEdge {
        uint64_t key;  // from << 32 | to
        uint32_t slot;
        bool operator<(const HalfEdge& o) const { return key != o.key ? key < o.key : slot < o.slot; }
    };
    std::vector<HalfEdge> edges;
    edges.reserve(slots);
    for (uint32_t s = 0; s < slots; ++s) {
        adjacency[s] = UNUSED32;
        if (from(s) != to(s)) edges.push_back(HalfEdge{from(s) << 32 | to(s), s});
    }
    std::sort(edges.begin(), edges.end());

    for (uint32_t s = 0; s < slots; ++s) {
        if (adjacency[s] != UNUSED32 || from(s) == to(s)) continue;
        const uint64_t reverse = to(s) << 32 | from(s);
        auto it = std::lower_bound(edges.begin(), edges.end(), HalfEdge{reverse, 0});
        for (; it != edges.end() && it->key == reverse; ++it) {
            if (adjacency[it->slot] != UNUSED32 || it->slot / 3 == s / 3) continue;
            adjacency[s] = it->slot / 3;
            adjacency[it->slot] = s / 3;
            break;
        }
    }
}

}  // namespace nol::d3dx8
