// The framework's own device (InitDirect3D in a window) for tests that render
// through render/ and read the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/direct3d.h"
#include "shell/application.h"
#include "shell/window.h"
#include "tests/readback_fixture.h"

class FrameworkDevice : public ReadbackTest {
protected:
    void SetUp() override {
        ReadbackTest::SetUp();
        if (!Ready()) return;
        static char arg0[] = "nolrace", arg1[] = "-win";
        static char* argv[] = {arg0, arg1, nullptr};
        SetCommandLineArgs(2, argv);
        ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
        testing::internal::CaptureStderr();
        const int ok = InitDirect3D();
        log = testing::internal::GetCapturedStderr();
        ASSERT_EQ(ok, 1);
    }
    void TearDown() override {
        FreeDirect3D();
        if (mainWindow) DestroyWindow(mainWindow);
        mainWindow = nullptr;
    }

    // The back buffer; kept as <name>.png in $NOL_TEST_PNG_DIR when that is set.
    std::vector<uint32_t> ReadBack(const char* name) { return ReadSurface(GraphicsState.device, nullptr, name); }

    std::string log;  // what start-up wrote to standard error
};
