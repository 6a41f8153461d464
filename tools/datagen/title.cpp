// opentitle.x: the word "nol" in chunky coloured letters on a chequered
// turntable, with the red car parked behind them. The selection screen turns it
// about its own vertical axis three units in front of a camera looking along +x,
// so everything stays within a unit of that axis and above the text lines drawn
// at the bottom of the picture. Seen unturned, the letters read from the camera:
// they face -x and run towards -z (the camera's right).
#include <cmath>

#include "datagen/car.h"
#include "datagen/generators.h"
#include "datagen/model.h"
#include "datagen/solids.h"

namespace datagen {
namespace {

// The letters on a pixel grid, top row first.
struct Glyph {
    int width;
    const char* rows[7];
};
const Glyph kN = {5, {".....", ".....", "XXXX.", "X...X", "X...X", "X...X", "X...X"}};
const Glyph kO = {5, {".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."}};
const Glyph kL = {2, {"XX", "XX", "XX", "XX", "XX", "XX", "XX"}};

constexpr float kPixel = 0.12f;
constexpr float kBaseTop = -0.12f;
constexpr float kBaseRadius = 0.95f;
constexpr float kLetterFront = -0.36f, kLetterBack = -0.12f;  // x

// One letter whose left edge is at z = left (the word runs towards -z); each run of
// set pixels in a row is one box.
void AddGlyph(Model& model, int material, const Glyph& g, float left) {
    for (int row = 0; row < 7; ++row) {
        const float y1 = kBaseTop + (7 - row) * kPixel, y0 = y1 - kPixel;
        for (int col = 0; col < g.width;) {
            if (g.rows[row][col] != 'X') {
                ++col;
                continue;
            }
            int end = col;
            while (end < g.width && g.rows[row][end] == 'X') ++end;
            model.AddBox(material, {kLetterFront, y0, left - end * kPixel}, {kLetterBack, y1, left - col * kPixel});
            col = end;
        }
    }
}

}  // namespace

bool WriteTitle(const std::string& dir) {
    Model model;
    const int red = model.AddMaterial(Shiny(0.95f, 0.2f, 0.15f, 0.7f, 25.0f));
    const int yellow = model.AddMaterial(Shiny(1.0f, 0.8f, 0.1f, 0.7f, 25.0f));
    const int blue = model.AddMaterial(Shiny(0.2f, 0.45f, 1.0f, 0.7f, 25.0f));
    const int white = model.AddMaterial(Matte(0.9f, 0.9f, 0.9f));
    const int black = model.AddMaterial(Matte(0.08f, 0.08f, 0.08f));
    const int rim = model.AddMaterial(Matte(0.8f, 0.1f, 0.1f));

    // "nol": 5 + 1 + 5 + 1 + 2 pixels wide, centred on z = 0.
    const float width = 14 * kPixel;
    float left = width / 2;
    AddGlyph(model, red, kN, left);
    left -= 6 * kPixel;
    AddGlyph(model, yellow, kO, left);
    left -= 6 * kPixel;
    AddGlyph(model, blue, kL, left);

    // The turntable: a chequered top in rings and sectors, and a red rim.
    const int sectors = 24, rings = 3;
    const float thickness = 0.06f;
    for (int s = 0; s < sectors; ++s) {
        const float a0 = 6.28318530718f * s / sectors, a1 = 6.28318530718f * (s + 1) / sectors;
        for (int r = 0; r < rings; ++r) {
            const float r0 = kBaseRadius * r / rings, r1 = kBaseRadius * (r + 1) / rings;
            const int m = (s + r) % 2 ? black : white;
            const D3DXVECTOR3 p00(r0 * std::cos(a0), kBaseTop, r0 * std::sin(a0));
            const D3DXVECTOR3 p01(r0 * std::cos(a1), kBaseTop, r0 * std::sin(a1));
            const D3DXVECTOR3 p10(r1 * std::cos(a0), kBaseTop, r1 * std::sin(a0));
            const D3DXVECTOR3 p11(r1 * std::cos(a1), kBaseTop, r1 * std::sin(a1));
            if (r == 0)
                AddFacingTriangle(model, m, p00, p10, p11, {0, 1, 0});
            else
                AddFacingQuad(model, m, p00, p10, p11, p01, {0, 1, 0});
        }
    }
    AddCylinder(model, rim, black, {0, kBaseTop - thickness, 0}, {0, kBaseTop - 0.001f, 0}, kBaseRadius, 48);

    // The car behind the letters, side on, its wheels on the turntable.
    const float carScale = 0.9f;
    AddCar(model, {0.42f, kBaseTop - carScale * CarSize::kGround, 0.0f}, carScale);
    return model.Write(dir + "/opentitle.x", "opentitle");
}

}  // namespace datagen
