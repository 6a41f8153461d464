#include "datagen/landscape.h"

#include <cmath>
#include <vector>

#include "datagen/courses.h"

namespace datagen {

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
                float base, const Landscape& land) {
    auto flat = [](const D3DCOLORVALUE& c) { return Flat(c.r, c.g, c.b); };
    const int hillNear = model.AddMaterial(flat(land.nearHills));
    const int hillFar = model.AddMaterial(flat(land.farHills));
    const int rock = model.AddMaterial(flat(land.rock));
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
    const float kSkyHeight = 60.0f;
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
        const float hFar0 = height(k, 1.3f) + 4.0f, hFar1 = height(k + 1, 1.3f) + 4.0f;
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
        const float bands[5] = {base, 20.0f, 35.0f, 48.0f, kSkyHeight};
        for (int b = 0; b < 4; ++b)
            AddQuadFacing(model, sky[b], ring(k, 1.18f, bands[b]), ring(k, 1.18f, bands[b + 1]),
                          ring(k + 1, 1.18f, bands[b + 1]), ring(k + 1, 1.18f, bands[b]), inward);
    }
}

void AddMound(Model& model, const ModelScale& scale, const D3DXVECTOR2& centre, float radius, float height,
              float base, const Landscape& land) {
    const int grass = model.AddMaterial(Flat(land.mound.r, land.mound.g, land.mound.b));
    const int rock = model.AddMaterial(Flat(land.rock.r, land.rock.g, land.rock.b));
    const int sides = 16;
    const float pi = 3.14159265f;
    // Rings from the foot to the top: (fraction of the radius, fraction of the height).
    const float rings[4][2] = {{1.0f, 0.0f}, {0.7f, 0.55f}, {0.35f, 0.9f}, {0.0f, 1.0f}};
    auto at = [&](int ring, int side) {
        // A little unevenness round the ring keeps it from looking turned.
        const float a = 2.0f * pi * float(side % sides) / float(sides);
        const float wobble = 1.0f + 0.12f * std::sin(3.0f * a + centre.x) * rings[ring][0];
        return scale({centre.x + radius * rings[ring][0] * wobble * std::cos(a),
                      base + (height - base) * rings[ring][1],
                      centre.y + radius * rings[ring][0] * wobble * std::sin(a)});
    };
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < sides; ++k) {
            const int m = (r == 1 && k % 5 == 2) ? rock : grass;
            AddQuadFacing(model, m, at(r, k), at(r + 1, k), at(r + 1, k + 1), at(r, k + 1), {0, 1, 0});
        }
}

void AddForest(Model& model, const ModelScale& scale, const Track& track, const D3DXVECTOR2& centre,
               const D3DXVECTOR2& radii, float base, float clearance, const std::vector<D3DXVECTOR3>& avoid,
               int count, uint32_t seed) {
    const int needles = model.AddMaterial(Flat(0.10f, 0.36f, 0.15f));
    const int needlesLight = model.AddMaterial(Flat(0.16f, 0.46f, 0.18f));
    const int trunk = model.AddMaterial(Flat(0.38f, 0.25f, 0.14f));
    // A small linear congruential generator: the same forest on every run.
    uint32_t state = seed;
    auto next = [&]() {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    };
    int placed = 0;
    for (int attempt = 0; attempt < count * 20 && placed < count; ++attempt) {
        const float u = next() * 2.0f - 1.0f, v = next() * 2.0f - 1.0f, size = 0.7f + 0.6f * next();
        // Inside the ring of hills, clear of the track and of what is to be avoided.
        if (u * u * u * u + v * v * v * v > 0.8f * 0.8f) continue;
        const D3DXVECTOR2 p(centre.x + radii.x * u, centre.y + radii.y * v);
        bool clear = true;
        for (const TrackPoint& s : track.Samples()) {
            const D3DXVECTOR2 d = p - s.pos;
            if (d.x * d.x + d.y * d.y < clearance * clearance) {
                clear = false;
                break;
            }
        }
        for (const D3DXVECTOR3& a : avoid) {
            const D3DXVECTOR2 d = p - D3DXVECTOR2(a.x, a.y);
            if (d.x * d.x + d.y * d.y < a.z * a.z) clear = false;
        }
        if (!clear) continue;
        ++placed;
        // A four-sided spire on a stub of trunk, 10 to 20 units tall.
        const float h = 14.0f * size, r = 3.2f * size, t = 0.5f * size;
        const D3DXVECTOR3 tip(p.x, base + h, p.y);
        const D3DXVECTOR3 corners[4] = {{p.x - r, base + 2.5f * size, p.y - r}, {p.x - r, base + 2.5f * size, p.y + r},
                                        {p.x + r, base + 2.5f * size, p.y + r}, {p.x + r, base + 2.5f * size, p.y - r}};
        for (int k = 0; k < 4; ++k) {
            const D3DXVECTOR3& a = corners[k];
            const D3DXVECTOR3& b = corners[(k + 1) % 4];
            const D3DXVECTOR3 out = (a + b) * 0.5f - D3DXVECTOR3(p.x, a.y, p.y);
            D3DXVECTOR3 n;
            const D3DXVECTOR3 e1 = a - tip, e2 = b - tip;
            D3DXVec3Cross(&n, &e1, &e2);
            const int m = k % 2 ? needles : needlesLight;
            if (D3DXVec3Dot(&n, &out) >= 0.0f)
                model.AddTriangle(m, scale(tip), scale(a), scale(b));
            else
                model.AddTriangle(m, scale(tip), scale(b), scale(a));
        }
        for (float side : {-1.0f, 1.0f}) {
            AddQuadFacing(model, trunk, scale({p.x - t, base, p.y}), scale({p.x - t, base + 2.5f * size, p.y}),
                          scale({p.x + t, base + 2.5f * size, p.y}), scale({p.x + t, base, p.y}), {0, 0, side});
            AddQuadFacing(model, trunk, scale({p.x, base, p.y - t}), scale({p.x, base + 2.5f * size, p.y - t}),
                          scale({p.x, base + 2.5f * size, p.y + t}), scale({p.x, base, p.y + t}), {side, 0, 0});
        }
    }
}

}  // namespace datagen
