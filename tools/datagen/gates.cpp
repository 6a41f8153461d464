// objstart.x and objcheck.x: a chequered square plate lying on the track with a
// striped pylon at each corner and a banded frame joining their tops, so that
// the gate reads as a gate from any direction. The start is black and white
// with red pylons and "START" boards; the checkpoint yellow and blue, "CHECK".
#include "datagen/gates.h"

#include "datagen/block_text.h"

#include "datagen/generators.h"
#include "datagen/model.h"
#include "datagen/solids.h"

namespace datagen {
namespace {

struct GateColours {
    D3DCOLORVALUE squareA, squareB;  // the plate and the frame's bands
    D3DCOLORVALUE postA, postB;      // the pylons' stripes
    D3DCOLORVALUE lamp;              // the beacons on top, glowing
};

D3DCOLORVALUE Rgb(float r, float g, float b) { return {r, g, b, 1.0f}; }

void BuildGate(Model& model, const GateColours& colours, const char* word) {
    using G = GateSize;
    const D3DCOLORVALUE& sa = colours.squareA;
    const D3DCOLORVALUE& sb = colours.squareB;
    const D3DCOLORVALUE& pa = colours.postA;
    const D3DCOLORVALUE& pb = colours.postB;
    const D3DCOLORVALUE& l = colours.lamp;
    const int a = model.AddMaterial(Matte(sa.r, sa.g, sa.b));
    const int b = model.AddMaterial(Matte(sb.r, sb.g, sb.b));
    const int postA = model.AddMaterial(Shiny(pa.r, pa.g, pa.b, 0.5f, 20.0f));
    const int postB = model.AddMaterial(Shiny(pb.r, pb.g, pb.b, 0.5f, 20.0f));
    const int lamp = model.AddMaterial(Glowing(l.r, l.g, l.b, 1.0f));

    // The plate: one up-facing quad per square.
    const float cell = 2 * G::kPlateHalf / G::kSquares;
    for (int i = 0; i < G::kSquares; ++i) {
        for (int j = 0; j < G::kSquares; ++j) {
            const float x0 = -G::kPlateHalf + i * cell, z0 = -G::kPlateHalf + j * cell;
            const float y = G::kPlateY;
            AddFacingQuad(model, (i + j) % 2 ? b : a, {x0, y, z0}, {x0 + cell, y, z0}, {x0 + cell, y, z0 + cell},
                          {x0, y, z0 + cell}, {0, 1, 0});
        }
    }

    // Pylons at the corners: stacked cylinders in alternating colours, from below
    // the origin (so they meet whatever ground hides the plate) to the frame.
    const float bottom = -0.1f;
    const int stripes = 8;
    for (float x : {-G::kPlateHalf, G::kPlateHalf}) {
        for (float z : {-G::kPlateHalf, G::kPlateHalf}) {
            for (int s = 0; s < stripes; ++s) {
                const float y0 = bottom + (G::kBeamBottom - bottom) * s / stripes;
                const float y1 = bottom + (G::kBeamBottom - bottom) * (s + 1) / stripes;
                AddCylinder(model, s % 2 ? postB : postA, postA, {x, y0, z}, {x, y1, z}, G::kPostRadius, 10);
            }
            const float r = G::kPostRadius * 1.6f;
            model.AddBox(lamp, {x - r, G::kPostTop, z - r}, {x + r, G::kPostTop + 2 * r, z + r});
        }
    }

    // The frame: four beams between the pylon tops, each in chequered bands with a
    // board in the middle naming the gate on both faces.
    const float half = G::kPlateHalf, thick = 0.03f;
    const int bands = 10;
    const float boardHalf = 2 * half / bands * 2, boardThick = thick + 0.01f;
    const float boardBottom = G::kBeamBottom - 0.05f, boardTop = G::kPostTop + 0.03f;
    const float pixel = 0.02f, mid = (boardBottom + boardTop) / 2;
    for (int side = 0; side < 4; ++side) {
        const float edge = (side & 1) ? half : -half;
        const D3DXVECTOR3 along = side < 2 ? D3DXVECTOR3(1, 0, 0) : D3DXVECTOR3(0, 0, 1);
        const D3DXVECTOR3 across = side < 2 ? D3DXVECTOR3(0, 0, 1) : D3DXVECTOR3(1, 0, 0);
        const D3DXVECTOR3 centre = edge * across + D3DXVECTOR3(0, mid, 0);
        const D3DXVECTOR3 lo = centre - boardHalf * along - boardThick * across;
        const D3DXVECTOR3 hi = centre + boardHalf * along + boardThick * across;
        model.AddBox(postA, {lo.x, boardBottom, lo.z}, {hi.x, boardTop, hi.z});
        for (float face : {-1.0f, 1.0f})
            AddFlatText(model, postB, word, centre + face * boardThick * across, face * across, pixel, 0.003f);
        for (int k = 0; k < bands; ++k) {
            if (k >= bands / 2 - 2 && k < bands / 2 + 2) continue;  // behind the board
            const float t0 = -half + 2 * half * k / bands, t1 = -half + 2 * half * (k + 1) / bands;
            D3DXVECTOR3 lo, hi;
            if (side < 2) {  // beams along x at z = -half, +half
                lo = {t0, G::kBeamBottom, edge - thick};
                hi = {t1, G::kPostTop, edge + thick};
            } else {  // beams along z at x = -half, +half
                lo = {edge - thick, G::kBeamBottom, t0};
                hi = {edge + thick, G::kPostTop, t1};
            }
            model.AddBox((k + side) % 2 ? b : a, lo, hi);
        }
    }
}

}  // namespace

bool WriteStartGate(const std::string& dir) {
    Model model;
    BuildGate(model, {Rgb(0.95f, 0.95f, 0.95f), Rgb(0.06f, 0.06f, 0.06f), Rgb(0.9f, 0.1f, 0.08f),
                      Rgb(0.95f, 0.95f, 0.95f), Rgb(0.2f, 1.0f, 0.2f)},
              "START");
    return model.Write(dir + "/objstart.x", "objstart");
}

bool WriteCheckGate(const std::string& dir) {
    Model model;
    BuildGate(model, {Rgb(1.0f, 0.82f, 0.1f), Rgb(0.1f, 0.25f, 0.8f), Rgb(0.1f, 0.3f, 0.9f),
                      Rgb(1.0f, 0.85f, 0.15f), Rgb(1.0f, 0.6f, 0.1f)},
              "CHECK");
    return model.Write(dir + "/objcheck.x", "objcheck");
}

}  // namespace datagen
