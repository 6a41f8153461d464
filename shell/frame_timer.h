// The frame pacer: 33, 33 and 34 ms frames on a fixed schedule, and the measured
// frame rate.
#pragma once

#include "win32/windows.h"

struct FrameTimer {
    DWORD interval = 33;
    DWORD extra = 1;
    int fpsCount = 0;
    int thirdCount = 0;
    DWORD frameStart = 0;
    DWORD fpsStart = 0;
    float fps = 30.0f;
};

// Written by InitFrameTimer and WaitFrame only.
extern FrameTimer frameTimer;
// The measured frame rate, read by camera and particle motion.
extern const float& fps;

void InitFrameTimer();
void WaitFrame();
