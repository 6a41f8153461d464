// The real program ends promptly when asked to by a signal: SIGTERM (a session
// ending, `kill`) and SIGINT (Ctrl+C) close it as the window's close button
// would, and it is gone within a quarter of a second, on the title screen and in
// a race, having shut down in order (exit code 0, the log's release lines last).
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace {

double NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

// Out of the ordinary frame of 33 ms and a shutdown of a few tens: room for a
// busy machine, none for a second's wait on anything.
constexpr double kPromptMs = 250.0;

class GameSignal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        program = dir.File("nolrace");
        CopyFile(NOL_GAME_PROGRAM, program);
        ASSERT_EQ(symlink(NOL_DATA_DIR, dir.File("data").c_str()), 0);
    }
    void TearDown() override {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    std::vector<std::string> Env() const {
        // The null OpenAL device plays in real time as speakers would, so the
        // music and its service thread run and must stop as on a real machine.
        return {display.Env(), "XDG_RUNTIME_DIR=" + dir.path, "NOL_AUTO_MESSAGEBOX=ok", "SDL_AUDIODRIVER=dummy",
                "ALSOFT_DRIVERS=null"};
    }

    std::string Log() const { return ReadFile(dir.File("debug.txt")); }

    bool WaitForLog(const std::string& text, double timeoutMs) const {
        for (const double end = NowMs() + timeoutMs; NowMs() < end; usleep(50000))
            if (Log().find(text) != std::string::npos) return true;
        return false;
    }

    // The game in a window, on its title screen for a while.
    void StartOnTheTitle() {
        pid = StartProcess(program, {"-win", "-dbf"}, Env(), dir.path);
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(WaitForLog("load(opentitle.x) ... ok.", 30000)) << Log();
        usleep(1000000);
    }

    // Sends the signal; the milliseconds until the process has ended, and how.
    double SignalAndTime(int sig, int* status) {
        const double sent = NowMs();
        kill(pid, sig);
        waitpid(pid, status, 0);
        const double ended = NowMs();
        pid = -1;
        return ended - sent;
    }

    // Ended by a normal shutdown: exit code 0, the shell's last step logged and
    // the game's models released after it.
    void ExpectCleanEnd(int status) {
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const std::string log = Log();
        const size_t freed = log.rfind("FreeDirect3D");
        ASSERT_NE(freed, std::string::npos) << log;
        EXPECT_NE(log.find("release(opentitle.x)", freed), std::string::npos) << log.substr(freed);
        const std::string last = "release(opentitle.x)\n";
        EXPECT_TRUE(log.size() >= last.size() && log.compare(log.size() - last.size(), last.size(), last) == 0)
            << "the title model, the first the game loaded, is the last line: " << log.substr(freed);
    }

    TempDir dir;
    PrivateDisplay display;
    std::string program;
    int pid = -1;
};

TEST_F(GameSignal, SigtermAndSigintEndTheTitleScreenPromptly) {
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig == SIGTERM ? "SIGTERM" : "SIGINT");
        StartOnTheTitle();
        if (HasFatalFailure()) return;
        int status = 0;
        const double ms = SignalAndTime(sig, &status);
        std::printf("%s on the title: gone after %.0f ms\n", sig == SIGTERM ? "SIGTERM" : "SIGINT", ms);
        EXPECT_LT(ms, kPromptMs * TimeScale());
        ExpectCleanEnd(status);
    }
}

// Course 1 is the heaviest to let go: the terrain, its 2048 x 2048 texture, the
// models. Enter through the X server (xdotool), as a player's keyboard.
TEST_F(GameSignal, SigtermEndsARacePromptly) {
    if (RunProcess("/bin/sh", {"-c", "command -v xdotool"}).exitCode != 0)
        GTEST_SKIP() << "xdotool is not installed (apt-get install xdotool)";
    StartOnTheTitle();
    if (HasFatalFailure()) return;
    const std::string keys = R"(
for i in $(seq 50); do w=$(xdotool search --pid $0 2>/dev/null | head -1); [ -n "$w" ] && break; sleep 0.2; done
[ -n "$w" ] || exit 3
xdotool windowfocus --sync $w; sleep 0.3
xdotool keydown Return; sleep 0.3; xdotool keyup Return)";
    const ProcessResult pressed = RunProcess("/bin/sh", {"-c", keys, std::to_string(pid)}, Env(), 30000);
    ASSERT_EQ(pressed.exitCode, 0) << pressed.err;
    ASSERT_TRUE(WaitForLog("load(car.x) ... ok.", 30000)) << Log();
    usleep(1500000);  // into the race
    int status = 0;
    const double ms = SignalAndTime(SIGTERM, &status);
    std::printf("SIGTERM in a race on course 1: gone after %.0f ms\n", ms);
    EXPECT_LT(ms, kPromptMs * TimeScale());
    ExpectCleanEnd(status);
    EXPECT_NE(Log().find("release(hf_tex72.bmp)"), std::string::npos);
}

}  // namespace
