// What every test on a real device shares: it skips when no display can be
// opened, reads surfaces back as 0xAARRGGBB (row 0 on top) and, with
// NOL_TEST_PNG_DIR set, keeps each read-back there as a PNG.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "display_required.h"
#include "d3d8/d3d8.h"
#include "d3d8/d3d8_test_hooks.h"
#include "win32/sdl_bridge.h"

class ReadbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        NOL_SKIP_WITHOUT_DISPLAY();
    }

    // Whether SetUp got as far as the fixture needs: not skipped, nothing fatal.
    static bool Ready() { return !IsSkipped() && !HasFatalFailure(); }

    // The surface (the back buffer when null) of device; saved as <name>.png, or
    // as <suite>.<test>[-n].png without a name.
    std::vector<uint32_t> ReadSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface,
                                      const char* name = nullptr) {
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(NolD3D8ReadSurface(device, surface, &pixels, &width, &height));
        SavePng(pixels, width, height, name);
        return pixels;
    }

    uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) const {
        return pixels.at(size_t(y) * width + size_t(x));
    }

    void SavePng(const std::vector<uint32_t>& pixels, UINT w, UINT h, const char* name = nullptr) {
        const char* dir = std::getenv("NOL_TEST_PNG_DIR");
        if (!dir || pixels.empty()) return;
        std::string path = std::string(dir) + "/";
        if (name) {
            path += name;
        } else {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            path += std::string(info->test_suite_name()) + "." + info->name();
            if (pngCount++ > 0) path += "-" + std::to_string(pngCount);
        }
        NolD3D8WritePng((path + ".png").c_str(), pixels.data(), w, h);
    }

    UINT width = 0, height = 0;  // of the last read-back
    int pngCount = 0;
};
