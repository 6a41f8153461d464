// Settings for Mesa's software OpenGL (llvmpipe), made before SDL loads the GL
// driver, which reads them once when it starts.
#pragma once

// Called before SDL's video starts. Unless LP_NUM_THREADS is already set, makes
// llvmpipe rasterise on the thread that draws instead of on threads of its own.
//
// Why: llvmpipe (Mesa 22.x) has a race in its fences. A rasteriser thread marks
// a fence complete, then unlocks the fence's mutex; the drawing thread, seeing
// the fence complete without taking the lock, may free it in between, and the
// unlock then writes into freed heap memory. Rarely (about one race in a hundred
// here) that write lands on malloc's own lists and a later allocation crashes.
// Without rasteriser threads the fence completes on the drawing thread and the
// race cannot happen. A 30 frames-a-second game loses little by it: a frame's
// wall time rises slightly and its processor time falls (no hand-over between
// threads), and the second core is left to the sound threads.
void NolPrepareSoftwareGl();
