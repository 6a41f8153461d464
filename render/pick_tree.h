// A model's triangles in model space, sorted into a tree of boxes, so that a ray
// visits only the triangles whose boxes it crosses instead of every one.
#pragma once

#include <cstdint>
#include <vector>

#include "d3dx8/d3dx8math.h"

class PickTree {
public:
    // corners: three per face, in face order. A face whose corners are not all
    // finite never hits and is left out.
    explicit PickTree(std::vector<D3DXVECTOR3> corners);

    // The faces whose boxes the half-line origin + t * dir, t >= 0, may meet, in
    // ascending face order: a superset of the faces the ray hits.
    void Candidates(const D3DXVECTOR3& origin, const D3DXVECTOR3& dir, std::vector<uint32_t>* faces) const;

    uint32_t FaceCount() const { return uint32_t(corners_.size() / 3); }
    const D3DXVECTOR3* Face(uint32_t face) const { return &corners_[3 * size_t(face)]; }

private:
    struct Box {
        float lo[3], hi[3];
    };
    // A leaf holds faces_[first, first + count); an inner node's children are
    // at index + 1 and at second.
    struct Node {
        Box box;
        uint32_t first = 0;
        uint32_t count = 0;
        uint32_t second = 0;
    };

    uint32_t BuildNode(uint32_t first, uint32_t count, int depth);

    std::vector<D3DXVECTOR3> corners_;
    std::vector<Box> faceBoxes_;
    std::vector<uint32_t> faces_;
    std::vector<Node> nodes_;
};
