// The demo's file-dialog screen as a player meets it, on a display of its own with
// the real zenity: O brings the chooser up over the window, which keeps its last
// picture when uncovered and takes no keys meanwhile; the path chosen is shown; a
// SIGTERM while the chooser is up still ends the program cleanly.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "display_required.h"
#include "support/test_support.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using Strings = std::vector<std::string>;
constexpr int kFileDialogScreen = 9;

class FileDialogDemo : public ::testing::Test {
protected:
    TempDir dir;
    PrivateDisplay display;
    ChildProcess demo;
    Display* x = nullptr;
    std::string window;

    void SetUp() override {
        for (const char* tool : {"/usr/bin/xdotool", "/usr/bin/zenity"})
            if (access(tool, X_OK) != 0) NOL_SKIP_OR_FAIL(std::string(tool) + " is not installed");
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        const std::string program = dir.File("noldemo");
        CopyFile(NOL_DEMO_PROGRAM, program);
        ASSERT_EQ(symlink(NOL_DATA_DIR, dir.File("data").c_str()), 0);
        std::ofstream(dir.File("existing.txt")) << "kept";
        // No session bus, so zenity it is; GTK without the accessibility bus, dconf
        // or gvfs, so that zenity starts nothing that could stay behind.
        demo.pid = StartProcess(program, {"-win", "-dbf"},
                                {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                                 "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=none",
                                 "DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir.File("no-bus"), "NO_AT_BRIDGE=1",
                                 "GSETTINGS_BACKEND=memory", "GIO_USE_VFS=local"},
                                dir.path);
        ASSERT_GT(demo.pid, 0);
        x = XOpenDisplay(display.name.c_str());
        ASSERT_NE(x, nullptr);
        for (int i = 0; i < ScaledMs(200) && window.empty(); ++i) {
            const Strings found = Lines(Xdotool({"search", "--pid", std::to_string(demo.pid)}).out);
            if (!found.empty()) window = found.front();
            if (window.empty()) usleep(50000);
        }
        ASSERT_FALSE(window.empty()) << "the demo's window did not appear\n" << ReadFile(Log());
        ASSERT_TRUE(WaitForText(Log(), "screen 1:", ScaledMs(20000))) << ReadFile(Log());
        Xdotool({"windowfocus", "--sync", window});
        Press(std::to_string(kFileDialogScreen));
        const std::string shown = "screen " + std::to_string(kFileDialogScreen) + ":";
        ASSERT_TRUE(WaitForText(Log(), shown, ScaledMs(10000))) << ReadFile(Log());
    }

    void TearDown() override {
        if (x) XCloseDisplay(x);
    }

    std::string Log() const { return dir.File("debug.txt"); }

    static Strings Lines(const std::string& text) {
        Strings lines;
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

    ProcessResult Xdotool(const Strings& args) const {
        return RunProcess("/usr/bin/xdotool", args, {display.Env()}, ScaledMs(10000));
    }

    // A key held for a few frames, as a player's press is.
    void Press(const std::string& key) const {
        Xdotool({"keydown", key});
        usleep(ScaledMs(150) * 1000);
        Xdotool({"keyup", key});
    }

    // The chooser's window once it is up, or empty.
    std::string Chooser() const {
        for (int waited = 0; waited < ScaledMs(15000); waited += 100) {
            const Strings ids = Lines(Xdotool({"search", "--onlyvisible", "--class", "zenity"}).out);
            if (!ids.empty()) return ids.back();
            usleep(100 * 1000);
        }
        return "";
    }

    bool ChooserGone(int timeoutMs) const {
        for (int waited = 0;; waited += 100) {
            if (Xdotool({"search", "--onlyvisible", "--class", "zenity"}).out.empty()) return true;
            if (waited >= ScaledMs(timeoutMs)) return false;
            usleep(100 * 1000);
        }
    }

    // One pixel of the demo's client area, 0xRRGGBB.
    uint32_t Pixel(int px, int py) const {
        XSync(x, False);
        XImage* image = XGetImage(x, Window(std::strtoul(window.c_str(), nullptr, 10)), px, py, 1, 1, AllPlanes, ZPixmap);
        if (!image) return 0xFFFFFFFF;
        const uint32_t value = uint32_t(XGetPixel(image, 0, 0) & 0xFFFFFF);
        XDestroyImage(image);
        return value;
    }
};

TEST_F(FileDialogDemo, TheChooserIsModalOverTheKeptPictureAndItsAnswerIsShown) {
    Press("o");
    const std::string chooser = Chooser();
    ASSERT_FALSE(chooser.empty()) << "no chooser came up\n" << ReadFile(Log());

    // The chooser covers the window; moved away, it leaves the demo's last
    // picture behind (the panel and the two buttons), which no longer moves.
    Xdotool({"windowmove", "--sync", chooser, "700", "520"});
    usleep(ScaledMs(500) * 1000);
    EXPECT_EQ(Pixel(45, 45), 0x102040u);
    EXPECT_EQ(Pixel(110, 160), 0x2060A0u);
    EXPECT_EQ(Pixel(350, 160), 0x20A060u);
    std::vector<uint32_t> sweep, later;
    for (int px = 60; px < 600; px += 4) sweep.push_back(Pixel(px, 350));
    usleep(ScaledMs(600) * 1000);
    for (int px = 60; px < 600; px += 4) later.push_back(Pixel(px, 350));
    EXPECT_EQ(sweep, later) << "the demo drew frames while the chooser was up";

    // Keys for the demo meanwhile go nowhere: no other screen, no save dialog.
    Xdotool({"windowfocus", "--sync", window});
    Press("2");
    Press("s");

    Xdotool({"windowfocus", "--sync", chooser});
    usleep(200 * 1000);
    Xdotool({"key", "ctrl+l"});
    usleep(300 * 1000);
    Xdotool({"type", "--delay", "30", dir.File("existing.txt")});
    usleep(400 * 1000);
    for (int attempt = 0; attempt < 3 && !ChooserGone(0); ++attempt) {
        Xdotool({"key", "Return"});
        ChooserGone(1500);
    }
    ASSERT_TRUE(WaitForText(Log(), "open: " + dir.File("existing.txt"), ScaledMs(10000))) << ReadFile(Log());

    Xdotool({"windowfocus", "--sync", window});
    usleep(ScaledMs(1000) * 1000);
    EXPECT_TRUE(ChooserGone(0)) << "a key pressed while the chooser was up opened another";
    const std::string log = ReadFile(Log());
    EXPECT_EQ(log.find("screen 2:"), std::string::npos) << log;

    Press("Escape");
    EXPECT_EQ(demo.ExitCode(ScaledMs(15000)), 0) << ReadFile(Log());
}

TEST_F(FileDialogDemo, ASigtermWhileTheChooserIsUpEndsTheProgramAndTheChooser) {
    Press("o");
    const std::string chooser = Chooser();
    ASSERT_FALSE(chooser.empty()) << "no chooser came up\n" << ReadFile(Log());
    const int zenity = std::atoi(Xdotool({"getwindowpid", chooser}).out.c_str());
    ASSERT_GT(zenity, 0);

    kill(demo.pid, SIGTERM);
    EXPECT_EQ(demo.ExitCode(ScaledMs(15000)), 0) << ReadFile(Log());
    EXPECT_NE(ReadFile(Log()).find("FreeDirect3D"), std::string::npos);
    // Ended and reaped by the demo, not left to whoever adopts it.
    EXPECT_EQ(kill(zenity, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_TRUE(ChooserGone(5000));
}

}  // namespace
