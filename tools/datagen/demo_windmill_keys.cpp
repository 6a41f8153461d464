// demo_windmill.txt: the windmill's keyframe animation. Over its keys the sails
// turn once round, the cap swings its head a little to each side and back, the
// flag flutters three times, and the door opens steadily: it is the part whose
// last key is far from its first, so a play-once run ends with the door open
// while a looping one swings it shut again.
//
// Every part's key is its pose in the mill's frame, the parts riding on the cap
// composed here: a part turned by q in its parent's frame and placed at p there
// is turned by q then the parent's turn, and placed at p turned and moved as the
// parent is.
#include <cmath>
#include <cstdio>
#include <vector>

#include "datagen/demo_windmill.h"
#include "datagen/generators.h"

namespace datagen {
namespace {

constexpr int kKeys = 36;
constexpr float kTwoPi = 6.28318530718f;
constexpr float kDegree = kTwoPi / 360.0f;

struct Pose {
    D3DXVECTOR3 position;
    D3DXQUATERNION rotation;
};

D3DXQUATERNION Turn(const D3DXVECTOR3& axis, float angle) {
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, angle);
    return q;
}

// A pose given in the frame of `parent`, in the parent's own frame.
Pose Within(const Pose& parent, const D3DXVECTOR3& position, const D3DXQUATERNION& rotation) {
    D3DXMATRIX turn;
    D3DXMatrixRotationQuaternion(&turn, &parent.rotation);
    Pose pose;
    D3DXVec3TransformCoord(&pose.position, &position, &turn);
    pose.position += parent.position;
    D3DXQuaternionMultiply(&pose.rotation, &rotation, &parent.rotation);
    return pose;
}

// The parts in the file's order, at key k.
std::vector<Pose> PosesAt(int k) {
    const float phase = kTwoPi * float(k) / kKeys;
    const D3DXVECTOR3 up(0, 1, 0), shaft(0, 0, 1), across(1, 0, 0);
    const Pose mill{{0, 0, 0}, {0, 0, 0, 1}};
    const Pose door = Within(mill, WindmillDoorHinge(), Turn(up, 100.0f * kDegree * float(k) / (kKeys - 1)));
    const Pose cap = Within(mill, WindmillCapOrigin(), Turn(up, 20.0f * kDegree * std::sin(phase)));
    // The sails spin about their own shaft, which is then tilted up at the front.
    D3DXQUATERNION sailTurn;
    const D3DXQUATERNION spin = Turn(shaft, phase), tilt = Turn(across, WindmillSize::kShaftTilt);
    D3DXQuaternionMultiply(&sailTurn, &spin, &tilt);
    const Pose sails = Within(cap, WindmillHub(), sailTurn);
    const Pose flag = Within(cap, WindmillFlagFoot(), Turn(up, 35.0f * kDegree * std::sin(3.0f * phase)));
    return {mill, door, cap, sails, flag};
}

const char* const kParts[] = {"data/demo_windmill_tower.x", "data/demo_windmill_door.x", "data/demo_windmill_cap.x",
                              "data/demo_windmill_sails.x", "data/demo_windmill_flag.x"};

// Six decimals, and never "-0.000000" for a value that rounds to zero.
float Tidy(float v) { return std::fabs(v) < 5e-7f ? 0.0f : v; }

}  // namespace

bool WriteWindmillAnimation(const std::string& dir) {
    const std::string path = dir + "/demo_windmill.txt";
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        std::fprintf(stderr, "nol_datagen: cannot write %s\n", path.c_str());
        return false;
    }
    std::fprintf(f, "%d\n", int(sizeof kParts / sizeof kParts[0]));
    for (const char* part : kParts) std::fprintf(f, "%s\n", part);
    std::fprintf(f, "%d\n", kKeys);
    for (int k = 0; k < kKeys; ++k)
        for (const Pose& p : PosesAt(k))
            std::fprintf(f, "%.6f,%.6f,%.6f %.6f,%.6f,%.6f,%.6f\n", Tidy(p.position.x), Tidy(p.position.y),
                         Tidy(p.position.z), Tidy(p.rotation.x), Tidy(p.rotation.y), Tidy(p.rotation.z),
                         Tidy(p.rotation.w));
    const bool ok = std::ferror(f) == 0;
    return std::fclose(f) == 0 && ok;
}

}  // namespace datagen
