// The demo's data as the demo meets it: the windmill's keyframe file reads as an
// animation reads it, names models that load, and moves them as a windmill
// moves; the textures load as the framework loads them, at their sizes and with
// the shapes the effects draw them for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "d3d8_memory_fakes.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "render/graphics_state.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "render_fixture.h"
#include "scene/camera.h"
#include "scene/light.h"
#include "scene/node.h"

namespace {

constexpr float kDegree = 3.14159265f / 180.0f;

std::string DataFile(const std::string& name) { return std::string(NOL_DATA_DIR) + "/" + name; }
// The demo runs in the data folder's parent; the animation's names are relative to it.
std::string FromRunFolder(const std::string& name) { return std::string(NOL_DATA_DIR) + "/../" + name; }

struct Key {
    D3DXVECTOR3 position;
    D3DXQUATERNION rotation;
};

// The keyframe file read as the animation reads it: counts and names as
// white-space separated tokens, then key-major records.
struct AnimationFile {
    bool opened = false;
    std::vector<std::string> parts;
    int keyCount = 0;
    std::vector<Key> keys;
    std::string rest;  // anything but white space after the records

    const Key& At(int key, int part) const { return keys.at(size_t(key) * parts.size() + size_t(part)); }
    // The part whose name contains word, or -1.
    int Part(const char* word) const {
        for (size_t i = 0; i < parts.size(); ++i)
            if (parts[i].find(word) != std::string::npos) return int(i);
        return -1;
    }
};

AnimationFile ReadAnimation(const std::string& path) {
    AnimationFile a;
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return a;
    a.opened = true;
    int partCount = 0;
    if (std::fscanf(f, "%d", &partCount) == 1)
        for (int i = 0; i < partCount; ++i) {
            char name[256];
            if (std::fscanf(f, "%255s", name) == 1) a.parts.emplace_back(name);
        }
    if (std::fscanf(f, "%d", &a.keyCount) != 1) a.keyCount = 0;
    for (int r = 0; r < a.keyCount * partCount; ++r) {
        Key k;
        if (std::fscanf(f, "%f,%f,%f %f,%f,%f,%f", &k.position.x, &k.position.y, &k.position.z, &k.rotation.x,
                        &k.rotation.y, &k.rotation.z, &k.rotation.w) != 7)
            break;
        a.keys.push_back(k);
    }
    for (int c; (c = std::fgetc(f)) != EOF;)
        if (!std::isspace(c)) a.rest += char(c);
    std::fclose(f);
    return a;
}

D3DXQUATERNION Inverse(const D3DXQUATERNION& q) { return D3DXQUATERNION(-q.x, -q.y, -q.z, q.w); }

// The turn that takes `from` to `to`, in from's own frame, the shorter way round.
D3DXQUATERNION Step(const D3DXQUATERNION& from, const D3DXQUATERNION& to) {
    D3DXQUATERNION s;
    const D3DXQUATERNION back = Inverse(from);
    D3DXQuaternionMultiply(&s, &to, &back);
    return s.w < 0 ? D3DXQUATERNION(-s.x, -s.y, -s.z, -s.w) : s;
}
float Angle(const D3DXQUATERNION& q) { return 2.0f * std::acos(std::min(1.0f, std::fabs(q.w))); }

// A child's key in its parent's frame.
Key InParent(const Key& child, const Key& parent) {
    Key k;
    const D3DXQUATERNION inverse = Inverse(parent.rotation);
    D3DXQuaternionMultiply(&k.rotation, &child.rotation, &inverse);
    D3DXMATRIX back;
    D3DXMatrixRotationQuaternion(&back, &inverse);
    const D3DXVECTOR3 offset = child.position - parent.position;
    D3DXVec3TransformCoord(&k.position, &offset, &back);
    return k;
}

// The pose matrix the animation draws a part with at a key.
D3DXMATRIX Pose(const Key& k) {
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &k.rotation);
    m._41 = k.position.x, m._42 = k.position.y, m._43 = k.position.z;
    return m;
}

std::vector<D3DXVECTOR3> Vertices(ID3DXMesh* mesh) {
    std::vector<D3DXVECTOR3> out;
    BYTE* bytes = nullptr;
    if (mesh->LockVertexBuffer(D3DLOCK_READONLY, &bytes) != D3D_OK || !bytes) return out;
    const UINT stride = D3DXGetFVFVertexSize(mesh->GetFVF());
    for (DWORD v = 0; v < mesh->GetNumVertices(); ++v)
        out.push_back(*reinterpret_cast<const D3DXVECTOR3*>(bytes + size_t(v) * stride));
    mesh->UnlockVertexBuffer();
    return out;
}

// Models and textures load on a device whose resources are plain memory.
class DemoData : public ::testing::Test {
protected:
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    AnimationFile mill = ReadAnimation(DataFile("demo_windmill.txt"));

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = ownedDevice.get();
        GraphicsState.maxPrimitiveCount = 0xFFFFF;
        ASSERT_TRUE(mill.opened);
        ASSERT_GE(mill.parts.size(), 3u);
        ASSERT_EQ(mill.keys.size(), size_t(mill.keyCount) * mill.parts.size());
    }

    // Every texel of a loaded texture, row by row.
    static std::vector<uint32_t> Texels(Texture& texture) {
        std::vector<uint32_t> out;
        D3DLOCKED_RECT locked;
        if (texture.texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return out;
        for (UINT y = 0; y < texture.desc.Height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
            out.insert(out.end(), row, row + texture.desc.Width);
        }
        texture.texture->UnlockRect(0);
        return out;
    }
};

TEST_F(DemoData, TheWindmillFileReadsWholeAndNamesModelsThatLoad) {
    EXPECT_GE(mill.keyCount, 24);
    EXPECT_EQ(mill.rest, "");
    for (const Key& k : mill.keys) {
        const D3DXQUATERNION& q = k.rotation;
        ASSERT_NEAR(std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w), 1.0f, 1e-5f);
    }
    for (const std::string& name : mill.parts) {
        EXPECT_EQ(name.rfind("data/", 0), 0u) << name << " is not in the data folder";
        Mesh part;
        ASSERT_EQ(part.Load(FromRunFolder(name).c_str(), 0, 1), 1) << name;
        const D3DXVECTOR3 size = part.boxMax - part.boxMin;
        EXPECT_GT(std::min({size.x, size.y, size.z}), 0.01f) << name;
        EXPECT_LT(std::max({size.x, size.y, size.z}), 5.0f) << name;
        EXPECT_GT(part.materialCount, 1u) << name;
    }
}

TEST_F(DemoData, TheSailsTurnOnceRoundOnTheSwingingCapWhileTheDoorOpens) {
    const int cap = mill.Part("cap"), sails = mill.Part("sails"), flag = mill.Part("flag"), door = mill.Part("door");
    ASSERT_TRUE(cap >= 0 && sails >= 0 && flag >= 0 && door >= 0);
    const int n = mill.keyCount;

    // The sails and the flag ride on the cap: in its frame they stay in place.
    for (int part : {sails, flag})
        for (int k = 1; k < n; ++k) {
            const D3DXVECTOR3 d = InParent(mill.At(k, part), mill.At(k, cap)).position -
                                  InParent(mill.At(0, part), mill.At(0, cap)).position;
            EXPECT_LT(D3DXVec3Length(&d), 1e-4f) << mill.parts[part] << " drifts off the cap at key " << k;
        }

    // On the cap the sails turn about their own shaft (their model's z axis), one
    // way, once round over a loop of the keys (the last key leading back to the
    // first).
    float total = 0;
    float firstSense = 0;
    for (int k = 0; k < n; ++k) {
        const D3DXQUATERNION s = Step(InParent(mill.At(k, sails), mill.At(k, cap)).rotation,
                                      InParent(mill.At((k + 1) % n, sails), mill.At((k + 1) % n, cap)).rotation);
        const float angle = Angle(s);
        ASSERT_GT(angle, 0.5f * kDegree) << "key " << k;
        ASSERT_LT(angle, 60.0f * kDegree) << "key " << k;
        D3DXVECTOR3 axis(s.x, s.y, s.z);
        D3DXVec3Normalize(&axis, &axis);
        if (k == 0) firstSense = axis.z;
        EXPECT_GT(axis.z * firstSense, 0.999f) << "key " << k;
        total += angle;
    }
    EXPECT_NEAR(total, 360.0f * kDegree, 0.5f * kDegree);

    // The cap swings a little to each side and back without a jump at the loop.
    float widest = 0, largestStep = 0;
    for (int k = 0; k < n; ++k) {
        widest = std::max(widest, Angle(Step(mill.At(0, cap).rotation, mill.At(k, cap).rotation)));
        if (k + 1 < n) largestStep = std::max(largestStep, Angle(Step(mill.At(k, cap).rotation, mill.At(k + 1, cap).rotation)));
    }
    EXPECT_GT(widest, 10.0f * kDegree);
    EXPECT_LT(widest, 60.0f * kDegree);
    EXPECT_LE(Angle(Step(mill.At(n - 1, cap).rotation, mill.At(0, cap).rotation)), largestStep + 1e-4f);

    // The door ends far from where it began, so a run played once ends visibly.
    EXPECT_GT(Angle(Step(mill.At(0, door).rotation, mill.At(n - 1, door).rotation)), 60.0f * kDegree);
}

TEST_F(DemoData, TheSailsClearTheTowerAtEveryKey) {
    const int tower = mill.Part("tower"), sails = mill.Part("sails");
    ASSERT_TRUE(tower >= 0 && sails >= 0);
    Mesh towerMesh, sailsMesh;
    ASSERT_EQ(towerMesh.Load(FromRunFolder(mill.parts[tower]).c_str(), 0, 1), 1);
    ASSERT_EQ(sailsMesh.Load(FromRunFolder(mill.parts[sails]).c_str(), 0, 1), 1);
    // The tower narrows upwards: at any height it is no wider than the widest of
    // its corners from a little below that height up.
    std::vector<D3DXVECTOR3> towerPoints = Vertices(towerMesh.mesh), sailPoints = Vertices(sailsMesh.mesh);
    ASSERT_FALSE(towerPoints.empty());
    ASSERT_FALSE(sailPoints.empty());
    const D3DXMATRIX towerPose = Pose(mill.At(0, tower));
    for (D3DXVECTOR3& p : towerPoints) D3DXVec3TransformCoord(&p, &p, &towerPose);
    const auto towerRadius = [&](float y) {
        float r = 0;
        for (const D3DXVECTOR3& p : towerPoints)
            if (p.y >= y - 0.3f) r = std::max(r, std::hypot(p.x, p.z));
        return r;
    };
    const float top = towerMesh.boxMax.y + mill.At(0, tower).position.y;
    int checked = 0;
    for (int k = 0; k < mill.keyCount; ++k) {
        const D3DXMATRIX pose = Pose(mill.At(k, sails));
        for (const D3DXVECTOR3& local : sailPoints) {
            D3DXVECTOR3 p;
            D3DXVec3TransformCoord(&p, &local, &pose);
            EXPECT_GT(p.y, 0.3f) << "a sail scrapes the ground at key " << k;
            if (p.y >= top) continue;
            ++checked;
            ASSERT_GT(std::hypot(p.x, p.z), towerRadius(p.y)) << "a sail cuts the tower at key " << k << ", height " << p.y;
        }
    }
    EXPECT_GT(checked, 0);  // some of the sails sweep past the tower
}

TEST_F(DemoData, TexturesLoadAtTheirSizesWithTheirShapes) {
    auto load = [](Texture& t, const char* name, UINT size) {
        ASSERT_EQ(t.Load(DataFile(name).c_str(), 0, 1), 1) << name;
        EXPECT_EQ(t.desc.Width, size) << name;
        EXPECT_EQ(t.desc.Height, size) << name;
    };
    auto alpha = [](uint32_t p) { return int(p >> 24); };
    auto red = [](uint32_t p) { return int(p >> 16 & 255); };
    auto green = [](uint32_t p) { return int(p >> 8 & 255); };
    auto blue = [](uint32_t p) { return int(p & 255); };

    // The sprite and the sun: black and clear at the corners, bright and opaque
    // in the middle (the alpha has come through the load), fading outwards.
    for (const char* name : {"demo_particle.bmp", "demo_sun.bmp"}) {
        Texture t;
        const UINT size = std::string(name) == "demo_sun.bmp" ? 128 : 64;
        load(t, name, size);
        const std::vector<uint32_t> p = Texels(t);
        ASSERT_EQ(p.size(), size_t(size) * size);
        for (size_t corner : {size_t(0), size_t(size - 1), size_t(size) * (size - 1), p.size() - 1})
            EXPECT_EQ(p[corner], 0u) << name;
        const uint32_t middle = p[size_t(size / 2) * size + size / 2];
        EXPECT_GT(alpha(middle), 240) << name;
        EXPECT_GT(red(middle), 240) << name;
        EXPECT_GT(green(middle), 220) << name;
        int brighter = 0;  // steps along the middle row that brighten towards the edge
        for (UINT x = size / 2; x + 1 < size; ++x) brighter += red(p[size_t(size / 2) * size + x + 1]) > red(p[size_t(size / 2) * size + x]);
        EXPECT_EQ(brighter, 0) << name;
        EXPECT_EQ(red(p[size_t(size / 2) * size + size - 1]), 0) << name;
        if (size == 64) {
            EXPECT_EQ(blue(middle), red(middle)) << "the sprite is white";
        }
    }

    // The pool: many colours, and the same along opposite edges, so that it
    // repeats without a seam where the ripples carry it over an edge.
    Texture water;
    load(water, "demo_water.bmp", 256);
    const std::vector<uint32_t> p = Texels(water);
    ASSERT_EQ(p.size(), size_t(256 * 256));
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(p[size_t(i)] & 0xFFFFFF, p[size_t(255) * 256 + i] & 0xFFFFFF) << "column " << i;
        EXPECT_EQ(p[size_t(i) * 256] & 0xFFFFFF, p[size_t(i) * 256 + 255] & 0xFFFFFF) << "row " << i;
    }
    // Yellow, red, green and violet spots on blue tiles.
    auto any = [&](auto test) { return std::any_of(p.begin(), p.end(), test); };
    EXPECT_TRUE(any([&](uint32_t c) { return red(c) > 200 && green(c) > 180 && blue(c) < 100; })) << "yellow";
    EXPECT_TRUE(any([&](uint32_t c) { return red(c) > 200 && green(c) < 130 && blue(c) < 130; })) << "red";
    EXPECT_TRUE(any([&](uint32_t c) { return green(c) > 180 && red(c) < 120 && blue(c) < 150; })) << "green";
    EXPECT_TRUE(any([&](uint32_t c) { return blue(c) > 200 && red(c) > 150 && green(c) < 130; })) << "violet";
    EXPECT_TRUE(any([&](uint32_t c) { return blue(c) > 180 && red(c) < 60; })) << "blue";
}

// The mill drawn on the framework's device, its parts placed by their keys, seen
// from in front and a little below its cap.
class WindmillOnScreen : public FrameworkDevice {
protected:
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        ASSERT_TRUE(mill.opened);
        parts = std::make_unique<Mesh[]>(mill.parts.size());
        for (size_t i = 0; i < mill.parts.size(); ++i)
            ASSERT_EQ(parts[i].Load(FromRunFolder(mill.parts[i]).c_str(), 0, 1), 1) << mill.parts[i];
        SetDirectionalLight(D3DXVECTOR3(1, -1, 1), D3DCOLORVALUE{0.8f, 0.8f, 0.8f, 1.0f});
        GraphicsState.device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
        SetCameraLookAt(D3DXVECTOR3(0, 2.3f, -7.0f), D3DXVECTOR3(0, 2.3f, 0), D3DXVECTOR3(0, 1, 0));
    }

    std::vector<uint32_t> DrawKey(int key) {
        EXPECT_EQ(BeginFrame(0xFF000000), 1);
        SetZWrite(TRUE);
        SetLighting(TRUE);
        for (size_t i = 0; i < mill.parts.size(); ++i) parts[i].Draw(Pose(mill.At(key, int(i))));
        EndFrame();
        return ReadBack(("demo-windmill-key-" + std::to_string(key)).c_str());
    }
    template <typename Test>
    static int Count(const std::vector<uint32_t>& pixels, int x0, int y0, int x1, int y1, Test test) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += test(pixels[size_t(y) * 640 + x]);
        return n;
    }

    AnimationFile mill = ReadAnimation(DataFile("demo_windmill.txt"));
    std::unique_ptr<Mesh[]> parts;
};

TEST_F(WindmillOnScreen, RedAndCreamSailsTurnInFrontOfTheWhiteTower) {
    const auto r = [](uint32_t p) { return int(p >> 16 & 255); };
    const auto g = [](uint32_t p) { return int(p >> 8 & 255); };
    const auto b = [](uint32_t p) { return int(p & 255); };
    const auto sailRed = [&](uint32_t p) { return r(p) > 120 && g(p) < 60 && b(p) < 60; };
    const auto light = [&](uint32_t p) { return r(p) > 150 && g(p) > 140 && b(p) > 110; };
    const auto any = [](uint32_t p) { return (p & 0xFFFFFF) != 0; };

    const std::vector<uint32_t> first = DrawKey(0);
    ASSERT_EQ(first.size(), size_t(640 * 480));
    // The whole mill is in the picture, and fills a good part of it.
    EXPECT_EQ(Count(first, 0, 0, 640, 2, any) + Count(first, 0, 0, 2, 480, any) + Count(first, 638, 0, 640, 480, any), 0);
    EXPECT_GT(Count(first, 0, 0, 640, 480, any), 640 * 480 / 8);
    // Red sails up to the right and down to the left (an X at the first key), the
    // tower's whitewash below the hub.
    EXPECT_GT(Count(first, 320, 0, 640, 200, sailRed), 500);
    EXPECT_GT(Count(first, 0, 200, 320, 480, sailRed), 500);
    EXPECT_GT(Count(first, 240, 250, 400, 420, light), 2000);

    // A quarter of the way round, anticlockwise, the red sails have turned to the
    // other diagonal.
    const std::vector<uint32_t> quarter = DrawKey(mill.keyCount / 4);
    EXPECT_GT(Count(quarter, 0, 0, 320, 200, sailRed), 500);
    EXPECT_LT(Count(quarter, 320, 0, 640, 200, sailRed), Count(first, 320, 0, 640, 200, sailRed) / 4);
}

}  // namespace
