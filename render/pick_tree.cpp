#include "render/pick_tree.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kLeafFaces = 4;
// Deeper than any balanced split of 2^32 faces: the median split halves the count.
constexpr int kMaxDepth = 40;
// Boxes are widened at query time by this share of the coordinates' magnitude, so
// that rounding in the triangle test, which can accept a ray a few units in the
// last place outside a triangle, never meets a box the ray just missed.
constexpr float kRelativeSlack = 1e-4f;

bool Finite(const D3DXVECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

float Axis(const D3DXVECTOR3& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

}  // namespace

PickTree::PickTree(std::vector<D3DXVECTOR3> corners) : corners_(std::move(corners)) {
    corners_.resize(corners_.size() / 3 * 3);
    const uint32_t count = FaceCount();
    faceBoxes_.resize(count);
    faces_.reserve(count);
    for (uint32_t f = 0; f < count; ++f) {
        const D3DXVECTOR3* c = Face(f);
        if (!Finite(c[0]) || !Finite(c[1]) || !Finite(c[2])) continue;
        Box& b = faceBoxes_[f];
        for (int a = 0; a < 3; ++a) {
            b.lo[a] = std::min({Axis(c[0], a), Axis(c[1], a), Axis(c[2], a)});
            b.hi[a] = std::max({Axis(c[0], a), Axis(c[1], a), Axis(c[2], a)});
        }
        faces_.push_back(f);
    }
    if (faces_.empty()) return;
    nodes_.reserve(2 * faces_.size() / kLeafFaces + 1);
    BuildNode(0, uint32_t(faces_.size()), 0);
}

uint32_t PickTree::BuildNode(uint32_t first, uint32_t count, int depth) {
    const uint32_t index = uint32_t(nodes_.size());
    nodes_.emplace_back();
    Box box{{INFINITY, INFINITY, INFINITY}, {-INFINITY, -INFINITY, -INFINITY}};
    for (uint32_t i = first; i < first + count; ++i)
        for (int a = 0; a < 3; ++a) {
            box.lo[a] = std::min(box.lo[a], faceBoxes_[faces_[i]].lo[a]);
            box.hi[a] = std::max(box.hi[a], faceBoxes_[faces_[i]].hi[a]);
        }
    nodes_[index].box = box;
    if (count <= kLeafFaces || depth >= kMaxDepth) {
        nodes_[index].first = first;
        nodes_[index].count = count;
        return index;
    }
    // Split at the median centre along the box's longest side.
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (box.hi[a] - box.lo[a] > box.hi[axis] - box.lo[axis]) axis = a;
    auto centre = [&](uint32_t f) { return faceBoxes_[f].lo[axis] + faceBoxes_[f].hi[axis]; };
    const uint32_t half = count / 2;
    std::nth_element(faces_.begin() + first, faces_.begin() + first + half, faces_.begin() + first + count,
                     [&](uint32_t a, uint32_t b) { return centre(a) < centre(b); });
    BuildNode(first, half, depth + 1);
    const uint32_t second = BuildNode(first + half, count - half, depth + 1);
    nodes_[index].second = second;
    return index;
}

void PickTree::Candidates(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir, std::vector<uint32_t>* out) const {
    out->clear();
    if (nodes_.empty() || !Finite(origin) || !Finite(dir)) return;
    const float o[3] = {origin.x, origin.y, origin.z};
    const float d[3] = {dir.x, dir.y, dir.z};
    const Box& all = nodes_[0].box;
    float magnitude = 0.0f;
    for (int a = 0; a < 3; ++a)
        magnitude = std::max({magnitude, std::fabs(o[a]), std::fabs(all.lo[a]), std::fabs(all.hi[a])});
    const float slack = kRelativeSlack * magnitude + 1e-30f;

    // The half-line meets a box when the parameter ranges of its three slabs
    // overlap somewhere at t >= 0.
    auto crosses = [&](const Box& b) {
        float near = 0.0f, far = INFINITY;
        for (int a = 0; a < 3; ++a) {
            const float lo = b.lo[a] - slack, hi = b.hi[a] + slack;
            if (d[a] == 0.0f) {
                if (o[a] < lo || o[a] > hi) return false;
                continue;
            }
            float t0 = (lo - o[a]) / d[a], t1 = (hi - o[a]) / d[a];
            if (t0 > t1) std::swap(t0, t1);
            near = std::max(near, t0);
            far = std::min(far, t1);
            if (near > far) return false;
        }
        return true;
    };

    uint32_t stack[2 * kMaxDepth + 2];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const Node& node = nodes_[stack[--top]];
        if (!crosses(node.box)) continue;
        if (node.count > 0 || node.second == 0) {
            for (uint32_t i = node.first; i < node.first + node.count; ++i)
                if (crosses(faceBoxes_[faces_[i]])) out->push_back(faces_[i]);
            continue;
        }
        const uint32_t self = uint32_t(&node - nodes_.data());
        stack[top++] = node.second;
        stack[top++] = self + 1;
    }
    std::sort(out->begin(), out->end());
}
