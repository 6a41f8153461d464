// A long run of the real game's frames: the autopilot drives each course in
// turn (1, 2, 3, 1, ...), going back to the selection with Q and on with the
// cursor keys and Enter, with music playing. Along the way:
//   - resident memory is sampled (VmRSS) and must stay flat once every course
//     has been driven once;
//   - at every selection screen and every race the texture cache holds exactly
//     the textures of the models the game holds at that moment;
//   - the device makes no new shader programs once every course has been seen.
// Environment:
//   NOL_SOAK_MINUTES=m         how long to drive (default 2); the run ends at the
//                              first course change after that, and never before
//                              two rounds of the three courses are complete
//   NOL_SOAK_LAPS=n            laps driven on each course before Q; 0 (the
//                              default) drives NOL_SOAK_COURSE_FRAMES frames
//                              (default 300) instead, so that a run of a few
//                              minutes still covers several rounds
//   NOL_SOAK_PACED=1           pace frames at 30 a second as the shell does
//                              (default: frames back to back)
//   NOL_SOAK_SAMPLE_SECONDS=s  memory sample interval (default 10)
//   NOL_SOAK_CSV=path          where the memory curve goes (default
//                              soak_memory.csv in the build folder)
#include <malloc.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "autopilot.h"
#include "datagen/centre_line.h"
#include "game_fixture.h"
#include "render/texture.h"
#include "shell/frame_timer.h"
#include "sound/music.h"
#include "sound/sound_device.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's allocator holds freed blocks back (its quarantine, 256 MB)
// and answers for itself: resident memory says nothing about the game there.
constexpr bool kMemoryMeasurable = false;
#else
constexpr bool kMemoryMeasurable = true;
#endif

double EnvNumber(const char* name, double fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return (end && *end == '\0' && value >= 0.0) ? value : fallback;
}

// What the allocator has handed out and not had back, in kB: the program's own
// memory, without the free space the allocator keeps for later.
long AllocatedKb() {
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
}

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// The members of the game that hold a model, and which model each course's
// set-up loads into them. A member keeps its model until a later set-up loads
// another into it, so course 3 still holds two of course 2's scenery models and
// course 1 everything of the model course before it.
enum Holder { kTitle, kCar, kEnv, kGround, kRoad, kStart, kCheck, kObject0, kObject1, kObject9, kHolders };
const std::map<Holder, const char*> kCourseModels[4] = {
    {},
    {{kEnv, "env"}, {kStart, "objstart"}, {kCheck, "objcheck"}},
    {{kEnv, "env"},
     {kGround, "course1st@5"},
     {kRoad, "course1st@5"},
     {kStart, "objstart"},
     {kCheck, "objcheck"},
     {kObject0, "obj1st@3"},
     {kObject1, "obj1st2@1"},
     {kObject9, "obj1st3@1"}},
    {{kEnv, "env"},
     {kGround, "green2nd"},
     {kRoad, "course2nd"},
     {kStart, "objstart"},
     {kCheck, "objcheck"},
     {kObject0, "course2ndside"}},
};

// Gives the first material of a text .x model a texture; false when the file
// has no material to give it to.
bool AddTexture(std::string& model, const std::string& texture) {
    size_t at = model.find("Material {");
    if (at == std::string::npos) return false;
    int depth = 0;
    for (at = model.find('{', at); at < model.size(); ++at) {
        if (model[at] == '{') ++depth;
        if (model[at] == '}' && --depth == 0) break;
    }
    if (at >= model.size()) return false;
    model.insert(at, " TextureFilename { \"" + texture + "\"; }\n");
    return true;
}

// The generated data, every model with a small texture of its own, "<model>.bmp":
// the generated models have none, and the cache would have nothing to hold.
void WriteTexturedData(const std::string& dir) {
    for (const auto& entry : std::filesystem::directory_iterator(NOL_DATA_DIR)) {
        const std::string name = entry.path().filename().string();
        const std::string to = dir + "/" + name;
        if (entry.path().extension() != ".x") {
            ASSERT_EQ(symlink(entry.path().c_str(), to.c_str()), 0) << to;
            continue;
        }
        std::string model = ReadFile(entry.path().string());
        ASSERT_EQ(model.rfind("xof 0303txt", 0), 0u) << name << " is not a text .x file";
        const std::string stem = entry.path().stem().string();
        ASSERT_TRUE(AddTexture(model, stem + ".bmp")) << name;
        std::ofstream(to, std::ios::binary) << model;
        images::Bmp bmp(4, 4, 24);
        for (int i = 0; i < 16; ++i) bmp.pixels.push_back(0xFF000000u | uint32_t(stem.size() * 0x2F1Bu + i));
        ASSERT_TRUE(images::WriteBmp(dir + "/" + stem + ".bmp", bmp));
    }
}

std::map<std::string, int> CacheEntries() {
    std::map<std::string, int> entries;
    for (const TextureCacheNode* node = TextureCache.head; node; node = node->next) entries[node->name] += node->refCount;
    return entries;
}

std::string Describe(const std::map<std::string, int>& entries) {
    std::ostringstream text;
    for (const auto& [name, count] : entries) text << name << " x" << count << "  ";
    return text.str();
}

class Soak : public FrameworkDevice {
protected:
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        InstallFake(&input);
        ASSERT_EQ(InitDirectInput(), 1);
        // Music plays through the run as in the program; with no sound output
        // the device plays silently.
        ASSERT_EQ(InitDirectSound(), 1);
        ASSERT_EQ(InitDirectMusic(), 1);
        ASSERT_EQ(mkdir(dir.File("data").c_str(), 0755), 0);
        WriteTexturedData(dir.File("data"));
        if (HasFatalFailure()) return;
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
        paced = EnvNumber("NOL_SOAK_PACED", 0) != 0;
        start = Now();
        GameStart();
        held[kTitle] = "opentitle";
        if (paced) InitFrameTimer();
    }
    void TearDown() override {
        FreeDirectMusic();
        FreeDirectSound();
        FreeInput();
        InstallFake(nullptr);
        FrameworkDevice::TearDown();
    }

    static double Now() {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return double(ts.tv_sec) + ts.tv_nsec / 1e9;
    }
    double Seconds() const { return Now() - start; }

    void Frame(const std::vector<int>& keys) {
        // The fake records every call; over a long run that record would be
        // the growth measured.
        input.log.calls.clear();
        std::fill(input.keyboard.state.begin(), input.keyboard.state.end(), 0);
        for (int key : keys) input.keyboard.state[key] = 0x80;
        UpdateInput();
        GameFrame();
        if (paced) WaitFrame();
        ++frames;
    }

    std::map<std::string, int> ExpectedCache() const {
        std::map<std::string, int> expected;
        for (const std::string& model : held)
            if (!model.empty()) expected[model + ".bmp"] += 1;
        return expected;
    }

    // One line of the memory curve, written at once: a run that dies keeps its
    // curve up to that point.
    void Sample(const char* event) {
        rows << Seconds() << ',' << frames << ',' << round << ',' << courseNumber << ',' << event << ','
             << ResidentKb() << ',' << AllocatedKb() << ',' << NolD3D8ProgramCount(GraphicsState.device) << std::endl;
        nextSample = Seconds() + sampleSeconds;
    }

    // From the selection screen: the cursor keys to the course, Enter, the
    // course's laps (or frames); Q goes back.
    void DriveCourse(int number) {
        ASSERT_EQ(gameState, kSelection);
        EXPECT_EQ(CacheEntries(), ExpectedCache()) << "selection before course " << number << ", round " << round;
        while (courseNumber != number) {
            const int before = courseNumber;
            Frame({courseNumber < number ? DIK_RIGHT : DIK_LEFT});
            Frame({});
            ASSERT_NE(courseNumber, before);
        }
        Frame({DIK_RETURN});
        ASSERT_EQ(gameState, kRace);
        for (const auto& [holder, model] : kCourseModels[number]) held[holder] = model;
        held[kCar] = "car";
        EXPECT_EQ(CacheEntries(), ExpectedCache()) << "race on course " << number << ", round " << round << "\n  held: "
                                                   << Describe(CacheEntries()) << "\n  expected: "
                                                   << Describe(ExpectedCache());

        Autopilot pilot(lines[number]);
        const int budget = laps > 0 ? laps * 90 * 30 : courseFrames;  // slow laps at 30 frames a second
        int raceFrames = 0;
        while ((laps == 0 || car.lap <= laps) && raceFrames < budget) {
            Frame(pilot.Keys(car));
            ++raceFrames;
            if (Seconds() >= nextSample) Sample("time");
        }
        if (laps > 0)
            ASSERT_EQ(car.lap, laps + 1) << "course " << number << " round " << round << ": " << laps
                                         << " laps not done in " << budget << " frames";
        else
            ASSERT_GT(car.speed, 20.0f) << "course " << number << " round " << round << ": the car is not under way";
        Frame({DIK_Q});
        ASSERT_EQ(gameState, kSelection);
        Frame({});
        Sample("course");
    }

    FakeDirectInput input;
    TempDir dir;
    bool paced = false;
    double start = 0;
    std::array<std::string, kHolders> held;
    std::vector<D3DXVECTOR3> lines[4] = {{}, datagen::CentreLine(1), datagen::CentreLine(2), datagen::CentreLine(3)};
    long frames = 0;
    int round = 0;
    int courseFrames = int(EnvNumber("NOL_SOAK_COURSE_FRAMES", 300));
    int laps = int(EnvNumber("NOL_SOAK_LAPS", 0));
    double sampleSeconds = EnvNumber("NOL_SOAK_SAMPLE_SECONDS", 10);
    double nextSample = 0;
    std::ofstream rows;
};

TEST_F(Soak, CoursesInTurnKeepMemoryFlatAndTheCacheToWhatTheGameHolds) {
    const double minutes = EnvNumber("NOL_SOAK_MINUTES", 2);
    const char* csvEnv = std::getenv("NOL_SOAK_CSV");
    const std::string csv = csvEnv && *csvEnv ? csvEnv : std::string(NOL_DATA_DIR) + "/../soak_memory.csv";
    std::printf("soak: %.1f minutes, %s per course, frames %s, memory curve in %s\n", minutes,
                (laps > 0 ? std::to_string(laps) + " laps" : std::to_string(courseFrames) + " frames").c_str(),
                paced ? "paced at 30 a second" : "unpaced", csv.c_str());
    rows.open(csv);
    ASSERT_TRUE(rows) << "cannot write " << csv;
    rows << "seconds,frames,round,course,event,vmrss_kb,allocated_kb,programs\n";
    Sample("start");

    struct RoundEnd {
        double seconds;
        long frames, residentKb, allocatedKb;
        size_t programs;
    };
    std::vector<RoundEnd> rounds;
    while (rounds.size() < 2 || Seconds() < minutes * 60) {
        ++round;
        for (int number = 1; number <= 3; ++number) {
            DriveCourse(number);
            if (HasFatalFailure()) break;
        }
        if (HasFatalFailure()) break;
        Sample("round");
        rounds.push_back({Seconds(), frames, ResidentKb(), AllocatedKb(), NolD3D8ProgramCount(GraphicsState.device)});
        std::printf("round %d: %.0f s, %ld frames, VmRSS %ld kB, %zu shader programs\n", round, rounds.back().seconds,
                    frames, rounds.back().residentKb, rounds.back().programs);
        std::fflush(stdout);
    }
    ASSERT_GE(rounds.size(), 2u);

    // Once every course has been set up and driven, everything the game keeps
    // exists: its models, the terrain and its texture, the glyphs, the shader
    // programs, the music's buffers. What still moves is the allocator's free
    // space and the driver's, which come and go by a few MB between rounds.
    // 8 MB is half of course 1's terrain texture, a tenth of one course
    // set-up's peak, or 150 bytes a frame over a paced half hour: a leak of any
    // of these shows.
    const long growthKb = rounds.back().residentKb - rounds.front().residentKb;
    const long allocatedGrowthKb = rounds.back().allocatedKb - rounds.front().allocatedKb;
    std::printf("from the end of round 1 to the end of round %zu: VmRSS %+ld kB, allocated %+ld kB\n", rounds.size(),
                growthKb, allocatedGrowthKb);
    if (!kMemoryMeasurable) {
        std::printf("memory bounds not checked: built with AddressSanitizer, whose allocator keeps what is freed\n");
    } else {
        EXPECT_LE(growthKb, 8 * 1024);
        // The allocator's own count has no slack to allow for: what the game
        // holds after a round is what it holds after any other, give or take
        // the music's and the text's small buffers. 1 MB is 10 bytes a frame
        // over an unpaced half hour.
        EXPECT_LE(allocatedGrowthKb, 1024);
    }
    EXPECT_EQ(rounds.back().programs, rounds.front().programs) << "shader programs made after the first round";
}

}  // namespace
