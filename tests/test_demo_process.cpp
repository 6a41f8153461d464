// The demo program as a player meets it: started in a folder holding "data" on a
// display of its own, switched through its screens with keys sent through the X
// server, each screen read off the screen, ended with Esc.
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "d3d8/d3d8_test_hooks.h"
#include "display_required.h"
#include "media_clip.h"
#include "program_window.h"
#include "support/test_support.h"

namespace {

constexpr int kScreens = 11;

// The key that picks screen s: its digit, 0 for the tenth; past the tenth there is
// none, and PageDown steps on from the screen before it.
std::string KeyOf(int s) { return s > 10 ? "Next" : std::to_string(s % 10); }
constexpr int kWidth = 640, kHeight = 480;
// The caption line at the bottom is on every screen; the pictures are compared above it.
constexpr int kPictureHeight = 450;

using Picture = std::vector<uint32_t>;

// Pixels above the caption that are not black, and that differ between two pictures.
int Lit(const Picture& p) {
    int n = 0;
    for (int i = 0; i < kWidth * kPictureHeight; ++i) n += (p[i] & 0xFFFFFF) != 0;
    return n;
}

int Differing(const Picture& a, const Picture& b) {
    int n = 0;
    for (int i = 0; i < kWidth * kPictureHeight; ++i) n += a[i] != b[i];
    return n;
}

void KeepPng(const Picture& p, const std::string& name) {
    const char* dir = std::getenv("NOL_TEST_PNG_DIR");
    if (dir) NolD3D8WritePng((std::string(dir) + "/" + name + ".png").c_str(), p.data(), kWidth, kHeight);
}

class DemoProcess : public ::testing::Test {
protected:
    TempDir dir;
    PrivateDisplay display;
    ChildProcess demo;
    ProgramWindow window{display};

    void SetUp() override {
        if (RunProcess("/bin/sh", {"-c", "command -v xdotool"}).exitCode != 0)
            NOL_SKIP_OR_FAIL("xdotool is not installed (apt-get install xdotool)");
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        const std::string program = dir.File("noldemo");
        CopyFile(NOL_DEMO_PROGRAM, program);
        ASSERT_EQ(symlink(NOL_DATA_DIR, dir.File("data").c_str()), 0);
        demo.pid = StartProcess(program, {"-win", "-dbf"},
                                {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                                 "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=none"},
                                dir.path);
        ASSERT_GT(demo.pid, 0);
        ASSERT_TRUE(window.Find(demo.pid)) << "the demo's window did not appear\n" << ReadFile(Log());
        ASSERT_TRUE(WaitForText(Log(), "screen 1:", ScaledMs(20000))) << ReadFile(Log());
        window.Focus();
        ASSERT_TRUE(window.WaitForFirstPicture(kWidth, kHeight)) << "the demo drew nothing";
    }

    std::string Log() const { return dir.File("debug.txt"); }

    void Press(const std::string& key) { window.Press(key); }

    Picture Grab() { return window.Grab(kWidth, kHeight); }

    // Switches with key and waits for the screen's log line; its caption is the rest
    // of that line.
    void Show(const std::string& key, int screen) {
        const size_t before = ReadFile(Log()).size();
        Press(key);
        const std::string mark = "screen " + std::to_string(screen) + ":";
        for (int waited = 0; waited < ScaledMs(10000); waited += 50) {
            if (ReadFile(Log()).find(mark, before) != std::string::npos) return;
            usleep(50000);
        }
        ADD_FAILURE() << key << " did not show screen " << screen << "\n" << ReadFile(Log());
    }
};

TEST_F(DemoProcess, EveryScreenShowsItsOwnPictureAndEscEndsTheProgram) {
    std::vector<Picture> pictures;
    for (int s = 1; s <= kScreens; ++s) {
        SCOPED_TRACE("screen " + std::to_string(s));
        if (s > 1) Show(KeyOf(s), s);
        // The animation, particles and ripples under way; in wall-clock time, since
        // what counts is that some frames have passed, not how many.
        usleep(1500 * 1000);
        pictures.push_back(Grab());
        ASSERT_EQ(pictures.back().size(), size_t(kWidth) * kHeight);
        KeepPng(pictures.back(), "demo-" + std::to_string(s));
        // Each shows something over at least a two-hundredth of the picture (the
        // sound screen's map is mostly black).
        EXPECT_GT(Lit(pictures.back()), kWidth * kPictureHeight / 200);
    }
    for (int a = 0; a < kScreens; ++a)
        for (int b = a + 1; b < kScreens; ++b)
            EXPECT_GT(Differing(pictures[a], pictures[b]), kWidth * kPictureHeight / 20)
                << "screens " << a + 1 << " and " << b + 1 << " look alike";

    // PageDown wraps from the last screen to the first, PageUp back again.
    Show("Next", 1);
    Show("Prior", kScreens);

    Press("Escape");
    EXPECT_EQ(demo.ExitCode(ScaledMs(15000)), 0) << ReadFile(Log());
    const std::string log = ReadFile(Log());
    EXPECT_NE(log.find("FreeDirect3D"), std::string::npos) << log;
}

TEST_F(DemoProcess, TheScreensMoveFromFrameToFrame) {
    // Screens 2 to 7 are animated by themselves: two pictures a moment apart differ.
    for (int s = 2; s <= kScreens; ++s) {
        SCOPED_TRACE("screen " + std::to_string(s));
        Show(KeyOf(s), s);
        // The lens flare's camera sweeps by itself once the mouse has been still
        // for three seconds; before that only the mouse moves it.
        usleep((s == 5 ? 3500 : 500) * 1000);
        const Picture first = Grab();
        usleep(400 * 1000);
        const Picture second = Grab();
        EXPECT_GT(Differing(first, second), 200);
    }
    Press("Escape");
    EXPECT_EQ(demo.ExitCode(ScaledMs(15000)), 0);
}

// The media screen: the clip over the whole window as the screen opens, the
// screen's own picture once it has ended, P to play it again, the window's new
// size covered, S to stop; the log says each play went well.
TEST_F(DemoProcess, TheMediaScreenPlaysTheClipOverTheWindowAtAnySize) {
    auto showsClip = [&](int width, int height, int left, int right) {
        for (int waited = 0; waited < ScaledMs(3000); waited += 50) {
            const Picture p = window.Grab(width, height);
            if (!p.empty() &&
                ShowsClipBars([&](int px, int py) { return p[size_t(py) * width + px]; }, width, left, 0, right))
                return true;
            usleep(50000);
        }
        return false;
    };
    Show("Prior", kScreens);  // the last screen: PageUp from the first, where the demo starts
    ASSERT_TRUE(showsClip(kWidth, kHeight, 0, kWidth)) << ReadFile(Log());
    EXPECT_NE(ReadFile(Log()).find("play(data/demo_clip.ogv) ... ok.\n"), std::string::npos) << ReadFile(Log());

    // Four seconds on, the clip has ended and the screen's own picture is back.
    usleep(ScaledMs(int(kClipSeconds * 1000) + 700) * 1000);
    const Picture idle = Grab();
    KeepPng(idle, "demo-11-idle");
    EXPECT_FALSE(IsClipBar(idle[size_t(160) * kWidth + 40], 0)) << "the clip's last frame stayed";
    EXPECT_GT(Lit(idle), kWidth * kPictureHeight / 50);

    Press("p");
    ASSERT_TRUE(showsClip(kWidth, kHeight, 0, kWidth)) << "P did not play the clip again";
    ASSERT_EQ(window.Xdotool({"windowsize", "--sync", std::to_string(window.Id()), "900", "500"}).exitCode, 0);
    // 4:3 in 900 x 500: 667 wide in the middle.
    EXPECT_TRUE(showsClip(900, 500, 116, 783)) << "the clip did not cover the larger window";
    KeepPng(Grab(), "demo-11-resized");
    Press("s");
    usleep(300 * 1000);
    const Picture stopped = window.Grab(900, 500);
    EXPECT_FALSE(IsClipBar(stopped[size_t(160) * 900 + 150], 0)) << "S did not stop the clip";

    Press("Escape");
    EXPECT_EQ(demo.ExitCode(ScaledMs(15000)), 0);
    const std::string log = ReadFile(Log());
    EXPECT_NE(log.find("FreeDirectShow"), std::string::npos) << log;
}

// The demo has an instance guard of its own: a second demo ends at once, while the
// game starts beside it.
TEST_F(DemoProcess, RunsBesideTheGameButNotBesideItself) {
    TempDir other;
    ASSERT_EQ(symlink(NOL_DATA_DIR, other.File("data").c_str()), 0);
    const std::vector<std::string> env = {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok",
                                          "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=none"};
    const std::string secondDemo = other.File("noldemo");
    CopyFile(NOL_DEMO_PROGRAM, secondDemo);
    const ProcessResult second =
        RunProcess(secondDemo, {"-win", "-dbf"}, env, ScaledMs(15000), other.path);
    EXPECT_FALSE(second.timedOut);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(ReadFile(other.File("debug.txt")).find("InitDirect3D"), std::string::npos)
        << "a second demo went on past the guard";

    const std::string game = other.File("nolrace");
    CopyFile(NOL_GAME_PROGRAM, game);
    ChildProcess race;
    race.pid = StartProcess(game, {"-win", "-dbf"}, env, other.path);
    ASSERT_TRUE(WaitForText(other.File("debug.txt"), "InitDirect3D", ScaledMs(15000)))
        << ReadFile(other.File("debug.txt"));
    kill(race.pid, SIGTERM);
    EXPECT_EQ(race.ExitCode(ScaledMs(15000)), 0);
    window.Focus();
    Press("Escape");
    EXPECT_EQ(demo.ExitCode(ScaledMs(15000)), 0);
}

}  // namespace
