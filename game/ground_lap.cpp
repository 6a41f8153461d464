// Ground contact and lap counting: the four wheels against walls and rough
// ground, and the two gates under the car.
#include "game/car.h"
#include "game/course.h"

namespace {

constexpr float kPushDistance = 0.03f;
constexpr float kWallSlowdown = 0.8f;
constexpr float kOffRoadDrag = 45.0f;
// A car that cannot be freed (no ground model under it, say) stays where the
// last pass left it.
constexpr int kMaxPasses = 250;

enum Wheel { FR, RR, FL, RL, kWheels };

// Whether a ray straight down from origin (relative to the node) meets the node's model.
bool HitsBelow(CNode& node, const D3DXVECTOR3& origin) {
    D3DXVECTOR3 hit;
    Ray ray{origin, D3DXVECTOR3(0, -1, 0), &hit, nullptr};
    return node.Pick(ray) != 0;
}

struct Wheels {
    D3DXVECTOR3 point[kWheels];
    D3DXVECTOR3 away[kWheels];  // from each corner back towards the middle

    // F: the car's forward axis; R: F a quarter turn about y (the car's right).
    Wheels(const D3DXVECTOR3& pos, const D3DXVECTOR3& forward, double pi) {
        D3DXMATRIX quarter;
        D3DXMatrixRotationY(&quarter, float(pi / 2));
        D3DXVECTOR4 turned;
        D3DXVec3Transform(&turned, &forward, &quarter);
        const D3DXVECTOR3 right(turned.x, 0.0f, turned.z);
        const D3DXVECTOR3 f = forward * 0.375f, r = right * 0.25f;
        point[FR] = pos + r + f;
        point[RR] = pos + r - f;
        point[FL] = pos - r + f;
        point[RL] = pos - r - f;
        for (D3DXVECTOR3& p : point) p.y = pos.y;
        away[FR] = -forward - right;
        away[RR] = forward - right;
        away[FL] = -forward + right;
        away[RL] = forward + right;
    }

    void Push(int wheel) {
        const D3DXVECTOR3 step = away[wheel] * kPushDistance;
        for (D3DXVECTOR3& p : point) p += step;
    }

    D3DXVECTOR3 Middle() const { return (point[FR] + point[RL]) / 2.0f; }
};

}  // namespace

void Car::GroundStep() {
    if (!currentCourse) return;
    Course& c = *currentCourse;
    Wheels wheels(pos, carNode.GetLocalForward(), pi);
    int passes = 0;

    if (c.isTerrain == 1) {
        float h[kWheels];
        auto measure = [&] {
            for (int w = 0; w < kWheels; ++w) h[w] = c.GroundHeight(wheels.point[w].x, wheels.point[w].z);
        };
        auto inWall = [&] {
            for (float v : h)
                if (v >= c.wallHeight) return true;
            return false;
        };
        measure();
        while (inWall()) {
            if (passes == kMaxPasses) break;
            ++passes;
            velocity *= kWallSlowdown;
            for (int w = 0; w < kWheels; ++w)
                if (h[w] >= c.wallHeight) wheels.Push(w);
            measure();
        }
        const D3DXVECTOR3 middle = wheels.Middle();
        pos.x = middle.x;
        pos.z = middle.z;
        for (const D3DXVECTOR3& p : wheels.point) {
            if (c.GroundHeight(p.x, p.z) >= c.offRoadHeight) {
                extraDrag = kOffRoadDrag;
                break;
            }
            extraDrag = 0.0f;
        }
        return;
    }

    // Model courses: the ray starts at the wheel point itself, not relative to
    // the ground or road node.
    extraDrag = 0.0f;
    bool hit[kWheels];
    auto measure = [&] {
        for (int w = 0; w < kWheels; ++w) hit[w] = HitsBelow(c.groundNode, wheels.point[w]);
    };
    auto inWall = [&] {
        for (bool v : hit)
            if (!v) return true;
        return false;
    };
    measure();
    while (inWall()) {
        // Here the slowdown comes before the limit: the turn that meets it slows
        // the car once more without pushing it.
        velocity *= kWallSlowdown;
        if (passes == kMaxPasses) break;
        ++passes;
        for (int w = 0; w < kWheels; ++w)
            if (!hit[w]) wheels.Push(w);
        measure();
    }
    const D3DXVECTOR3 middle = wheels.Middle();
    pos.x = middle.x;
    pos.z = middle.z;
    for (const D3DXVECTOR3& p : wheels.point) {
        if (!HitsBelow(c.roadNode, p)) {
            extraDrag = kOffRoadDrag;
            break;
        }
        extraDrag = 0.0f;
    }
}

void Car::LapStep() {
    if (!currentCourse) return;
    Course& c = *currentCourse;
    const bool hitStart = HitsBelow(c.startNode, pos - c.startNode.GetLocalPosition());
    const bool hitCheck = HitsBelow(c.checkNode, pos - c.checkNode.GetLocalPosition());
    if (awaitCheckpoint == 1) {
        if (hitCheck) awaitCheckpoint = 0;
    } else if (awaitCheckpoint == 0 && hitStart) {
        awaitCheckpoint = 1;
        // lapFrames holds nine laps: the ninth completed is the last one counted.
        if (lap < kLastLap)
            lap += 1;
        else
            finished = 1;
    }
}
