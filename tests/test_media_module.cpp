// The media framework is loaded with the first filter graph, not with the
// program: a program that has started everything else maps no GStreamer library,
// and a missing media module makes the graph's creation fail with one line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "display_required.h"
#include "error_boxes.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "shell/application.h"
#include "shell/window.h"
#include "sound/media.h"
#include "sound/music.h"
#include "sound/sound_device.h"
#include "win32/log_sink.h"
#include "win32/test_hooks.h"

namespace {

bool Mapped(const char* library) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find(library) != std::string::npos) return true;
    return false;
}

std::vector<std::string> logLines;
void KeepLine(const char* line) { logLines.push_back(line); }

TEST(MediaModule, GStreamerIsMappedOnlyOnceDirectShowStarts) {
    NOL_SKIP_WITHOUT_DISPLAY();
    static char arg0[] = "nolrace", arg1[] = "-win";
    static char* argv[] = {arg0, arg1, nullptr};
    SetCommandLineArgs(2, argv);
    ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
    ASSERT_EQ(InitDirect3D(), 1);
    ASSERT_EQ(InitDirectSound(), 1);
    ASSERT_EQ(InitDirectMusic(), 1);
    BeginFrame(0xFF000000);
    EndFrame();
    EXPECT_FALSE(Mapped("libgst"));
    EXPECT_FALSE(Mapped("libnol_dshow_gst.so"));

    ASSERT_EQ(InitDirectShow(), 1);
    EXPECT_TRUE(Mapped("libnol_dshow_gst.so"));
    EXPECT_TRUE(Mapped("libgstreamer-1.0"));

    FreeDirectShow();
    FreeDirectMusic();
    FreeDirectSound();
    FreeDirect3D();
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
}

TEST(MediaModule, AMissingModuleFailsTheGraphWithOneLineNamingIt) {
    const char* missing = "/nonexistent/libnol_dshow_gst.so";
    setenv("NOL_DSHOW_MODULE", missing, 1);
    NolSetLogSink(KeepLine);
    IGraphBuilder* graph = reinterpret_cast<IGraphBuilder*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder, (void**)&graph),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(graph, nullptr);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0].rfind("DirectShow: no media player: ", 0), 0u) << logLines[0];
    EXPECT_NE(logLines[0].find(missing), std::string::npos) << logLines[0];

    // The media start's own failure follows: its box, and no graph.
    NolSetMessageBoxAnswerer(RecordBox);
    EXPECT_EQ(InitDirectShow(), 0);
    NolSetMessageBoxAnswerer(nullptr);
    NolSetLogSink(nullptr);
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0], "グラフィックフィルタが初期化できません.");
    EXPECT_FALSE(Mapped("libgst"));
    FreeDirectShow();
    unsetenv("NOL_DSHOW_MODULE");
}

}  // namespace
