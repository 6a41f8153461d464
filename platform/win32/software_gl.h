// Settings for Mesa's software OpenGL (llvmpipe), made before SDL loads the GL
// driver, which reads them once when it starts.
#pragma once

// Called before SDL's video starts. Unless LP_NUM_THREADS is already set, makes
// llvmpipe rasterise on the thread that draws instead of on threads of its own.
//
// Why: llvmpipe (Mesa 22.x) has a race in its fences. A rasteriser thread marks
// a fence complete, then unlocks the fence's mutex; the drawing thread, seeing
// the fence complete without taking the lock, may free it in between, and the
// unlock then writes into freed heap memory. Rarely (here about one two-lap
// autopilot race in a hundred) that write lands on malloc's own lists and a later
// allocation crashes. Without rasteriser threads the fence completes on the
// drawing thread and the race cannot happen. The cost, measured on the game's
// courses on two cores: a race frame takes about 1.5 ms more wall clock (7.9
// instead of 6.5 ms on course 2) and 0.5 to 1 ms less processor time, and the
// second core is left to the sound threads. The free is in llvmpipe's own scene
// recycling, unchanged in newer Mesa, and scenes are also flushed inside the
// driver, so no order of flushes here avoids it (README, on LP_NUM_THREADS).
void NolPrepareSoftwareGl();
