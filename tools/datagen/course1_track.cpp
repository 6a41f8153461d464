#include "datagen/course1_track.h"

#include <cmath>
#include <iterator>

namespace datagen {
namespace {

struct Point {
    double x, z;
};

// Control points of a closed Catmull-Rom curve, anticlockwise seen from above:
// up the right-hand straight through the start, a sweep over the top with an
// S-bend dipping into the infield, down the left-hand straight through the
// checkpoint, and a wavy back section home. The points either side of the start
// and the checkpoint line up on x so that both straights are exactly straight
// there.
const Point kControl[] = {
    {360, 12},    {360, 200},   {330, 420},   {210, 520},  {70, 500},   {-10, 330},
    {-120, 250},  {-220, 380},  {-320, 500},  {-420, 440}, {-370, 300}, {-370, 8},   {-370, -220},
    {-340, -450}, {-210, -520}, {-70, -430},  {60, -360},  {190, -490}, {330, -460},
    {360, -250},
};
constexpr int kControlCount = int(std::size(kControl));
constexpr int kSamplesPerSpan = 400;
constexpr double kSpacing = 2.0;

Point CatmullRom(const Point& p0, const Point& p1, const Point& p2, const Point& p3, double t) {
    const double t2 = t * t, t3 = t2 * t;
    auto axis = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (3 * b - a - 3 * c + d) * t3);
    };
    return {axis(p0.x, p1.x, p2.x, p3.x), axis(p0.z, p1.z, p2.z, p3.z)};
}

std::vector<Course1Point> Build() {
    // A fine walk along the curve first, then points picked at even spacing.
    std::vector<Point> fine;
    for (int i = 0; i < kControlCount; ++i) {
        const Point& p0 = kControl[(i + kControlCount - 1) % kControlCount];
        const Point& p1 = kControl[i];
        const Point& p2 = kControl[(i + 1) % kControlCount];
        const Point& p3 = kControl[(i + 2) % kControlCount];
        for (int k = 0; k < kSamplesPerSpan; ++k) fine.push_back(CatmullRom(p0, p1, p2, p3, double(k) / kSamplesPerSpan));
    }
    fine.push_back(fine.front());
    std::vector<Course1Point> out;
    double s = 0.0, next = 0.0;
    for (size_t i = 0; i + 1 < fine.size(); ++i) {
        const double dx = fine[i + 1].x - fine[i].x, dz = fine[i + 1].z - fine[i].z;
        const double step = std::sqrt(dx * dx + dz * dz);
        while (next <= s + step && step > 0.0) {
            const double t = (next - s) / step;
            out.push_back({fine[i].x + dx * t, fine[i].z + dz * t, next});
            next += kSpacing;
        }
        s += step;
    }
    // Drop a last point that would nearly repeat the first.
    if (!out.empty() && s - out.back().s < 0.5 * kSpacing) out.pop_back();
    return out;
}

double LapLength() {
    const auto& t = Course1Track();
    const double dx = t.front().x - t.back().x, dz = t.front().z - t.back().z;
    return t.back().s + std::sqrt(dx * dx + dz * dz);
}

}  // namespace

const std::vector<Course1Point>& Course1Track() {
    static const std::vector<Course1Point> track = Build();
    return track;
}

double Course1LapLength() {
    static const double length = LapLength();
    return length;
}

}  // namespace datagen
