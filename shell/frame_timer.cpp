// The frame pacer. Frame lengths are counted on a schedule (frameStart), not
// from the end of the previous frame, so time spent in a frame is absorbed and
// the long-run rate does not drift.
#include "shell/frame_timer.h"

#include <cstdlib>
#include <ctime>

FrameTimer frameTimer;
const float& fps = frameTimer.fps;

void InitFrameTimer() {
    DWORD now = timeGetTime();
    frameTimer = FrameTimer{};
    frameTimer.frameStart = now;
    frameTimer.fpsStart = now;
    std::srand((unsigned)std::time(nullptr));
}

void WaitFrame() {
    FrameTimer& t = frameTimer;
    DWORD now = timeGetTime();
    DWORD late = now - t.frameStart;

    if (++t.fpsCount == 15) {
        // Fifteen frames in no measurable time leave the last measurement standing
        // rather than dividing by zero.
        if (now != t.fpsStart) t.fps = 15000.0f / (float)(now - t.fpsStart);
        t.fpsStart = now;
        t.fpsCount = 0;
    }

    DWORD length = t.interval;
    if (++t.thirdCount == 3) {
        length += t.extra;
        t.thirdCount = 0;
    }

    if (late < length) {
        Sleep(length - late);
        t.frameStart += length;
    } else if (late < 4 * length) {
        t.frameStart += length;  // keep the grid; following frames catch up
    } else {
        t.frameStart = now - length;  // too far behind: drop the backlog
    }
}
