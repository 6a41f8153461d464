// A flat 20 x 20 cell rectangle in the plane z = 0 of the current world transform
// whose texture ripples under a wave field on its 21 x 21 grid points.
#pragma once

#include "d3d8/d3d8.h"
#include "render/vertex_buffer.h"

class CWaveGrid {
public:
    static constexpr int kCells = 20;
    static constexpr int kPoints = kCells + 1;
    static constexpr int kVertices = kCells * kCells * 6;

    CWaveGrid();

    void Init(float x, float y, float z, float width, float depth, float amplitude);
    // x, y from the grid's origin corner; a point outside the grid is ignored.
    void Disturb(float x, float y, float amount);
    // One step of the field, then the vertices rebuilt and drawn.
    void Draw();
    void SetColor(D3DCOLOR colour);
    void SetSpeed(float s);  // negative or not a number: 0
    void SetDamping(float d);

    struct Pair {
        float du, dv;
    };
    struct Vertex {
        float x, y, z;
        D3DCOLOR colour;
        float u, v;
    };

    VertexBuffer vertexBuffer;
    Vertex vertices[kVertices];
    Pair displacement[kPoints][kPoints];
    Pair previous[kPoints][kPoints];
    Pair velocity[kPoints][kPoints];
    float originX = 0, originY = 0, z = 0;
    float width = 0, depth = 0;
    float cellWidth = 0, cellDepth = 0;
    float speed = 0.05f;
    float damping = 1.0f;
    D3DCOLOR colour = 0xFFFFFFFF;

private:
    void Step();
    void BuildVertices();
};
