// The height map: an image file of any kind the texture loader reads, made into
// the terrain's triangles and grid of heights, then ground queries on and off the
// grid. Terrain::Build takes a file name, so each input is written to a file of
// this process's own first.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_device.h"
#include "fuzz_support.h"
#include "render/graphics_state.h"
#include "render/terrain.h"

namespace {

const std::string& InputPath() {
    // Shared memory where there is some: a write per input costs no disk.
    static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/nol_fuzz_terrain_" + std::to_string(getpid());
    static const bool removedAtExit = [] { return std::atexit([] { std::remove(InputPath().c_str()); }) == 0; }();
    (void)removedAtExit;
    return path;
}

bool WriteInput(const uint8_t* bytes, size_t size) {
    FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    GraphicsState.device = FuzzDevice();
    GraphicsState.maxPrimitiveCount = FuzzDevice()->caps.MaxPrimitiveCount;
    FuzzCheck(WriteInput(bytes, size), "the input is written to its file");
    {
        Terrain terrain;
        if (terrain.Build(InputPath().c_str(), D3DXVECTOR3(0.0f, -10.0f, 0.0f), 2.0f, 40.0f, 0xFFFFFFFF)) {
            FuzzCheck(terrain.heights && terrain.columns > 0 && terrain.rows > 0, "a built terrain has a grid");
            const float halfWidth = float(terrain.columns) * terrain.cellSize;
            const float halfDepth = float(terrain.rows) * terrain.cellSize;
            const float xs[] = {-halfWidth * 2, -halfWidth, -1.3f, 0.0f, 0.7f, halfWidth - 0.5f, halfWidth * 2, NAN};
            for (float x : xs)
                for (float z : xs) {
                    const float h = terrain.GetHeight(x, z * halfDepth / halfWidth);
                    // Heights are green * 40 / 256 - 10, so any mix of them lies in [-10, 30).
                    FuzzCheck(h >= -10.0f && h < 30.0f, "a ground height lies between the map's heights");
                }
        }
    }
    FuzzCheck(FuzzDevice()->live == 0, "the terrain releases its buffers");
    return 0;
}
