// Course 1 as the game builds it from the generated data: the terrain from
// hf_bump7.bmp with the course's own numbers, its texture, the road loop and the
// walls round it, and the race music.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <queue>
#include <string>
#include <vector>

#include "d3d8_memory_fakes.h"
#include "datagen/centre_line.h"
#include "dmusic/dmusici.h"
#include "dmusic/midi_file.h"
#include "render/graphics_state.h"
#include "render/terrain.h"
#include "render/texture.h"
#include "support/test_support.h"

namespace {

constexpr float kWallHeight = 3.96875f, kOffRoadHeight = 0.0f;
constexpr int kGrid = 64;

class Course1Data : public ::testing::Test {
protected:
    MemoryDevice* device = new MemoryDevice;
    Terrain terrain;

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        GraphicsState.maxPrimitiveCount = 0xFFFFF;
        const std::string map = std::string(NOL_DATA_DIR) + "/hf_bump7.bmp";
        ASSERT_EQ(terrain.Build(map.c_str(), D3DXVECTOR3(0, -5, 0), 20.0f, 8.0f, 0xFFFFFFFF), 1);
        ASSERT_EQ(terrain.columns, kGrid);
        ASSERT_EQ(terrain.rows, kGrid);
    }

    // The course's ground height: the terrain's plus one.
    float Ground(float x, float z) const { return terrain.GetHeight(x, z) + 1.0f; }
    int Level(int i, int j) const { return int(std::lround((terrain.heights[size_t(j) * kGrid + i] + 5.0f) * 32.0f)); }
    bool Road(int i, int j) const { return Level(i, j) < 128; }
    bool Wall(int i, int j) const { return Level(i, j) == 255; }

    // Road grid points reachable from (i, j) along the road, four ways, leaving
    // out those `blocked` says.
    template <typename Blocked>
    std::vector<bool> RoadFrom(int i, int j, Blocked blocked) const {
        std::vector<bool> seen(kGrid * kGrid, false);
        std::queue<std::pair<int, int>> open;
        auto visit = [&](int a, int b) {
            if (a < 0 || b < 0 || a >= kGrid || b >= kGrid || seen[b * kGrid + a] || !Road(a, b) || blocked(a, b)) return;
            seen[b * kGrid + a] = true;
            open.push({a, b});
        };
        visit(i, j);
        while (!open.empty()) {
            auto [a, b] = open.front();
            open.pop();
            visit(a + 1, b), visit(a - 1, b), visit(a, b + 1), visit(a, b - 1);
        }
        return seen;
    }
};

int Column(float x) { return int(std::floor(x / 20.0f)) + kGrid / 2; }

TEST_F(Course1Data, StartAndCheckpointLieOnTheRoadAtTheCarsStartingHeight) {
    EXPECT_EQ(Ground(360, 12), -2.5f);  // the car's start y
    EXPECT_LT(Ground(-370, 8), kOffRoadHeight);
    // Both straights run along z through the gates: the road continues 100
    // units either side of each, a full road's width across.
    for (float along = -100; along <= 100; along += 10)
        for (float across = -24; across <= 24; across += 8) {
            EXPECT_LT(Ground(360 + across, 12 + along), kOffRoadHeight) << along << " " << across;
            EXPECT_LT(Ground(-370 + across, 8 + along), kOffRoadHeight) << along << " " << across;
        }
    // The texture is the size the grid wants and loads as the course loads it.
    Texture texture;
    ASSERT_EQ(texture.Load((std::string(NOL_DATA_DIR) + "/hf_tex72.bmp").c_str(), 0, 1), 1);
    EXPECT_EQ(texture.desc.Width, 2048u);
    EXPECT_EQ(texture.desc.Height, 2048u);
}

TEST_F(Course1Data, TheCentreLineIsAClosedLapOnTheRoadThroughBothGates) {
    const std::vector<D3DXVECTOR3> line = datagen::CentreLine(1);
    ASSERT_GT(line.size(), 100u);
    EXPECT_EQ(line.front(), D3DXVECTOR3(360, -2.5f, 12));
    float length = 0, nearCheck = 1e9f;
    for (size_t k = 0; k < line.size(); ++k) {
        const D3DXVECTOR3& p = line[k];
        const D3DXVECTOR3& q = line[(k + 1) % line.size()];
        const D3DXVECTOR3 step = q - p;
        ASSERT_LT(D3DXVec3Length(&step), 5.0f) << k;  // dense, and closed back to the start
        length += D3DXVec3Length(&step);
        nearCheck = std::min(nearCheck, std::hypot(p.x + 370, p.z - 8));
        // On the road, and so is a band half a gate wide either side of it.
        D3DXVECTOR3 right(step.z, 0, -step.x);
        D3DXVec3Normalize(&right, &right);
        for (float off : {-20.0f, 0.0f, 20.0f})
            ASSERT_LT(Ground(p.x + right.x * off, p.z + right.z * off), kOffRoadHeight) << k << " off " << off;
    }
    // It leaves the start heading +z and passes the checkpoint heading -z.
    EXPECT_GT(line[1].z, line[0].z);
    EXPECT_NEAR(line[1].x, 360, 0.01f);
    EXPECT_LT(nearCheck, 1.0f);
    // At top speed (200 units a simulated second, the simulation at half of real
    // time) a lap takes 30 to 90 s.
    const float seconds = length / 100.0f;
    EXPECT_GT(seconds, 30.0f);
    EXPECT_LT(seconds, 90.0f);
    std::printf("course 1 lap: %.0f units, %.1f s at top speed\n", length, seconds);
}

TEST_F(Course1Data, TheRoadIsOneLoopThroughStartAndCheckpoint) {
    const int startI = Column(360), startJ = Column(12), checkI = Column(-370), checkJ = Column(8);
    ASSERT_TRUE(Road(startI, startJ));
    ASSERT_TRUE(Road(checkI, checkJ));
    const std::vector<bool> all = RoadFrom(startI, startJ, [](int, int) { return false; });
    EXPECT_TRUE(all[checkJ * kGrid + checkI]);
    int roadPoints = 0, reached = 0;
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i) roadPoints += Road(i, j), reached += all[j * kGrid + i];
    EXPECT_EQ(reached, roadPoints) << "road apart from the loop";

    // Cut across the road at one gate: the two sides still meet the other way
    // round, past the other gate. Only a loop through both does that.
    for (auto [gateI, gateJ, otherI, otherJ] : {std::array{startI, startJ, checkI, checkJ},
                                                std::array{checkI, checkJ, startI, startJ}}) {
        const bool east = gateI > kGrid / 2;
        auto cut = [&](int i, int j) { return std::abs(j - gateJ) <= 1 && (i > kGrid / 2) == east; };
        const std::vector<bool> round = RoadFrom(gateI, gateJ - 3, cut);
        EXPECT_TRUE(round[(gateJ + 3) * kGrid + gateI]) << "gate column " << gateI;
        EXPECT_TRUE(round[otherJ * kGrid + otherI]) << "gate column " << gateI;
    }
}

TEST_F(Course1Data, WallsAtLeastTwoPointsThickEncloseTheTrackAndTheEdge) {
    for (int k = 0; k < kGrid; ++k)
        for (int e : {0, 1, kGrid - 2, kGrid - 1}) {
            EXPECT_TRUE(Wall(k, e) && Wall(e, k)) << k << "," << e;
        }
    EXPECT_GE(Ground(5000, -5000), kWallHeight);

    // Between grid points the ground is interpolated, so only a cell with wall at
    // all four corners stops a car. Cells a car can enter, spreading from the
    // start's cell (corners touching count: a wheel crosses there too), must not
    // reach the edge.
    const int cells = kGrid - 1;
    auto solid = [&](int i, int j) { return Wall(i, j) && Wall(i + 1, j) && Wall(i, j + 1) && Wall(i + 1, j + 1); };
    std::vector<bool> seen(cells * cells, false);
    std::queue<std::pair<int, int>> open;
    open.push({Column(360), Column(12)});
    seen[Column(12) * cells + Column(360)] = true;
    int enterable = 0;
    bool reachedEdge = false;
    while (!open.empty()) {
        auto [i, j] = open.front();
        open.pop();
        ++enterable;
        if (i == 0 || j == 0 || i == cells - 1 || j == cells - 1) reachedEdge = true;
        for (int dj = -1; dj <= 1; ++dj)
            for (int di = -1; di <= 1; ++di) {
                const int a = i + di, b = j + dj;
                if (a < 0 || b < 0 || a >= cells || b >= cells || seen[b * cells + a] || solid(a, b)) continue;
                seen[b * cells + a] = true;
                open.push({a, b});
            }
    }
    EXPECT_FALSE(reachedEdge);
    EXPECT_GT(enterable, 100);

    // Everywhere inside a cell bordering the enterable ones the ground stands at
    // wall height, so a wheel arriving anywhere in it is stopped.
    int sampled = 0, low = 0;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            if (!solid(i, j)) continue;
            bool borders = false;
            for (int dj = -1; dj <= 1; ++dj)
                for (int di = -1; di <= 1; ++di) {
                    const int a = i + di, b = j + dj;
                    borders |= a >= 0 && b >= 0 && a < cells && b < cells && seen[b * cells + a];
                }
            if (!borders) continue;
            for (float ty = 0.05f; ty < 1.0f; ty += 0.1f)
                for (float tx = 0.05f; tx < 1.0f; tx += 0.1f) {
                    const float x = (i - kGrid / 2 + tx) * 20.0f, z = (j - kGrid / 2 + ty) * 20.0f;
                    ++sampled;
                    low += Ground(x, z) < kWallHeight;
                }
        }
    EXPECT_GT(sampled, 1000);
    EXPECT_EQ(low, 0) << "points below wall height inside wall cells";
}

TEST(Course1Music, AmbientLoadsThroughDirectMusicLoopsCleanlyAndLastsAboutAMinute) {
    IDirectMusicLoader8* loader = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC, IID_IDirectMusicLoader8,
                               (void**)&loader),
              S_OK);
    const std::string dir = NOL_DATA_DIR;
    std::u16string wideDir(dir.begin(), dir.end());
    loader->SetSearchDirectory(GUID_DirectMusicAllTypes, wideDir.data(), FALSE);
    IDirectMusicSegment8* segment = nullptr;
    std::u16string name = u"ambient.mid";
    ASSERT_EQ(loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8, name.data(),
                                         (void**)&segment),
              S_OK);
    MUSIC_TIME length = 0;
    segment->GetLength(&length);
    segment->Release();
    loader->Release();

    const std::string bytes = ReadFile(dir + "/ambient.mid");
    const MidiReadResult read = ReadMidiFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ASSERT_TRUE(read.ok) << read.reason;
    EXPECT_TRUE(read.warning.empty()) << read.warning;
    EXPECT_EQ(read.song.length, length);
    // Seconds, following the tempo changes.
    double seconds = 0, tempo = MIDI_DEFAULT_TEMPO;
    MUSIC_TIME at = 0;
    std::map<int, int> sounding;  // channel * 128 + key -> notes on
    std::map<int, int> notesPerChannel;
    for (const MidiEvent& e : read.song.events) {
        seconds += (e.tick - at) / double(DMUS_PPQ) * tempo / 1e6;
        at = e.tick;
        if (e.status == MIDI_TEMPO) tempo = e.tempo;
        const int kind = e.status & 0xF0, channel = e.status & 0x0F;
        if (kind == 0x90) ++sounding[channel * 128 + e.data1], ++notesPerChannel[channel];
        if (kind == 0x80) --sounding[channel * 128 + e.data1];
    }
    seconds += (length - at) / double(DMUS_PPQ) * tempo / 1e6;
    EXPECT_GT(seconds, 50.0);
    EXPECT_LT(seconds, 75.0);
    // Whole bars of four beats, and no note left sounding over the loop's seam.
    EXPECT_EQ(length % (4 * DMUS_PPQ), 0);
    for (auto [note, count] : sounding) EXPECT_EQ(count, 0) << "channel " << note / 128 << " key " << note % 128;
    // A band: pad, bass, melody, drums at least.
    EXPECT_GE(notesPerChannel.size(), 4u);
    EXPECT_GT(notesPerChannel[9], 100);
}

}  // namespace
