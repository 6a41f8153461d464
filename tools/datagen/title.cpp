// opentitle.x: the word "nol" in chunky coloured letters on a chequered
// turntable, with the red car parked behind them. The selection screen turns it
// about its own vertical axis three units in front of a camera looking along +x,
// so everything stays within a unit of that axis and above the text lines drawn
// at the bottom of the picture. Seen unturned, the letters read from the camera:
// they face -x and run towards -z (the camera's right).
#include <cmath>

#include "datagen/block_text.h"
#include "datagen/car.h"
#include "datagen/generators.h"
#include "datagen/model.h"
#include "datagen/solids.h"

namespace datagen {
namespace {

constexpr float kPixel = 0.12f;
constexpr float kBaseTop = -0.12f;
constexpr float kBaseRadius = 0.95f;
constexpr float kLetterDepth = 0.24f;
constexpr float kLetterBack = -0.12f;  // x of the letters' back

}  // namespace

bool WriteTitle(const std::string& dir) {
    Model model;
    const int red = model.AddMaterial(Shiny(0.95f, 0.2f, 0.15f, 0.7f, 25.0f));
    const int yellow = model.AddMaterial(Shiny(1.0f, 0.8f, 0.1f, 0.7f, 25.0f));
    const int blue = model.AddMaterial(Shiny(0.2f, 0.45f, 1.0f, 0.7f, 25.0f));
    const int white = model.AddMaterial(Matte(0.9f, 0.9f, 0.9f));
    const int black = model.AddMaterial(Matte(0.08f, 0.08f, 0.08f));
    const int rim = model.AddMaterial(Matte(0.8f, 0.1f, 0.1f));

    // "nol", centred on z = 0, one colour a letter: each letter is placed on its
    // own, shifted by its place in the word.
    const float mid = kBaseTop + 3.5f * kPixel;
    const int columns = BlockTextColumns("nol");
    const char* letters[] = {"n", "o", "l"};
    const int colours[] = {red, yellow, blue};
    int column = 0;
    for (int i = 0; i < 3; ++i) {
        const int w = BlockTextColumns(letters[i]);
        const float z = (columns / 2.0f - column - w / 2.0f) * kPixel;  // the word runs towards -z
        AddBlockText(model, colours[i], letters[i], {kLetterBack, mid, z}, {-1, 0, 0}, kPixel, kLetterDepth);
        column += w + 1;
    }

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
