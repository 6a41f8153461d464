// The one Direct3D device of a target's process: the tests' memory device,
// keeping nothing of its own, so that a resource goes with its last Release and
// live tells whether a loader let go of everything it made.
#pragma once

#include "d3d8_memory_fakes.h"

// It plays a small card: larger images are scaled down to 256 x 256, so an
// input's cost stays with its decoding (a 256 x 256 height map already makes
// 393,216 terrain vertices).
inline MemoryDevice* FuzzDevice() {
    static MemoryDevice* device = [] {
        auto* d = new MemoryDevice;
        d->keepResources = false;
        d->caps.MaxTextureWidth = d->caps.MaxTextureHeight = 256;
        return d;
    }();
    return device;
}
