// The road surface, the layer beneath it that the rays find, and the tyre
// walls: shared by both model courses.
#include <algorithm>
#include <cmath>
#include <vector>

#include "datagen/courses.h"

namespace datagen {

void AddPickLayer(Model& model, int material, const Track& track, const ModelScale& scale, float halfWidth,
                  float y, float minLength) {
    auto up = [&](const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c) {
        D3DXVECTOR3 n;
        const D3DXVECTOR3 ab = b - a, ac = c - a;
        D3DXVec3Cross(&n, &ab, &ac);
        if (n.y >= 0.0f)
            model.AddTriangle(material, scale(a), scale(b), scale(c));
        else
            model.AddTriangle(material, scale(a), scale(c), scale(b));
    };
    const size_t n = track.Samples().size();
    for (size_t i = 0; i < n;) {
        // On a bend the inner edge is short: take k samples at once there, and
        // join its ends by one straight chord (which runs off the road, inside the
        // bend). The outer edge keeps every sample, so the layer follows it.
        auto chord = [&](size_t k, float side) {
            const D3DXVECTOR3 d = track.Side(i + k, side * halfWidth, y) - track.Side(i, side * halfWidth, y);
            return D3DXVec3Length(&d);
        };
        size_t k = 1;
        while (i + k < n && k < 8 && std::min(chord(k, -1), chord(k, 1)) < minLength) ++k;
        if (n - (i + k) < 2) k = n - i;  // never leave a lone short segment at the end
        const float inner = chord(k, -1) < chord(k, 1) ? -1.0f : 1.0f;
        const D3DXVECTOR3 a = track.Side(i, inner * halfWidth, y), b = track.Side(i + k, inner * halfWidth, y);
        // The outer edge in steps of at least 10 units, so that every fan
        // triangle is large too.
        const float outer = -inner;
        std::vector<size_t> rim = {i};
        for (size_t j = i + 1; j <= i + k; ++j) {
            const D3DXVECTOR3 d = track.Side(j, outer * halfWidth, y) - track.Side(rim.back(), outer * halfWidth, y);
            if (j == i + k || D3DXVec3Length(&d) >= 10.0f) rim.push_back(j);
        }
        const size_t middle = rim[rim.size() / 2];
        for (size_t r = 0; r + 1 < rim.size(); ++r)
            up(rim[r] < middle ? a : b, track.Side(rim[r], outer * halfWidth, y),
               track.Side(rim[r + 1], outer * halfWidth, y));
        up(a, b, track.Side(middle, outer * halfWidth, y));
        i += k;
    }
}

void AddRoad(Model& model, const Track& track, const ModelScale& scale, float skirtBottom, float pickY) {
    const int asphalt = model.AddMaterial(Flat(0.42f, 0.42f, 0.44f));
    const int paint = model.AddMaterial(Flat(0.92f, 0.92f, 0.88f));
    const int kerbRed = model.AddMaterial(Flat(0.85f, 0.12f, 0.10f));
    const int kerbWhite = model.AddMaterial(Flat(0.95f, 0.95f, 0.95f));
    const int skirt = model.AddMaterial(Flat(0.35f, 0.30f, 0.25f));
    const int gravel = model.AddMaterial(Flat(0.55f, 0.50f, 0.42f));
    const float y = kRoadY;
    const float line = 0.25f;  // half the width of a painted line

    // Kerbs change colour every second segment, the centre dashes run three
    // segments on and five off.
    auto kerb = [&](size_t i) { return (i / 2) % 2 ? kerbRed : kerbWhite; };
    auto dash = [&](size_t i) { return i % 8 < 3 ? paint : asphalt; };
    auto always = [](int m) { return [m](size_t) { return m; }; };
    AddBand(model, track, scale, -kRoadHalfWidth, -kAsphaltHalfWidth, y, kerb);
    AddBand(model, track, scale, -kAsphaltHalfWidth, -kAsphaltHalfWidth + 2 * line, y, always(paint));
    AddBand(model, track, scale, -kAsphaltHalfWidth + 2 * line, -line, y, always(asphalt));
    AddBand(model, track, scale, -line, line, y, dash);
    AddBand(model, track, scale, line, kAsphaltHalfWidth - 2 * line, y, always(asphalt));
    AddBand(model, track, scale, kAsphaltHalfWidth - 2 * line, kAsphaltHalfWidth, y, always(paint));
    AddBand(model, track, scale, kAsphaltHalfWidth, kRoadHalfWidth, y, kerb);
    AddBand(model, track, scale, -kRoadEdge, -kRoadHalfWidth, y, always(gravel));
    AddBand(model, track, scale, kRoadHalfWidth, kRoadEdge, y, always(gravel));
    AddTrackWall(model, skirt, track, scale, -kRoadEdge, skirtBottom, y, -1);
    AddTrackWall(model, skirt, track, scale, kRoadEdge, skirtBottom, y, +1);
    // Straight chords inside the bends, so the layer reaches past the kerbs and
    // under the shoulder.
    AddPickLayer(model, asphalt, track, scale, kRoadEdge, pickY, 14.0f);
}

void AddBarriers(Model& model, const Track& track, const ModelScale& scale, float lateral, float bottom,
                 float top) {
    const int red = model.AddMaterial(Flat(0.80f, 0.10f, 0.08f));
    const int white = model.AddMaterial(Flat(0.90f, 0.90f, 0.90f));
    const int cap = model.AddMaterial(Flat(0.20f, 0.20f, 0.22f));
    const size_t n = track.Samples().size();
    const float thickness = 0.6f;
    for (int side = -1; side <= 1; side += 2) {
        const float inner = lateral * float(side), outer = (lateral + thickness) * float(side);
        for (size_t i = 0; i < n; ++i) {
            const size_t j = (i + 1) % n;
            const int m = (i / 2) % 2 ? red : white;
            const TrackPoint& s = track.Samples()[i];
            const D3DXVECTOR3 in(-s.right.x * float(side), 0.0f, -s.right.y * float(side));
            AddQuadFacing(model, m, scale(track.Side(i, inner, bottom)), scale(track.Side(i, inner, top)),
                          scale(track.Side(j, inner, top)), scale(track.Side(j, inner, bottom)), in);
            AddQuadFacing(model, cap, scale(track.Side(i, inner, top)), scale(track.Side(i, outer, top)),
                          scale(track.Side(j, outer, top)), scale(track.Side(j, inner, top)), {0, 1, 0});
            AddQuadFacing(model, m, scale(track.Side(i, outer, bottom)), scale(track.Side(i, outer, top)),
                          scale(track.Side(j, outer, top)), scale(track.Side(j, outer, bottom)), -in);
        }
    }
}

}  // namespace datagen
