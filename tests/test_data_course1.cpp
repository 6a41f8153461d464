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
#include "dsound8/dsound_test_hooks.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "render/graphics_state.h"
#include "render/terrain.h"
#include "render/texture.h"
#include "render_fixture.h"
#include "sound/music.h"
#include "sound/sound_device.h"
#include "support/test_support.h"

using namespace nol::dmusic;

namespace {

constexpr float kWallHeight = 3.96875f, kOffRoadHeight = 0.0f;
constexpr int kGrid = 64;

class Course1Data : public ::testing::Test {
protected:
    // First, so that it outlives what the test makes with it.
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    MemoryDevice* device = ownedDevice.get();
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

TEST_F(Course1Data, TheTextureShowsRoadWhereTheGroundIsRoadAndGrassWhereItIsNot) {
    Texture texture;
    ASSERT_EQ(texture.Load((std::string(NOL_DATA_DIR) + "/hf_tex72.bmp").c_str(), 0, 1), 1);
    ASSERT_EQ(texture.desc.Format, D3DFMT_A8R8G8B8);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture.texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    // The texture spans the grid: texel (u, v) at x = -640 + 0.625 u, z likewise.
    auto texel = [&](float x, float z) {
        const int u = int((x + 640.0f) / 0.625f), v = int((z + 640.0f) / 0.625f);
        return static_cast<const uint32_t*>(locked.pBits)[size_t(v) * (locked.Pitch / 4) + u];
    };
    int roadSamples = 0, grassSamples = 0, wrongRoad = 0, wrongGrass = 0;
    std::string firstWrong;
    for (float z = -635; z < 635; z += 5)
        for (float x = -635; x < 635; x += 5) {
            const uint32_t c = texel(x, z);
            const int r = c >> 16 & 255, g = c >> 8 & 255, b = c & 255;
            const bool grey = std::abs(r - g) < 20 && std::abs(g - b) < 20;
            const bool yellow = r > 200 && g > 150 && b < 100;  // the checkpoint line
            const bool green = g > r + 30 && g > b + 30;
            const float ground = Ground(x, z);
            // Well inside the road the texture shows asphalt, markings or a line.
            if (ground < -1.0f) {
                ++roadSamples;
                if (!grey && !yellow && !wrongRoad++) firstWrong += "road not drawn at " + std::to_string(x) + "," + std::to_string(z) + " ";
            }
            // Grass is drawn only off the road.
            if (green) {
                ++grassSamples;
                if (ground < -0.6f && !wrongGrass++) firstWrong += "grass on the road at " + std::to_string(x) + "," + std::to_string(z);
            }
        }
    texture.texture->UnlockRect(0);
    EXPECT_EQ(wrongRoad + wrongGrass, 0) << firstWrong;
    EXPECT_GT(roadSamples, 3000);
    EXPECT_GT(grassSamples, 3000);
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

// The music played as the race plays it, looped: it sounds all the way through
// and on across the seam where it starts again, and never clips.
TEST(Course1Music, PlayedInALoopItNeverFallsSilentNorClips) {
    constexpr int kRate = 44100;
    NolDirectSoundUseManualOutput(true);
    SoundState = SoundStateRecord{};
    MusicState = MusicStateRecord{};
    testing::internal::CaptureStderr();
    ASSERT_EQ(DirectSoundCreate8(nullptr, &SoundState.directSound, nullptr), S_OK);
    ASSERT_EQ(InitDirectMusic(), 1);
    ASSERT_EQ(LoadMusic((std::string(NOL_DATA_DIR) + "/ambient.mid").c_str()), 1);
    PlayMusic(1);

    // Levels of quarter-second windows over 66 s: the piece is about 61 s long.
    std::vector<double> levels;
    std::vector<int16_t> chunk(512 * 2);
    int peak = 0;
    const int window = kRate / 4;
    for (int w = 0; w < 66 * 4; ++w) {
        double sum = 0;
        for (int done = 0; done < window; done += 512) {
            const int n = std::min(512, window - done);
            ASSERT_TRUE(NolDirectSoundRender(SoundState.directSound, chunk.data(), uint32_t(n)));
            for (int k = 0; k < 2 * n; ++k) {
                sum += double(chunk[k]) * chunk[k];
                peak = std::max(peak, std::abs(int(chunk[k])));
            }
        }
        levels.push_back(std::sqrt(sum / (2.0 * window)));
    }
    EXPECT_EQ(IsMusicPlaying(), 1);
    StopMusic();
    FreeDirectMusic();
    SoundState.directSound->Release();
    SoundState.directSound = nullptr;
    testing::internal::GetCapturedStderr();
    NolDirectSoundUseManualOutput(false);

    const auto quietest = std::min_element(levels.begin() + 1, levels.end());
    const double loudest = *std::max_element(levels.begin(), levels.end());
    std::printf("music: quietest %.0f at %.2f s, loudest %.0f, peak %d\n", *quietest,
                (quietest - levels.begin()) / 4.0, loudest, peak);
    EXPECT_GT(*quietest, 300.0) << "at " << (quietest - levels.begin()) / 4.0 << " s";
    EXPECT_LT(peak, 32767);
}

// Course 1 drawn as the race draws it, from the chase camera one unit behind
// the car at the car's height, at points round the lap.
class Course1View : public FrameworkDevice {};

TEST_F(Course1View, FromTheChaseCameraTheRoadLiesAheadBetweenGrass) {
    constexpr D3DCOLOR kSky = 0xFF6090D0;
    Terrain terrain;
    Texture texture;
    const std::string dir = NOL_DATA_DIR;
    ASSERT_EQ(terrain.Build((dir + "/hf_bump7.bmp").c_str(), D3DXVECTOR3(0, -5, 0), 20.0f, 8.0f, 0xFFFFFFFF), 1);
    ASSERT_EQ(texture.Load((dir + "/hf_tex72.bmp").c_str(), 0, 1), 1);
    const std::vector<D3DXVECTOR3> line = datagen::CentreLine(1);
    ASSERT_FALSE(line.empty());

    struct View {
        const char* name;
        size_t at;  // index on the centre line
    };
    for (const View view : {View{"course1_start", 0}, View{"course1_top_bend", line.size() / 4},
                            View{"course1_checkpoint", line.size() / 2 - 30}, View{"course1_back", line.size() * 3 / 4}}) {
        SCOPED_TRACE(view.name);
        // The car in the right half of the road, heading along it, its height
        // the ground under the camera as the race sets it.
        const D3DXVECTOR3& centre = line[view.at];
        D3DXVECTOR3 forward = line[view.at + 1] - centre;
        forward.y = 0;
        D3DXVec3Normalize(&forward, &forward);
        const D3DXVECTOR3 p = centre + 10.0f * D3DXVECTOR3(forward.z, 0, -forward.x);
        D3DXVECTOR3 car = p;
        car.y = terrain.GetHeight(p.x - forward.x, p.z - forward.z) + 1.0f;
        D3DXVECTOR3 eye = car - forward, up(0, 1, 0);
        D3DXMatrixLookAtLH(&GraphicsState.viewMatrix, &eye, &car, &up);

        ASSERT_EQ(BeginFrame(kSky), 1);
        SetTextureFilter(0, 1);
        SetZWrite(TRUE);
        SetLighting(TRUE);
        GraphicsState.device->SetTexture(0, texture.GetTexture());
        SetDefaultMaterial();
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        SetWorldMatrix(identity);
        terrain.Draw();
        const std::vector<uint32_t> pixels = ReadBack(view.name);
        EndFrame();

        auto channels = [](uint32_t c) { return std::array<int, 3>{int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)}; };
        // Straight ahead and below: the road, grey asphalt and white markings.
        int road = 0;
        for (int x = 200; x < 440; x += 8) {
            auto [r, g, b] = channels(At(pixels, x, 440));
            road += std::abs(r - g) < 16 && std::abs(g - b) < 16;
        }
        EXPECT_GT(road, 25);
        // Grass shows beside the road, and above the horizon there is sky.
        int grass = 0, sky = 0;
        for (int y = 0; y < 480; y += 4)
            for (int x = 0; x < 640; x += 4) {
                const uint32_t c = At(pixels, x, y);
                auto [r, g, b] = channels(c);
                grass += g > r + 25 && g > b + 40;
                sky += (c & 0xFFFFFF) == (kSky & 0xFFFFFF);
            }
        EXPECT_GT(grass, 50);
        EXPECT_GT(sky, 2000);
    }
}

}  // namespace
