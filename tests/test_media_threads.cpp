// What the media framework leaves in the process: nothing before InitDirectShow
// (GStreamer is not even started), and no thread or child process after
// FreeDirectShow, however playback ended.
#include <dirent.h>

#include <fstream>
#include <sstream>

#include "dshow/dshow_test_hooks.h"
#include "media_fixture.h"

namespace {

int CountThreads() {
    int n = 0;
    if (DIR* d = opendir("/proc/self/task")) {
        while (const dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

// Processes whose parent is this one, but for the test's own X server.
int CountChildren(int xServer) {
    int n = 0;
    const std::string self = std::to_string(getpid());
    if (DIR* d = opendir("/proc")) {
        while (const dirent* e = readdir(d)) {
            if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
            std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
            std::string line;
            std::getline(stat, line);
            // pid (comm) state ppid ...: the name may hold spaces, so read after ')'.
            const size_t close = line.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream rest(line.substr(close + 1));
            std::string state, ppid;
            rest >> state >> ppid;
            n += ppid == self && std::atoi(e->d_name) != xServer;
        }
        closedir(d);
    }
    return n;
}

class MediaThreads : public MediaWindow {
protected:
    void SetUp() override {
        // The window and device first, then a count without anything of media.
        MediaWindow::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        FreeDirectShow();
        FramesUntil([] { return false; }, 200);
        baseline = CountThreads();
    }

    // Whether the thread count is back to the baseline within a second: GLib lets
    // its idle threads go on their own time, shortly after being told.
    bool BackToBaseline() {
        return FramesUntil([&] { return CountThreads() <= baseline; }, ScaledMs(1000));
    }

    int baseline = 0;
};

// The window, device and frame loop run without GStreamer: it starts with the
// first graph.
TEST(GStreamerStart, NothingOfItRunsBeforeInitDirectShow) {
    EXPECT_FALSE(NolDShowGStreamerStarted());
    StopMedia();
    OnMediaEvent();
    UpdateVideoWindow();
    EXPECT_FALSE(NolDShowGStreamerStarted());
    ASSERT_EQ(InitDirectShow(), 1);
    EXPECT_TRUE(NolDShowGStreamerStarted());
    FreeDirectShow();
}

TEST_F(MediaThreads, NoThreadIsLeftAfterAClipPlayedToItsEnd) {
    ASSERT_EQ(InitDirectShow(), 1);
    ASSERT_EQ(PlayMedia(DataFile("demo_clip.ogv").c_str()), 1);
    FramesUntil([] { return false; }, 300);
    const int playing = CountThreads();
    ASSERT_TRUE(FramesUntil([] { return !IsMediaPlaying(); }, ScaledMs(8000)));
    FreeDirectShow();
    EXPECT_TRUE(BackToBaseline()) << CountThreads() << " threads, " << baseline << " before, " << playing
                                  << " while playing";
    EXPECT_EQ(CountChildren(display->pid), 0);
}

TEST_F(MediaThreads, NoThreadIsLeftAfterFreeingWhilePlayingAndStartingAgainWorks) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(InitDirectShow(), 1);
        ASSERT_EQ(PlayMedia(DataFile("demo_clip.webm").c_str()), 1);
        EXPECT_TRUE(FramesUntil([&] { return ShowsBars(Grab(), RECT{0, 0, 640, 480}); }, ScaledMs(3000)));
        FreeDirectShow();
        EXPECT_EQ(IsMediaPlaying(), 0);
        EXPECT_TRUE(BackToBaseline()) << CountThreads() << " threads, " << baseline << " before";
        EXPECT_EQ(CountChildren(display->pid), 0);
    }
}

// A file refused at preroll leaves no thread behind either.
TEST_F(MediaThreads, NoThreadIsLeftAfterARefusedFile) {
    TempDir dir;
    std::ofstream(dir.File("text.ogv")) << "not a clip\n";
    ASSERT_EQ(InitDirectShow(), 1);
    EXPECT_EQ(PlayMedia(dir.File("text.ogv").c_str()), 0);
    FreeDirectShow();
    EXPECT_TRUE(BackToBaseline()) << CountThreads() << " threads, " << baseline << " before";
}

}  // namespace
