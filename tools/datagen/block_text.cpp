#include "datagen/block_text.h"

#include "datagen/solids.h"

namespace datagen {
namespace {

constexpr int kRows = 7;

struct Glyph {
    char letter;
    int width;
    const char* rows[kRows];
};

// Capitals for the gates; lower case (x-height five rows) for the title.
const Glyph kGlyphs[] = {
    {'A', 5, {".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {'C', 5, {".XXXX", "X....", "X....", "X....", "X....", "X....", ".XXXX"}},
    {'E', 5, {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {'H', 5, {"X...X", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"}},
    {'K', 5, {"X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"}},
    {'R', 5, {"XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"}},
    {'S', 5, {".XXXX", "X....", "X....", ".XXX.", "....X", "....X", "XXXX."}},
    {'T', 5, {"XXXXX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X.."}},
    {'n', 5, {".....", ".....", "XXXX.", "X...X", "X...X", "X...X", "X...X"}},
    {'o', 5, {".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."}},
    {'l', 2, {"XX", "XX", "XX", "XX", "XX", "XX", "XX"}},
};
constexpr int kSpaceWidth = 3;

const Glyph* Find(char c) {
    for (const Glyph& g : kGlyphs)
        if (g.letter == c) return &g;
    return nullptr;
}

}  // namespace

int BlockTextColumns(const std::string& text) {
    int columns = 0;
    for (char c : text) {
        const Glyph* g = Find(c);
        columns += (g ? g->width : kSpaceWidth) + 1;
    }
    return columns > 0 ? columns - 1 : 0;
}

namespace {

// Calls run(corner) for each run of set pixels in a row; corner(atRight, atTop,
// out) is a corner of that run's rectangle, moved out along the normal.
template <typename Run>
void ForEachRun(const std::string& text, const D3DXVECTOR3& centre, const D3DXVECTOR3& normal, float pixel,
                Run run) {
    D3DXVECTOR3 n = normal, up(0, 1, 0), right;
    D3DXVec3Normalize(&n, &n);
    // A viewer looks along -n; Direct3D's left-handed right is up x forward.
    const D3DXVECTOR3 forward = -n;
    D3DXVec3Cross(&right, &up, &forward);
    D3DXVec3Normalize(&right, &right);
    D3DXVec3Cross(&up, &right, &n);  // upright within the surface

    const D3DXVECTOR3 topLeft = centre - right * (pixel * BlockTextColumns(text) / 2) + up * (pixel * kRows / 2);
    int column = 0;
    for (char c : text) {
        const Glyph* g = Find(c);
        if (!g) {
            column += kSpaceWidth + 1;
            continue;
        }
        for (int row = 0; row < kRows; ++row) {
            for (int col = 0; col < g->width;) {
                if (g->rows[row][col] != 'X') {
                    ++col;
                    continue;
                }
                int end = col;
                while (end < g->width && g->rows[row][end] == 'X') ++end;
                const float x0 = float(column + col), x1 = float(column + end);
                run([&](bool atRight, bool atTop, float out) {
                    return topLeft + right * (pixel * (atRight ? x1 : x0)) -
                           up * (pixel * (row + (atTop ? 0 : 1))) + n * out;
                });
                col = end;
            }
        }
        column += g->width + 1;
    }
}

}  // namespace

void AddBlockText(Model& model, int material, const std::string& text, const D3DXVECTOR3& centre,
                  const D3DXVECTOR3& normal, float pixel, float depth) {
    ForEachRun(text, centre, normal, pixel, [&](auto corner) {
        // One box per run of set pixels in a row.
        Hexahedron box;
        for (int k = 0; k < 8; ++k) box.corner[k] = corner(k & 1, k & 2, (k & 4) ? depth : 0.0f);
        AddHexahedron(model, material, box);
    });
}

void AddFlatText(Model& model, int material, const std::string& text, const D3DXVECTOR3& centre,
                 const D3DXVECTOR3& normal, float pixel, float lift) {
    ForEachRun(text, centre, normal, pixel, [&](auto corner) {
        AddFacingQuad(model, material, corner(false, false, lift), corner(true, false, lift),
                      corner(true, true, lift), corner(false, true, lift), normal);
    });
}

}  // namespace datagen
