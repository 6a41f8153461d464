// The media player as a program uses it: the main window with its device in a
// window, the frame loop going (messages pumped, a frame cleared and presented,
// the pacer's wait), DirectShow started, and the client area read off the X
// server, video child window and all.
#pragma once

#include <gtest/gtest.h>
#include <time.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "d3d8/d3d8_test_hooks.h"
#include "display_required.h"
#include "media_clip.h"
#include "render/direct3d.h"
#include "render/frame.h"
#include "shell/application.h"
#include "shell/frame_timer.h"
#include "shell/window.h"
#include "sound/media.h"
#include "support/test_support.h"

// Last: Xlib's macros (None, Bool, ...) would break the headers above.
#include <SDL_syswm.h>

#include "program_window.h"

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}

inline double NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

inline std::string DataFile(const char* name) { return std::string(NOL_DATA_DIR) + "/" + name; }

// What the frame loop clears to: a colour the clip never shows.
constexpr D3DCOLOR kLoopColour = 0xFF305090;

class MediaWindow : public ::testing::Test {
protected:
    using Picture = std::vector<uint32_t>;

    void SetUp() override {
        // An X display of the process's own: windows of tests running beside it
        // would otherwise lie over the client area it reads back. Made before SDL
        // starts and kept to the end of the process: SDL's video, once started,
        // stays (stopping it unloads the GL driver, which leaves memory behind).
        static PrivateDisplay* own = nullptr;
        if (!own) {
            ASSERT_FALSE(SDL_WasInit(SDL_INIT_VIDEO)) << "SDL runs on another display already";
            own = new PrivateDisplay(Screen());
            if (!own->name.empty()) setenv("DISPLAY", own->name.c_str(), 1);
        }
        display = own;
        if (display->name.empty()) NOL_SKIP_OR_FAIL("Xvfb could not be started");
        NOL_SKIP_WITHOUT_DISPLAY();
        static char arg0[] = "noldemo", arg1[] = "-win";
        static char* argv[] = {arg0, arg1, nullptr};
        SetCommandLineArgs(Windowed() ? 2 : 1, argv);
        ASSERT_EQ(InitWindow(GetModuleHandleA(nullptr)), 1);
        ASSERT_EQ(InitDirect3D(), 1);
        InitFrameTimer();
        x = XOpenDisplay(nullptr);
        ASSERT_NE(x, nullptr);
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_TRUE(SDL_GetWindowWMInfo(NolSdlWindow(mainWindow), &info));
        ASSERT_EQ(info.subsystem, SDL_SYSWM_X11);
        window = info.info.x11.window;
        for (int i = 0; i < 5; ++i) Frame();
        ASSERT_EQ(InitDirectShow(), 1);
    }

    void TearDown() override {
        FreeDirectShow();
        FreeDirect3D();
        if (mainWindow) DestroyWindow(mainWindow);
        mainWindow = nullptr;
        if (x) XCloseDisplay(x);
        x = nullptr;
    }

    // In a window ("-win"), or full screen.
    virtual bool Windowed() const { return true; }
    // The display's size, as Xvfb takes it (the first test of the process chooses).
    virtual const char* Screen() const { return "1024x768x24"; }

    // One turn of the program's loop; false once the quit message came.
    bool Frame() {
        const int alive = PumpMessages();
        BeginFrame(kLoopColour);
        EndFrame();
        WaitFrame();
        return alive;
    }

    // Runs frames until done() or ms pass; whether done() came true.
    bool FramesUntil(const std::function<bool()>& done, int ms) {
        const double end = NowMs() + ms;
        while (NowMs() < end) {
            if (done()) return true;
            Frame();
        }
        return done();
    }

    // The main window's client area as 0xAARRGGBB, row 0 on top, child windows
    // included; kept in $NOL_TEST_PNG_DIR as <name>.png when that is set.
    Picture Grab(const char* name = nullptr) {
        XWindowAttributes attributes;
        XGetWindowAttributes(x, window, &attributes);
        grabWidth = attributes.width;
        grabHeight = attributes.height;
        Picture pixels = GrabXWindow(x, window, grabWidth, grabHeight);
        const char* dir = std::getenv("NOL_TEST_PNG_DIR");
        if (dir && name) NolD3D8WritePng((std::string(dir) + "/" + name + ".png").c_str(), pixels.data(), grabWidth, grabHeight);
        return pixels;
    }

    uint32_t At(const Picture& p, int px, int py) const { return p.at(size_t(py) * grabWidth + px); }

    // Whether the clip's picture fills exactly `area` of the client area.
    bool ShowsBars(const Picture& p, const RECT& area) const {
        return ShowsClipBars([&](int px, int py) { return At(p, px, py); }, grabWidth, area.left, area.top,
                             area.right);
    }

    // The video's child windows of the main window: their geometry, mapped ones.
    std::vector<RECT> MappedChildren() {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        std::vector<RECT> found;
        XSync(x, False);
        if (!XQueryTree(x, window, &root, &parent, &children, &count)) return found;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(x, children[i], &a) && a.map_state == IsViewable)
                found.push_back(RECT{a.x, a.y, a.x + a.width, a.y + a.height});
        }
        if (children) XFree(children);
        return found;
    }

    PrivateDisplay* display = nullptr;
    Display* x = nullptr;
    Window window = 0;
    int grabWidth = 0, grabHeight = 0;
};
