// Measures the frame pacer on this machine: runs N frames (default 300) that do a
// given amount of work (default 5 ms of busy time), and reports the long-run frame
// rate and the deviation of each frame's start from its ideal 100 ms / 3 grid.
// With "render" as the work, each frame clears and presents the real device in a
// 640 x 480 window instead.
//
//   frame_pacing [frames] [work-ms | render]
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <cstring>

#include "render/direct3d.h"
#include "render/frame.h"
#include "shell/frame_timer.h"
#include "shell/window.h"

namespace {

double NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

void BusyFor(double ms) {
    double end = NowMs() + ms;
    while (NowMs() < end) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 300;
    bool render = argc > 2 && std::strcmp(argv[2], "render") == 0;
    double work = (argc > 2 && !render) ? std::atof(argv[2]) : 5.0;
    if (frames < 2) frames = 2;
    if (render) {
        static char name[] = "frame_pacing", windowed[] = "-win";
        static char* args[] = {name, windowed, nullptr};
        SetCommandLineArgs(2, args);
        if (!InitWindow(GetModuleHandleA(nullptr)) || !InitDirect3D()) {
            std::fprintf(stderr, "no device\n");
            return 1;
        }
    }

    std::vector<double> starts;
    InitFrameTimer();
    double origin = NowMs();
    for (int i = 0; i <= frames; ++i) {
        starts.push_back(NowMs() - origin);
        if (render) {
            BeginFrame(0xFF000000);
            EndFrame();
        } else {
            BusyFor(work);
        }
        WaitFrame();
    }

    // Frame i should start at i * 100/3 ms after the first.
    std::vector<double> deviation;
    for (int i = 0; i <= frames; ++i) deviation.push_back(std::fabs(starts[i] - i * 100.0 / 3.0));
    std::sort(deviation.begin(), deviation.end());
    double p99 = deviation[(size_t)std::ceil(0.99 * deviation.size()) - 1];
    double rate = frames * 1000.0 / (starts[frames] - starts[0]);
    if (render)
        std::printf("frames %d, clear and present: ", frames);
    else
        std::printf("frames %d, work %.1f ms: ", frames, work);
    std::printf("%.3f frames/s, deviation median %.2f ms, p99 %.2f ms, max %.2f ms, fps %.2f\n", rate, deviation[deviation.size() / 2], p99, deviation.back(), fps);
    return 0;
}
