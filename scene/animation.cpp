// Keyframe animation: the parts and keys from a file, and playback.
#include "scene/animation.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "render/mesh.h"
#include "scene/whole_file.h"
#include "shell/log.h"

namespace {

// Far beyond any animation (50 parts of 1,000 keys take about 3 MB); a larger
// file is not read.
constexpr size_t kMaxFileBytes = size_t(64) << 20;

// The key pair and blend of the last Play that moved: one record for every
// animation object.
struct PlaybackScratch {
    int key = 0;
    int next = 0;
    float blend = 0.0f;
};
PlaybackScratch scratch;

}  // namespace

CAnimation::CAnimation() = default;

CAnimation::~CAnimation() { Free(); }

void CAnimation::Free() {
    delete[] parts;  // each mesh logs its release
    parts = nullptr;
    delete[] keys;
    keys = nullptr;
    partCount = 0;
    keyCount = 0;
    time = 0.0f;
}

int CAnimation::Load(const char* path) {
    Free();
    const char* shown = path ? path : "(null)";
    std::string bytes;
    switch (ReadWholeFile(path, kMaxFileBytes, &bytes)) {
        case WholeFileResult::Ok: break;
        case WholeFileResult::CannotOpen: LogMessage("can't open %s.\n", shown); return 0;
        case WholeFileResult::TooLarge: LogMessage("can't read %s: larger than 64 MiB.\n", shown); return 0;
        case WholeFileResult::ReadError: LogMessage("can't read %s.\n", shown); return 0;
    }
    const AnimationText text = ReadAnimationText(bytes);
    // The problems are logged in the order of the file, among the parts' loads.
    size_t logged = 0;
    auto logWhile = [&](auto before) {
        for (; logged < text.problems.size() && before(text.problems[logged]); ++logged)
            LogMessage("%s: %s.\n", shown, DescribeAnimationProblem(text.problems[logged]).c_str());
    };

    partCount = text.partCount;
    if (partCount > 0) parts = new Mesh[size_t(partCount)];
    for (int i = 0; i < partCount; ++i) {
        logWhile([i](const AnimationProblem& p) { return p.part >= 0 && p.part <= i && p.key < 0; });
        const std::string& name = text.partNames[size_t(i)];
        if (!name.empty()) parts[i].Load(name.c_str(), 0, 1);
    }
    logWhile([](const AnimationProblem&) { return true; });
    keyCount = text.keyCount;
    if (!text.keys.empty()) {
        keys = new AnimationKey[text.keys.size()];
        std::copy(text.keys.begin(), text.keys.end(), keys);
    }
    return 1;
}

D3DXMATRIX CAnimation::GetPose(int a, int b, float t) const {
    D3DXMATRIX pose;
    const int64_t records = keys ? int64_t(keyCount) * partCount : 0;
    if (a < 0 || b < 0 || a >= records || b >= records) {
        D3DXMatrixIdentity(&pose);
        return pose;
    }
    D3DXQUATERNION q;
    D3DXQuaternionSlerp(&q, &keys[a].rotation, &keys[b].rotation, t);
    D3DXMatrixRotationQuaternion(&pose, &q);
    const D3DXVECTOR3 position = keys[b].position * t + keys[a].position * (1.0f - t);
    pose._41 = position.x;
    pose._42 = position.y;
    pose._43 = position.z;
    return pose;
}

bool CAnimation::ChooseKeys(int loop) const {
    // Written so that a NaN time names no key either.
    if (!(time >= 0.0f && time < float(keyCount))) return false;
    const int k0 = int(time);
    if (k0 >= keyCount) return false;
    int k1;
    float t;
    if (speed > 0.0f) {
        k1 = k0 + 1;
        if (k1 == keyCount) k1 = loop ? 0 : k0;
        t = time - float(k0);
    } else {
        k1 = k0 - 1;
        if (k0 == 0) k1 = loop ? keyCount - 1 : 0;
        t = 1.0f - (time - float(k0));
    }
    scratch = {k0, k1, t};
    return true;
}

int CAnimation::Advance(int loop) {
    time += speed;
    if (time >= float(keyCount)) {
        time -= float(keyCount);
        return loop ? 0 : 1;
    }
    if (time >= 0.0f) return 0;
    time += float(keyCount);
    return loop ? 0 : 1;
}

int CAnimation::Play(int loop) {
    // With speed 0 the pair may come from a longer animation.
    const bool named = speed != 0.0f ? ChooseKeys(loop)
                                     : scratch.key >= 0 && scratch.key < keyCount && scratch.next >= 0 &&
                                           scratch.next < keyCount;
    CNode node;
    for (int i = 0; named && i < partCount; ++i) {
        const D3DXMATRIX pose =
            GetPose(scratch.key * partCount + i, scratch.next * partCount + i, scratch.blend) * placement.local;
        node.Setup(&parts[i], 0, 0, 0, 1.0f);
        node.SetLocalMatrix(pose);
        node.Draw();
    }
    return Advance(loop);
}
