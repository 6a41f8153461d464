// Keyframe animations on a recording device: which part is drawn where on every
// Play, how the time moves and wraps, the key pair shared by all animations, and
// what loading writes to the log, for good files and damaged ones.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "d3d8_memory_fakes.h"
#include "render/graphics_state.h"
#include "render/mesh.h"
#include "scene/animation.h"
#include "support/test_support.h"

namespace {

// A memory device that keeps, for every draw, the vertex buffer drawn and the
// world matrix it was drawn with.
struct DrawRecorder : MemoryDevice {
    struct Drawn {
        IDirect3DVertexBuffer8* vertices;
        D3DXMATRIX world;
    };
    std::vector<Drawn> drawn;
    D3DXMATRIX world;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* m) override {
        if (state == D3DTS_WORLD) world = *m;
        return MemoryDevice::SetTransform(state, m);
    }
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override {
        drawn.push_back({stream, world});
        return D3D_OK;
    }
};

// One triangle with one material.
const char kTriangle[] =
    "xof 0303txt 0032\n"
    "Mesh tri {\n"
    "  3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;\n"
    "  1; 3;0,1,2;;\n"
    "  MeshMaterialList { 1; 1; 0;; Material { 1.0;1.0;1.0;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; } }\n"
    "}\n";

// The pose of part i at key k in the generated files: a turn about y and a
// position, both different for every part and key; `reach` scales the positions.
float Angle(int part, float key) { return part == 0 ? 0.4f * key : -0.3f * key; }
D3DXVECTOR3 Position(int part, float key, float reach) {
    return D3DXVECTOR3(10 * key + part, 2 * key, -key) * reach;
}

// "N names M records", with the records of the poses above.
std::string AnimationFile(const std::vector<std::string>& names, int keys, float reach = 1) {
    std::string text = std::to_string(names.size()) + "\n";
    for (const std::string& n : names) text += n + "\n";
    text += std::to_string(keys) + "\n";
    char line[200];
    for (int k = 0; k < keys; ++k)
        for (int i = 0; i < int(names.size()); ++i) {
            const D3DXVECTOR3 p = Position(i, float(k), reach);
            const float half = Angle(i, float(k)) / 2;
            std::snprintf(line, sizeof line, "%.9g,%.9g,%.9g %.9g,%.9g,%.9g,%.9g\n", p.x, p.y, p.z, 0.0,
                          std::sin(half), 0.0, std::cos(half));
            text += line;
        }
    return text;
}

class AnimationTest : public ::testing::Test {
protected:
    // First, so that it outlives the meshes made with it.
    std::unique_ptr<DrawRecorder> ownedDevice = std::make_unique<DrawRecorder>();
    DrawRecorder* device = ownedDevice.get();
    TempDir dir;
    char previous[4096] = {};

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        device->keepResources = false;  // live counts what the meshes hold
        // Part names in the files are relative to the current directory.
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
        Write("a.x", kTriangle);
        Write("b.x", kTriangle);
        Write("c.x", kTriangle);
        Write("walk.txt", AnimationFile({"a.x", "b.x"}, 3));
    }
    void TearDown() override {
        if (previous[0]) {
            ASSERT_EQ(chdir(previous), 0);
        }
    }

    void Write(const std::string& name, const std::string& text) {
        FILE* f = std::fopen(dir.File(name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }

    // Load, with what it logged.
    std::string LoadLogged(CAnimation& animation, const std::string& name, int expected = 1) {
        testing::internal::CaptureStderr();
        const int result = animation.Load(name.c_str());
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, expected) << log;
        return log;
    }

    static IDirect3DVertexBuffer8* VerticesOf(const Mesh& mesh) {
        IDirect3DVertexBuffer8* vb = nullptr;
        if (mesh.mesh && mesh.mesh->GetVertexBuffer(&vb) == D3D_OK) vb->Release();
        return vb;
    }

    // One Play: it draws each part once, in order, at the pose between keys k0
    // and k1 at blend t, placed by the placement; returns what Play returned.
    int ExpectPlayShows(CAnimation& animation, int loop, int k0, int k1, float t, float reach = 1) {
        SCOPED_TRACE(testing::Message() << "keys " << k0 << " -> " << k1 << " at " << t);
        device->drawn.clear();
        const int result = animation.Play(loop);
        EXPECT_EQ(device->drawn.size(), size_t(animation.partCount));
        for (int i = 0; i < int(device->drawn.size()) && i < animation.partCount; ++i) {
            D3DXMATRIX pose;
            D3DXMatrixRotationY(&pose, Angle(i, float(k0)) * (1 - t) + Angle(i, float(k1)) * t);
            const D3DXVECTOR3 p = Position(i, float(k0), reach) * (1 - t) + Position(i, float(k1), reach) * t;
            pose._41 = p.x, pose._42 = p.y, pose._43 = p.z;
            const D3DXMATRIX expected = pose * animation.placement.local;
            EXPECT_EQ(device->drawn[i].vertices, VerticesOf(animation.parts[i])) << "part " << i;
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    EXPECT_NEAR(device->drawn[i].world.m[r][c], expected.m[r][c], 1e-4f)
                        << "part " << i << " [" << r << "][" << c << "]";
        }
        return result;
    }
};

TEST_F(AnimationTest, LoadsEveryPartsMeshAndTheKeysKeyMajor) {
    CAnimation animation;
    const std::string log = LoadLogged(animation, "walk.txt");
    EXPECT_EQ(log, "load(a.x) ... ok.\nload(b.x) ... ok.\n");
    EXPECT_EQ(animation.partCount, 2);
    EXPECT_EQ(animation.keyCount, 3);
    ASSERT_NE(animation.parts[1].mesh, nullptr);
    // Part 1 at key 2 is record 2 * 2 + 1.
    EXPECT_FLOAT_EQ(animation.keys[5].position.x, 21);
    EXPECT_NEAR(animation.keys[5].rotation.y, std::sin(-0.3f), 1e-6f);
}

TEST_F(AnimationTest, LoopingForwardsBlendsThroughEveryKeyAndBackToTheFirst) {
    CAnimation animation;
    LoadLogged(animation, "walk.txt");
    animation.speed = 0.5f;
    // The whole object is placed: each part's pose is followed by the placement.
    D3DXMATRIX scale, move;
    D3DXMatrixScaling(&scale, 2, 2, 2);
    D3DXMatrixTranslation(&move, 100, 0, -5);
    animation.placement.local = scale * move;
    const struct {
        int k0, k1;
        float t;
    } frames[] = {{0, 1, 0}, {0, 1, 0.5f}, {1, 2, 0}, {1, 2, 0.5f}, {2, 0, 0}, {2, 0, 0.5f}, {0, 1, 0}, {0, 1, 0.5f}};
    for (const auto& f : frames) EXPECT_EQ(ExpectPlayShows(animation, 1, f.k0, f.k1, f.t), 0);
    EXPECT_FLOAT_EQ(animation.time, 1.0f);
}

TEST_F(AnimationTest, PlayedOnceTheLastKeyIsHeldAndTheEndReportedOnce) {
    CAnimation animation;
    LoadLogged(animation, "walk.txt");
    animation.speed = 0.5f;
    EXPECT_EQ(ExpectPlayShows(animation, 0, 0, 1, 0), 0);
    EXPECT_EQ(ExpectPlayShows(animation, 0, 0, 1, 0.5f), 0);
    EXPECT_EQ(ExpectPlayShows(animation, 0, 1, 2, 0), 0);
    EXPECT_EQ(ExpectPlayShows(animation, 0, 1, 2, 0.5f), 0);
    EXPECT_EQ(ExpectPlayShows(animation, 0, 2, 2, 0), 0);
    // From 2.5 to 3.0: key 2 blended with itself, the end, and the time wraps.
    EXPECT_EQ(ExpectPlayShows(animation, 0, 2, 2, 0.5f), 1);
    EXPECT_FLOAT_EQ(animation.time, 0.0f);
    // Played on, it starts over.
    EXPECT_EQ(ExpectPlayShows(animation, 0, 0, 1, 0), 0);
}

TEST_F(AnimationTest, BackwardsFromTheStartShowsTheLastKeyThenWraps) {
    CAnimation animation;
    LoadLogged(animation, "walk.txt");
    animation.speed = -0.5f;
    EXPECT_EQ(ExpectPlayShows(animation, 1, 0, 2, 1), 0);  // key 2 in full
    EXPECT_FLOAT_EQ(animation.time, 2.5f);
    EXPECT_EQ(ExpectPlayShows(animation, 1, 2, 1, 0.5f), 0);
    EXPECT_EQ(ExpectPlayShows(animation, 1, 2, 1, 1), 0);  // a whole time shows the key before
    EXPECT_EQ(ExpectPlayShows(animation, 1, 1, 0, 0.5f), 0);
    EXPECT_FLOAT_EQ(animation.time, 1.0f);

    // Once: the first key is held at the start, and running past it ends the play.
    CAnimation once;
    LoadLogged(once, "walk.txt");
    once.speed = -0.5f;
    EXPECT_EQ(ExpectPlayShows(once, 0, 0, 0, 1), 1);
    EXPECT_FLOAT_EQ(once.time, 2.5f);
}

TEST_F(AnimationTest, SpeedZeroShowsThePairAndBlendOfAnyAnimationsLastPlay) {
    Write("run.txt", AnimationFile({"c.x", "a.x"}, 3, 100));
    CAnimation walk, run;
    LoadLogged(walk, "walk.txt");
    LoadLogged(run, "run.txt");
    walk.speed = 0.5f;
    walk.time = 1.5f;
    ExpectPlayShows(walk, 1, 1, 2, 0.5f);

    // run's own keys, at the pair and blend walk's Play chose; its time stays.
    run.speed = 0;
    run.time = 0.25f;
    EXPECT_EQ(ExpectPlayShows(run, 1, 1, 2, 0.5f, 100), 0);
    EXPECT_FLOAT_EQ(run.time, 0.25f);
}

TEST_F(AnimationTest, GetPoseSlerpsTheRotationAndBlendsThePosition) {
    // A quarter turn about x, from (0, 0, 0) to (4, 8, -4).
    Write("turn.txt", "1 a.x 2 0,0,0 0,0,0,1 4,8,-4 0.707106781,0,0,0.707106781\n");
    CAnimation animation;
    LoadLogged(animation, "turn.txt");
    const D3DXMATRIX pose = animation.GetPose(0, 1, 0.25f);
    D3DXMATRIX expected;
    D3DXMatrixRotationX(&expected, D3DX_PI / 8);
    expected._41 = 1, expected._42 = 2, expected._43 = -1;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(pose.m[r][c], expected.m[r][c], 1e-5f) << r << c;

    // Indices outside the keys give the identity rather than reading past them.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (const auto& [a, b] : std::vector<std::pair<int, int>>{{0, 2}, {-1, 0}, {2, 2}}) {
        const D3DXMATRIX outside = animation.GetPose(a, b, 0.5f);
        EXPECT_EQ(std::memcmp(&outside, &identity, sizeof identity), 0) << a << ", " << b;
    }
}

TEST_F(AnimationTest, ASecondLoadReleasesTheFirstMeshesAndFreeKeepsTheSpeed) {
    Write("one.txt", AnimationFile({"c.x"}, 2));
    CAnimation animation;
    LoadLogged(animation, "walk.txt");
    const int liveWithTwo = device->live;
    animation.speed = -0.25f;
    animation.time = 1.5f;
    const std::string log = LoadLogged(animation, "one.txt");
    EXPECT_EQ(log, "release(b.x)\nrelease(a.x)\nload(c.x) ... ok.\n");
    EXPECT_LT(device->live, liveWithTwo);
    EXPECT_EQ(animation.partCount, 1);
    EXPECT_EQ(animation.keyCount, 2);
    EXPECT_FLOAT_EQ(animation.time, 0.0f);
    EXPECT_FLOAT_EQ(animation.speed, -0.25f);

    testing::internal::CaptureStderr();
    animation.Free();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "release(c.x)\n");
    EXPECT_EQ(device->live, 0);
    EXPECT_EQ(animation.parts, nullptr);
    EXPECT_EQ(animation.keys, nullptr);
    EXPECT_FLOAT_EQ(animation.speed, -0.25f);
}

TEST_F(AnimationTest, AMissingFileIsLoggedAndLeavesTheObjectEmpty) {
    CAnimation animation;
    LoadLogged(animation, "walk.txt");
    const std::string missing = dir.File("nowhere.txt");
    EXPECT_EQ(LoadLogged(animation, missing, 0), "release(b.x)\nrelease(a.x)\ncan't open " + missing + ".\n");
    EXPECT_EQ(animation.parts, nullptr);
    EXPECT_EQ(animation.partCount, 0);
    EXPECT_EQ(animation.keyCount, 0);
    // A folder opens but does not read.
    EXPECT_EQ(LoadLogged(animation, dir.path, 0), "can't read " + dir.path + ".\n");
    device->drawn.clear();
    EXPECT_EQ(animation.Play(1), 0);
    EXPECT_TRUE(device->drawn.empty());
}

TEST_F(AnimationTest, DamagedFilesAreLoggedByNameAndPlayWhatWasRead) {
    // A name too long for its buffer: that part gets no mesh, the other draws.
    Write("long.txt", AnimationFile({std::string(300, 'n'), "b.x"}, 2));
    CAnimation animation;
    EXPECT_EQ(LoadLogged(animation, "long.txt"),
              "long.txt: name of part 0 is 300 characters long (at most 255), the part has no mesh.\n"
              "load(b.x) ... ok.\n");
    EXPECT_EQ(animation.parts[0].mesh, nullptr);
    device->drawn.clear();
    animation.Play(1);
    ASSERT_EQ(device->drawn.size(), 1u);
    EXPECT_EQ(device->drawn[0].vertices, VerticesOf(animation.parts[1]));

    // Cut inside key 2: from there every part holds its pose at key 1.
    std::string text = AnimationFile({"a.x", "b.x"}, 3);
    Write("cut.txt", text.substr(0, text.find("20,") + 5));
    EXPECT_EQ(LoadLogged(animation, "cut.txt"),
              "release(b.x)\nload(a.x) ... ok.\nload(b.x) ... ok.\n"
              "cut.txt: file ends in the record of key 2, part 0: from there each part holds its last pose.\n");
    animation.speed = 1;
    animation.time = 2;
    EXPECT_EQ(ExpectPlayShows(animation, 1, 1, 1, 0), 0);

    // A comma after white space, one line naming the file and the record.
    Write("comma.txt", "1 a.x 2 1.5,2.5,3.5 0,0,0,1\n4 ,5,6 0,0,0,1\n");
    const std::string log = LoadLogged(animation, "comma.txt");
    EXPECT_NE(log.find("comma.txt: malformed record of key 1, part 0: from there each part holds its last pose.\n"),
              std::string::npos);

    // Counts beyond what the file holds are refused, not allocated for.
    Write("huge.txt", "2 a.x b.x 2147483647 0,0,0 0,0,0,1\n");
    EXPECT_NE(LoadLogged(animation, "huge.txt").find("huge.txt: 2147483647 keys do not fit in the rest of the file"),
              std::string::npos);
    EXPECT_EQ(animation.keyCount, 0);
    EXPECT_EQ(animation.keys, nullptr);
    Write("negative.txt", "-4 a.x\n");
    EXPECT_EQ(LoadLogged(animation, "negative.txt"),
              "release(b.x)\nrelease(a.x)\nnegative.txt: part count -4 is out of range, read as 0.\n");
    EXPECT_EQ(animation.parts, nullptr);
}

// Without keys nothing is drawn or read, and the time still moves as always.
TEST_F(AnimationTest, PartsWithoutKeysOrKeysWithoutPartsDrawNothingAndStillMoveTheTime) {
    Write("nokeys.txt", "2 a.x b.x 0\n");
    CAnimation noKeys;
    LoadLogged(noKeys, "nokeys.txt");
    ASSERT_EQ(noKeys.partCount, 2);
    noKeys.speed = 0.5f;
    device->drawn.clear();
    EXPECT_EQ(noKeys.Play(1), 0);
    EXPECT_EQ(noKeys.Play(0), 1);  // there is no key to play: every once-play ends
    noKeys.speed = -0.5f;
    EXPECT_EQ(noKeys.Play(0), 1);
    noKeys.speed = 0;
    EXPECT_EQ(noKeys.Play(1), 0);
    EXPECT_TRUE(device->drawn.empty());

    Write("noparts.txt", "0\n3\n");
    CAnimation noParts;
    LoadLogged(noParts, "noparts.txt");
    EXPECT_EQ(noParts.keyCount, 3);
    noParts.speed = 1;
    EXPECT_EQ(noParts.Play(0), 0);
    EXPECT_EQ(noParts.Play(0), 0);
    EXPECT_EQ(noParts.Play(0), 1);
    EXPECT_FLOAT_EQ(noParts.time, 0.0f);
    EXPECT_TRUE(device->drawn.empty());
}

// Times and shared pairs that name no key of the animation draw nothing.
TEST_F(AnimationTest, ATimeOrSharedPairOutsideTheKeysDrawsNothing) {
    Write("long.txt", AnimationFile({"a.x"}, 5));
    CAnimation walk, longer;
    LoadLogged(walk, "walk.txt");
    LoadLogged(longer, "long.txt");

    walk.speed = 0.5f;
    for (float time : {7.0f, -1.0f, NAN}) {
        walk.time = time;
        device->drawn.clear();
        walk.Play(1);
        EXPECT_TRUE(device->drawn.empty()) << time;
    }
    walk.time = 7;
    walk.Play(1);
    EXPECT_FLOAT_EQ(walk.time, 4.5f);  // one wrap, as always

    longer.speed = 1;
    longer.time = 4;
    ExpectPlayShows(longer, 1, 4, 0, 0);
    walk.speed = 0;  // the pair (4, 0) is not walk's
    device->drawn.clear();
    walk.Play(1);
    EXPECT_TRUE(device->drawn.empty());
}

}  // namespace
