// The shell runs whatever game the entry point hands it, in-process: WinMain with
// hooks that record their calls.
#include <SDL.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "shell/application.h"
#include "shell/window.h"
#include "support/test_support.h"
#include "win32/test_hooks.h"

namespace {

std::vector<std::string> calls;

void Start() { calls.push_back("start"); }

void Frame() {
    calls.push_back("frame");
    // The third frame asks the window to close, as the close key would.
    if (std::count(calls.begin(), calls.end(), "frame") == 3) CloseMainWindow();
}

void End() { calls.push_back("end"); }

// Should the hooks never close the window, a quit request from outside ends the
// loop, so that the test fails instead of hanging. (No <chrono>: its micro
// suffix has no CP932 spelling.)
class Watchdog {
public:
    explicit Watchdog(int limitMs)
        : thread_([this, limitMs] {
              for (int waited = 0; waited < limitMs; waited += 50) {
                  if (finished_) return;
                  usleep(50000);
              }
              SDL_Event quit{};
              quit.type = SDL_QUIT;
              SDL_PushEvent(&quit);
          }) {}
    ~Watchdog() {
        finished_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> finished_{false};
    std::thread thread_;
};

// Only a mutex held by another copy means a copy is running. A lock that cannot be
// taken at all, or a mutex that cannot be made, lets the program start and says why.
TEST(Application, OnlyAHeldMutexStopsStartUp) {
    TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    testing::internal::CaptureStderr();
    NolFailNamedMutexLocks(true);
    EXPECT_EQ(CheckMultipleStart(), 1);
    NolFailNamedMutexLocks(false);
    ReleaseInstanceMutex();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("cannot lock its file"), std::string::npos) << log;
    EXPECT_NE(log.find("CheckMultipleStart: cannot lock the mutex, not checked"), std::string::npos) << log;

    // Held by another process: refused.
    // flock holds the lock (-o: not its child, sleep) until it is killed; both go,
    // as a group, so that no sleep outlives the test.
    int pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setpgid(0, 0);
        execl("/usr/bin/flock", "flock", "-o", dir.File("nol mutex.lock").c_str(), "sleep", "30", (char*)nullptr);
        _exit(127);
    }
    for (int i = 0; i < 200 && RunProcess("/usr/bin/flock", {"-n", dir.File("nol mutex.lock"), "true"}).exitCode == 0;
         ++i)
        usleep(10000);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CheckMultipleStart(), 0);
    testing::internal::GetCapturedStderr();
    ReleaseInstanceMutex();
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CheckMultipleStart(), 1);  // free again once the holder has gone
    testing::internal::GetCapturedStderr();
    ReleaseInstanceMutex();
}

TEST(Application, WinMainRunsTheHandedOverHooksAroundTheLoop) {
    // A display and a lock directory of its own: no other test's window can take
    // the focus (which would stop the loop) and no running copy blocks start-up.
    TempDir dir;
    PrivateDisplay display;
    ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
    setenv("DISPLAY", display.name.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    static char arg0[] = "nolrace", arg1[] = "-win";
    static char* argv[] = {arg0, arg1, nullptr};
    SetCommandLineArgs(2, argv);

    SetGameHooks(GameHooks{Start, Frame, End});
    EXPECT_EQ(application.frame, nullptr);
    testing::internal::CaptureStderr();
    int result = -1;
    {
        Watchdog watchdog(ScaledMs(10000));
        result = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
    }
    std::string log = testing::internal::GetCapturedStderr();

    EXPECT_EQ(result, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"start", "frame", "frame", "frame", "end"})) << log;
    // Start-up ended by making the game's frame hook the per-frame callback.
    EXPECT_EQ(application.frame, &Frame);
    // Shut down while this test's display still exists.
    FreeApplication();
}

}  // namespace
