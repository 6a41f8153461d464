// The game's costs per course on the framework's real device, with no frame
// pacing: set-up time, the race frame's time (median and 99th percentile, wall
// clock and the process's processor time, llvmpipe's threads included), the
// ground step in its worst case (250 wall passes against the real ground model)
// and resident memory during a race. Runs from the folder above "data" (the build
// folder): build/bench/game_bench [frames per course] [course] 2>/dev/null (the log
// goes to standard error; without a course number, all three). Needs a display.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "game/game.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "shell/application.h"
#include "shell/window.h"
#include "sound/music.h"
#include "sound/sound_device.h"
#include "win32/sdl_bridge.h"

namespace {

double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double CpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long ResidentKb() {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::atol(line + 6);
    std::fclose(f);
    return kb;
}

// The calling thread's processor time: the set-up's own work, whatever else
// the machine is doing.
double ThreadCpuNow() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 600;
    const int only = argc > 2 ? std::atoi(argv[2]) : 0;
    static char arg0[] = "game_bench", arg1[] = "-win";
    static char* args[] = {arg0, arg1, nullptr};
    SetCommandLineArgs(2, args);
    if (!NolInitSdlVideo() || !InitWindow(GetModuleHandleA(nullptr)) || !InitDirect3D()) {
        std::fprintf(stderr, "game_bench: no display or no device\n");
        return 1;
    }
    const long deviceRss = ResidentKb();
    // The music plays as in the game (silently where there is no sound card).
    InitDirectSound();
    InitDirectMusic();
    if (access("data/car.x", R_OK) != 0) {
        std::fprintf(stderr, "game_bench: run it from the folder that holds \"data\" (build/)\n");
        return 1;
    }
    char home[4096];
    if (!getcwd(home, sizeof home)) return 1;
    const long soundRss = ResidentKb();
    GameStart();
    std::printf("RSS: %.1f MB with the device, %.1f MB with sound and music, %.1f MB on the title screen\n",
                deviceRss / 1024.0, soundRss / 1024.0, ResidentKb() / 1024.0);
    std::printf("course  set-up ms (wall / thread cpu)  frame wall ms (median / p99)  frame cpu ms (median / p99)  "
                "ground step ms (median / worst)  RSS MB\n");
    for (int number = 1; number <= 3; ++number) {
        if (only && number != only) continue;
        if (chdir(home) != 0) return 1;
        const double t0 = Now(), c0 = ThreadCpuNow();
        course.SetupCourse(number);
        car.SetupCar(&course);
        const double setup = Now() - t0, setupCpu = ThreadCpuNow() - c0;
        gameState = kRace;
        // Full throttle, steering right now and then: the car sweeps across
        // road, rough ground and walls.
        std::vector<double> wall, cpu, steps;
        for (int i = 0; i < frames; ++i) {
            std::memset(InputState.keys, 0, sizeof InputState.keys);
            std::memset(InputState.prevKeys, 0, sizeof InputState.prevKeys);
            InputState.keys[DIK_Z] = 0x80;
            if ((i / 60) % 3 == 2) InputState.keys[DIK_RIGHT] = 0x80;
            const double w = Now(), c = CpuNow();
            GameFrame();
            wall.push_back(Now() - w);
            cpu.push_back(CpuNow() - c);
            // The ground step again where the frame left the car (clear of any
            // wall by now, so it changes nothing): its share of the frame.
            const double s = Now();
            car.GroundStep();
            steps.push_back(Now() - s);
        }
        const long rss = ResidentKb();

        // The wall loop's limit: on a model course, a car far off the ground
        // model misses it with every ray; on the terrain, one deep in the wall.
        std::vector<double> ground;
        for (int i = 0; i < 5; ++i) {
            car.pos = number == 1 ? D3DXVECTOR3(2000, 0, 2000) : D3DXVECTOR3(5000, 0.8f, 5000);
            const double g = Now();
            car.GroundStep();
            ground.push_back(Now() - g);
        }
        std::printf("%6d  %12.1f / %6.1f  %13.2f / %6.2f  %15.2f / %6.2f  %19.2f / %6.1f  %6.1f\n", number, setup, setupCpu,
                    Percentile(wall, 0.5), Percentile(wall, 0.99), Percentile(cpu, 0.5), Percentile(cpu, 0.99),
                    Percentile(steps, 0.5), Percentile(ground, 0.5), rss / 1024.0);
    }
    FreeDirectMusic();
    FreeDirectSound();
    FreeDirect3D();
    return 0;
}
