// The road surface and its barriers, shared by both model courses.
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
    const float line = 0.5f;  // half the width of a painted line

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

void AddGroundPlane(Model& model, const ModelScale& scale, float y, float half, int cells,
                    const D3DCOLORVALUE& colour) {
    const int light = model.AddMaterial(Flat(colour.r, colour.g, colour.b));
    const int dark = model.AddMaterial(Flat(colour.r * 0.85f, colour.g * 0.85f, colour.b * 0.85f));
    const float cell = 2.0f * half / float(cells);
    for (int i = 0; i < cells; ++i) {
        for (int k = 0; k < cells; ++k) {
            const float x0 = -half + cell * float(i), z0 = -half + cell * float(k);
            const int m = (i * 7 + k * 3) % 5 < 2 ? dark : light;
            model.AddQuad(m, scale({x0, y, z0}), scale({x0, y, z0 + cell}), scale({x0 + cell, y, z0 + cell}),
                          scale({x0 + cell, y, z0}));
        }
    }
}

void AddHorizon(Model& model, const ModelScale& scale, const D3DXVECTOR2& centre, const D3DXVECTOR2& radii,
                float base) {
    const int hillNear = model.AddMaterial(Flat(0.25f, 0.50f, 0.22f));
    const int hillFar = model.AddMaterial(Flat(0.35f, 0.55f, 0.45f));
    const int rock = model.AddMaterial(Flat(0.50f, 0.46f, 0.40f));
    int sky[4];
    const D3DCOLORVALUE skyColours[4] = {{0.82f, 0.89f, 0.96f, 1}, {0.70f, 0.82f, 0.96f, 1},
                                         {0.58f, 0.74f, 0.95f, 1}, {0.45f, 0.65f, 0.93f, 1}};
    for (int b = 0; b < 4; ++b) {
        Material m;
        m.diffuse = {0, 0, 0, 1};
        m.emissive = skyColours[b];
        sky[b] = model.AddMaterial(m);
    }
    const int segments = 72;
    // The sky is a low ceiling as well as a curtain: the camera sees nothing
    // beyond 1000 units, and across a course the curtain may be farther than
    // that, but the ceiling over the camera is not.
    const float kSkyHeight = 80.0f;
    {
        const float x0 = centre.x - radii.x * 1.2f, x1 = centre.x + radii.x * 1.2f;
        const float z0 = centre.y - radii.y * 1.2f, z1 = centre.y + radii.y * 1.2f;
        const int cells = 8;
        for (int i = 0; i < cells; ++i)
            for (int k = 0; k < cells; ++k) {
                const float xa = x0 + (x1 - x0) * float(i) / cells, xb = x0 + (x1 - x0) * float(i + 1) / cells;
                const float za = z0 + (z1 - z0) * float(k) / cells, zb = z0 + (z1 - z0) * float(k + 1) / cells;
                AddQuadFacing(model, sky[3], scale({xa, kSkyHeight, za}), scale({xa, kSkyHeight, zb}),
                              scale({xb, kSkyHeight, zb}), scale({xb, kSkyHeight, za}), {0, -1, 0});
            }
    }
    const float pi = 3.14159265f;
    auto ring = [&](int k, float factor, float y) {
        const float a = 2.0f * pi * float(k % segments) / float(segments);
        // A squarish ring (a superellipse of power 4) fits round a course more
        // closely than an ellipse: the far side stays nearer the camera, whose
        // view ends 1000 units out.
        const float c = std::cos(a), s = std::sin(a);
        const float x = std::copysign(std::sqrt(std::fabs(c)), c), z = std::copysign(std::sqrt(std::fabs(s)), s);
        return scale({centre.x + radii.x * factor * x, y, centre.y + radii.y * factor * z});
    };
    // Two ridges of hills, the nearer lower and darker; heights from a few sines
    // so the skyline never repeats round the ring.
    auto height = [&](int k, float phase) {
        const float a = 2.0f * pi * float(k % segments) / float(segments);
        return 26.0f + 14.0f * std::sin(3.0f * a + phase) + 8.0f * std::sin(7.0f * a + 2.0f * phase) +
               5.0f * std::sin(13.0f * a);
    };
    const D3DXVECTOR3 centre3(scale({centre.x, 0, centre.y}));
    for (int k = 0; k < segments; ++k) {
        const float hNear0 = height(k, 0.0f), hNear1 = height(k + 1, 0.0f);
        const float hFar0 = 1.2f * height(k, 1.3f) + 12.0f, hFar1 = 1.2f * height(k + 1, 1.3f) + 12.0f;
        const D3DXVECTOR3 inward = centre3 - ring(k, 1.0f, 0.0f);
        // Near ridge: a slope from the ground up to its crest.
        AddQuadFacing(model, (k % 9 == 4) ? rock : hillNear, ring(k, 0.92f, base), ring(k, 1.0f, hNear0),
                      ring(k + 1, 1.0f, hNear1), ring(k + 1, 0.92f, base), inward + D3DXVECTOR3(0, 1, 0));
        AddQuadFacing(model, hillNear, ring(k, 1.0f, hNear0), ring(k, 1.06f, base), ring(k + 1, 1.06f, base),
                      ring(k + 1, 1.0f, hNear1), -inward + D3DXVECTOR3(0, 1, 0));
        // Far ridge behind it.
        AddQuadFacing(model, hillFar, ring(k, 1.04f, base), ring(k, 1.12f, hFar0), ring(k + 1, 1.12f, hFar1),
                      ring(k + 1, 1.04f, base), inward + D3DXVECTOR3(0, 1, 0));
        // Sky curtain, lighter at the horizon.
        const float bands[5] = {base, 25.0f, 45.0f, 62.0f, kSkyHeight};
        for (int b = 0; b < 4; ++b)
            AddQuadFacing(model, sky[b], ring(k, 1.18f, bands[b]), ring(k, 1.18f, bands[b + 1]),
                          ring(k + 1, 1.18f, bands[b + 1]), ring(k + 1, 1.18f, bands[b]), inward);
    }
}

}  // namespace datagen
