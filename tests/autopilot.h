// A driver for the end-to-end tests: follows a course's centre line with the
// keys a player has (Z, X and the cursor keys), watching the car as a player
// watches the screen. It never moves the car itself.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "dinput8/dinput.h"
#include "game/car.h"

class Autopilot {
public:
    explicit Autopilot(std::vector<D3DXVECTOR3> line) : line_(std::move(line)) {
        if (line_.size() > 1 && Distance(line_.front(), line_.back()) < 1e-3f) line_.pop_back();
        arc_.assign(line_.size(), 0.0f);
        for (size_t i = 0; i < line_.size(); ++i) arc_[i] = Distance(line_[i], line_[(i + 1) % line_.size()]);
    }

    // The keys to hold for the next frame.
    std::vector<int> Keys(const Car& car) {
        std::vector<int> keys;
        if (line_.size() < 3) return keys;
        Follow(car.pos);
        const float speed = car.speed;  // units per simulated second
        // Aim at a point ahead on the line, further when fast.
        const D3DXVECTOR3 target = Ahead(12.0f + speed * 0.35f);
        const double want = std::atan2(target.x - car.pos.x, target.z - car.pos.z);
        double travel = car.heading;
        if (speed > 5.0f) travel = std::atan2(car.velocity.x, car.velocity.y);
        // The path follows the nose with a lag: turning the nose past the aim
        // by part of what the path still lacks pulls the sliding car round.
        const double lead = std::clamp(0.5 * Wrap(want - travel), -0.5, 0.5);
        const double error = Wrap(want + lead - car.heading);
        if (error > 0.01) keys.push_back(DIK_RIGHT);
        if (error < -0.01) keys.push_back(DIK_LEFT);

        safe = SafeSpeed(speed);
        slip = float(Wrap(want - travel));
        const float limit = safe;
        if (speed > limit + 3.0f) {
            // Off the throttle first: braking keeps the engine's force while Z
            // was held the frame before.
            if (!throttled_) keys.push_back(DIK_X);
            throttled_ = false;
        } else if (speed < limit) {
            keys.push_back(DIK_Z);
            throttled_ = true;
        } else {
            throttled_ = false;
        }
        return keys;
    }

    size_t Index() const { return index_; }
    float safe = 0, slip = 0;

private:
    static float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        return std::hypot(a.x - b.x, a.z - b.z);
    }
    static double Wrap(double a) {
        while (a > M_PI) a -= 2 * M_PI;
        while (a < -M_PI) a += 2 * M_PI;
        return a;
    }
    size_t Next(size_t i, size_t n = 1) const { return (i + n) % line_.size(); }

    // The nearest line point among the next stretch of the line.
    void Follow(const D3DXVECTOR3& p) {
        size_t best = index_;
        float bestDistance = Distance(p, line_[index_]);
        float along = 0.0f;
        for (size_t i = index_, n = 0; n < line_.size() && along < 200.0f; ++n, i = Next(i)) {
            const float d = Distance(p, line_[i]);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
            along += arc_[i];
        }
        index_ = best;
    }

    D3DXVECTOR3 Ahead(float distance) const {
        size_t i = index_;
        for (float along = 0.0f; along < distance;) {
            along += arc_[i];
            i = Next(i);
        }
        return line_[i];
    }

    // The fastest speed from which the car can still slow down for every bend
    // within reach ahead: it turns 0.9 radians a simulated second, and braking
    // sheds about 2.2 units a second per unit travelled.
    float SafeSpeed(float speed) const {
        float best = 1e9f;
        float along = 0.0f;
        const float reach = 40.0f + speed * 0.6f;
        size_t i = index_;
        while (along < reach) {
            // The bend over the next 20 units of line.
            size_t j = i;
            float span = 0.0f;
            while (span < 20.0f) {
                span += arc_[j];
                j = Next(j);
            }
            const D3DXVECTOR3 a = line_[i], b = line_[Next(i)], c = line_[j], d = line_[Next(j)];
            const double turn =
                std::fabs(Wrap(std::atan2(d.x - c.x, d.z - c.z) - std::atan2(b.x - a.x, b.z - a.z)));
            if (turn > 1e-3) {
                const float radius = float(span / turn);
                const float bendSpeed = std::max(30.0f, 0.9f * radius * 1.0f);
                best = std::min(best, bendSpeed + along * 2.0f);
            }
            along += arc_[i];
            i = Next(i);
        }
        return best;
    }

    std::vector<D3DXVECTOR3> line_;
    std::vector<float> arc_;  // from each point to the next
    size_t index_ = 0;
    bool throttled_ = false;
};
