// The grid's geometry never moves: each Draw steps the wave field once (whatever
// the frame time) and rebuilds the texture coordinates from it.
#include "scene/wave_grid.h"

#include "scene/random.h"

namespace {

constexpr DWORD kGridFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(sizeof(CWaveGrid::Vertex) == 24);
static_assert(sizeof(CWaveGrid::vertices) == 57600);

float Noise(float a) { return -a + Rand15() * (2 * a) / 32767; }

}  // namespace

CWaveGrid::CWaveGrid() {
    Init(0, 0, 0, 10, 10, 0.005f);
    colour = 0xFFFFFFFF;
    speed = 0.05f;
    damping = 1.0f;
}

void CWaveGrid::Init(float x, float y, float zValue, float w, float d, float amplitude) {
    for (int r = 0; r < kPoints; ++r)
        for (int c = 0; c < kPoints; ++c) {
            displacement[r][c].du = Noise(amplitude);
            displacement[r][c].dv = Noise(amplitude);
            velocity[r][c].du = Noise(amplitude);
            velocity[r][c].dv = Noise(amplitude);
        }
    width = w;
    depth = d;
    cellWidth = w / kCells;
    cellDepth = d / kCells;
    originX = x - w / 2;
    originY = y - d / 2;
    z = zValue;
}

void CWaveGrid::Disturb(float x, float y, float amount) {
    // Indices truncate toward zero, so -1 < x / cell width < 21 lands on the grid.
    // Not-a-number (a zero-size grid, or such a coordinate) fails both tests.
    const float column = x / cellWidth, row = y / cellDepth;
    if (!(column > -1.0f && column < kPoints) || !(row > -1.0f && row < kPoints)) return;
    Pair& p = displacement[int(row)][int(column)];
    p.du += amount;
    p.dv += amount;
}

void CWaveGrid::Draw() {
    Step();
    BuildVertices();
    vertexBuffer.Create(vertices, kGridFvf, sizeof vertices);
    vertexBuffer.DrawTriangles();
}

void CWaveGrid::SetColor(D3DCOLOR c) { colour = c; }

void CWaveGrid::SetSpeed(float s) { speed = s >= 0 ? s : 0.0f; }

void CWaveGrid::SetDamping(float d) { damping = d; }

// Every interior point reads its neighbours as they were before this step.
void CWaveGrid::Step() {
    for (int r = 0; r < kPoints; ++r)
        for (int c = 0; c < kPoints; ++c) previous[r][c] = displacement[r][c];
    const Pair(&P)[kPoints][kPoints] = previous;
    for (int r = 1; r < kCells; ++r)
        for (int c = 1; c < kCells; ++c) {
            const float lu = 0.1f * (P[r + 1][c].du + P[r][c + 1].du + P[r][c - 1].du + P[r - 1][c].du) -
                             0.4f * P[r][c].du;
            const float lv = 0.1f * (P[r + 1][c].dv + P[r][c + 1].dv + P[r][c - 1].dv + P[r - 1][c].dv) -
                             0.4f * P[r][c].dv;
            Pair& vel = velocity[r][c];
            Pair& dis = displacement[r][c];
            vel.du += lu;
            vel.dv += lv;
            dis.du += vel.du * speed;
            dis.dv += vel.dv * speed;
            vel.du *= damping;
            vel.dv *= damping;
        }
}

// Cell (r, c) is the triangle pair (0, 1, 2), (3, 2, 1); undisturbed, the texture
// covers the rectangle once with v = 0 along the largest y.
void CWaveGrid::BuildVertices() {
    const Pair(&D)[kPoints][kPoints] = displacement;
    auto corner = [&](int r, int c, float x, float y) {
        const Pair& d = D[r][c];
        return Vertex{x, y, 0.0f, colour, float(c) / kCells + d.du, 1 - (float(r) / kCells + d.dv)};
    };
    Vertex* out = vertices;
    for (int r = 0; r < kCells; ++r)
        for (int c = 0; c < kCells; ++c, out += 6) {
            const float x0 = c * cellWidth + originX, y0 = r * cellDepth + originY;
            const float x1 = x0 + cellWidth, y1 = y0 + cellDepth;
            out[0] = corner(r, c, x0, y0);
            out[1] = corner(r + 1, c, x0, y1);
            out[2] = corner(r, c + 1, x1, y0);
            out[3] = corner(r + 1, c + 1, x1, y1);
            out[4] = out[2];
            out[5] = out[1];
        }
}
