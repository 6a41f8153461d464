// The framework's own device (InitDirect3D in a window) for tests that render
// through render/ and read the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "d3d8/d3d8_test_hooks.h"
#include "render/direct3d.h"
#include "shell/application.h"
#include "shell/window.h"
#include "win32/sdl_bridge.h"

class FrameworkDevice : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NolInitSdlVideo()) GTEST_SKIP() << "no display";
        static char arg0[] = "nolrace", arg1[] = "-win";
        static char* argv[] = {arg0, arg1, nullptr};
        SetCommandLineArgs(2, argv);
        ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
        testing::internal::CaptureStderr();
        const int ok = InitDirect3D();
        testing::internal::GetCapturedStderr();
        ASSERT_EQ(ok, 1);
    }
    void TearDown() override { FreeDirect3D(); }

    // The back buffer as 0xAARRGGBB, row 0 on top; kept as <name>.png in
    // $NOL_TEST_PNG_DIR when that is set.
    std::vector<uint32_t> ReadBack(const char* name) {
        std::vector<uint32_t> pixels;
        EXPECT_TRUE(NolD3D8ReadSurface(GraphicsState.device, nullptr, &pixels, &width, &height));
        if (const char* dir = std::getenv("NOL_TEST_PNG_DIR"))
            NolD3D8WritePng((std::string(dir) + "/" + name + ".png").c_str(), pixels.data(), width, height);
        return pixels;
    }
    uint32_t At(const std::vector<uint32_t>& pixels, int x, int y) const {
        return pixels.at(size_t(y) * width + size_t(x));
    }

    UINT width = 0, height = 0;
};
